#include "suite/cobranca/Arrecadacao.h"

#include <optional>

#include "suite/cobranca/Modulos.h"

namespace cp {

namespace {

constexpr std::size_t kBloco = 11;

// The check digit of value kind `tipo` ('6' to '9') over these digits.
int dv(char tipo, std::string_view digitos) {
    return tipo <= '7' ? modulo10(digitos) : modulo11(digitos, RegraModulo11::Arrecadacao);
}

char digito(int dv) { return static_cast<char>('0' + dv); }

std::optional<QString> tipoInvalido(std::string_view digitos, bool linha) {
    if (digitos[0] != '8') {
        return (linha
                    ? QStringLiteral("A linha tem 48 dígitos, como a de uma conta de arrecadação, "
                                     "mas começa por %1; a de uma conta de arrecadação começa "
                                     "sempre por 8.")
                    : QStringLiteral("O código de barras de uma conta de arrecadação começa sempre "
                                     "por 8, e este começa por %1."))
            .arg(QChar(digitos[0]));
    }
    if (digitos[2] < '6' || digitos[2] > '9') {
        return QStringLiteral(
                   "O 3º dígito da conta de arrecadação (a identificação do valor) é %1; ele é "
                   "sempre 6, 7, 8 ou 9.")
            .arg(QChar(digitos[2]));
    }
    return std::nullopt;
}

LeituraCobranca monta(std::string codigoBarras, std::string linha, const QString& ondeGeral) {
    const char tipo = codigoBarras[2];
    std::string semDv(codigoBarras.substr(0, 3));
    semDv.append(codigoBarras.substr(4));
    const int geral = dv(tipo, semDv);
    if (codigoBarras[3] != digito(geral)) {
        return LeituraCobranca::falha(
            QStringLiteral("O dígito verificador geral (%1) não confere: esperado %2.")
                .arg(ondeGeral)
                .arg(geral));
    }
    CobrancaLida c;
    c.tipo = TipoCobranca::Arrecadacao;
    if (tipo == '6' || tipo == '8') {
        std::int64_t valor = 0;
        for (char d : std::string_view(codigoBarras).substr(4, 11)) valor = valor * 10 + (d - '0');
        if (valor > 0) c.valorCentavos = valor;
    }
    c.codigoBarras = std::move(codigoBarras);
    c.linha = std::move(linha);
    return LeituraCobranca::lida(std::move(c));
}

}  // namespace

LeituraCobranca lerLinhaArrecadacao(std::string_view l) {
    if (auto erro = tipoInvalido(l, true)) return LeituraCobranca::falha(*erro);
    const char tipo = l[2];
    std::string cb;
    cb.reserve(44);
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string_view bloco = l.substr(i * (kBloco + 1), kBloco);
        const int esperado = dv(tipo, bloco);
        if (l[i * (kBloco + 1) + kBloco] != digito(esperado)) {
            return LeituraCobranca::falha(
                QStringLiteral("O dígito verificador do campo %1 da linha digitável não confere: "
                               "esperado %2.")
                    .arg(i + 1)
                    .arg(esperado));
        }
        cb.append(bloco);
    }
    return monta(std::move(cb), std::string(l),
                 QStringLiteral("4º dígito do campo 1 da linha digitável"));
}

LeituraCobranca lerCodigoBarrasArrecadacao(std::string_view cb) {
    if (auto erro = tipoInvalido(cb, false)) return LeituraCobranca::falha(*erro);
    const char tipo = cb[2];
    std::string linha;
    linha.reserve(48);
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string_view bloco = cb.substr(i * kBloco, kBloco);
        linha.append(bloco).push_back(digito(dv(tipo, bloco)));
    }
    return monta(std::string(cb), std::move(linha),
                 QStringLiteral("4º dígito do código de barras"));
}

}  // namespace cp
