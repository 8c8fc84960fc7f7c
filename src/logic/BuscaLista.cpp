#include "logic/BuscaLista.h"

#include <string_view>

#include "data/Cp1252.h"
#include "data/RecordSet.h"
#include "data/TextFold.h"

namespace cp {

namespace {

// Separates the fields of a row, so that no word is found across two.
constexpr char kSeparador = '\x01';

void acrescentaValor(std::string& out, std::int64_t centavos) {
    const bool negativo = centavos < 0;
    const std::uint64_t m =
        negativo ? 0 - static_cast<std::uint64_t>(centavos) : static_cast<std::uint64_t>(centavos);
    const std::string inteiro = std::to_string(m / 100);
    char dec[3] = {static_cast<char>('0' + m % 100 / 10), static_cast<char>('0' + m % 10), 0};
    std::string agrupado;
    for (std::size_t i = 0; i < inteiro.size(); ++i) {
        if (i > 0 && (inteiro.size() - i) % 3 == 0) agrupado += '.';
        agrupado += inteiro[i];
    }
    const char* sinal = negativo ? "-" : "";
    for (const std::string* parte : {&inteiro, static_cast<const std::string*>(&agrupado)}) {
        out += kSeparador;
        out += sinal;
        out += *parte;
        out += ',';
        out += dec;
    }
    out += kSeparador;
    out += sinal;
    out += inteiro;
    out += '.';
    out += dec;
}

}  // namespace

void BuscaLista::prepara(const RecordSet& lista) {
    textos_.clear();
    inicio_.clear();
    const int n = lista.active() ? lista.rowCount() : 0;
    const int cols[] = {lista.fieldIndex("NOMECLIFOR"), lista.fieldIndex("DESCRICAO"),
                        lista.fieldIndex("NFISCAL")};
    const int colValor = lista.fieldIndex("VALORPARCELA");
    textos_.reserve(static_cast<std::size_t>(n) * 96);
    inicio_.reserve(static_cast<std::size_t>(n) + 1);
    for (int r = 0; r < n; ++r) {
        inicio_.push_back(textos_.size());
        for (const int c : cols) {
            textos_ += kSeparador;
            if (c < 0) continue;
            const Value v = lista.valueAt(r, c);
            if (const auto* s = std::get_if<std::string>(&v)) appendFoldedCp1252(textos_, *s);
        }
        if (colValor >= 0) {
            const Value v = lista.valueAt(r, colValor);
            if (const auto* c = std::get_if<std::int64_t>(&v)) acrescentaValor(textos_, *c);
        }
        textos_ += kSeparador;
    }
    inicio_.push_back(textos_.size());
}

void BuscaLista::defineTexto(const QString& texto) {
    termos_.clear();
    impossivel_ = false;
    const std::optional<std::string> bytes = toCp1252(texto.simplified());
    if (!bytes) {
        impossivel_ = true;
        termos_.push_back({});
        return;
    }
    const std::string dobrado = foldCp1252(*bytes);
    std::size_t i = 0;
    while (i < dobrado.size()) {
        const std::size_t fim = std::min(dobrado.find(' ', i), dobrado.size());
        std::string termo = dobrado.substr(i, fim - i);
        // "R$ 1.234,50" is looked for as the amount.
        if (!termo.empty() && termo != "r$") termos_.push_back(std::move(termo));
        i = fim + 1;
    }
}

bool BuscaLista::aceita(int linha) const {
    if (impossivel_) return false;
    if (termos_.empty()) return true;
    if (linha < 0 || linha >= linhas()) return false;
    const std::size_t de = inicio_[static_cast<std::size_t>(linha)];
    const std::string_view texto(textos_.data() + de,
                                 inicio_[static_cast<std::size_t>(linha) + 1] - de);
    for (const std::string& t : termos_)
        if (texto.find(t) == std::string_view::npos) return false;
    return true;
}

}  // namespace cp
