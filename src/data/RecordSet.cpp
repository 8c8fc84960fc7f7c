// Record set: opening, the cursor, editing and the events.
#include "data/RecordSet.h"

#include <algorithm>

#include "data/Connection.h"
#include "data/Formats.h"
#include "data/RecordSetImpl.h"

namespace cp {

RecordSet::RecordSet(std::string name, Connection& connection, std::vector<FieldDef> fields,
                     std::string commandText, UpdateMode mode, std::string updateTable)
    : name_(std::move(name)),
      connection_(&connection),
      fields_(std::move(fields)),
      commandText_(std::move(commandText)),
      updateMode_(mode),
      updateTable_(std::move(updateTable)),
      d_(std::make_unique<Impl>()) {
    for (auto& f : fields_) f.name = detail::upperName(f.name);
    d_->store = CellStore(fields_.size());
}

RecordSet::~RecordSet() = default;

QDate RecordSet::today() const { return today_ ? today_() : QDate::currentDate(); }

int RecordSet::fieldIndex(std::string_view name) const {
    std::string upper = detail::upperName(name);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name == upper) return static_cast<int>(i);
    return -1;
}

Field RecordSet::field(std::string_view name) {
    int i = fieldIndex(name);
    if (i < 0) throw DataError(name_ + ": Field '" + std::string(name) + "' not found");
    return Field(*this, i);
}

void RecordSet::setCommandText(std::string sql) {
    if (active()) throw DataError(name_ + ": Cannot perform this operation on an open dataset");
    commandText_ = std::move(sql);
}

// ----- Notices -----

namespace {

void notifyAll(const std::map<int, RecordSet::Observer>& observers, RecordSetNotice n) {
    if (observers.empty()) return;
    auto copy = observers;  // an observer may remove itself
    for (auto& [handle, fn] : copy)
        if (fn) fn(n);
}

}  // namespace

// Held notices are not lost: the observers hear at the end that everything
// changed.
void notifyObservers(RecordSet::Impl& d, RecordSetNotice n) {
    if (d.noticesHeld > 0) {
        d.noticeMissed = true;
        return;
    }
    notifyAll(d.observers, n);
}

RecordSet::NoticesHeld::NoticesHeld(RecordSet& rs) : rs_(rs) { ++rs_.d_->noticesHeld; }

RecordSet::NoticesHeld::~NoticesHeld() {
    RecordSet::Impl& d = *rs_.d_;
    if (--d.noticesHeld > 0 || !std::exchange(d.noticeMissed, false)) return;
    const int row = rs_.active() ? rs_.currentRow() : -1;
    notifyAll(d.observers, {RecordSetNotice::Reset, row, -1});
    notifyAll(d.observers, {RecordSetNotice::StateChanged, row, row});
}

int RecordSet::addObserver(Observer observer) {
    int h = d_->nextObserver++;
    d_->observers.emplace(h, std::move(observer));
    return h;
}

void RecordSet::removeObserver(int handle) { d_->observers.erase(handle); }

// ----- Rows for grids -----

int RecordSet::rowCount() const { return active() ? d_->count() : 0; }

Value RecordSet::cell(int row, int column) const {
    if (row < 0) row = current_;
    if (!active() || row < 0 || row >= d_->count() || column < 0 || column >= fieldCount())
        return {};
    return d_->rows[d_->pos(row)].v[column].get();
}

Value RecordSet::valueAt(int row, int column) const {
    if (row < 0) return {};
    return cell(row, column);
}

std::string RecordSet::displayTextAt(int row, int column) const {
    if (row < 0 || row >= rowCount()) return {};
    return Field(const_cast<RecordSet&>(*this), column, row).displayText();
}

void RecordSet::setCell(int row, int column, Value v) {
    if (!active()) throw DataError(name_ + ": Cannot perform this operation on a closed dataset");
    if (state_ != RecordSetState::Edit && state_ != RecordSetState::Insert)
        throw DataError(name_ + ": Dataset not in edit or insert mode");
    if (row >= 0 && row != current_)
        throw DataError(name_ + ": Dataset not in edit or insert mode");
    Cell& target = d_->rows[d_->curPos].v[column];
    Cell updated(v);
    if (target == updated) return;
    target = std::move(updated);
    modified_ = true;
    notifyObservers(*d_, {RecordSetNotice::RowChanged, current_, current_});
}

// ----- Internal helpers -----

// Shows the rows the filter lets through, and always the row being edited.
static void rebuildVisible(RecordSet::Impl& d, bool filtered, bool editing) {
    if (!filtered || d.filterTerms.empty()) {
        d.useVisible = false;
        d.visible.clear();
        return;
    }
    d.useVisible = true;
    d.visible.clear();
    for (int p = 0; p < static_cast<int>(d.rows.size()); ++p)
        if ((editing && p == d.curPos) || detail::passesFilter(d.rows[p].v, d.filterTerms))
            d.visible.push_back(p);
}

// Moves the cursor to visible row `row` (-1: none); afterScroll when the row
// is another one.
static void moveCursor(RecordSet& rs, RecordSet::Impl& d, int& current, int row, bool fireScroll) {
    std::uint64_t before =
        d.curPos >= 0 && d.curPos < static_cast<int>(d.rows.size()) ? d.rows[d.curPos].id : 0;
    int previous = current;
    current = row;
    d.curPos = row >= 0 ? d.pos(row) : -1;
    std::uint64_t after = d.curPos >= 0 ? d.rows[d.curPos].id : 0;
    if (previous != row || before != after)
        notifyObservers(d, {RecordSetNotice::CurrentChanged, row, previous});
    if (fireScroll && before != after && rs.afterScroll) rs.afterScroll(rs);
}

void RecordSet::checkBrowseMode() {
    if (state_ == RecordSetState::Edit || state_ == RecordSetState::Insert) {
        if (modified_)
            post();
        else
            cancel();
    }
}

void RecordSet::checkActive() const {
    if (!active()) throw DataError(name_ + ": Cannot perform this operation on a closed dataset");
}

void RecordSet::setState(RecordSetState s) {
    if (state_ == s) return;
    state_ = s;
    notifyObservers(*d_, {RecordSetNotice::StateChanged, current_, current_});
}

// Re-derives the visible rows and the cursor's visible index after the rows
// changed; the cursor stays on its row, or goes to the next visible one.
void RecordSet::resyncCursor() {
    bool editing = state_ == RecordSetState::Edit || state_ == RecordSetState::Insert;
    rebuildVisible(*d_, filtered_, editing);
    int n = d_->count();
    if (n == 0) {
        current_ = -1;
        d_->curPos = -1;
        return;
    }
    int vi = d_->curPos < 0 ? 0 : d_->visibleAtOrAfter(d_->curPos);
    if (vi >= n) vi = n - 1;
    current_ = vi;
    d_->curPos = d_->pos(vi);
}

// ----- Open, close, refresh -----

void RecordSet::open() {
    if (active()) return;
    Fetched fetched;
    fetchRows(fetched);
    d_->rows = std::move(fetched.rows);
    d_->store = std::move(fetched.store);
    log_.clear();
    modified_ = false;
    d_->curPos = d_->rows.empty() ? -1 : 0;
    state_ = RecordSetState::Browse;
    resyncCursor();
    bof_ = true;
    eof_ = rowCount() == 0;
    notifyObservers(*d_, {RecordSetNotice::Reset, current_, -1});
    notifyObservers(*d_, {RecordSetNotice::StateChanged, current_, current_});
    if (current_ >= 0 && afterScroll) afterScroll(*this);
}

void RecordSet::close() {
    if (!active()) return;
    if (beforeClose) beforeClose(*this);
    d_->rows.clear();
    d_->rows.shrink_to_fit();
    d_->store.clear();
    d_->visible.clear();
    d_->useVisible = false;
    d_->editBackup.clear();
    d_->curPos = -1;
    log_.clear();
    current_ = -1;
    eof_ = bof_ = true;
    modified_ = false;
    state_ = RecordSetState::Inactive;
    notifyObservers(*d_, {RecordSetNotice::Reset, -1, -1});
    notifyObservers(*d_, {RecordSetNotice::StateChanged, -1, -1});
}

// The first visible row whose first k order columns are not before `key`.
static int lowerBound(const RecordSet::Impl& d, const std::vector<Value>& key);

bool RecordSet::refresh() {
    checkActive();
    checkBrowseMode();
    if (!log_.empty()) throw DataError("Must apply updates before refreshing data");
    const int keep = current_;
    std::vector<Value> before;
    if (d_->curPos >= 0) before = detail::toValues(d_->rows[d_->curPos].v, fields_.size());
    std::vector<int> keyColumns;
    for (int c = 0; c < fieldCount(); ++c)
        if (fields_[c].key) keyColumns.push_back(c);

    Fetched fetched;
    fetchRows(fetched);
    d_->rows = std::move(fetched.rows);
    d_->store = std::move(fetched.store);
    d_->curPos = -1;
    rebuildVisible(*d_, filtered_, false);
    const int n = d_->count();
    bool found = before.empty();
    if (n == 0) {
        current_ = -1;
    } else if (before.empty() || keyColumns.empty()) {
        current_ = std::clamp(keep, 0, n - 1);
        found = true;
    } else {
        current_ = -1;
        for (int vi = 0; vi < n && current_ < 0; ++vi) {
            const Cell* row = d_->rows[d_->pos(vi)].v;
            bool same = true;
            for (int c : keyColumns) same = same && row[c].compare(before[c]) == 0;
            if (same) current_ = vi;
        }
        found = current_ >= 0;
        if (!found && !d_->order.empty()) {
            std::vector<Value> orderKey;
            for (const OrderColumn& oc : d_->order) orderKey.push_back(before[oc.column]);
            current_ = std::min(lowerBound(*d_, orderKey), n - 1);
        } else if (!found) {
            current_ = std::clamp(keep, 0, n - 1);
        }
    }
    d_->curPos = current_ >= 0 ? d_->pos(current_) : -1;
    bof_ = eof_ = n == 0;
    notifyObservers(*d_, {RecordSetNotice::Reset, current_, -1});
    if (!found && current_ >= 0 && afterScroll) afterScroll(*this);
    return found;
}

// ----- Cursor -----

void RecordSet::first() {
    checkActive();
    checkBrowseMode();
    moveCursor(*this, *d_, current_, d_->count() > 0 ? 0 : -1, true);
    bof_ = true;
    eof_ = d_->count() == 0;
}

void RecordSet::last() {
    checkActive();
    checkBrowseMode();
    moveCursor(*this, *d_, current_, d_->count() - 1, true);
    eof_ = true;
    bof_ = d_->count() == 0;
}

void RecordSet::next() {
    checkActive();
    checkBrowseMode();
    if (current_ + 1 < d_->count()) {
        moveCursor(*this, *d_, current_, current_ + 1, true);
        bof_ = eof_ = false;
    } else {
        eof_ = true;
    }
}

void RecordSet::prior() {
    checkActive();
    checkBrowseMode();
    if (current_ > 0) {
        moveCursor(*this, *d_, current_, current_ - 1, true);
        bof_ = eof_ = false;
    } else {
        bof_ = true;
    }
}

void RecordSet::moveTo(int row) {
    checkActive();
    checkBrowseMode();
    int n = d_->count();
    if (n == 0) return;
    moveCursor(*this, *d_, current_, std::clamp(row, 0, n - 1), true);
    bof_ = eof_ = false;
}

// ----- Searches -----

static int lowerBound(const RecordSet::Impl& d, const std::vector<Value>& key) {
    int lo = 0, hi = d.count();
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        const auto& row = d.rows[d.pos(mid)].v;
        int c = 0;
        for (std::size_t k = 0; k < key.size() && c == 0; ++k) {
            c = row[d.order[k].column].compare(key[k]);
            if (d.order[k].descending) c = -c;
        }
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::vector<Value> RecordSet::searchKey(const std::vector<Value>& values) {
    checkActive();
    checkBrowseMode();
    if (d_->order.empty())
        throw DataError(name_ + ": the search needs an ORDER BY in the record set's text");
    std::vector<Value> key;
    std::size_t k = std::min(values.size(), d_->order.size());
    for (std::size_t i = 0; i < k; ++i)
        key.push_back(detail::convertTo(fields_[d_->order[i].column], values[i], today()));
    return key;
}

bool RecordSet::findKey(const std::vector<Value>& values) {
    std::vector<Value> key = searchKey(values);
    int vi = lowerBound(*d_, key);
    if (vi >= d_->count()) return false;
    const auto& row = d_->rows[d_->pos(vi)].v;
    for (std::size_t k = 0; k < key.size(); ++k)
        if (row[d_->order[k].column].compare(key[k]) != 0) return false;
    moveCursor(*this, *d_, current_, vi, true);
    bof_ = eof_ = false;
    return true;
}

bool RecordSet::findNearest(const std::vector<Value>& values) {
    std::vector<Value> key = searchKey(values);
    int n = d_->count();
    if (n == 0) return false;
    int vi = std::min(lowerBound(*d_, key), n - 1);
    moveCursor(*this, *d_, current_, vi, true);
    bof_ = eof_ = false;
    return true;
}

// ----- Editing -----

void RecordSet::edit() {
    checkActive();
    if (state_ == RecordSetState::Edit || state_ == RecordSetState::Insert) return;
    if (d_->count() == 0) return insert();
    const Cell* cells = d_->rows[d_->curPos].v;
    d_->editBackup.assign(cells, cells + fields_.size());
    modified_ = false;
    setState(RecordSetState::Edit);
}

void RecordSet::insertRow(bool atEnd) {
    checkActive();
    checkBrowseMode();
    if (beforeInsert) beforeInsert(*this);
    Row row;
    row.v = d_->store.newRow();
    row.id = d_->nextId++;
    d_->rowBeforeInsert = d_->curPos >= 0 ? d_->rows[d_->curPos].id : 0;
    int position = atEnd || d_->curPos < 0 ? static_cast<int>(d_->rows.size()) : d_->curPos;
    d_->rows.insert(d_->rows.begin() + position, std::move(row));
    int previous = current_;
    d_->curPos = position;
    state_ = RecordSetState::Insert;
    modified_ = false;
    d_->editBackup.clear();
    resyncCursor();
    notifyObservers(*d_, {RecordSetNotice::RowInserted, current_, -1});
    notifyObservers(*d_, {RecordSetNotice::CurrentChanged, current_, previous});
    notifyObservers(*d_, {RecordSetNotice::StateChanged, current_, current_});
    bof_ = eof_ = false;
    if (afterInsert) afterInsert(*this);
    if (afterScroll) afterScroll(*this);
}

void RecordSet::insert() { insertRow(false); }

void RecordSet::append() { insertRow(true); }

void RecordSet::post() {
    checkActive();
    if (state_ != RecordSetState::Edit && state_ != RecordSetState::Insert) return;
    Row& row = d_->rows[d_->curPos];
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].required && row.v[i].isNull()) {
            DataError e(msgMustHaveValue(fields_[i].name));
            if (onPostError) onPostError(*this, e);
            throw e;
        }
    }
    // The change log.
    int e = d_->findEntry(log_, row.id);
    if (state_ == RecordSetState::Insert) {
        ChangeEntry c;
        c.kind = ChangeKind::Insert;
        c.rowId = row.id;
        c.current = detail::toValues(row.v, fields_.size());
        log_.push_back(std::move(c));
    } else if (e >= 0) {
        log_[e].current = detail::toValues(row.v, fields_.size());
        log_[e].error.clear();
        log_[e].failure = ApplyFailure::None;
        if (log_[e].kind == ChangeKind::Update && log_[e].current == log_[e].original)
            log_.erase(log_.begin() + e);
    } else if (!std::equal(d_->editBackup.begin(), d_->editBackup.end(), row.v)) {
        ChangeEntry c;
        c.kind = ChangeKind::Update;
        c.rowId = row.id;
        c.original = detail::toValues(d_->editBackup.data(), d_->editBackup.size());
        c.current = detail::toValues(row.v, fields_.size());
        log_.push_back(std::move(c));
    }
    d_->editBackup.clear();
    modified_ = false;

    // Keep the rows in the default order: the posted row goes where it sorts.
    int before = current_;
    int position = d_->curPos;
    auto inOrder = [&] {
        const auto& v = d_->rows[position].v;
        if (position > 0 && detail::compareRows(d_->rows[position - 1].v, v, d_->order) > 0)
            return false;
        if (position + 1 < static_cast<int>(d_->rows.size()) &&
            detail::compareRows(v, d_->rows[position + 1].v, d_->order) > 0)
            return false;
        return true;
    };
    if (!d_->order.empty() && !inOrder()) {
        Row moving = std::move(d_->rows[position]);
        d_->rows.erase(d_->rows.begin() + position);
        auto at = std::upper_bound(d_->rows.begin(), d_->rows.end(), moving,
                                   [&](const Row& a, const Row& b) {
                                       return detail::compareRows(a.v, b.v, d_->order) < 0;
                                   });
        position = static_cast<int>(at - d_->rows.begin());
        d_->rows.insert(at, std::move(moving));
        d_->curPos = position;
    }
    state_ = RecordSetState::Browse;
    resyncCursor();
    if (d_->curPos != position) {
        // The filter hides the posted row now: the cursor went to the next one.
        notifyObservers(*d_, {RecordSetNotice::RowRemoved, before, before});
        notifyObservers(*d_, {RecordSetNotice::CurrentChanged, current_, before});
    } else if (current_ != before) {
        notifyObservers(*d_, {RecordSetNotice::RowMoved, current_, before});
    } else {
        notifyObservers(*d_, {RecordSetNotice::RowChanged, current_, current_});
    }
    notifyObservers(*d_, {RecordSetNotice::StateChanged, current_, current_});
    if (afterPost) afterPost(*this);
}

void RecordSet::cancel() {
    checkActive();
    if (state_ == RecordSetState::Edit) {
        std::move(d_->editBackup.begin(), d_->editBackup.end(), d_->rows[d_->curPos].v);
        d_->editBackup.clear();
        modified_ = false;
        state_ = RecordSetState::Browse;
        notifyObservers(*d_, {RecordSetNotice::RowChanged, current_, current_});
        notifyObservers(*d_, {RecordSetNotice::StateChanged, current_, current_});
        return;
    }
    if (state_ != RecordSetState::Insert) return;
    int removedAt = current_;
    int position = d_->curPos;
    d_->rows.erase(d_->rows.begin() + position);
    modified_ = false;
    state_ = RecordSetState::Browse;
    // Back to the row that was current before the insert.
    d_->curPos = -1;
    for (int p = 0; p < static_cast<int>(d_->rows.size()); ++p)
        if (d_->rows[p].id == d_->rowBeforeInsert) d_->curPos = p;
    if (d_->curPos < 0) d_->curPos = std::min<int>(position, static_cast<int>(d_->rows.size()) - 1);
    resyncCursor();
    bof_ = eof_ = d_->count() == 0;
    notifyObservers(*d_, {RecordSetNotice::RowRemoved, removedAt, removedAt});
    notifyObservers(*d_, {RecordSetNotice::CurrentChanged, current_, removedAt});
    notifyObservers(*d_, {RecordSetNotice::StateChanged, current_, current_});
    if (afterScroll) afterScroll(*this);
}

void RecordSet::remove() {
    checkActive();
    if (state_ == RecordSetState::Insert) return cancel();
    if (d_->count() == 0)
        throw DataError(name_ + ": Cannot perform this operation on an empty dataset");
    bool wasEditing = state_ == RecordSetState::Edit;
    if (wasEditing) {
        std::move(d_->editBackup.begin(), d_->editBackup.end(), d_->rows[d_->curPos].v);
        d_->editBackup.clear();
        modified_ = false;
        state_ = RecordSetState::Browse;
    }
    Row& row = d_->rows[d_->curPos];
    int e = d_->findEntry(log_, row.id);
    if (e >= 0 && log_[e].kind == ChangeKind::Insert) {
        log_.erase(log_.begin() + e);  // it never reached the database
    } else if (e >= 0) {
        log_[e].kind = ChangeKind::Delete;
        log_[e].current.clear();
        log_[e].error.clear();
        log_[e].failure = ApplyFailure::None;
    } else {
        ChangeEntry c;
        c.kind = ChangeKind::Delete;
        c.rowId = row.id;
        c.original = detail::toValues(row.v, fields_.size());
        log_.push_back(std::move(c));
    }
    int removedAt = current_;
    int position = d_->curPos;
    d_->rows.erase(d_->rows.begin() + position);
    // The row that followed takes the cursor (or the new last row).
    d_->curPos =
        d_->rows.empty() ? -1 : std::min<int>(position, static_cast<int>(d_->rows.size()) - 1);
    resyncCursor();
    bof_ = eof_ = d_->count() == 0;
    notifyObservers(*d_, {RecordSetNotice::RowRemoved, removedAt, removedAt});
    notifyObservers(*d_, {RecordSetNotice::CurrentChanged, current_, removedAt});
    if (wasEditing) notifyObservers(*d_, {RecordSetNotice::StateChanged, current_, current_});
    if (afterDelete) afterDelete(*this);
    if (afterScroll) afterScroll(*this);
}

// ----- Filter -----

void RecordSet::setFilter(std::string expression) {
    auto terms = detail::parseFilter(expression, *this);
    if (active()) checkBrowseMode();
    filterText_ = std::move(expression);
    d_->filterTerms = std::move(terms);
    if (active() && filtered_) refilter();
}

void RecordSet::setFiltered(bool on) {
    if (filtered_ == on) return;
    if (active()) checkBrowseMode();
    filtered_ = on;
    if (active()) refilter();
}

// After the filter changed: the rows shown are recounted and the cursor goes
// to the first of them.
void RecordSet::refilter() {
    std::uint64_t before = d_->curPos >= 0 ? d_->rows[d_->curPos].id : 0;
    rebuildVisible(*d_, filtered_, false);
    int n = d_->count();
    current_ = n > 0 ? 0 : -1;
    d_->curPos = n > 0 ? d_->pos(0) : -1;
    bof_ = true;
    eof_ = n == 0;
    notifyObservers(*d_, {RecordSetNotice::Reset, current_, -1});
    std::uint64_t after = d_->curPos >= 0 ? d_->rows[d_->curPos].id : 0;
    if (after != before && n > 0 && afterScroll) afterScroll(*this);
}

}  // namespace cp
