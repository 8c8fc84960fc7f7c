#include "data/Formats.h"

#include <QLocale>
#include <QString>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "data/Cp1252.h"

namespace cp {

namespace {

// A locale separator as one Windows-1252 byte; separators that the code page
// cannot hold (some locales group with a narrow no-break space) become a
// no-break space.
char separatorByte(const QString& s, char fallback) {
    if (s.isEmpty()) return fallback;
    auto bytes = toCp1252(s.left(1));
    if (!bytes || bytes->size() != 1) return '\xA0';
    return (*bytes)[0];
}

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
    char dec = decimalSeparator();
    std::string intDigits, frac;
    bool point = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (isDigit(c)) {
            (point ? frac : intDigits) += c;
        } else if (c == dec && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
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

// ----- Edit masks -----

namespace cp {

EditMask::EditMask(std::string_view mask) {
    // Trailing ";save;blank" fields.
    if (mask.size() >= 2 && mask[mask.size() - 2] == ';') {
        blank_ = mask.back();
        mask.remove_suffix(2);
        if (mask.size() >= 2 && mask[mask.size() - 2] == ';') {
            saveLiterals_ = mask.back() != '0';
            mask.remove_suffix(2);
        }
    }
    char dsep = separatorByte(QString(dateSeparator()), '/');
    char tsep = separatorByte(QString(timeSeparator()), ':');
    int caseMode = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        char c = mask[i];
        switch (c) {
            case '!':
                blanksLeft_ = true;
                continue;
            case '>':
                if (i + 1 < mask.size() && mask[i + 1] == '<') {
                    caseMode = 0;
                    ++i;
                } else {
                    caseMode = 1;
                }
                continue;
            case '<':
                caseMode = -1;
                continue;
            case '\\':
                if (i + 1 < mask.size()) positions_.push_back({0, mask[++i], caseMode});
                continue;
            case '/':
                positions_.push_back({0, dsep, caseMode});
                continue;
            case ':':
                positions_.push_back({0, tsep, caseMode});
                continue;
            case '0':
            case '9':
            case '#':
            case 'L':
            case 'l':
            case 'A':
            case 'a':
            case 'C':
            case 'c':
                positions_.push_back({c, 0, caseMode});
                continue;
            default:
                positions_.push_back({0, c, caseMode});
        }
    }
    for (int i = 0; i < length();) {
        if (positions_[i].kind == 0) {
            ++i;
            continue;
        }
        int start = i;
        while (i < length() && positions_[i].kind != 0) ++i;
        groups_.emplace_back(start, i - start);
    }
}

// Lays typed text into the positions: `cells` gets one character per
// position, literals in place and '\0' where nothing was typed. False when
// more was typed than the mask holds.
bool EditMask::layOut(std::string_view typed, std::string& cells) const {
    const int n = length();
    cells.assign(n, '\0');
    for (int i = 0; i < n; ++i)
        if (positions_[i].kind == 0) cells[i] = positions_[i].literal;

    bool positional = static_cast<int>(typed.size()) == n;
    for (int i = 0; positional && i < n; ++i)
        if (positions_[i].kind == 0 && typed[i] != positions_[i].literal) positional = false;
    if (positional) {
        for (int i = 0; i < n; ++i)
            if (positions_[i].kind != 0 && typed[i] != blank_ && typed[i] != ' ')
                cells[i] = typed[i];
        return true;
    }

    // As if typed: each run of input positions takes characters until it is
    // full or the literal that follows it is typed.
    std::vector<std::string> runs(groups_.size());
    std::size_t g = 0;
    auto literalAt = [&](int pos) { return pos < n && positions_[pos].kind == 0; };
    for (char c : typed) {
        if (c == blank_ || c == ' ') continue;
        if (g < groups_.size() && runs[g].empty()) {
            // A literal typed before the run begins (the mask's leading literals).
            int p = groups_[g].first - 1;
            bool skip = false;
            while (p >= 0 && literalAt(p) && !skip) skip = cells[p--] == c;
            if (skip) continue;
        }
        if (g < groups_.size()) {
            int after = groups_[g].first + groups_[g].second;
            if (literalAt(after) && cells[after] == c) {
                ++g;
                continue;
            }
            if (static_cast<int>(runs[g].size()) == groups_[g].second) {
                ++g;
            }
        }
        if (g >= groups_.size()) {
            // Only the mask's trailing literals may follow its last run.
            int last = groups_.empty() ? 0 : groups_.back().first + groups_.back().second;
            bool trailing = false;
            for (int p = last; p < n && !trailing; ++p) trailing = cells[p] == c;
            if (!trailing) return false;
            continue;
        }
        runs[g] += c;
    }
    for (std::size_t k = 0; k < groups_.size(); ++k) {
        auto [first, len] = groups_[k];
        const std::string& r = runs[k];
        int offset = blanksLeft_ ? len - static_cast<int>(r.size()) : 0;
        for (std::size_t j = 0; j < r.size(); ++j) cells[first + offset + j] = r[j];
    }
    return true;
}

std::optional<std::string> EditMask::apply(std::string_view typed) const {
    std::string cells;
    if (!layOut(typed, cells)) return std::nullopt;
    std::string out;
    for (int i = 0; i < length(); ++i) {
        const Position& p = positions_[i];
        char c = cells[i];
        if (p.kind == 0) {
            if (saveLiterals_) out += c;
            continue;
        }
        if (c == '\0') {
            if (p.kind == '0' || p.kind == 'L' || p.kind == 'A' || p.kind == 'C')
                return std::nullopt;
            out += ' ';
            continue;
        }
        unsigned char u = static_cast<unsigned char>(c);
        bool ok = true;
        switch (p.kind) {
            case '0':
            case '9':
                ok = isDigit(c);
                break;
            case '#':
                ok = isDigit(c) || c == '+' || c == '-';
                break;
            case 'L':
            case 'l':
                ok = std::isalpha(u) || u >= 0xC0;
                break;
            case 'A':
            case 'a':
                ok = std::isalnum(u) || u >= 0xC0;
                break;
            default:
                break;
        }
        if (!ok) return std::nullopt;
        if (p.caseMode > 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (p.caseMode < 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        out += c;
    }
    return out;
}

std::string EditMask::display(std::string_view stored) const {
    std::string cells;
    if (!layOut(stored, cells)) cells.assign(length(), '\0');
    for (auto& c : cells)
        if (c == '\0') c = blank_;
    return cells;
}

}  // namespace cp
