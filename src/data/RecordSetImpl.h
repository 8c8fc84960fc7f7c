// Inside of the record set: the rows, the visible-row map of the filter, the
// sort order and the helpers the record-set sources share. Not for use
// outside the record-set sources.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/RecordSet.h"
#include "data/RecordSetCell.h"
#include "fb/fb.h"

namespace cp {

// A row: its cells (in the set's CellStore, one per field) and an identity
// that the change log refers to.
struct Row {
    Cell* v = nullptr;
    std::uint64_t id = 0;
};

// The rows read by one run of the SQL text, with the store of their cells.
struct Fetched {
    CellStore store;
    std::vector<Row> rows;
};

struct OrderColumn {
    int column = -1;
    bool descending = false;
};

struct FilterTerm {
    int column = -1;
    bool notEqual = false;
    Value literal;
};

// One item of an ORDER BY: a column name (qualifier dropped, upper case) or a
// 1-based position in the select list.
struct OrderItem {
    std::string name;
    int position = 0;
    bool descending = false;
};

struct RecordSet::Impl {
    CellStore store;           // the cells of the rows
    std::vector<Row> rows;     // every row, in the set's order
    std::vector<int> visible;  // positions in rows that the filter shows, ascending
    bool useVisible = false;   // false: every row is visible
    int curPos = -1;           // position in rows of the current row
    std::vector<OrderColumn> order;
    std::vector<FilterTerm> filterTerms;
    std::uint64_t nextId = 1;
    std::vector<Cell> editBackup;  // the row as it was before edit
    std::uint64_t rowBeforeInsert = 0;
    std::map<int, Observer> observers;
    int nextObserver = 1;
    int noticesHeld = 0;                  // RecordSet::NoticesHeld alive
    bool noticeMissed = false;            // something was not told while they were
    std::vector<std::string> primaryKey;  // of primaryKeyOrderTable_, read once
    std::string primaryKeyDatabase;
    bool primaryKeyRead = false;

    int count() const {
        return useVisible ? static_cast<int>(visible.size()) : static_cast<int>(rows.size());
    }
    int pos(int visibleRow) const { return useVisible ? visible[visibleRow] : visibleRow; }
    // The visible index of a position, or of the first visible row after it
    // (count() when none).
    int visibleAtOrAfter(int position) const;
    int findEntry(const std::vector<ChangeEntry>& log, std::uint64_t id) const;
};

namespace detail {

std::vector<OrderItem> parseOrderBy(std::string_view sql);
// Three-way comparison of two cells of one column type: empty first, texts
// byte by byte without their trailing blanks.
int compareValues(const Value& a, const Value& b);
int compareRows(const Cell* a, const Cell* b, const std::vector<OrderColumn>& order);
std::vector<Value> toValues(const Cell* cells, std::size_t n);
std::vector<Cell> toCells(const std::vector<Value>& values);
// A search or filter value in the column's type (texts cut to the column's
// size); throws DataError when it cannot be converted.
Value convertTo(const FieldDef& f, const Value& v, const QDate& today);
std::vector<FilterTerm> parseFilter(std::string_view expr, const RecordSet& set);
bool passesFilter(const Cell* row, const std::vector<FilterTerm>& terms);
fb::Value toFb(const Value& v, FieldType type);
Value fromFb(const fb::Value& v, FieldType type);
std::string upperName(std::string_view s);

}  // namespace detail

// Tells every observer of the set, unless its notices are held
// (RecordSet::NoticesHeld).
void notifyObservers(RecordSet::Impl& d, RecordSetNotice n);

}  // namespace cp
