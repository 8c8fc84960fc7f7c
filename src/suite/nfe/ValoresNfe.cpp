#include "suite/nfe/ValoresNfe.h"

#include <algorithm>

namespace cp {
namespace {

bool algarismo(QChar c) { return c >= u'0' && c <= u'9'; }

int valor(QChar c) { return c.unicode() - u'0'; }

// Whole number of `n` digits at `inicio`, or -1.
int numero(QStringView s, qsizetype inicio, qsizetype n) {
    int v = 0;
    for (qsizetype i = inicio; i < inicio + n; ++i) {
        if (!algarismo(s[i])) return -1;
        v = v * 10 + valor(s[i]);
    }
    return v;
}

// "hh:mm:ss" of a real time of day at `inicio`.
bool horaValida(QStringView s, qsizetype inicio) {
    if (s.size() < inicio + 8 || s[inicio + 2] != u':' || s[inicio + 5] != u':') return false;
    const int h = numero(s, inicio, 2), m = numero(s, inicio + 3, 2),
              seg = numero(s, inicio + 6, 2);
    return h >= 0 && h < 24 && m >= 0 && m < 60 && seg >= 0 && seg < 60;
}

// "", "Z" or "+hh:mm" / "-hh:mm" with an offset the world uses (up to 14 hours).
bool fusoValido(QStringView s) {
    if (s.isEmpty() || s == u"Z") return true;
    if (s.size() != 6 || (s[0] != u'+' && s[0] != u'-') || s[3] != u':') return false;
    const int h = numero(s, 1, 2), m = numero(s, 4, 2);
    return h >= 0 && h <= 14 && m >= 0 && m < 60;
}

}  // namespace

std::optional<std::int64_t> lerValorDecimal(QStringView texto) {
    const qsizetype ponto = texto.indexOf(u'.');
    const QStringView inteira = ponto < 0 ? texto : texto.left(ponto);
    const QStringView decimais = ponto < 0 ? QStringView() : texto.mid(ponto + 1);
    if (inteira.isEmpty()) return std::nullopt;
    if (ponto >= 0 && (decimais.isEmpty() || decimais.size() > 2)) return std::nullopt;

    // Past this the amount is out of range anyway; stopping here keeps the
    // sum from overflowing on a long run of digits.
    constexpr std::int64_t kTeto = kMaiorValorCentavos / 100 + 1;
    std::int64_t reais = 0;
    for (QChar c : inteira) {
        if (!algarismo(c)) return std::nullopt;
        reais = std::min<std::int64_t>(reais * 10 + valor(c), kTeto);
    }
    std::int64_t centavos = 0;
    for (qsizetype i = 0; i < 2; ++i) {
        if (i < decimais.size() && !algarismo(decimais[i])) return std::nullopt;
        centavos = centavos * 10 + (i < decimais.size() ? valor(decimais[i]) : 0);
    }
    return reais * 100 + centavos;
}

QString formataReais(std::int64_t centavos) {
    const bool negativo = centavos < 0;
    // Built on the unsigned magnitude so that the most negative value has one.
    std::uint64_t m =
        negativo ? 0 - static_cast<std::uint64_t>(centavos) : static_cast<std::uint64_t>(centavos);
    const QString dec = QString::number(m % 100).rightJustified(2, u'0');
    const QString inteiros = QString::number(m / 100);
    QString agrupado;
    for (qsizetype i = 0; i < inteiros.size(); ++i) {
        if (i > 0 && (inteiros.size() - i) % 3 == 0) agrupado.append(u'.');
        agrupado.append(inteiros[i]);
    }
    return QStringLiteral("%1R$ %2,%3")
        .arg(negativo ? QStringLiteral("-") : QString(), agrupado, dec);
}

std::optional<QDate> lerDataIso(QStringView texto) {
    if (texto.size() != 10 || texto[4] != u'-' || texto[7] != u'-') return std::nullopt;
    const int a = numero(texto, 0, 4), m = numero(texto, 5, 2), d = numero(texto, 8, 2);
    if (a < 1 || m < 0 || d < 0) return std::nullopt;
    const QDate data(a, m, d);
    if (!data.isValid()) return std::nullopt;
    return data;
}

std::optional<QDate> lerDataHoraIso(QStringView texto) {
    if (texto.size() < 19 || texto[10] != u'T' || !horaValida(texto, 11)) return std::nullopt;
    if (!fusoValido(texto.mid(19))) return std::nullopt;
    return lerDataIso(texto.left(10));
}

QString formataData(const QDate& data) { return data.toString(u"dd/MM/yyyy"); }

}  // namespace cp
