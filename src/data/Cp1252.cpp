#include "data/Cp1252.h"

#include <stdexcept>

namespace cp {
namespace {

// Code points of bytes 0x80..0x9F; 0 marks the five bytes Windows-1252 leaves
// undefined, which are carried through as the C1 control of the same value.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t decodeByte(unsigned char b) {
    if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0) return kHigh[b - 0x80];
    return b;
}

std::optional<char> encodeChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c && c != 0) return static_cast<char>(0x80 + i);
    if (c >= 0x80 && c < 0xA0 && kHigh[c - 0x80] == 0) return static_cast<char>(c);
    return std::nullopt;
}

}  // namespace

QString fromCp1252(std::string_view bytes) {
    QString out;
    out.resize(static_cast<qsizetype>(bytes.size()));
    QChar* d = out.data();
    for (unsigned char b : bytes) *d++ = QChar(decodeByte(b));
    return out;
}

std::optional<std::string> toCp1252(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar ch : text) {
        auto b = encodeChar(ch.unicode());
        if (!b) return std::nullopt;
        out.push_back(*b);
    }
    return out;
}

std::string toCp1252OrThrow(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (encodeChar(ch.unicode())) continue;
        // A character outside the basic plane (an emoji) is two UTF-16
        // units: the message names it whole.
        char32_t codigo = ch.unicode();
        qsizetype unidades = 1;
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codigo = QChar::surrogateToUcs4(ch, text[i + 1]);
            unidades = 2;
        }
        throw std::runtime_error(
            QStringLiteral("O caractere \"%1\" (U+%2) não pode ser gravado: o banco de dados "
                           "aceita apenas caracteres do Windows-1252.")
                .arg(text.mid(i, unidades))
                .arg(QString::number(static_cast<uint>(codigo), 16)
                         .toUpper()
                         .rightJustified(4, u'0'))
                .toStdString());
    }
    return *toCp1252(text);
}

QString visivel(std::string_view bytes) {
    std::string s(bytes);
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '.';
    return fromCp1252(s);
}

std::string upperAZ(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace cp
