// One input through the reader of what an operator types, pastes or scans to
// pay a bill. Whatever the bytes, lerCobranca returns a reading or a message.
// A reading is one a bank would take: a boleto's 47 digits or a collection
// slip's 48 that read back to the same barcode (and the barcode to the same
// line), or a PIX code of at most 512 characters with a receiver, a city and
// one key or URL; any amount within what the suite records, any due date a
// valid one.
#include <QDate>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "suite/cobranca/Cobranca.h"
#include "suite/cobranca/Pix.h"

namespace {

void confere(bool ok) {
    if (!ok) __builtin_trap();
}

bool soDigitos(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::size_t caracteres(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

void confereLinha(const cp::CobrancaLida& c, const QDate& hoje) {
    const bool boleto = c.tipo == cp::TipoCobranca::Boleto;
    const std::string& linha = c.paraPagamento();
    confere(linha.size() == (boleto ? 47u : 48u) && soDigitos(linha));
    confere(c.codigoBarras.size() == 44 && soDigitos(c.codigoBarras));
    confere((c.codigoBarras[0] == '8') != boleto);
    if (boleto) confere(c.codigoBarras[3] == '9' && c.banco == c.codigoBarras.substr(0, 3));
    for (const std::string& outra : {linha, c.codigoBarras}) {
        const cp::LeituraCobranca de_novo = cp::lerCobranca(outra, hoje);
        confere(de_novo && de_novo.cobranca->codigoBarras == c.codigoBarras &&
                de_novo.cobranca->paraPagamento() == linha &&
                de_novo.cobranca->valorCentavos == c.valorCentavos &&
                de_novo.cobranca->vencimento == c.vencimento);
    }
}

void confereLeitura(std::string_view bytes, const QDate& hoje) {
    const cp::LeituraCobranca l = cp::lerCobranca(bytes, hoje);
    if (!l) {
        confere(!l.erro.isEmpty());
        return;
    }
    const cp::CobrancaLida& c = *l.cobranca;
    if (c.valorCentavos)
        confere(*c.valorCentavos > 0 && *c.valorCentavos <= cp::kMaiorValorCentavos);
    if (c.vencimento) confere(c.vencimento->isValid() && c.tipo == cp::TipoCobranca::Boleto);
    if (c.tipo == cp::TipoCobranca::Pix) {
        const std::string& codigo = c.paraPagamento();
        confere(!codigo.empty() && caracteres(codigo) <= cp::kMaximoCaracteresPix);
        confere(bytes.find(codigo) != std::string_view::npos);
        confere(!c.recebedor.isEmpty() && !c.cidade.isEmpty());
        confere(c.chavePix.isEmpty() != c.urlPix.isEmpty());
        confere(c.codigoBarras.empty());
    } else {
        confereLinha(c, hoje);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Either side of the factor's reset, and a day the factor's cycles are far from.
    confereLeitura(bytes, QDate(2025, 6, 1));
    confereLeitura(bytes, QDate(2001, 1, 15));
    confereLeitura(bytes, QDate(9999, 12, 31));
    return 0;
}
