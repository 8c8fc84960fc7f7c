#include "entry/ParcelasCalculo.h"

#include <cmath>

#include "data/Cp1252.h"
#include "data/Field.h"
#include "data/Formats.h"

namespace cp {

namespace {

// An item of the day list keeps at most this many characters.
constexpr std::size_t kTamanhoItem = 20;

// Blanks (and control characters) at both ends removed.
std::string_view semBrancos(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// Walks `texto`, collecting the characters that are not `separador` into an
// item of at most 20 characters, and hands each item closed by a separator to
// `fechaItem`, without its blanks. Characters after the last separator are
// never handed over.
template <class F>
void percorreItens(std::string_view texto, char separador, F&& fechaItem) {
    std::string item;
    for (char c : texto) {
        if (c == separador) {
            fechaItem(semBrancos(item));
            item.clear();
        } else if (item.size() < kTamanhoItem) {
            item += c;
        }
    }
}

}  // namespace

std::int64_t arredondaCentavos(double valor) {
    // Larger amounts than this cannot be written to a money column anyway.
    if (!std::isfinite(valor) || std::fabs(valor) >= 1e16)
        throw DataError("Valor de parcela fora do limite: " + std::to_string(valor));
    const bool negativo = std::signbit(valor);
    // The binary value exactly: mantissa × 2^expoente, mantissa below 2^53.
    int expoente = 0;
    const double fracao = std::frexp(std::fabs(valor), &expoente);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fracao, 53));
    expoente -= 53;
    const std::uint64_t cem = mantissa * 100;  // below 2^60: exact
    std::uint64_t centavos = 0;
    if (expoente >= 0) {
        centavos = cem << expoente;  // below 1e16 the exponent is at most 1
    } else if (expoente > -64) {
        const int s = -expoente;
        centavos = cem >> s;
        const std::uint64_t resto = cem & ((std::uint64_t{1} << s) - 1);
        if (resto >= (std::uint64_t{1} << (s - 1))) ++centavos;  // a half goes up
    }
    return negativo ? -static_cast<std::int64_t>(centavos) : static_cast<std::int64_t>(centavos);
}

std::int64_t valorParcela(std::int64_t totalCentavos, std::int64_t taxa1Centavos, int quantidade) {
    const double total = static_cast<double>(totalCentavos) / 100.0;
    const double taxa = static_cast<double>(taxa1Centavos) / 100.0;
    return arredondaCentavos(total * (taxa / 100 + 1) / quantidade);
}

DiasCorridos leDiasCorridos(std::string_view dias) {
    DiasCorridos out;
    // A closing "," so that the last item is read too.
    const std::string texto = std::string(dias) + ',';
    percorreItens(texto, ',', [&](std::string_view item) {
        const std::optional<std::int64_t> n = parseInteger(item);
        out.dias.push_back(n.value_or(0));
        if (!n) out.recusados.emplace_back(item);
    });
    return out;
}

MarcadorPrimeira leMarcador(std::string_view dias) {
    MarcadorPrimeira out;
    percorreItens(dias, '+', [&](std::string_view item) {
        if (const std::optional<std::int64_t> n = parseInteger(item))
            out.marcador = *n;
        else
            out.recusados.emplace_back(item);
    });
    return out;
}

QDate vencimentoDiaFixo(const QDate& dataConta, std::int64_t marcador, int parcela) {
    // QDate keeps the day, or takes the month's last day when it is shorter.
    return dataConta.addMonths(marcador == 1 ? parcela - 1 : parcela);
}

PlanoParcelas planejaParcelas(std::string_view tipo, std::string_view dias, int quantidade,
                              std::int64_t taxa1Centavos, std::int64_t totalCentavos,
                              const QDate& dataConta) {
    PlanoParcelas plano;
    std::vector<std::int64_t> contagens;
    std::int64_t marcador = 1;
    if (tipo == kTipoDiasCorridos) {
        DiasCorridos lidos = leDiasCorridos(dias);
        plano.itensDias = static_cast<int>(lidos.dias.size());
        contagens = std::move(lidos.dias);
        plano.recusados = std::move(lidos.recusados);
    } else {
        MarcadorPrimeira lido = leMarcador(dias);
        marcador = lido.marcador;
        plano.recusados = std::move(lido.recusados);
    }
    if (quantidade <= 0) return plano;
    plano.valor = valorParcela(totalCentavos, taxa1Centavos, quantidade);
    plano.vencimentos.reserve(static_cast<std::size_t>(quantidade));
    for (int i = 1; i <= quantidade; ++i) {
        if (tipo == kTipoDiaFixo) {
            plano.vencimentos.push_back(vencimentoDiaFixo(dataConta, marcador, i));
        } else {
            // Counts the list does not supply (and unknown kinds) are 0 days.
            const std::size_t k = static_cast<std::size_t>(i - 1);
            plano.vencimentos.push_back(dataConta.addDays(k < contagens.size() ? contagens[k] : 0));
        }
    }
    return plano;
}

QString msgDiasNaoConvertido(std::string_view item) {
    return QStringLiteral("Não foi possível converter ") + fromCp1252(item) +
           QStringLiteral(" para o tipo \"Inteiro\". Favor verificar o formato do campo \"Dias\".");
}

}  // namespace cp
