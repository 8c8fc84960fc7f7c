#include "data/Field.h"

#include "data/EditMask.h"
#include "data/Formats.h"
#include "data/RecordSet.h"
#include "data/Text.h"

namespace cp {

namespace {

// Money and the eight-decimal numbers are stored as DECIMAL(15, scale): a
// scaled value of more than fifteen digits would be cut by the server.
bool fitsDecimal15(std::int64_t scaled) {
    constexpr std::int64_t kLimit = 1'000'000'000'000'000;  // 10^15
    return scaled < kLimit && scaled > -kLimit;
}

}  // namespace

// ----- Column definitions -----

FieldDef FieldDef::integer(std::string name, bool required, bool key) {
    FieldDef f;
    f.name = std::move(name);
    f.type = FieldType::Integer;
    f.required = required;
    f.key = key;
    return f;
}

FieldDef FieldDef::string(std::string name, int size, bool required, bool key) {
    FieldDef f;
    f.name = std::move(name);
    f.type = FieldType::String;
    f.size = size;
    f.required = required;
    f.key = key;
    return f;
}

FieldDef FieldDef::money(std::string name) {
    FieldDef f;
    f.name = std::move(name);
    f.type = FieldType::Money;
    return f;
}

FieldDef FieldDef::decimal8(std::string name) {
    FieldDef f;
    f.name = std::move(name);
    f.type = FieldType::Decimal8;
    return f;
}

FieldDef FieldDef::date(std::string name, std::string displayFormat, std::string editMask) {
    FieldDef f;
    f.name = std::move(name);
    f.type = FieldType::Date;
    f.displayFormat = std::move(displayFormat);
    f.editMask = std::move(editMask);
    return f;
}

FieldDef FieldDef::time(std::string name, std::string editMask) {
    FieldDef f;
    f.name = std::move(name);
    f.type = FieldType::Time;
    f.editMask = std::move(editMask);
    return f;
}

// ----- Conversions -----

namespace {

int scaleOf(FieldType t) { return t == FieldType::Money ? 2 : t == FieldType::Decimal8 ? 8 : 0; }

std::string typeName(FieldType t) {
    switch (t) {
        case FieldType::Integer:
            return "Integer";
        case FieldType::String:
            return "String";
        case FieldType::Money:
        case FieldType::Decimal8:
            return "Float";
        case FieldType::Date:
            return "Date";
        case FieldType::Time:
            return "Time";
    }
    return "?";
}

[[noreturn]] void accessError(const FieldDef& f, const char* as) {
    throw DataError("Cannot access field '" + f.name + "' as type " + as);
}

// The edit pattern a date or time mask stands for: its runs of positions are
// day, month and year (or hour, minute and second).
std::string maskPattern(const EditMask& mask, bool date) {
    std::string out;
    const auto& groups = mask.groups();
    for (std::size_t k = 0; k < groups.size(); ++k) {
        if (k > 0) out += date ? '/' : ':';
        if (date)
            out += k == 0 ? "dd" : k == 1 ? "mm" : groups[k].second >= 4 ? "yyyy" : "yy";
        else
            out += k == 0 ? "hh" : k == 1 ? "nn" : "ss";
    }
    return out;
}

}  // namespace

const FieldDef& Field::def() const { return set_->fields()[col_]; }

Value Field::value() const { return set_->cell(row_, col_); }

bool Field::isNull() const { return cp::isNull(value()); }

void Field::clear() { set_->setCell(row_, col_, Value{}); }

void Field::setValue(Value v) {
    const FieldDef& f = def();
    if (cp::isNull(v)) return clear();
    if (auto* s = std::get_if<std::string>(&v)) return setAsString(*s);
    switch (f.type) {
        case FieldType::Integer:
        case FieldType::Money:
        case FieldType::Decimal8:
            if (!std::holds_alternative<std::int64_t>(v)) accessError(f, typeName(f.type).c_str());
            if (f.type == FieldType::Integer) return setAsInteger(std::get<std::int64_t>(v));
            if (!fitsDecimal15(std::get<std::int64_t>(v)))
                throw DataError(msgInvalidFloat(
                    scaledToText(std::get<std::int64_t>(v), scaleOf(f.type)), f.name));
            return set_->setCell(row_, col_, std::move(v));
        case FieldType::String:
            if (auto* i = std::get_if<std::int64_t>(&v)) return setAsString(std::to_string(*i));
            if (auto* d = std::get_if<QDate>(&v))
                return setAsString(formatDate(shortDatePattern(), *d));
            if (auto* t = std::get_if<TimeOfDay>(&v))
                return setAsString(formatTime(longTimePattern(), t->toQTime()));
            break;
        case FieldType::Date:
            if (auto* d = std::get_if<QDate>(&v)) return setAsDate(*d);
            accessError(f, "Date");
        case FieldType::Time:
            if (auto* t = std::get_if<TimeOfDay>(&v)) {
                if (!t->isValid()) return clear();
                return set_->setCell(row_, col_, *t);
            }
            accessError(f, "Time");
    }
}

std::string Field::asString() const {
    const Value& v = value();
    if (cp::isNull(v)) return {};
    switch (type()) {
        case FieldType::String:
            return std::get<std::string>(v);
        case FieldType::Integer:
            return std::to_string(std::get<std::int64_t>(v));
        case FieldType::Money:
        case FieldType::Decimal8:
            return scaledToText(std::get<std::int64_t>(v), scaleOf(type()));
        case FieldType::Date:
            return formatDate(shortDatePattern(), std::get<QDate>(v));
        case FieldType::Time:
            return formatTime(longTimePattern(), std::get<TimeOfDay>(v).toQTime());
    }
    return {};
}

void Field::setAsString(std::string_view text) {
    const FieldDef& f = def();
    if (text.empty()) return clear();
    switch (f.type) {
        case FieldType::String: {
            std::string s(text.substr(
                0, f.size > 0 ? std::min<std::size_t>(text.size(), f.size) : text.size()));
            return set_->setCell(row_, col_, std::move(s));
        }
        case FieldType::Integer: {
            auto v = parseInteger(text);
            if (!v) throw DataError(msgInvalidInteger(text, f.name));
            return set_->setCell(row_, col_, *v);
        }
        case FieldType::Money:
        case FieldType::Decimal8: {
            auto v = parseScaled(text, scaleOf(f.type));
            // The columns are DECIMAL(15, scale): fifteen digits in all.
            if (!v || !fitsDecimal15(*v)) throw DataError(msgInvalidFloat(text, f.name));
            return set_->setCell(row_, col_, *v);
        }
        case FieldType::Date: {
            auto d = parseDate(text, set_->today());
            if (!d) throw DataError(msgInvalidDate(trim(text)));
            return set_->setCell(row_, col_, *d);
        }
        case FieldType::Time: {
            auto t = parseTime(text);
            if (!t) throw DataError(msgInvalidTime(trim(text)));
            return set_->setCell(row_, col_, *t);
        }
    }
}

std::int64_t Field::asInteger() const {
    const Value& v = value();
    if (cp::isNull(v)) return 0;
    switch (type()) {
        case FieldType::Integer:
            return std::get<std::int64_t>(v);
        case FieldType::Money:
        case FieldType::Decimal8:
            return rescaleTruncated(std::get<std::int64_t>(v), scaleOf(type()), 0);
        case FieldType::String:
            return integerFromText(std::get<std::string>(v), def().name);
        default:
            accessError(def(), "Integer");
    }
}

void Field::setAsInteger(std::int64_t v) {
    const FieldDef& f = def();
    switch (f.type) {
        case FieldType::Integer:
            if (v > 2147483647LL || v < -2147483648LL)
                throw DataError(msgInvalidInteger(std::to_string(v), f.name));
            return set_->setCell(row_, col_, v);
        case FieldType::Money:
        case FieldType::Decimal8:
            return set_->setCell(row_, col_, rescaleTruncated(v, 0, scaleOf(f.type)));
        case FieldType::String:
            return setAsString(std::to_string(v));
        default:
            accessError(f, "Integer");
    }
}

std::int64_t Field::asMoney() const {
    const Value& v = value();
    if (cp::isNull(v)) return 0;
    switch (type()) {
        case FieldType::Integer:
        case FieldType::Money:
        case FieldType::Decimal8: {
            // Half away from zero to cents.
            return rescale(std::get<std::int64_t>(v), scaleOf(type()), 2);
        }
        case FieldType::String: {
            const std::string& s = std::get<std::string>(v);
            auto m = parseScaled(s, 2);
            if (!m) throw DataError(msgInvalidFloat(s, name()));
            return *m;
        }
        default:
            accessError(def(), "Float");
    }
}

void Field::setAsMoney(std::int64_t cents) {
    const FieldDef& f = def();
    switch (f.type) {
        case FieldType::Money:
            if (!fitsDecimal15(cents))
                throw DataError(msgInvalidFloat(scaledToText(cents, 2), f.name));
            return set_->setCell(row_, col_, cents);
        case FieldType::Decimal8:
            return set_->setCell(row_, col_, cents * 1000000);
        case FieldType::Integer:
            return setAsInteger(rescaleTruncated(cents, 2, 0));
        case FieldType::String:
            return setAsString(scaledToText(cents, 2));
        default:
            accessError(f, "Float");
    }
}

std::int64_t Field::asDecimal8() const {
    const Value& v = value();
    if (cp::isNull(v)) return 0;
    switch (type()) {
        case FieldType::Integer:
        case FieldType::Money:
        case FieldType::Decimal8:
            return rescaleTruncated(std::get<std::int64_t>(v), scaleOf(type()), 8);
        case FieldType::String: {
            const std::string& s = std::get<std::string>(v);
            auto m = parseScaled(s, 8);
            if (!m) throw DataError(msgInvalidFloat(s, name()));
            return *m;
        }
        default:
            accessError(def(), "Float");
    }
}

void Field::setAsDecimal8(std::int64_t units) {
    const FieldDef& f = def();
    switch (f.type) {
        case FieldType::Decimal8:
            return set_->setCell(row_, col_, units);
        case FieldType::Money:
            return set_->setCell(row_, col_, rescale(units, 8, 2));
        case FieldType::Integer:
            return setAsInteger(rescaleTruncated(units, 8, 0));
        case FieldType::String:
            return setAsString(scaledToText(units, 8));
        default:
            accessError(f, "Float");
    }
}

double Field::asDouble() const {
    const Value& v = value();
    if (cp::isNull(v)) return 0.0;
    switch (type()) {
        case FieldType::Integer:
            return static_cast<double>(std::get<std::int64_t>(v));
        case FieldType::Money:
            return static_cast<double>(std::get<std::int64_t>(v)) / 100.0;
        case FieldType::Decimal8:
            return static_cast<double>(std::get<std::int64_t>(v)) / 1e8;
        case FieldType::String:
            return static_cast<double>(asDecimal8()) / 1e8;
        default:
            accessError(def(), "Float");
    }
}

QDate Field::asDate() const {
    const Value& v = value();
    if (cp::isNull(v)) return {};
    if (auto* d = std::get_if<QDate>(&v)) return *d;
    if (auto* s = std::get_if<std::string>(&v)) {
        if (trim(*s).empty()) return {};
        auto d = parseDate(*s, set_->today());
        if (!d) throw DataError(msgInvalidDate(trim(*s)));
        return *d;
    }
    accessError(def(), "Date");
}

void Field::setAsDate(const QDate& d) {
    const FieldDef& f = def();
    if (!d.isValid()) return clear();
    if (f.type == FieldType::Date) return set_->setCell(row_, col_, d);
    if (f.type == FieldType::String) return setAsString(formatDate(shortDatePattern(), d));
    accessError(f, "Date");
}

QTime Field::asTime() const {
    const Value& v = value();
    if (cp::isNull(v)) return {};
    if (auto* t = std::get_if<TimeOfDay>(&v)) return t->toQTime();
    if (auto* s = std::get_if<std::string>(&v)) {
        if (trim(*s).empty()) return {};
        auto t = parseTime(*s);
        if (!t) throw DataError(msgInvalidTime(trim(*s)));
        return *t;
    }
    accessError(def(), "Time");
}

void Field::setAsTime(const QTime& t) {
    const FieldDef& f = def();
    if (!t.isValid()) return clear();
    if (f.type == FieldType::Time) return set_->setCell(row_, col_, TimeOfDay(t));
    if (f.type == FieldType::String) return setAsString(formatTime(longTimePattern(), t));
    accessError(f, "Time");
}

// ----- Display and edit text -----

std::string Field::displayText() const {
    const Value& v = value();
    if (cp::isNull(v)) return {};
    const FieldDef& f = def();
    switch (f.type) {
        case FieldType::Integer:
        case FieldType::Money:
        case FieldType::Decimal8:
            if (!f.displayFormat.empty())
                return formatScaled(f.displayFormat, std::get<std::int64_t>(v), scaleOf(f.type));
            return asString();
        case FieldType::Date:
            return formatDate(f.displayFormat.empty() ? shortDatePattern() : f.displayFormat,
                              std::get<QDate>(v));
        case FieldType::Time:
            return formatTime(f.displayFormat.empty() ? longTimePattern() : f.displayFormat,
                              std::get<TimeOfDay>(v).toQTime());
        case FieldType::String:
            return std::get<std::string>(v);
    }
    return {};
}

std::string Field::editText() const {
    const Value& v = value();
    if (cp::isNull(v)) return {};
    const FieldDef& f = def();
    EditMask mask(f.editMask);
    switch (f.type) {
        case FieldType::Date:
            if (!mask.empty())
                return mask.display(formatDate(maskPattern(mask, true), std::get<QDate>(v)));
            return displayText();
        case FieldType::Time:
            if (!mask.empty())
                return mask.display(
                    formatTime(maskPattern(mask, false), std::get<TimeOfDay>(v).toQTime()));
            return displayText();
        case FieldType::Money:
        case FieldType::Decimal8: {
            std::string pattern = f.displayFormat;
            std::erase(pattern, ',');  // no grouping while editing
            if (pattern.empty()) return asString();
            return formatScaled(pattern, std::get<std::int64_t>(v), scaleOf(f.type));
        }
        case FieldType::String:
            if (!mask.empty()) return mask.display(std::get<std::string>(v));
            return std::get<std::string>(v);
        case FieldType::Integer:
            return asString();
    }
    return {};
}

void Field::setEditText(std::string_view text) {
    const FieldDef& f = def();
    if (text.empty()) return clear();
    std::string typed(text);
    if (!f.editMask.empty()) {
        auto masked = EditMask(f.editMask).apply(typed);
        if (!masked) throw DataError(kMsgInvalidInput);
        typed = *masked;
        if (f.type != FieldType::String &&
            trim(typed).find_first_of("0123456789") == std::string::npos)
            return clear();  // only optional positions, none typed
    }
    if (f.type == FieldType::String) return setAsString(typed);
    // Numbers, dates and times: surrounding blanks are not part of the value.
    std::string t(trim(typed));
    if (t.empty()) return clear();
    setAsString(t);
}

std::int64_t integerFromText(std::string_view text, std::string_view field) {
    if (trim(text).empty()) return 0;
    if (auto i = parseInteger(text)) return *i;
    throw DataError(msgInvalidInteger(text, field));
}

}  // namespace cp
