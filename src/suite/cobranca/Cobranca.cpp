#include "suite/cobranca/Cobranca.h"

#include <QStringList>

#include "suite/cobranca/Arrecadacao.h"
#include "suite/cobranca/Boleto.h"
#include "suite/cobranca/Pix.h"

namespace cp {

namespace {

bool espaco(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view apara(std::string_view s) {
    while (!s.empty() && espaco(s.front())) s.remove_prefix(1);
    while (!s.empty() && espaco(s.back())) s.remove_suffix(1);
    return s;
}

bool contemSemCaixa(std::string_view texto, std::string_view minusculas) {
    for (std::size_t i = 0; i + minusculas.size() <= texto.size(); ++i) {
        std::size_t k = 0;
        while (k < minusculas.size()) {
            char c = texto[i + k];
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
            if (c != minusculas[k]) break;
            ++k;
        }
        if (k == minusculas.size()) return true;
    }
    return false;
}

// A PIX code opens with its field 00 ("000201") and always names the
// arrangement, br.gov.bcb.pix; a linha digitável is never anything but digits.
bool pareceePix(std::string_view s) {
    if (contemSemCaixa(s, "br.gov.bcb.pix")) return true;
    if (s.substr(0, 6) != "000201") return false;
    for (char c : s)
        if (!(c >= '0' && c <= '9') && !espaco(c) && c != '.' && c != '-') return true;
    return false;
}

QString quantosDigitos(std::size_t n) {
    return n == 1 ? QStringLiteral("1 dígito") : QStringLiteral("%1 dígitos").arg(n);
}

}  // namespace

LeituraCobranca LeituraCobranca::lida(CobrancaLida cobranca) {
    LeituraCobranca l;
    l.cobranca = std::move(cobranca);
    return l;
}

LeituraCobranca LeituraCobranca::falha(QString erro) {
    LeituraCobranca l;
    l.erro = std::move(erro);
    return l;
}

LeituraCobranca lerCobranca(std::string_view texto, const QDate& hoje) {
    const std::string_view aparado = apara(texto);
    if (aparado.empty()) {
        return LeituraCobranca::falha(QStringLiteral(
            "Nada foi informado: digite ou cole a linha digitável, o código de barras ou o código "
            "PIX."));
    }
    if (pareceePix(aparado)) return lerPix(aparado);

    std::string digitos;
    for (char c : aparado)
        if (c >= '0' && c <= '9') digitos.push_back(c);
    if (digitos.size() != aparado.size()) {
        QStringList letras, outros;
        for (const QChar c : QString::fromUtf8(aparado)) {
            const char16_t u = c.unicode();
            if ((u >= u'0' && u <= u'9') || u == u'.' || u == u'-' || (u < 0x80 && espaco(char(u))))
                continue;
            QStringList& lista = c.isLetter() ? letras : outros;
            if (!lista.contains(c) && lista.size() < 8) lista << QString(c);
        }
        if (!letras.isEmpty()) {
            return LeituraCobranca::falha(
                QStringLiteral("O código tem letras: %1. A linha digitável e o código de barras só "
                               "têm algarismos.")
                    .arg(letras.join(QStringLiteral(", "))));
        }
        if (!outros.isEmpty()) {
            return LeituraCobranca::falha(
                QStringLiteral(
                    "O código tem sinais que não são algarismos: %1. Só se aceitam, além "
                    "dos algarismos, espaços, pontos e hífens.")
                    .arg(outros.join(QStringLiteral(" "))));
        }
    }
    switch (digitos.size()) {
        case 44:
            return digitos[0] == '8' ? lerCodigoBarrasArrecadacao(digitos)
                                     : lerCodigoBarrasBoleto(digitos, hoje);
        case 47:
            return lerLinhaDigitavelBoleto(digitos, hoje);
        case 48:
            return lerLinhaArrecadacao(digitos);
        default:
            return LeituraCobranca::falha(
                QStringLiteral("A linha digitável tem %1; um boleto tem 47 (ou 44 no código de "
                               "barras) e uma conta de arrecadação 48.")
                    .arg(quantosDigitos(digitos.size())));
    }
}

}  // namespace cp
