// Record set and server: reading the result of the SQL text into rows, and
// writing the change log back as statements of the update rule.
#include <algorithm>
#include <map>

#include "data/Connection.h"
#include "data/Formats.h"
#include "data/RecordSetImpl.h"

namespace cp {

namespace {

constexpr const char* kPrimaryKeyQuery =
    "select s.RDB$FIELD_NAME from RDB$RELATION_CONSTRAINTS c "
    "join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
    "where c.RDB$RELATION_NAME = ? and c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
    "order by s.RDB$FIELD_POSITION";

std::string rtrimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// How one result column is read into its field: straight from the fetch
// buffer when the types agree, through the typed value otherwise.
enum class ReadKind { Integer, Scaled, Text, Date, Time, Generic };

struct Reader {
    unsigned column;
    int field;
    ReadKind kind;
    int scale;  // for Scaled: the field's scale
    FieldType type;
};

}  // namespace

void RecordSet::fetchRows(Fetched& out) {
    fb::Attachment& attachment = connection_->attachment();
    fb::Transaction tr = attachment.startTransaction();

    // The primary key that orders a text without ORDER BY, read once.
    if (!primaryKeyOrderTable_.empty() &&
        (!d_->primaryKeyRead || d_->primaryKeyDatabase != connection_->database())) {
        std::vector<std::string> key;
        fb::Cursor pk = tr.open(kPrimaryKeyQuery, {detail::upperName(primaryKeyOrderTable_)});
        while (pk.fetch()) key.push_back(rtrimmed(pk.asText(0)));
        pk.close();
        d_->primaryKey = std::move(key);
        d_->primaryKeyDatabase = connection_->database();
        d_->primaryKeyRead = true;
    }

    fb::Cursor cur = tr.open(commandText_);
    const auto& columns = cur.columns();

    // Result columns to fields by name; a repeated name gets "_1", "_2"...
    std::vector<std::string> names;
    std::map<std::string, int> seen;
    std::vector<int> fieldOfColumn(columns.size(), -1);
    std::vector<bool> fieldFound(fields_.size(), false);
    std::vector<Reader> readers;
    for (unsigned i = 0; i < columns.size(); ++i) {
        std::string n = detail::upperName(columns[i].name);
        int k = seen[n]++;
        if (k > 0) n += "_" + std::to_string(k);
        names.push_back(n);
        int f = fieldIndex(n);
        if (f < 0 || fieldFound[f]) continue;
        fieldFound[f] = true;
        fieldOfColumn[i] = f;
        FieldType t = fields_[f].type;
        fb::ColumnType ct = columns[i].type;
        ReadKind kind = ReadKind::Generic;
        if (t == FieldType::Integer && ct == fb::ColumnType::Integer)
            kind = ReadKind::Integer;
        else if ((t == FieldType::Money || t == FieldType::Decimal8) &&
                 (ct == fb::ColumnType::Decimal || ct == fb::ColumnType::Integer))
            kind = ReadKind::Scaled;
        else if (t == FieldType::String && ct == fb::ColumnType::Text)
            kind = ReadKind::Text;
        else if (t == FieldType::Date && ct == fb::ColumnType::Date)
            kind = ReadKind::Date;
        else if (t == FieldType::Time && ct == fb::ColumnType::Time)
            kind = ReadKind::Time;
        readers.push_back({i, f, kind, t == FieldType::Money ? 2 : 8, t});
    }
    if (!lenientColumns_) {
        for (std::size_t f = 0; f < fields_.size(); ++f)
            if (!fieldFound[f])
                throw DataError(name_ + ": Field '" + fields_[f].name + "' not found");
    }

    CellStore store(fields_.size());
    std::vector<Row> rows;
    rows.reserve(d_->rows.size());  // a refresh reads about as many again
    while (cur.fetch()) {
        Row& row = rows.emplace_back();
        row.v = store.newRow();
        row.id = d_->nextId++;
        for (const Reader& r : readers) {
            if (cur.isNull(r.column)) continue;
            Cell& cell = row.v[r.field];
            switch (r.kind) {
                case ReadKind::Integer:
                    cell.setInt(cur.asInt64(r.column));
                    break;
                case ReadKind::Scaled: {
                    fb::Decimal d = cur.asDecimal(r.column);
                    cell.setInt(rescale(d.value, d.scale, r.scale));
                    break;
                }
                case ReadKind::Text:
                    cell.setText(cur.asText(r.column));
                    break;
                case ReadKind::Date: {
                    fb::Date d = cur.asDate(r.column);
                    cell.setDate(QDate(d.year, d.month, d.day));
                    break;
                }
                case ReadKind::Time: {
                    fb::Time t = cur.asTime(r.column);
                    cell.setTime(QTime(t.hour, t.minute, t.second, t.fraction / 10));
                    break;
                }
                case ReadKind::Generic:
                    cell.set(detail::fromFb(cur.value(r.column), r.type));
                    break;
            }
        }
    }
    cur.close();
    tr.commit();

    // The default order: the ORDER BY columns of this text, or the primary key.
    std::vector<OrderColumn> order;
    std::vector<std::string> orderNames;
    for (const OrderItem& item : detail::parseOrderBy(commandText_)) {
        std::string n = item.name;
        if (item.position > 0) {
            if (item.position > static_cast<int>(names.size())) break;
            n = names[item.position - 1];
        }
        int f = fieldIndex(n);
        if (f < 0) break;
        order.push_back({f, item.descending});
        orderNames.push_back(fields_[f].name);
    }
    if (order.empty() && !primaryKeyOrderTable_.empty()) {
        for (const auto& n : d_->primaryKey) {
            int f = fieldIndex(n);
            if (f < 0) break;
            order.push_back({f, false});
            orderNames.push_back(fields_[f].name);
        }
    }
    if (!order.empty()) {
        auto less = [&](const Row& a, const Row& b) {
            return detail::compareRows(a.v, b.v, order) < 0;
        };
        if (!std::is_sorted(rows.begin(), rows.end(), less))
            std::stable_sort(rows.begin(), rows.end(), less);
    }
    d_->order = std::move(order);
    orderNames_ = std::move(orderNames);
    out.store = std::move(store);
    out.rows = std::move(rows);
}

// ----- The change log as statements -----

RecordSet::Statement RecordSet::statementFor(const ChangeEntry& entry) const {
    Statement st;
    auto addWhere = [&] {
        bool anyKey = false;
        if (updateMode_ == UpdateMode::Key)
            for (const auto& f : fields_) anyKey = anyKey || (f.key && f.updatable);
        std::string where;
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            const FieldDef& f = fields_[i];
            if (!f.updatable || (anyKey && !f.key)) continue;
            if (!where.empty()) where += " and ";
            if (isNull(entry.original[i])) {
                where += f.name + " is null";
            } else {
                where += f.name + " = ?";
                st.params.push_back(entry.original[i]);
                st.paramColumns.push_back(static_cast<int>(i));
            }
        }
        st.sql += " where " + where;
    };
    switch (entry.kind) {
        case ChangeKind::Insert: {
            std::string cols, marks;
            for (std::size_t i = 0; i < fields_.size(); ++i) {
                if (!fields_[i].updatable || isNull(entry.current[i])) continue;
                if (!cols.empty()) {
                    cols += ", ";
                    marks += ", ";
                }
                cols += fields_[i].name;
                marks += "?";
                st.params.push_back(entry.current[i]);
                st.paramColumns.push_back(static_cast<int>(i));
            }
            st.sql = cols.empty()
                         ? "insert into " + updateTable_ + " default values"
                         : "insert into " + updateTable_ + " (" + cols + ") values (" + marks + ")";
            break;
        }
        case ChangeKind::Update: {
            std::string sets;
            for (std::size_t i = 0; i < fields_.size(); ++i) {
                if (!fields_[i].updatable || entry.current[i] == entry.original[i]) continue;
                if (!sets.empty()) sets += ", ";
                sets += fields_[i].name + " = ?";
                st.params.push_back(entry.current[i]);
                st.paramColumns.push_back(static_cast<int>(i));
            }
            if (sets.empty()) return {};  // nothing of the update table changed
            st.sql = "update " + updateTable_ + " set " + sets;
            addWhere();
            break;
        }
        case ChangeKind::Delete:
            st.sql = "delete from " + updateTable_;
            addWhere();
            break;
    }
    return st;
}

int RecordSet::applyUpdates(int maxErrors) {
    checkActive();
    checkBrowseMode();
    for (auto& e : log_) e.error.clear();
    if (log_.empty()) return 0;
    if (updateTable_.empty()) throw DataError(name_ + ": no table to apply the changes to");

    fb::Transaction tr = connection_->attachment().startTransaction();
    std::vector<bool> written(log_.size(), false);
    int failed = 0;
    bool rolledBack = false;
    for (std::size_t i = 0; i < log_.size(); ++i) {
        if (log_[i].kind == ChangeKind::Insert && beforeApplyInsert) {
            std::vector<Value> values = log_[i].current;
            try {
                beforeApplyInsert(*this, tr, values);
            } catch (const std::exception& e) {
                log_[i].error = e.what();
                ++failed;
                if (maxErrors >= 0 && failed > maxErrors) {
                    rolledBack = true;
                    break;
                }
                continue;
            }
            if (values != log_[i].current) {
                log_[i].current = values;
                storeWrittenValues(log_[i].rowId, values);
            }
        }
        Statement st = statementFor(log_[i]);
        if (st.sql.empty()) {
            written[i] = true;
            continue;
        }
        std::vector<fb::Value> params;
        params.reserve(st.params.size());
        for (std::size_t k = 0; k < st.params.size(); ++k)
            params.push_back(detail::toFb(st.params[k], fields_[st.paramColumns[k]].type));
        std::int64_t n = 0;
        try {
            n = tr.execute(st.sql, params);
        } catch (const fb::Error& e) {
            log_[i].error = e.what();
            ++failed;
        }
        if (log_[i].error.empty()) {
            if (n == 1) {
                written[i] = true;
            } else if (n == 0) {
                log_[i].error = "Record not found or changed by another user";
                ++failed;
            } else {
                log_[i].error = "The change would affect " + std::to_string(n) +
                                " records; nothing was written";
                ++failed;
                rolledBack = true;
                break;
            }
        }
        if (maxErrors >= 0 && failed > maxErrors) {
            rolledBack = true;
            break;
        }
    }
    if (rolledBack) {
        tr.rollback();
        for (auto& e : log_)
            if (e.error.empty()) e.error = "Not written: the apply was rolled back";
        return static_cast<int>(log_.size());
    }
    tr.commit();
    std::vector<ChangeEntry> kept;
    for (std::size_t i = 0; i < log_.size(); ++i)
        if (!written[i]) kept.push_back(std::move(log_[i]));
    log_ = std::move(kept);
    return failed;
}

// The values a hook of the apply set for a new row, in the row itself.
void RecordSet::storeWrittenValues(std::uint64_t rowId, const std::vector<Value>& values) {
    for (int p = 0; p < static_cast<int>(d_->rows.size()); ++p) {
        if (d_->rows[p].id != rowId) continue;
        for (std::size_t c = 0; c < values.size() && c < fields_.size(); ++c)
            d_->rows[p].v[c] = Cell(values[c]);
        const int vi = d_->visibleAtOrAfter(p);
        if (vi < d_->count() && d_->pos(vi) == p)
            for (const auto& [handle, fn] : std::map<int, Observer>(d_->observers))
                if (fn) fn({RecordSetNotice::RowChanged, vi, vi});
        return;
    }
}

std::vector<std::string> RecordSet::lastApplyErrors() const {
    std::vector<std::string> out;
    for (const auto& e : log_)
        if (!e.error.empty()) out.push_back(e.error);
    return out;
}

}  // namespace cp
