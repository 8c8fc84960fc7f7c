#include "data/Query.h"

#include "data/Connection.h"
#include "data/Field.h"

namespace cp {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace

Query::Query(std::string name, Connection& connection)
    : name_(std::move(name)), connection_(&connection) {}

void Query::setText(std::string sql) {
    close();
    text_ = std::move(sql);
}

void Query::open() {
    if (active_) return;
    std::vector<fb::ColumnInfo> columns;
    std::vector<std::vector<fb::Value>> rows;
    connection_->run([&](fb::Attachment& a) {
        fb::Transaction tr = a.startTransaction();
        fb::Cursor cur = tr.open(text_);
        columns = cur.columns();
        rows.clear();
        while (cur.fetch()) {
            std::vector<fb::Value> row;
            row.reserve(columns.size());
            for (unsigned i = 0; i < columns.size(); ++i) row.push_back(cur.value(i));
            rows.push_back(std::move(row));
        }
        cur.close();
        tr.commit();
    });
    columns_ = std::move(columns);
    rows_ = std::move(rows);
    row_ = 0;
    active_ = true;
}

void Query::close() {
    active_ = false;
    columns_.clear();
    rows_.clear();
    row_ = 0;
}

int Query::columnIndex(std::string_view column) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (sameName(columns_[i].name, column)) return static_cast<int>(i);
    throw DataError(name_ + ": Field '" + std::string(column) + "' not found");
}

const fb::Value& Query::value(std::string_view column) const {
    static const fb::Value null;
    int c = columnIndex(column);
    if (row_ >= rows_.size()) return null;
    return rows_[row_][c];
}

bool Query::isNull(std::string_view column) const { return fb::isNull(value(column)); }

std::int64_t Query::asInteger(std::string_view column) const {
    const fb::Value& v = value(column);
    if (auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (auto* d = std::get_if<fb::Decimal>(&v)) {
        std::int64_t x = d->value;
        for (int k = 0; k < d->scale; ++k) x /= 10;
        return x;
    }
    if (auto* f = std::get_if<double>(&v)) return static_cast<std::int64_t>(*f);
    if (auto* s = std::get_if<std::string>(&v)) {
        return integerFromText(*s, column);
    }
    return 0;
}

std::string Query::asString(std::string_view column) const {
    const fb::Value& v = value(column);
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<fb::Decimal>(&v)) {
        bool neg = d->value < 0;
        std::string digits = std::to_string(neg ? -d->value : d->value);
        if (d->scale > 0) {
            while (static_cast<int>(digits.size()) <= d->scale) digits.insert(0, 1, '0');
            digits.insert(digits.size() - d->scale, 1, '.');
        }
        return neg ? "-" + digits : digits;
    }
    if (auto* f = std::get_if<double>(&v)) return std::to_string(*f);
    if (auto* dt = std::get_if<fb::Date>(&v)) {
        char b[32];
        std::snprintf(b, sizeof b, "%02d/%02d/%04d", dt->day, dt->month, dt->year);
        return b;
    }
    if (auto* t = std::get_if<fb::Time>(&v)) {
        char b[32];
        std::snprintf(b, sizeof b, "%02d:%02d:%02d", t->hour, t->minute, t->second);
        return b;
    }
    return {};
}

}  // namespace cp
