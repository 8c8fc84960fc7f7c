// Record set and server: reading the result of the SQL text into rows, and
// writing the change log back as statements of the update rule.
#include <algorithm>
#include <map>

#include "data/Connection.h"
#include "data/Formats.h"
#include "data/RecordSetImpl.h"
#include "data/Text.h"
#include "fb/Failure.h"

namespace cp {

namespace {

constexpr const char* kPrimaryKeyQuery =
    "select s.RDB$FIELD_NAME from RDB$RELATION_CONSTRAINTS c "
    "join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
    "where c.RDB$RELATION_NAME = ? and c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
    "order by s.RDB$FIELD_POSITION";

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
    connection_->run([&](fb::Attachment& attachment) { fetchRowsFrom(attachment, out); });
}

void RecordSet::fetchRowsFrom(fb::Attachment& attachment, Fetched& out) {
    fb::Transaction tr = attachment.startTransaction();

    // The primary key that orders a text without ORDER BY, read once.
    if (!primaryKeyOrderTable_.empty() &&
        (!d_->primaryKeyRead || d_->primaryKeyDatabase != connection_->database())) {
        std::vector<std::string> key;
        fb::Cursor pk = tr.open(kPrimaryKeyQuery, {detail::upperName(primaryKeyOrderTable_)});
        while (pk.fetch()) key.emplace_back(rtrim(pk.asText(0)));
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
                    cell.setTime(TimeOfDay::fromParts(t.hour, t.minute, t.second, t.fraction));
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

namespace {

// The record set's own words for a failure, when no describeFailure hook
// is set.
std::string defaultText(const ChangeEntry& entry, const std::exception* cause) {
    switch (entry.failure) {
        case ApplyFailure::Gone:
            return "the row is no longer in the database as it was read";
        case ApplyFailure::KeyTaken:
            return "the row's key is already taken";
        case ApplyFailure::Blocked:
            return "the row is held by " +
                   (entry.holder.empty() ? std::string("another transaction") : entry.holder);
        case ApplyFailure::TooManyRows:
            return "the change would reach " + std::to_string(entry.rowsFound) +
                   " rows; nothing was written";
        case ApplyFailure::NotWritten:
            return "not written: another change failed and the whole apply was undone";
        case ApplyFailure::Refused:
            return cause ? cause->what() : "refused";
        case ApplyFailure::None:
            break;
    }
    return {};
}

// "cannot update erased record": the row was deleted while this statement
// waited for it. The engine gives it no code of its own.
bool erasedWhileWaiting(const fb::Error& e) {
    return e.gdscode() == 335544382 &&
           std::string_view(e.what()).find("erased") != std::string_view::npos;
}

}  // namespace

void RecordSet::failChange(ChangeEntry& entry, ApplyFailure failure,
                           const std::exception* cause) const {
    entry.failure = failure;
    entry.error =
        describeFailure ? describeFailure(*this, entry, cause) : defaultText(entry, cause);
}

// Runs the statement of one change in `tr`; sets its failure, or leaves it
// None when exactly one row was written. A lost connection goes on to the
// caller. `tooMany` is set when the statement found more than one row.
void RecordSet::writeChange(fb::Transaction& tr, ChangeEntry& entry, bool& tooMany) {
    Statement st = statementFor(entry);
    if (st.sql.empty()) return;
    std::vector<fb::Value> params;
    params.reserve(st.params.size());
    for (std::size_t k = 0; k < st.params.size(); ++k)
        params.push_back(detail::toFb(st.params[k], fields_[st.paramColumns[k]].type));
    // A conflict whose holder has ended by now (it committed while this one
    // waited) is over: the statement runs once more and sees its result.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::int64_t n = 0;
        try {
            n = tr.executeReusing(st.sql, params);
        } catch (const fb::Error& e) {
            const fb::Failure kind = fb::classify(e);
            if (fb::isConnectionLost(kind)) throw;
            entry.serverText = e.what();
            if (kind == fb::Failure::DuplicateKey) {
                failChange(entry, ApplyFailure::KeyTaken, &e);
            } else if (erasedWhileWaiting(e)) {
                failChange(entry, ApplyFailure::Gone, &e);
            } else if (kind == fb::Failure::Conflict) {
                std::optional<std::string> holder = std::string();
                if (auto txn = e.numberOf(fb::kConcurrentTransaction); txn && lockHolder) {
                    try {
                        holder = lockHolder(tr, *txn);
                    } catch (const fb::Error& lookup) {
                        if (fb::isConnectionLost(lookup)) throw;
                        holder = std::string();  // not allowed to look
                    }
                    if (!holder && attempt == 0) continue;
                }
                entry.holder = holder.value_or(std::string());
                failChange(entry, ApplyFailure::Blocked, &e);
            } else {
                failChange(entry, ApplyFailure::Refused, &e);
            }
            return;
        }
        if (n == 1) return;
        if (n == 0) {
            failChange(entry, ApplyFailure::Gone, nullptr);
        } else {
            entry.rowsFound = n;
            failChange(entry, ApplyFailure::TooManyRows, nullptr);
            tooMany = true;
        }
        return;
    }
}

int RecordSet::applyOnce(fb::Transaction& tr, int maxErrors, std::vector<bool>& written,
                         bool& rolledBack) {
    int failed = 0;
    rolledBack = false;
    for (std::size_t i = 0; i < log_.size(); ++i) {
        ChangeEntry& entry = log_[i];
        entry.error.clear();
        entry.serverText.clear();
        entry.holder.clear();
        entry.rowsFound = 0;
        entry.failure = ApplyFailure::None;
        bool tooMany = false;
        // A server refusal inside a hook fails the change as its own
        // statement would; a lost connection goes on to the caller.
        auto refuse = [this, &entry](const std::exception& e) {
            if (auto* f = dynamic_cast<const fb::Error*>(&e)) {
                if (fb::isConnectionLost(*f)) throw;
                entry.serverText = f->what();
            }
            failChange(entry, ApplyFailure::Refused, &e);
        };
        if (entry.kind == ChangeKind::Insert && beforeApplyInsert) {
            std::vector<Value> values = entry.current;
            try {
                beforeApplyInsert(*this, tr, values);
            } catch (const std::exception& e) {
                refuse(e);
            }
            if (entry.failure == ApplyFailure::None && values != entry.current) {
                entry.current = values;
                storeWrittenValues(entry.rowId, values);
            }
        }
        // With companion writes a change may span several statements: a
        // savepoint, set before the first statement the companion sends,
        // makes it land whole or not at all. A change the companion sends
        // nothing for is its own statement, which fails whole by itself.
        bool emPartes = false;
        if (companionWrite && entry.failure == ApplyFailure::None) {
            tr.deferSavepoint("CP_ALTERACAO");
            try {
                companionWrite(tr, entry);
            } catch (const std::exception& e) {
                refuse(e);  // a lost connection goes on, its transaction with it
            }
            emPartes = tr.takeDeferredSavepoint();
        }
        if (entry.failure == ApplyFailure::None) writeChange(tr, entry, tooMany);
        written[i] = entry.failure == ApplyFailure::None;
        if (emPartes && !tooMany)
            tr.execute(written[i] ? "release savepoint CP_ALTERACAO only"
                                  : "rollback to savepoint CP_ALTERACAO");
        if (!written[i]) ++failed;
        if (tooMany || (maxErrors >= 0 && failed > maxErrors)) {
            rolledBack = true;
            break;
        }
    }
    return failed;
}

int RecordSet::applyUpdates(int maxErrors) {
    checkActive();
    checkBrowseMode();
    for (auto& e : log_) {
        e.error.clear();
        e.serverText.clear();
        e.holder.clear();
        e.rowsFound = 0;
        e.failure = ApplyFailure::None;
    }
    if (log_.empty()) return 0;
    if (updateTable_.empty()) throw DataError(name_ + ": no table to apply the changes to");

    std::vector<bool> written(log_.size(), false);
    bool rolledBack = false;
    bool commitSent = false;
    const int failed = connection_->run(
        [&](fb::Attachment& a) {
            commitSent = false;
            fb::Transaction tr = a.startTransaction();
            std::fill(written.begin(), written.end(), false);
            const int n = applyOnce(tr, maxErrors, written, rolledBack);
            if (rolledBack) {
                tr.rollback();
            } else {
                commitSent = true;
                tr.commit();
            }
            return n;
        },
        [&] { return !commitSent; });
    if (rolledBack) {
        for (auto& e : log_)
            if (e.failure == ApplyFailure::None) failChange(e, ApplyFailure::NotWritten, nullptr);
        return static_cast<int>(log_.size());
    }
    std::vector<ChangeEntry> kept;
    for (std::size_t i = 0; i < log_.size(); ++i)
        if (!written[i]) kept.push_back(std::move(log_[i]));
    log_ = std::move(kept);
    return failed;
}

int RecordSet::applyTogether(const std::vector<RecordSet*>& sets,
                             const std::function<void(fb::Transaction&)>& atStart) {
    std::vector<RecordSet*> withChanges;
    for (RecordSet* rs : sets) {
        rs->checkActive();
        rs->checkBrowseMode();
        for (auto& e : rs->log_) {
            e.error.clear();
            e.serverText.clear();
            e.holder.clear();
            e.rowsFound = 0;
            e.failure = ApplyFailure::None;
        }
        if (rs->log_.empty()) continue;
        if (rs->updateTable_.empty())
            throw DataError(rs->name_ + ": no table to apply the changes to");
        if (!withChanges.empty() && rs->connection_ != withChanges.front()->connection_)
            throw DataError(rs->name_ + ": written together with a set of another connection");
        withChanges.push_back(rs);
    }
    if (withChanges.empty()) return 0;

    bool failed = false;
    bool commitSent = false;
    withChanges.front()->connection_->run(
        [&](fb::Attachment& a) {
            commitSent = false;
            failed = false;
            fb::Transaction tr = a.startTransaction();
            if (atStart) {
                try {
                    atStart(tr);
                } catch (const std::exception& e) {
                    if (auto* f = dynamic_cast<const fb::Error*>(&e); f && fb::isConnectionLost(*f))
                        throw;
                    // Nothing was written: the first change takes the reason.
                    RecordSet* first = withChanges.front();
                    if (auto* f = dynamic_cast<const fb::Error*>(&e))
                        first->log_.front().serverText = f->what();
                    first->failChange(first->log_.front(), ApplyFailure::Refused, &e);
                    failed = true;
                    tr.rollback();
                    return;
                }
            }
            for (RecordSet* rs : withChanges) {
                std::vector<bool> written(rs->log_.size(), false);
                bool rolledBack = false;
                if (rs->applyOnce(tr, 0, written, rolledBack) > 0 || rolledBack) {
                    failed = true;
                    break;
                }
            }
            if (failed) {
                tr.rollback();
            } else {
                commitSent = true;
                tr.commit();
            }
        },
        [&] { return !commitSent; });
    if (!failed) {
        for (RecordSet* rs : withChanges) rs->log_.clear();
        return 0;
    }
    int pending = 0;
    for (RecordSet* rs : withChanges)
        for (auto& e : rs->log_) {
            if (e.failure == ApplyFailure::None)
                rs->failChange(e, ApplyFailure::NotWritten, nullptr);
            ++pending;
        }
    return pending;
}

int RecordSet::discardFinalChanges() {
    const std::size_t before = log_.size();
    std::erase_if(log_, [](const ChangeEntry& e) { return isFinal(e.failure); });
    return static_cast<int>(before - log_.size());
}

// The values a hook of the apply set for a new row, in the row itself.
void RecordSet::storeWrittenValues(std::uint64_t rowId, const std::vector<Value>& values) {
    for (int p = 0; p < static_cast<int>(d_->rows.size()); ++p) {
        if (d_->rows[p].id != rowId) continue;
        for (std::size_t c = 0; c < values.size() && c < fields_.size(); ++c)
            d_->rows[p].v[c] = Cell(values[c]);
        const int vi = d_->visibleAtOrAfter(p);
        if (vi < d_->count() && d_->pos(vi) == p)
            notifyObservers(*d_, {RecordSetNotice::RowChanged, vi, vi});
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
