#include "data/Formats.h"

#include <QLocale>
#include <QString>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "data/Cp1252.h"

namespace cp {

char separatorByte(const QString& s, char fallback) {
    if (s.isEmpty()) return fallback;
    auto bytes = toCp1252(s.left(1));
    if (!bytes || bytes->size() != 1) return '\xA0';
    return (*bytes)[0];
}

namespace {

char decimalSeparator() { return separatorByte(QLocale().decimalPoint(), '.'); }
char groupSeparator() { return separatorByte(QLocale().groupSeparator(), ','); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

// The numeric part of a pattern such as "#,###,##0.00", and the literal text
// around it.
struct NumberPattern {
    std::string prefix, suffix;
    int minInt = 0;
    int minFrac = 0, maxFrac = 0;
    bool grouping = false;
};

NumberPattern parseNumberPattern(std::string_view pattern) {
    auto semi = pattern.find(';');
    if (semi != std::string_view::npos) pattern = pattern.substr(0, semi);
    NumberPattern p;
    std::size_t first = pattern.find_first_of("#0.,");
    std::size_t last = pattern.find_last_of("#0.,");
    if (first == std::string_view::npos) {
        p.prefix = std::string(pattern);
        return p;
    }
    p.prefix = std::string(pattern.substr(0, first));
    p.suffix = std::string(pattern.substr(last + 1));
    bool afterPoint = false;
    for (std::size_t i = first; i <= last; ++i) {
        char c = pattern[i];
        if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            if (!afterPoint) p.grouping = true;
        } else if (c == '0') {
            if (afterPoint) {
                ++p.maxFrac;
                p.minFrac = p.maxFrac;
            } else {
                ++p.minInt;
            }
        } else if (c == '#') {
            if (afterPoint) ++p.maxFrac;
        }
    }
    return p;
}

// Lays out digits (integer part, fraction already cut to maxFrac) through a
// pattern.
std::string layOut(const NumberPattern& p, bool negative, std::string intDigits,
                   std::string fracDigits) {
    while (static_cast<int>(fracDigits.size()) > p.minFrac && !fracDigits.empty() &&
           fracDigits.back() == '0')
        fracDigits.pop_back();
    std::size_t nz = intDigits.find_first_not_of('0');
    intDigits = nz == std::string::npos ? std::string() : intDigits.substr(nz);
    while (static_cast<int>(intDigits.size()) < p.minInt) intDigits.insert(0, 1, '0');
    bool zero = intDigits.find_first_not_of('0') == std::string::npos &&
                fracDigits.find_first_not_of('0') == std::string::npos;
    std::string out;
    if (negative && !zero) out += '-';
    out += p.prefix;
    if (p.grouping) {
        char g = groupSeparator();
        for (std::size_t i = 0; i < intDigits.size(); ++i) {
            if (i > 0 && (intDigits.size() - i) % 3 == 0) out += g;
            out += intDigits[i];
        }
    } else {
        out += intDigits;
    }
    if (!fracDigits.empty()) {
        out += decimalSeparator();
        out += fracDigits;
    }
    out += p.suffix;
    return out;
}

std::int64_t pow10(int n) {
    std::int64_t r = 1;
    while (n-- > 0) r *= 10;
    return r;
}

}  // namespace

std::int64_t rescale(std::int64_t value, int from, int to) {
    if (to >= from) return value * pow10(to - from);
    std::int64_t d = pow10(from - to);
    std::int64_t q = value / d, r = value % d;
    if (2 * (r < 0 ? -r : r) >= d) q += value < 0 ? -1 : 1;
    return q;
}

std::int64_t rescaleTruncated(std::int64_t value, int from, int to) {
    return to >= from ? value * pow10(to - from) : value / pow10(from - to);
}

std::string formatScaled(std::string_view pattern, std::int64_t value, int scale) {
    NumberPattern p = parseNumberPattern(pattern);
    // The digits are placed and rounded as text, so no pattern or scale can
    // overflow an integer.
    const bool negative = value < 0;
    const std::uint64_t mag =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(mag);
    std::size_t frac = 0;
    if (scale < 0)
        digits.append(static_cast<std::size_t>(-scale), '0');
    else
        frac = static_cast<std::size_t>(scale);
    if (digits.size() <= frac) digits.insert(0, frac + 1 - digits.size(), '0');
    const std::size_t want = static_cast<std::size_t>(p.maxFrac);
    if (frac < want) {
        digits.append(want - frac, '0');
    } else if (frac > want) {
        // Half away from zero: the magnitude rounds up on a first dropped 5 to 9.
        const bool up = digits[digits.size() - frac + want] >= '5';
        digits.resize(digits.size() - frac + want);
        if (up) {
            std::size_t i = digits.size();
            while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
            if (i == 0)
                digits.insert(0, 1, '1');
            else
                ++digits[i - 1];
        }
    }
    const std::size_t intLen = digits.size() - want;
    return layOut(p, negative, digits.substr(0, intLen), digits.substr(intLen));
}

std::string formatFloat(std::string_view pattern, double value) {
    NumberPattern p = parseNumberPattern(pattern);
    if (!std::isfinite(value)) return value != value ? "NAN" : (value < 0 ? "-INF" : "INF");
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", p.maxFrac, std::fabs(value));
    std::string s = buf;
    auto dot = s.find('.');
    std::string intDigits = dot == std::string::npos ? s : s.substr(0, dot);
    std::string frac = dot == std::string::npos ? std::string() : s.substr(dot + 1);
    return layOut(p, value < 0, intDigits, frac);
}

std::string scaledToText(std::int64_t value, int scale) {
    std::string pattern = "0";
    if (scale > 0) pattern += "." + std::string(scale, '#');
    return formatScaled(pattern, value, scale);
}

std::optional<std::int64_t> parseScaled(std::string_view text, int scale) {
    std::string s = trimmed(text);
    if (s.empty()) return std::nullopt;
    std::size_t i = 0;
    bool negative = false;
    if (s[i] == '-' || s[i] == '+') negative = s[i++] == '-';
    const char dec = decimalSeparator();
    const char group = groupSeparator();
    std::string intDigits, frac;
    bool point = false;
    // Thousands typed as people write them ("1.234,56"): every group after a
    // separator has three digits and the first one one to three.
    int groupDigits = 0;  // digits since the last group separator
    bool grouped = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (isDigit(c)) {
            (point ? frac : intDigits) += c;
            if (!point) ++groupDigits;
        } else if (c == dec && !point) {
            if (grouped && groupDigits != 3) return std::nullopt;
            point = true;
        } else if (c == group && group != dec && !point &&
                   (grouped ? groupDigits == 3 : groupDigits >= 1 && groupDigits <= 3)) {
            grouped = true;
            groupDigits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (grouped && !point && groupDigits != 3) return std::nullopt;
    if (intDigits.empty() && frac.empty()) return std::nullopt;
    std::size_t nz = intDigits.find_first_not_of('0');
    intDigits = nz == std::string::npos ? std::string() : intDigits.substr(nz);
    if (intDigits.size() + scale > 18) return std::nullopt;
    std::int64_t v = 0;
    for (char c : intDigits) v = v * 10 + (c - '0');
    for (int k = 0; k < scale; ++k)
        v = v * 10 + (k < static_cast<int>(frac.size()) ? frac[k] - '0' : 0);
    if (static_cast<int>(frac.size()) > scale && frac[scale] >= '5') ++v;
    return negative ? -v : v;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    std::string s = trimmed(text);
    if (s.empty()) return std::nullopt;
    std::size_t i = 0;
    bool negative = false;
    if (s[i] == '-' || s[i] == '+') negative = s[i++] == '-';
    if (i == s.size()) return std::nullopt;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (!isDigit(s[i])) return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > 2147483647LL || v < -2147483648LL) return std::nullopt;
    return v;
}

// ----- Dates and times -----

QChar dateSeparator() {
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    for (QChar c : f)
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'') && c != QLatin1Char(','))
            return c;
    return QLatin1Char('/');
}

QChar timeSeparator() {
    QString f = QLocale().timeFormat(QLocale::ShortFormat);
    for (QChar c : f)
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'')) return c;
    return QLatin1Char(':');
}

std::string shortDatePattern() {
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (f.contains(QLatin1String("MMM"))) return "dd/mm/yyyy";  // month names: no numeric form
    std::string out;
    QChar sep = dateSeparator();
    for (QChar c : f) {
        if (c == QLatin1Char('d'))
            out += 'd';
        else if (c == QLatin1Char('M'))
            out += 'm';
        else if (c == QLatin1Char('y'))
            out += 'y';
        else if (c == sep)
            out += '/';
    }
    // Keep the day-month-year reading the suite relies on, whatever the
    // order the locale prints in.
    if (out.find('d') == std::string::npos || out.find('m') == std::string::npos ||
        out.find('y') == std::string::npos)
        return "dd/mm/yyyy";
    return out;
}

std::string longTimePattern() { return "hh:nn:ss"; }

namespace {

std::string two(int v) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

// Formats both dates and times through a Delphi pattern.
std::string formatDateTime(std::string_view pattern, const QDate& d, const QTime& t) {
    std::string out;
    char dsep = separatorByte(QString(dateSeparator()), '/');
    char tsep = separatorByte(QString(timeSeparator()), ':');
    bool lastWasHour = false;
    for (std::size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::size_t n = 1;
        while (i + n < pattern.size() &&
               std::tolower(static_cast<unsigned char>(pattern[i + n])) == lc && lc != '/' &&
               lc != ':')
            ++n;
        switch (lc) {
            case 'd':
                out += n >= 2 ? two(d.day()) : std::to_string(d.day());
                break;
            case 'm':
                if (lastWasHour)
                    out += n >= 2 ? two(t.minute()) : std::to_string(t.minute());
                else
                    out += n >= 2 ? two(d.month()) : std::to_string(d.month());
                break;
            case 'y':
                out += n >= 3 ? std::to_string(d.year()) : two(d.year() % 100);
                break;
            case 'h':
                out += n >= 2 ? two(t.hour()) : std::to_string(t.hour());
                break;
            case 'n':
                out += n >= 2 ? two(t.minute()) : std::to_string(t.minute());
                break;
            case 's':
                out += n >= 2 ? two(t.second()) : std::to_string(t.second());
                break;
            case '/':
                out += dsep;
                break;
            case ':':
                out += tsep;
                break;
            default:
                out.append(n, c);
        }
        if (lc == 'h')
            lastWasHour = true;
        else if (lc != ':' && lc != ' ')
            lastWasHour = false;
        i += n;
    }
    return out;
}

// Splits text into runs of digits; false when anything but digits, blanks
// and separators appears.
bool digitGroups(std::string_view text, std::vector<std::string>& groups, const std::string& seps) {
    std::string cur;
    bool inGroup = false;
    for (char c : text) {
        if (isDigit(c)) {
            cur += c;
            inGroup = true;
        } else if (seps.find(c) != std::string::npos || c == ' ') {
            if (c != ' ' || inGroup) {
                if (inGroup)
                    groups.push_back(cur);
                else if (c != ' ')
                    return false;  // separator with no digits before it
                cur.clear();
                inGroup = false;
            }
        } else {
            return false;
        }
    }
    if (inGroup) groups.push_back(cur);
    return true;
}

}  // namespace

std::string formatDate(std::string_view pattern, const QDate& date) {
    if (!date.isValid()) return {};
    return formatDateTime(pattern, date, QTime(0, 0));
}

std::string formatTime(std::string_view pattern, const QTime& time) {
    if (!time.isValid()) return {};
    return formatDateTime(pattern, QDate(2000, 1, 1), time);
}

int expandYear(int twoDigitYear, const QDate& today) {
    int base = (today.isValid() ? today.year() : QDate::currentDate().year()) - 50;
    int year = (base / 100) * 100 + twoDigitYear;
    if (year < base) year += 100;
    return year;
}

std::optional<QDate> parseDate(std::string_view text, const QDate& today) {
    std::string seps = "/-.";
    seps += separatorByte(QString(dateSeparator()), '/');
    std::vector<std::string> g;
    if (!digitGroups(text, g, seps) || g.size() < 2 || g.size() > 3) return std::nullopt;
    for (auto& s : g)
        if (s.size() > 4) return std::nullopt;
    int day = std::stoi(g[0]), month = std::stoi(g[1]);
    int year = today.isValid() ? today.year() : QDate::currentDate().year();
    if (g.size() == 3) {
        year = std::stoi(g[2]);
        if (g[2].size() <= 2) year = expandYear(year, today);
    }
    if (year < 1 || !QDate::isValid(year, month, day)) return std::nullopt;
    return QDate(year, month, day);
}

std::optional<QTime> parseTime(std::string_view text) {
    std::string seps = ":.";
    seps += separatorByte(QString(timeSeparator()), ':');
    std::vector<std::string> g;
    if (!digitGroups(text, g, seps) || g.empty() || g.size() > 3) return std::nullopt;
    for (auto& s : g)
        if (s.size() > 2) return std::nullopt;
    int h = std::stoi(g[0]);
    int m = g.size() > 1 ? std::stoi(g[1]) : 0;
    int s = g.size() > 2 ? std::stoi(g[2]) : 0;
    if (!QTime::isValid(h, m, s, 0)) return std::nullopt;
    return QTime(h, m, s);
}

// ----- Messages -----

std::string msgInvalidInteger(std::string_view text, std::string_view field) {
    return "'" + std::string(text) + "' is not a valid integer value for field '" +
           std::string(field) + "'";
}

std::string msgInvalidFloat(std::string_view text, std::string_view field) {
    return "'" + std::string(text) + "' is not a valid floating point value for field '" +
           std::string(field) + "'";
}

std::string msgInvalidDate(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid date";
}

std::string msgInvalidTime(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid time";
}

std::string msgMustHaveValue(std::string_view field) {
    return "Field '" + std::string(field) + "' must have a value";
}

}  // namespace cp
