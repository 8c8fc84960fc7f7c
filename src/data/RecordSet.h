// The in-memory record set: a named table filled by running an SQL text on a
// connection. It holds every row of the result in memory, a cursor, an edit
// state, a change log of the rows inserted, changed and deleted since the
// last apply, a client-side filter, the default order taken from the ORDER BY
// of its text (kept sorted, so searches are logarithmic), and the events the
// persistence rules hook.
//
// Rows are addressed two ways: the cursor (current row, used by the screens'
// edit boxes and by the program's logic) and visible row indexes 0..rowCount()-1
// (used by grids, without moving the cursor). Rows hidden by the filter are
// neither shown, counted nor found.
#pragma once

#include <QDate>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Field.h"

namespace fb {
class Attachment;
class Transaction;
}  // namespace fb

namespace cp {

class Connection;
struct Fetched;

enum class RecordSetState { Inactive, Browse, Edit, Insert };

// How an apply finds a changed or deleted row again in the update table.
enum class UpdateMode {
    Key,         // WHERE on the key columns, with their values as read
    AllColumns,  // WHERE on every column as read; "is null" for empty ones
};

enum class ChangeKind { Insert, Update, Delete };

// Why the last apply could not write a change.
enum class ApplyFailure {
    None,
    Gone,         // the row is no longer there as it was read (deleted or changed meanwhile)
    KeyTaken,     // its key is already taken by another row
    Blocked,      // another transaction held the row for longer than the lock time-out
    TooManyRows,  // the statement would change more than one row
    NotWritten,   // another change failed and the whole apply was undone
    Refused,      // the server refused it for another reason
};

// A change that can never be written as it is: its row is gone or its key
// is taken; only discarding it (and reading the rows again) gets past it.
inline bool isFinal(ApplyFailure f) {
    return f == ApplyFailure::Gone || f == ApplyFailure::KeyTaken;
}

// One pending change of the log.
struct ChangeEntry {
    ChangeKind kind = ChangeKind::Update;
    std::uint64_t rowId = 0;
    std::vector<Value> original;  // values as read (Update, Delete)
    std::vector<Value> current;   // values as posted (Insert, Update)
    // Why the last apply could not write it (UTF-8), as the describeFailure
    // hook words it; empty if not tried. The server's own words, if any, are
    // in serverText.
    std::string error;
    ApplyFailure failure = ApplyFailure::None;
    std::string serverText;
    // For Blocked: who held the row, as the lockHolder hook named it (empty:
    // not known). For TooManyRows: how many rows the statement found.
    std::string holder;
    std::int64_t rowsFound = 0;
};

// What a grid adapter is told. Rows are visible row indexes.
struct RecordSetNotice {
    enum Kind {
        Reset,           // everything changed: opened, closed, refreshed, filter switched
        RowInserted,     // a row appeared at `row`
        RowRemoved,      // the row at `row` went away
        RowChanged,      // values of the row at `row` changed
        RowMoved,        // the row at `previousRow` now stands at `row` (sorted after a post)
        CurrentChanged,  // the cursor moved from `previousRow` to `row` (-1: no row)
        StateChanged,    // browse / edit / insert / inactive
    } kind = Reset;
    int row = -1;
    int previousRow = -1;
};

class RecordSet {
  public:
    using Event = std::function<void(RecordSet&)>;
    using ErrorEvent = std::function<void(RecordSet&, const DataError&)>;
    using Observer = std::function<void(const RecordSetNotice&)>;

    RecordSet(std::string name, Connection& connection, std::vector<FieldDef> fields,
              std::string commandText, UpdateMode mode, std::string updateTable);
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;
    ~RecordSet();

    const std::string& name() const { return name_; }
    Connection& connection() const { return *connection_; }

    // ----- Columns -----
    const std::vector<FieldDef>& fields() const { return fields_; }
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    int fieldIndex(std::string_view name) const;  // without regard to case; -1 if none
    // The column of the current row. Unknown names throw
    // "<set>: Field '<name>' not found".
    Field field(std::string_view name);
    Field field(int column) { return Field(*this, column); }

    // ----- SQL text, update rule -----
    const std::string& commandText() const { return commandText_; }
    // Refused on an open set ("Cannot perform this operation on an open dataset").
    void setCommandText(std::string sql);
    UpdateMode updateMode() const { return updateMode_; }
    void setUpdateMode(UpdateMode mode) { updateMode_ = mode; }
    const std::string& updateTable() const { return updateTable_; }
    void setUpdateTable(std::string table) { updateTable_ = std::move(table); }
    // When true, the result's columns are matched to the fields by name: a
    // repeated name gets "_1", "_2"...; result columns without a field are
    // dropped and fields without a result column stay empty. When false (the
    // default) a field missing from the result fails the open.
    void setLenientColumns(bool on) { lenientColumns_ = on; }
    // For a text without ORDER BY: keep the rows in the order of the primary
    // key that the server reports for this table (read once per connection).
    void setPrimaryKeyOrderTable(std::string table) { primaryKeyOrderTable_ = std::move(table); }

    // Two-digit years typed or read back go in the hundred years that begin
    // 50 years before the current year given by this clock.
    void setClock(std::function<QDate()> today) { today_ = std::move(today); }
    QDate today() const;

    // ----- Open, close -----
    // Runs the text and reads every row (sorted on the default order); fires
    // afterScroll when the result is not empty. A server error leaves it closed.
    void open();
    // Fires beforeClose, then drops the rows and every unapplied change.
    void close();
    bool active() const { return state_ != RecordSetState::Inactive; }
    // Re-runs the same text and finds the current row again by its key
    // columns (by its position when the set has no key). When that row is
    // gone, the cursor stands on the row that now sorts in its place (the
    // last row when none follows), afterScroll fires, and the result is
    // false; it is true when the row was found again or there was none.
    // Refused with "Must apply updates before refreshing data" while the
    // change log holds changes.
    bool refresh();
    // Columns of the default order (from the ORDER BY of the text last opened).
    const std::vector<std::string>& defaultOrder() const { return orderNames_; }

    // ----- Cursor -----
    // Moving first posts a pending edit that was changed (an unchanged one is
    // cancelled). afterScroll fires when the current row changes.
    void first();
    void last();
    void next();           // at the last row: stays, eof() becomes true
    void prior();          // at the first row: stays, bof() becomes true
    void moveTo(int row);  // visible row index; clamped to the rows
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return rowCount() == 0; }
    int recordCount() const { return rowCount(); }
    int recNo() const { return current_ + 1; }   // 1-based; 0 when empty
    int currentRow() const { return current_; }  // visible index; -1 when empty

    // Exact search on the default order: the first row whose order columns
    // equal the values (fewer values compare fewer columns; texts longer than
    // their column are cut first, trailing blanks do not count). The cursor
    // moves only when found.
    bool findKey(const std::vector<Value>& values);
    // Nearest search: the first row whose order columns are equal to or after
    // the values; the last row when every row sorts before them. False only
    // when the set shows no row.
    bool findNearest(const std::vector<Value>& values);

    // ----- Editing -----
    RecordSetState state() const { return state_; }
    // Puts the current row in edit; on an empty set inserts a new row instead.
    void edit();
    void insert();  // a new empty row before the current one
    void append();  // a new empty row at the end
    // Stores the edited or inserted row and logs it, then afterPost. A
    // required column left empty: onPostError, then "Field '%s' must have a
    // value"; the row stays in edit. In browse state does nothing.
    void post();
    void cancel();  // drops the edit; an inserted row goes away
    // Removes the current row and logs it, then afterDelete; the cursor moves
    // to the next row (afterScroll). In insert state cancels the new row.
    void remove();
    bool modified() const { return modified_; }

    // ----- Change log -----
    int changeCount() const { return static_cast<int>(log_.size()); }
    const std::vector<ChangeEntry>& changes() const { return log_; }
    // Writes the change log to the update table in one transaction: each
    // change one statement, every value a parameter. A statement that finds
    // no row, or that the server refuses, fails its row; one that finds more
    // than one row fails it and rolls the whole apply back. With maxErrors
    // >= 0, more failures than that roll it back as well. Rows written leave
    // the log; failed rows stay, with the reason in ChangeEntry::error.
    // Returns the number of failed rows. A statement that meets a row held
    // by another transaction waits for the connection's lock time-out; if the
    // holder ended meanwhile the statement runs once more, else the change
    // fails as Blocked, naming who holds the row. A lost connection fails the
    // whole apply (the log unchanged) after the connection's own retry.
    int applyUpdates(int maxErrors = -1);
    // Writes the change logs of `sets`, all on one connection and in this
    // order, in one transaction: every change of every set is written, or
    // none is. The first change that fails undoes the whole transaction; it
    // keeps its reason and the others are NotWritten, every log as it was.
    // Returns the number of changes not written (0 when all were). For one
    // operator action that writes to several tables (an account and its
    // installments), so that a failure never leaves half of it stored.
    // `atStart`, when given, runs first in the transaction of every attempt
    // (a write tried again after a lost connection runs it again); what it
    // throws ends the attempt as a failed change would, or goes on to the
    // caller when the connection was lost.
    static int applyTogether(const std::vector<RecordSet*>& sets,
                             const std::function<void(fb::Transaction&)>& atStart = {});
    // The reasons of the last apply's failures, in log order.
    std::vector<std::string> lastApplyErrors() const;
    // Drops the changes that can never be written (isFinal) from the log;
    // the rows keep their values until the set is read again. Returns how
    // many were dropped.
    int discardFinalChanges();
    // The statement and parameters an entry becomes (also used by tests).
    struct Statement {
        std::string sql;
        std::vector<Value> params;
        std::vector<int> paramColumns;  // the column of each parameter
    };
    Statement statementFor(const ChangeEntry& entry) const;

    // ----- Filter -----
    // Supported form: COLUMN = 'literal' (column name without regard to
    // case; the literal's quotes doubled inside), optionally joined with
    // "and". An empty expression shows every row. A bad expression throws.
    void setFilter(std::string expression);
    const std::string& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // ----- Rows for grids (visible rows, cursor unchanged) -----
    int rowCount() const;
    Value valueAt(int row, int column) const;
    std::string displayTextAt(int row, int column) const;
    Field fieldAt(int row, int column) { return Field(*this, column, row); }

    // Observers for grid adapters; returns a handle for removeObserver.
    int addObserver(Observer observer);
    void removeObserver(int handle);

    // While one is alive the observers hear nothing of the set; when the
    // last one goes they hear, if anything happened, that everything changed
    // (Reset, then the state). For a run of many changes that ends with the
    // set read again: the screens follow it once instead of at every row.
    class NoticesHeld {
      public:
        explicit NoticesHeld(RecordSet& rs);
        ~NoticesHeld();
        NoticesHeld(const NoticesHeld&) = delete;
        NoticesHeld& operator=(const NoticesHeld&) = delete;

      private:
        RecordSet& rs_;
    };

    // ----- Events -----
    Event beforeInsert, afterInsert, afterPost, afterDelete, afterScroll, beforeClose;
    ErrorEvent onPostError;
    // Runs inside the transaction of an apply, just before a logged new row
    // is written: it may change the values about to be written (a number
    // claimed in that transaction), and the row in the set takes them too.
    // An exception fails that row as a refused statement does.
    using ApplyInsertEvent =
        std::function<void(RecordSet&, fb::Transaction&, std::vector<Value>& values)>;
    ApplyInsertEvent beforeApplyInsert;

    // Writes to other tables that belong to a logged change, made by the
    // apply in its own transaction just before the change's statement (also
    // when the change leaves the update table as it was). When set, each
    // change is written under a savepoint: a change whose companion write
    // throws, or whose own statement fails or finds no row, leaves nothing of
    // itself in the database and stays in the log (the exception's text is
    // its reason), while the changes written are committed with the one
    // commit of the apply.
    using CompanionWrite = std::function<void(fb::Transaction&, const ChangeEntry&)>;
    CompanionWrite companionWrite;

    // Names the holder of a row that a statement waited for in vain: the
    // engine's transaction `transaction` held it. Runs in the apply's
    // transaction. nullopt when that transaction has ended meanwhile (the
    // statement then runs once more); an empty text when it cannot be told.
    using LockHolder =
        std::function<std::optional<std::string>(fb::Transaction&, std::int64_t transaction)>;
    LockHolder lockHolder;

    // Words why a change could not be written (entry.error); `cause` is the
    // server error behind it, if any. Unset, the record set's own short
    // English texts are used.
    using DescribeFailure =
        std::function<std::string(const RecordSet&, const ChangeEntry&, const std::exception*)>;
    DescribeFailure describeFailure;

    struct Impl;

  private:
    friend class Field;
    // A cell of a visible row (-1: the current row); an empty value when
    // there is no such row.
    Value cell(int row, int column) const;
    // Stores a value already converted to the column's type into the current
    // row; refused unless the set is in edit or insert state.
    void setCell(int row, int column, Value v);

    void checkActive() const;
    void checkBrowseMode();  // posts a modified edit, cancels an unmodified one
    void setState(RecordSetState s);
    void resyncCursor();
    void refilter();
    void insertRow(bool atEnd);
    std::vector<Value> searchKey(const std::vector<Value>& values);
    void fetchRows(Fetched& out);
    void fetchRowsFrom(fb::Attachment& attachment, Fetched& out);
    int applyOnce(fb::Transaction& tr, int maxErrors, std::vector<bool>& written, bool& rolledBack);
    void writeChange(fb::Transaction& tr, ChangeEntry& entry, bool& tooMany);
    // Sets the failure of a change and its words.
    void failChange(ChangeEntry& entry, ApplyFailure failure, const std::exception* cause) const;
    void storeWrittenValues(std::uint64_t rowId, const std::vector<Value>& values);

    std::string name_;
    Connection* connection_;
    std::vector<FieldDef> fields_;
    std::string commandText_;
    UpdateMode updateMode_;
    std::string updateTable_;
    bool lenientColumns_ = false;
    std::string primaryKeyOrderTable_;
    std::function<QDate()> today_;

    RecordSetState state_ = RecordSetState::Inactive;
    int current_ = -1;
    bool eof_ = true, bof_ = true;
    bool modified_ = false;
    std::vector<std::string> orderNames_;
    std::vector<ChangeEntry> log_;
    std::string filterText_;
    bool filtered_ = false;

    std::unique_ptr<Impl> d_;
};

}  // namespace cp
