#include "suite/nfe/ChaveAcesso.h"

#include "suite/nfe/Cnpj.h"

namespace cp {
namespace {

// Positions 7 to 18, the CNPJ without its check digits, may hold letters.
bool aceitaLetra(std::size_t posicao) { return posicao >= 7 && posicao <= 18; }

// A character for a message: itself when it can be seen, its code otherwise
// (a tab or a zero byte pasted with the key would show as nothing).
QString mostra(QChar ch) {
    if (ch.isPrint() && !ch.isSpace()) return QStringLiteral("\"%1\"").arg(ch);
    return QStringLiteral("U+%1").arg(
        QString::number(ch.unicode(), 16).toUpper().rightJustified(4, u'0'));
}

QString normaliza(QStringView texto) {
    QString s;
    s.reserve(texto.size());
    for (QChar ch : texto) {
        if (ch.isSpace() || ch == u'.') continue;
        s.append(ch.unicode() < 0x80 ? ch.toUpper() : ch);
    }
    if (s.startsWith(u"NFE")) s.remove(0, 3);
    return s;
}

}  // namespace

std::string ChaveAcesso::numero() const {
    std::string_view n = parte(26, 9);
    while (n.size() > 1 && n.front() == '0') n.remove_prefix(1);
    return std::string(n);
}

QString ChaveAcesso::formatada() const {
    QString out;
    for (std::size_t i = 0; i < kTamanhoChave; i += 4) {
        if (i) out.append(u' ');
        out.append(QLatin1StringView(texto_.data() + i, 4));
    }
    return out;
}

std::optional<int> digitoDaChave(std::string_view primeiros43) {
    return digitoModulo11(primeiros43);
}

LeituraChave lerChaveAcesso(QStringView texto) {
    const QString s = normaliza(texto);
    if (s.isEmpty()) return {std::nullopt, QStringLiteral("A chave de acesso não foi informada.")};
    if (static_cast<std::size_t>(s.size()) != kTamanhoChave)
        return {std::nullopt,
                QStringLiteral("A chave de acesso tem %1 caracteres; deve ter 44.").arg(s.size())};

    std::string ascii;
    ascii.reserve(kTamanhoChave);
    for (std::size_t i = 0; i < kTamanhoChave; ++i) {
        const QChar ch = s[static_cast<qsizetype>(i)];
        const char16_t c = ch.unicode();
        const std::size_t posicao = i + 1;
        const bool algarismo = c >= u'0' && c <= u'9';
        const bool letra = c >= u'A' && c <= u'Z';
        if (algarismo || (letra && aceitaLetra(posicao))) {
            ascii.push_back(static_cast<char>(c));
            continue;
        }
        const QString onde = aceitaLetra(posicao)
                                 ? QStringLiteral(
                                       "ali, no CNPJ do emitente, cabem só algarismos "
                                       "e letras de A a Z")
                                 : QStringLiteral("ali só cabe um algarismo");
        return {std::nullopt,
                QStringLiteral("A chave de acesso tem o caractere %1 na posição %2; %3.")
                    .arg(mostra(ch), QString::number(posicao), onde)};
    }

    const int esperado = *digitoDaChave(std::string_view(ascii).substr(0, kTamanhoChave - 1));
    if (ascii.back() - '0' != esperado)
        return {std::nullopt,
                QStringLiteral("O dígito verificador da chave de acesso não confere: esperado %1.")
                    .arg(esperado)};
    return {ChaveAcesso(std::move(ascii)), {}};
}

}  // namespace cp
