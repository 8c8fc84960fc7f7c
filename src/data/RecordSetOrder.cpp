// Default order, comparisons, filter expressions and value conversions of the
// record sets.
#include <cctype>

#include "data/Formats.h"
#include "data/RecordSetImpl.h"
#include "data/Text.h"

namespace cp {

int RecordSet::Impl::visibleAtOrAfter(int position) const {
    if (!useVisible) return std::min<int>(position, static_cast<int>(rows.size()));
    return static_cast<int>(std::lower_bound(visible.begin(), visible.end(), position) -
                            visible.begin());
}

int RecordSet::Impl::findEntry(const std::vector<ChangeEntry>& log, std::uint64_t id) const {
    for (int i = static_cast<int>(log.size()) - 1; i >= 0; --i)
        if (log[i].rowId == id) return i;
    return -1;
}

namespace detail {

std::string upperName(std::string_view s) {
    std::string out(s);
    for (auto& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

namespace {

bool identChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '.' ||
           c == '"';
}

bool wordAt(std::string_view s, std::size_t i, std::string_view word) {
    if (i + word.size() > s.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (std::toupper(static_cast<unsigned char>(s[i + k])) != word[k]) return false;
    bool before = i == 0 || !identChar(s[i - 1]);
    bool after = i + word.size() == s.size() || !identChar(s[i + word.size()]);
    return before && after;
}

std::string_view trimView(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

}  // namespace

std::vector<OrderItem> parseOrderBy(std::string_view sql) {
    // The last ORDER BY at the top level, outside quotes and parentheses.
    std::size_t found = std::string_view::npos;
    int depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"')
            quote = c;
        else if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (depth == 0 && wordAt(sql, i, "ORDER")) {
            std::size_t j = i + 5;
            while (j < sql.size() && std::isspace(static_cast<unsigned char>(sql[j]))) ++j;
            if (wordAt(sql, j, "BY")) found = j + 2;
        }
    }
    std::vector<OrderItem> items;
    if (found == std::string_view::npos) return items;
    std::string_view rest = sql.substr(found);
    // The list ends where a clause that may follow it begins.
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == ';' || wordAt(rest, i, "ROWS") || wordAt(rest, i, "FOR") ||
            wordAt(rest, i, "OFFSET") || wordAt(rest, i, "FETCH")) {
            rest = rest.substr(0, i);
            break;
        }
    }
    std::size_t start = 0;
    depth = 0;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && rest[i] == '(') ++depth;
        if (i < rest.size() && rest[i] == ')') --depth;
        if (i < rest.size() && !(rest[i] == ',' && depth == 0)) continue;
        std::string_view item = trimView(rest.substr(start, i - start));
        start = i + 1;
        if (item.empty()) continue;
        std::size_t end = 0;
        while (end < item.size() && identChar(item[end])) ++end;
        std::string_view ident = item.substr(0, end);
        std::string_view tail = trimView(item.substr(end));
        OrderItem oi;
        oi.descending = wordAt(tail, 0, "DESC") || wordAt(tail, 0, "DESCENDING");
        if (!ident.empty() && std::all_of(ident.begin(), ident.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            })) {
            oi.position = std::stoi(std::string(ident));
        } else {
            auto dot = ident.rfind('.');
            if (dot != std::string_view::npos) ident = ident.substr(dot + 1);
            if (ident.size() >= 2 && ident.front() == '"' && ident.back() == '"')
                oi.name = std::string(ident.substr(1, ident.size() - 2));
            else
                oi.name = upperName(ident);
        }
        // An expression (a function call, arithmetic) is not a column; the
        // order stops before it.
        if ((oi.name.empty() && oi.position == 0) ||
            (!tail.empty() && !oi.descending && !wordAt(tail, 0, "ASC") &&
             !wordAt(tail, 0, "ASCENDING") && !wordAt(tail, 0, "NULLS") &&
             !wordAt(tail, 0, "COLLATE")))
            break;
        items.push_back(std::move(oi));
    }
    return items;
}

int compareValues(const Value& a, const Value& b) {
    bool an = isNull(a), bn = isNull(b);
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    if (a.index() != b.index()) return a.index() < b.index() ? -1 : 1;
    switch (a.index()) {
        case 1: {
            auto x = std::get<std::int64_t>(a), y = std::get<std::int64_t>(b);
            return x < y ? -1 : x > y;
        }
        case 2: {
            int c = rtrim(std::get<std::string>(a)).compare(rtrim(std::get<std::string>(b)));
            return c < 0 ? -1 : c > 0;
        }
        case 3: {
            auto x = std::get<QDate>(a), y = std::get<QDate>(b);
            return x < y ? -1 : x > y;
        }
        case 4: {
            auto x = std::get<TimeOfDay>(a), y = std::get<TimeOfDay>(b);
            return x < y ? -1 : x > y;
        }
    }
    return 0;
}

std::vector<Value> toValues(const Cell* cells, std::size_t n) {
    std::vector<Value> out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) out.push_back(cells[i].get());
    return out;
}

std::vector<Cell> toCells(const std::vector<Value>& values) {
    std::vector<Cell> out;
    out.reserve(values.size());
    for (const auto& v : values) out.emplace_back(v);
    return out;
}

int compareRows(const Cell* a, const Cell* b, const std::vector<OrderColumn>& order) {
    for (const auto& o : order) {
        int c = a[o.column].compare(b[o.column]);
        if (c != 0) return o.descending ? -c : c;
    }
    return 0;
}

Value convertTo(const FieldDef& f, const Value& v, const QDate& today) {
    if (isNull(v)) return v;
    const std::string* s = std::get_if<std::string>(&v);
    switch (f.type) {
        case FieldType::String:
            if (s)
                return f.size > 0 && static_cast<int>(s->size()) > f.size ? s->substr(0, f.size)
                                                                          : *s;
            if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
            break;
        case FieldType::Integer:
            if (std::holds_alternative<std::int64_t>(v)) return v;
            if (s) {
                if (auto i = parseInteger(*s)) return *i;
                throw DataError(msgInvalidInteger(*s, f.name));
            }
            break;
        case FieldType::Money:
        case FieldType::Decimal8:
            if (std::holds_alternative<std::int64_t>(v)) return v;
            if (s) {
                if (auto i = parseScaled(*s, f.type == FieldType::Money ? 2 : 8)) return *i;
                throw DataError(msgInvalidFloat(*s, f.name));
            }
            break;
        case FieldType::Date:
            if (std::holds_alternative<QDate>(v)) return v;
            if (s) {
                if (auto d = parseDate(*s, today)) return *d;
                throw DataError(msgInvalidDate(*s));
            }
            break;
        case FieldType::Time:
            if (std::holds_alternative<TimeOfDay>(v)) return v;
            if (s) {
                if (auto t = parseTime(*s)) return TimeOfDay(*t);
                throw DataError(msgInvalidTime(*s));
            }
            break;
    }
    throw DataError("Cannot access field '" + f.name + "' with a value of another type");
}

std::vector<FilterTerm> parseFilter(std::string_view expr, const RecordSet& set) {
    std::vector<FilterTerm> terms;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < expr.size() && std::isspace(static_cast<unsigned char>(expr[i]))) ++i;
    };
    auto bad = [&]() -> DataError {
        return DataError(set.name() + ": invalid filter expression \"" + std::string(expr) + "\"");
    };
    skip();
    if (i == expr.size()) return terms;
    for (;;) {
        skip();
        std::size_t s = i;
        while (i < expr.size() && identChar(expr[i]) && expr[i] != '"') ++i;
        std::string name = upperName(expr.substr(s, i - s));
        FilterTerm t;
        t.column = set.fieldIndex(name);
        if (name.empty()) throw bad();
        if (t.column < 0) throw DataError(set.name() + ": Field '" + name + "' not found");
        skip();
        if (expr.substr(i, 2) == "<>") {
            t.notEqual = true;
            i += 2;
        } else if (i < expr.size() && expr[i] == '=') {
            ++i;
        } else {
            throw bad();
        }
        skip();
        Value literal;
        if (i < expr.size() && expr[i] == '\'') {
            std::string text;
            ++i;
            for (;;) {
                if (i >= expr.size()) throw bad();
                if (expr[i] == '\'') {
                    if (i + 1 < expr.size() && expr[i + 1] == '\'') {
                        text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += expr[i++];
            }
            literal = text;
        } else if (wordAt(expr, i, "NULL")) {
            i += 4;
        } else {
            std::size_t b = i;
            while (i < expr.size() && (std::isalnum(static_cast<unsigned char>(expr[i])) ||
                                       expr[i] == '.' || expr[i] == ',' || expr[i] == '-'))
                ++i;
            if (b == i) throw bad();
            literal = std::string(expr.substr(b, i - b));
        }
        // The literal is compared in the column's type; an empty text is
        // an empty column.
        if (auto* str = std::get_if<std::string>(&literal); str && str->empty()) literal = Value{};
        t.literal = convertTo(set.fields()[t.column], literal, set.today());
        terms.push_back(std::move(t));
        skip();
        if (i == expr.size()) break;
        if (!wordAt(expr, i, "AND")) throw bad();
        i += 3;
    }
    return terms;
}

bool passesFilter(const Cell* row, const std::vector<FilterTerm>& terms) {
    for (const auto& t : terms) {
        const Cell& c = row[t.column];
        bool equal = isNull(t.literal) ? c.isNull() : (!c.isNull() && c.compare(t.literal) == 0);
        if (equal == t.notEqual) return false;
    }
    return true;
}

// ----- Values at the wrapper's boundary -----

fb::Value toFb(const Value& v, FieldType type) {
    if (isNull(v)) return std::monostate{};
    switch (type) {
        case FieldType::Integer:
            return std::get<std::int64_t>(v);
        case FieldType::Money:
            return fb::Decimal{std::get<std::int64_t>(v), 2};
        case FieldType::Decimal8:
            return fb::Decimal{std::get<std::int64_t>(v), 8};
        case FieldType::String:
            return std::get<std::string>(v);
        case FieldType::Date: {
            const QDate& d = std::get<QDate>(v);
            return fb::Date{d.year(), d.month(), d.day()};
        }
        case FieldType::Time: {
            const TimeOfDay& t = std::get<TimeOfDay>(v);
            return fb::Time{t.hour(), t.minute(), t.second(), t.tenThousandths()};
        }
    }
    return std::monostate{};
}

Value fromFb(const fb::Value& v, FieldType type) {
    if (fb::isNull(v)) return {};
    int scale = type == FieldType::Money ? 2 : type == FieldType::Decimal8 ? 8 : 0;
    return std::visit(
        [&](const auto& x) -> Value {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return {};
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                if (type == FieldType::String) return std::to_string(x);
                if (type == FieldType::Date || type == FieldType::Time) return {};
                return rescale(x, 0, scale);
            } else if constexpr (std::is_same_v<T, fb::Decimal>) {
                if (type == FieldType::String) return scaledToText(x.value, x.scale);
                if (type == FieldType::Date || type == FieldType::Time) return {};
                return rescale(x.value, x.scale, scale);
            } else if constexpr (std::is_same_v<T, double>) {
                if (type == FieldType::String) return std::to_string(x);
                double m = x;
                for (int k = 0; k < scale; ++k) m *= 10;
                return static_cast<std::int64_t>(std::llround(m));
            } else if constexpr (std::is_same_v<T, std::string>) {
                if (type == FieldType::String) return x;
                FieldDef f;
                f.type = type;
                return convertTo(f, Value{x}, QDate::currentDate());
            } else if constexpr (std::is_same_v<T, fb::Date>) {
                QDate d(x.year, x.month, x.day);
                if (type == FieldType::String) return formatDate(shortDatePattern(), d);
                return d;
            } else if constexpr (std::is_same_v<T, fb::Time>) {
                const TimeOfDay t = TimeOfDay::fromParts(x.hour, x.minute, x.second, x.fraction);
                if (type == FieldType::String) return formatTime(longTimePattern(), t.toQTime());
                return t;
            } else {  // fb::Timestamp
                QDate d(x.date.year, x.date.month, x.date.day);
                const TimeOfDay t = TimeOfDay::fromParts(x.time.hour, x.time.minute, x.time.second,
                                                         x.time.fraction);
                if (type == FieldType::Time) return t;
                if (type == FieldType::String) return formatDate(shortDatePattern(), d);
                return d;
            }
        },
        v);
}

}  // namespace detail
}  // namespace cp
