// A grid's rows as the operator asked to see them: sorted by a column (again:
// the other way) and narrowed by a filter, without touching the record set,
// its statement or its order. Sits between a record set's table model and
// its grid; the grid maps its rows through it to the record set's rows.
//
// The order is stable: rows that tie keep the record set's order, so sorting
// by supplier keeps each supplier's rows in due-date order. Texts sort
// without regard to case or accents; empty values come first.
#pragma once

#include <QAbstractProxyModel>
#include <functional>
#include <vector>

namespace cp {

class RecordSet;
class RecordSetModel;

class SortFilterRows : public QAbstractProxyModel {
    Q_OBJECT
  public:
    // Decides which rows are shown. prepare() runs whenever the record set's
    // rows may have changed (a re-read, rows added or removed), before
    // accepts() is asked about them; both run on the window's thread.
    class RowFilter {
      public:
        virtual ~RowFilter() = default;
        virtual void prepare(const RecordSet& set) = 0;
        virtual bool accepts(int row) const = 0;
    };

    explicit SortFilterRows(RecordSetModel* source, QObject* parent = nullptr);

    // nullptr shows every row. Not owned; it must outlive its use here.
    void setRowFilter(RowFilter* filter);
    RowFilter* rowFilter() const { return filter_; }
    // The filter's answer changed (a new search text): the rows shown are
    // worked out again, in the same order, without preparing it again.
    void refilter();

    // Sorts by a column of the model; -1 gives back the record set's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // Rows of the record set (visible row indexes) and rows of the grid.
    int sourceRowOf(int viewRow) const;
    int viewRowOf(int sourceRow) const;  // -1 when the filter hides it
    // The record set's rows shown, in the grid's order.
    const std::vector<int>& shownRows() const { return shown_; }

    // Further roles of a whole row (colour, font), asked with the record
    // set's row; an invalid QVariant leaves the role to the model.
    std::function<QVariant(int sourceRow, int role)> rowRole;

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  signals:
    // The rows shown or their order changed (after the model's reset).
    void rowsRecomputed();

  private:
    void recompute(bool prepareFilter);
    void sortOrderRows();
    void sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);

    RecordSetModel* model_;
    RowFilter* filter_ = nullptr;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    std::vector<int> order_;   // every row of the record set, in the order asked for
    std::vector<int> shown_;   // the rows the filter lets through, in that order
    std::vector<int> viewOf_;  // record-set row -> grid row, -1 when hidden
};

}  // namespace cp
