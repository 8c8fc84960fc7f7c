#include "suite/cobranca/Boleto.h"

#include "suite/cobranca/Bancos.h"
#include "suite/cobranca/Modulos.h"

namespace cp {

namespace {

const QDate kBaseFator(1997, 10, 7);
constexpr int kDiasCiclo = 9000;

int numero(std::string_view digitos) {
    int n = 0;
    for (char c : digitos) n = n * 10 + (c - '0');
    return n;
}

std::int64_t numero64(std::string_view digitos) {
    std::int64_t n = 0;
    for (char c : digitos) n = n * 10 + (c - '0');
    return n;
}

char digito(int dv) { return static_cast<char>('0' + dv); }

// The 43 digits the general check digit guards: all but the fifth.
int dvGeral(std::string_view codigoBarras) {
    std::string semDv(codigoBarras.substr(0, 4));
    semDv.append(codigoBarras.substr(5));
    return modulo11(semDv, RegraModulo11::Boleto);
}

// The fields of the linha digitável: where each starts and how many digits it
// has before its own check digit.
struct CampoLinha {
    std::size_t inicio, tamanho;
};
constexpr CampoLinha kCamposComDv[] = {{0, 9}, {10, 10}, {21, 10}};

LeituraCobranca monta(std::string codigoBarras, std::string linha, const QDate& hoje) {
    if (codigoBarras[3] != '9') {
        return LeituraCobranca::falha(
            QStringLiteral("O boleto é de outra moeda (código %1 no 4º dígito); só se pagam "
                           "boletos em real, de código 9.")
                .arg(QChar(codigoBarras[3])));
    }
    CobrancaLida c;
    c.tipo = TipoCobranca::Boleto;
    c.banco = codigoBarras.substr(0, 3);
    c.nomeBanco = nomeDoBanco(c.banco);
    c.vencimento = vencimentoDoFator(numero(std::string_view(codigoBarras).substr(5, 4)), hoje);
    const std::int64_t valor = numero64(std::string_view(codigoBarras).substr(9, 10));
    if (valor > 0) c.valorCentavos = valor;
    c.codigoBarras = std::move(codigoBarras);
    c.linha = std::move(linha);
    return LeituraCobranca::lida(std::move(c));
}

}  // namespace

std::optional<QDate> vencimentoDoFator(int fator, const QDate& hoje) {
    if (fator <= 0 || fator > 9999) return std::nullopt;
    const QDate primeira = kBaseFator.addDays(fator);
    if (fator < 1000) return primeira;
    const QDate referencia = hoje.isValid() ? hoje : QDate::currentDate();
    const qint64 dias = primeira.daysTo(referencia);
    const qint64 ciclos = dias > 0 ? (dias + kDiasCiclo / 2) / kDiasCiclo : 0;
    return primeira.addDays(ciclos * kDiasCiclo);
}

std::string linhaDigitavelDoBoleto(std::string_view cb) {
    std::string campo1(cb.substr(0, 4));
    campo1.append(cb.substr(19, 5));
    const std::string_view campo2 = cb.substr(24, 10), campo3 = cb.substr(34, 10);
    std::string linha;
    linha.reserve(47);
    linha.append(campo1).push_back(digito(modulo10(campo1)));
    linha.append(campo2).push_back(digito(modulo10(campo2)));
    linha.append(campo3).push_back(digito(modulo10(campo3)));
    linha.push_back(cb[4]);
    linha.append(cb.substr(5, 14));
    return linha;
}

// 8 opens only the collection slips: no bank's code begins with it, so a
// barcode that does is never read as a boleto's.
std::optional<LeituraCobranca> comecaPorOito(std::string_view digitos) {
    if (digitos[0] != '8') return std::nullopt;
    return LeituraCobranca::falha(
        QStringLiteral("O código de um boleto não começa por 8: o 8 abre as contas de arrecadação, "
                       "de 48 dígitos na linha digitável."));
}

LeituraCobranca lerLinhaDigitavelBoleto(std::string_view l, const QDate& hoje) {
    if (auto erro = comecaPorOito(l)) return std::move(*erro);
    for (std::size_t i = 0; i < std::size(kCamposComDv); ++i) {
        const CampoLinha& campo = kCamposComDv[i];
        const int dv = modulo10(l.substr(campo.inicio, campo.tamanho));
        if (l[campo.inicio + campo.tamanho] != digito(dv)) {
            return LeituraCobranca::falha(
                QStringLiteral("O dígito verificador do campo %1 da linha digitável não confere: "
                               "esperado %2.")
                    .arg(i + 1)
                    .arg(dv));
        }
    }
    std::string cb(l.substr(0, 4));
    cb.push_back(l[32]);
    cb.append(l.substr(33, 14));
    cb.append(l.substr(4, 5));
    cb.append(l.substr(10, 10));
    cb.append(l.substr(21, 10));
    const int geral = dvGeral(cb);
    if (cb[4] != digito(geral)) {
        return LeituraCobranca::falha(
            QStringLiteral("O dígito verificador geral (campo 4) da linha digitável não confere: "
                           "esperado %1.")
                .arg(geral));
    }
    return monta(std::move(cb), std::string(l), hoje);
}

LeituraCobranca lerCodigoBarrasBoleto(std::string_view cb, const QDate& hoje) {
    if (auto erro = comecaPorOito(cb)) return std::move(*erro);
    const int geral = dvGeral(cb);
    if (cb[4] != digito(geral)) {
        return LeituraCobranca::falha(
            QStringLiteral("O dígito verificador do código de barras (5º dígito) não confere: "
                           "esperado %1.")
                .arg(geral));
    }
    return monta(std::string(cb), linhaDigitavelDoBoleto(cb), hoje);
}

}  // namespace cp
