#include "suite/nfe/CodigosNfe.h"

#include "data/Cp1252.h"

namespace cp {
namespace {

// The situations a protocol of an invoice that was not authorised carries.
QString nomeDaSituacao(int cStat) {
    switch (cStat) {
        case 101:
            return QStringLiteral("cancelamento homologado");
        case 151:
        case 155:
            return QStringLiteral("cancelamento homologado fora de prazo");
        case 110:
            return QStringLiteral("uso denegado");
        case 301:
            return QStringLiteral("uso denegado por irregularidade fiscal do emitente");
        case 302:
            return QStringLiteral("uso denegado por irregularidade fiscal do destinatário");
        case 303:
            return QStringLiteral("uso denegado: destinatário não habilitado a operar na UF");
        default:
            return {};
    }
}

}  // namespace

bool situacaoAutorizada(int cStat) { return cStat == 100 || cStat == 150; }

QString descricaoDaSituacao(std::optional<int> cStat, QStringView motivo) {
    if (!cStat)
        return QStringLiteral(
            "O arquivo não traz o protocolo de autorização da NF-e; não se sabe se a nota foi "
            "autorizada.");
    if (situacaoAutorizada(*cStat)) return {};
    QString nome = nomeDaSituacao(*cStat);
    // The reason comes from the file: one line, and not a page of it.
    if (nome.isEmpty()) nome = motivo.toString().simplified().left(120);
    if (nome.isEmpty())
        return QStringLiteral("A NF-e não está autorizada (situação %1).").arg(*cStat);
    return QStringLiteral("A NF-e não está autorizada (situação %1: %2).").arg(*cStat).arg(nome);
}

std::optional<std::string> meioDoPagamento(QStringView tPag) {
    const char16_t* nome = nullptr;
    if (tPag == u"15")
        nome = u"Boleto";
    else if (tPag == u"01")
        nome = u"Dinheiro";
    else if (tPag == u"02")
        nome = u"Cheque";
    else if (tPag == u"03" || tPag == u"04")
        nome = u"Cartão";
    if (!nome) return std::nullopt;
    return toCp1252(QString::fromUtf16(nome));
}

}  // namespace cp
