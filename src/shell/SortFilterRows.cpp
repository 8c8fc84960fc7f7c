#include "shell/SortFilterRows.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "data/TextFold.h"
#include "shell/DataWidgets.h"

namespace cp {

SortFilterRows::SortFilterRows(RecordSetModel* source, QObject* parent)
    : QAbstractProxyModel(parent), model_(source) {
    setSourceModel(source);
    // Every change of the rows themselves starts the grid over: the record
    // set re-reads whole results, so there is nothing finer worth keeping.
    const auto inicio = [this] { beginResetModel(); };
    const auto fim = [this] {
        recompute(true);
        endResetModel();
        emit rowsRecomputed();
    };
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, inicio);
    connect(source, &QAbstractItemModel::modelReset, this, fim);
    connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this, inicio);
    connect(source, &QAbstractItemModel::rowsInserted, this, fim);
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this, inicio);
    connect(source, &QAbstractItemModel::rowsRemoved, this, fim);
    connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, inicio);
    connect(source, &QAbstractItemModel::layoutChanged, this, fim);
    connect(source, &QAbstractItemModel::dataChanged, this, &SortFilterRows::sourceDataChanged);
    connect(source, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation o, int first, int last) {
                if (o == Qt::Horizontal) {
                    emit headerDataChanged(o, first, last);
                } else if (!shown_.empty()) {
                    emit headerDataChanged(o, 0, static_cast<int>(shown_.size()) - 1);
                }
            });
    recompute(true);
}

void SortFilterRows::setRowFilter(RowFilter* filter) {
    beginResetModel();
    filter_ = filter;
    recompute(true);
    endResetModel();
    emit rowsRecomputed();
}

void SortFilterRows::refilter() {
    beginResetModel();
    recompute(false);
    endResetModel();
    emit rowsRecomputed();
}

void SortFilterRows::sort(int column, Qt::SortOrder order) {
    if (column >= columnCount()) column = -1;
    beginResetModel();
    sortColumn_ = column;
    sortOrder_ = order;
    sortOrderRows();
    recompute(false);
    endResetModel();
    emit rowsRecomputed();
}

void SortFilterRows::sortOrderRows() {
    const int n = model_->rowCount();
    order_.resize(static_cast<size_t>(n));
    std::iota(order_.begin(), order_.end(), 0);
    if (sortColumn_ < 0) return;
    const RecordSet& set = model_->recordSet();
    const int f = set.fieldIndex(model_->column(sortColumn_).field);
    if (f < 0) return;
    std::vector<Value> keys(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        Value v = set.valueAt(r, f);
        if (auto* s = std::get_if<std::string>(&v)) *s = foldCp1252(*s);
        keys[static_cast<size_t>(r)] = std::move(v);
    }
    // Empty values (monostate, the variant's first alternative) sort first.
    const bool asc = sortOrder_ == Qt::AscendingOrder;
    std::stable_sort(order_.begin(), order_.end(), [&keys, asc](int a, int b) {
        const Value& x = keys[static_cast<size_t>(a)];
        const Value& y = keys[static_cast<size_t>(b)];
        return asc ? x < y : y < x;
    });
}

void SortFilterRows::recompute(bool prepareFilter) {
    const int n = model_->rowCount();
    if (static_cast<int>(order_.size()) != n || prepareFilter) sortOrderRows();
    if (filter_ && prepareFilter) filter_->prepare(model_->recordSet());
    shown_.clear();
    if (!filter_) {
        shown_ = order_;
    } else {
        shown_.reserve(order_.size());
        for (const int r : order_)
            if (filter_->accepts(r)) shown_.push_back(r);
    }
    viewOf_.assign(static_cast<size_t>(n), -1);
    for (size_t i = 0; i < shown_.size(); ++i)
        viewOf_[static_cast<size_t>(shown_[i])] = static_cast<int>(i);
}

void SortFilterRows::sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                       const QList<int>& roles) {
    // A changed row stays where it is until the rows are worked out again,
    // so a value being typed does not make its row jump away.
    int first = -1, last = -1;
    for (int r = topLeft.row(); r <= bottomRight.row(); ++r) {
        const int v = viewRowOf(r);
        if (v < 0) continue;
        first = first < 0 ? v : std::min(first, v);
        last = std::max(last, v);
    }
    if (first >= 0)
        emit dataChanged(index(first, topLeft.column()), index(last, bottomRight.column()), roles);
}

int SortFilterRows::sourceRowOf(int viewRow) const {
    if (viewRow < 0 || viewRow >= static_cast<int>(shown_.size())) return -1;
    return shown_[static_cast<size_t>(viewRow)];
}

int SortFilterRows::viewRowOf(int sourceRow) const {
    if (sourceRow < 0 || sourceRow >= static_cast<int>(viewOf_.size())) return -1;
    return viewOf_[static_cast<size_t>(sourceRow)];
}

QModelIndex SortFilterRows::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid()) return {};
    const int r = sourceRowOf(proxyIndex.row());
    return r < 0 ? QModelIndex() : model_->index(r, proxyIndex.column());
}

QModelIndex SortFilterRows::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid()) return {};
    const int v = viewRowOf(sourceIndex.row());
    return v < 0 ? QModelIndex() : index(v, sourceIndex.column());
}

QModelIndex SortFilterRows::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex SortFilterRows::parent(const QModelIndex&) const { return {}; }

int SortFilterRows::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int SortFilterRows::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : model_->columnCount();
}

QVariant SortFilterRows::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (rowRole && role != Qt::DisplayRole && role != Qt::EditRole) {
        QVariant v = rowRole(sourceRowOf(index.row()), role);
        if (v.isValid()) return v;
    }
    return QAbstractProxyModel::data(index, role);
}

}  // namespace cp
