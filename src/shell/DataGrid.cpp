// The table model over a record set and the data grid that shows it.
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

#include "data/Cp1252.h"
#include "shell/AmountValidator.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/SortFilterRows.h"
#include "shell/Toolkit.h"

namespace cp {
namespace {

// Reports what a write into a record set refused: the record set's own
// messages go to the operator as they are, anything else to the general
// error handler.
void reportWriteError(Environment& env, const std::exception& e) {
    if (dynamic_cast<const DataError*>(&e)) {
        env.showMessage(errorText(e));
    } else {
        reportError(env, e);
    }
}

// Ctrl+Tab forward, Ctrl+Shift+Tab back: the keys that leave a grid. Zero
// for any other key.
int leavingKey(const QKeyEvent& e) {
    if (!(e.modifiers() & Qt::ControlModifier)) return 0;
    if (e.key() == Qt::Key_Backtab) return -1;
    if (e.key() == Qt::Key_Tab) return e.modifiers() & Qt::ShiftModifier ? -1 : 1;
    return 0;
}

// Cell editors: a combo box for columns with a pick list, an edit box with
// the column's edit mask for masked columns, the default one otherwise.
class DataDelegate : public QStyledItemDelegate {
  public:
    DataDelegate(RecordSetModel* model, QObject* parent)
        : QStyledItemDelegate(parent), model_(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const GridColumn& col = model_->column(index.column());
        if (!col.pickList.isEmpty()) {
            auto* box = new QComboBox(parent);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            box->addItems(col.pickList);
            return box;
        }
        auto* edit = new QLineEdit(parent);
        RecordSet& set = model_->recordSet();
        const int f = set.fieldIndex(col.field);
        if (f >= 0) {
            const FieldDef& def = set.fields()[static_cast<size_t>(f)];
            const QString mask = DBEdit::qtInputMask(def.editMask);
            if (!mask.isEmpty()) {
                edit->setInputMask(mask);
            } else if (def.type == FieldType::String && def.size > 0) {
                edit->setMaxLength(def.size);
            }
            if (QValidator* v = AmountValidator::forField(def, edit)) edit->setValidator(v);
        }
        edit->setAlignment(col.alignment);
        Q_UNUSED(option);
        return edit;
    }

    // Cells are drawn as the suite's grids draw them: a narrow margin and text
    // cut at the cell's edge rather than shortened with an ellipsis.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        const QWidget* w = o.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, w);
        painter->save();
        const bool selected = o.state & QStyle::State_Selected;
        painter->setPen(o.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(o.font);
        painter->setClipRect(o.rect);
        painter->drawText(o.rect.adjusted(2, 0, -2, 0), static_cast<int>(o.displayAlignment), text);
        painter->restore();
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = index.data(Qt::EditRole).toString();
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentText(text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setText(text);
            edit->selectAll();
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        QString text;
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            text = box->currentText();
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            text = edit->text();
            // A mask with nothing typed into it stands for an empty value.
            if (edit->hasAcceptableInput() == false && !edit->inputMask().isEmpty()) {
                QLineEdit probe;
                probe.setInputMask(edit->inputMask());
                if (text == probe.text()) text.clear();
            }
        }
        if (text == index.data(Qt::EditRole).toString()) return;  // unchanged: no edit
        model->setData(index, text, Qt::EditRole);
    }

    // The key that leaves the grid, typed in a cell being edited: the cell
    // is written as Tab would write it, then the grid is left.
    bool eventFilter(QObject* editor, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            const int sentido = leavingKey(*static_cast<QKeyEvent*>(event));
            auto* w = qobject_cast<QWidget*>(editor);
            if (sentido != 0 && w) {
                if (event->type() == QEvent::ShortcutOverride) {
                    event->accept();
                    return true;
                }
                emit commitData(w);
                emit closeEditor(w, QAbstractItemDelegate::NoHint);
                if (auto* grade = qobject_cast<DBGrid*>(parent())) grade->leave(sentido > 0);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(editor, event);
    }

  private:
    RecordSetModel* model_;
};

}  // namespace

// ----- RecordSetModel -----

RecordSetModel::RecordSetModel(Environment& env, RecordSet& set, std::vector<GridColumn> columns,
                               QObject* parent)
    : QAbstractTableModel(parent), env_(env), set_(&set), columns_(std::move(columns)) {
    for (const GridColumn& c : columns_) fieldColumns_.push_back(set.fieldIndex(c.field));
    observer_ = set.addObserver([this](const RecordSetNotice& n) { onNotice(n); });
}

RecordSetModel::~RecordSetModel() { set_->removeObserver(observer_); }

int RecordSetModel::columnOf(std::string_view field) const {
    const int f = set_->fieldIndex(field);
    for (size_t i = 0; i < fieldColumns_.size(); ++i)
        if (fieldColumns_[i] == f && f >= 0) return static_cast<int>(i);
    return -1;
}

void RecordSetModel::setPickList(int column, const QStringList& values) {
    columns_.at(static_cast<size_t>(column)).pickList = values;
}

int RecordSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !set_->active()) return 0;
    return set_->rowCount();
}

int RecordSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const int f = recordColumn(index.column());
    switch (role) {
        case Qt::DisplayRole:
            if (f < 0) return {};
            return fromCp1252(set_->displayTextAt(index.row(), f));
        case Qt::EditRole:
            if (f < 0) return {};
            return fromCp1252(set_->fieldAt(index.row(), f).editText());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(column(index.column()).alignment | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        if (role == Qt::DisplayRole) return column(section).title;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(column(section).titleAlignment | Qt::AlignVCenter);
        return {};
    }
    // The row indicator: the current row, and whether it is being edited.
    if (role == Qt::DisplayRole) {
        if (section != set_->currentRow()) return QString();
        switch (set_->state()) {
            case RecordSetState::Edit:
                return QStringLiteral("I");
            case RecordSetState::Insert:
                return QStringLiteral("*");
            default:
                return QString(QChar(0x25B8));
        }
    }
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!column(index.column()).readOnly && recordColumn(index.column()) >= 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    try {
        const std::string bytes = toCp1252OrThrow(value.toString());
        if (index.row() != set_->currentRow()) set_->moveTo(index.row());
        if (set_->state() == RecordSetState::Browse) set_->edit();
        set_->field(recordColumn(index.column())).setEditText(bytes);
        return true;
    } catch (const std::exception& e) {
        reportWriteError(env_, e);
    } catch (...) {
        reportError(env_, QStringLiteral("Erro desconhecido."));
    }
    return false;
}

void RecordSetModel::onNotice(const RecordSetNotice& n) {
    const int cols = columnCount();
    switch (n.kind) {
        case RecordSetNotice::RowInserted:
            // The row is already there: announce it as inserted.
            beginInsertRows({}, n.row, n.row);
            endInsertRows();
            break;
        case RecordSetNotice::RowChanged:
            if (n.row >= 0 && cols > 0) emit dataChanged(index(n.row, 0), index(n.row, cols - 1));
            break;
        case RecordSetNotice::CurrentChanged: {
            const int last = std::max({n.row, n.previousRow, 0});
            const int firstRow = std::max(
                0, std::min(n.row < 0 ? last : n.row, n.previousRow < 0 ? last : n.previousRow));
            if (rowCount() > 0)
                emit headerDataChanged(Qt::Vertical, firstRow, std::min(last, rowCount() - 1));
            emit currentRowChanged(n.row);
            break;
        }
        case RecordSetNotice::StateChanged:
            if (set_->currentRow() >= 0 && set_->currentRow() < rowCount())
                emit headerDataChanged(Qt::Vertical, set_->currentRow(), set_->currentRow());
            if (!set_->active()) {
                beginResetModel();
                endResetModel();
            }
            break;
        case RecordSetNotice::Reset:
        case RecordSetNotice::RowRemoved:
        case RecordSetNotice::RowMoved:
            // Rows are already gone or moved: the views start over.
            beginResetModel();
            endResetModel();
            emit currentRowChanged(set_->active() ? set_->currentRow() : -1);
            break;
    }
}

// ----- DBGrid -----

DBGrid::DBGrid(Environment& env, RecordSet& set, std::vector<GridColumn> columns, QWidget* parent)
    : QTableView(parent),
      env_(env),
      model_(new RecordSetModel(env, set, std::move(columns), this)) {
    setModel(model_);
    setItemDelegate(new DataDelegate(model_, this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    horizontalHeader()->setDefaultSectionSize(64);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setMinimumSectionSize(12);
    verticalHeader()->setFixedWidth(12);
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int w = model_->column(c).width;
        if (w > 0) setColumnWidth(c, w);
    }
    connect(model_, &RecordSetModel::currentRowChanged, this, &DBGrid::followCursor);
    watchFocus(
        this, env_,
        [this] {
            if (onEnter) onEnter();
        },
        [this] {
            if (onExit) onExit();
        });
    followCursor(set.active() ? set.currentRow() : -1);
}

int DBGrid::currentColumn() const { return currentIndex().isValid() ? currentIndex().column() : 0; }

void DBGrid::setCurrentColumn(int column) {
    const int row = recordSet().active() ? recordSet().currentRow() : -1;
    syncing_ = true;
    if (row >= 0 && row < model_->rowCount() && viewRow(row) >= 0) {
        setCurrentIndex(model()->index(viewRow(row), column));
    }
    syncing_ = false;
    pendingColumn_ = column;
}

void DBGrid::setPopupMenu(QMenu* menu) {
    menu_ = menu;
    setContextMenuPolicy(menu ? Qt::DefaultContextMenu : Qt::NoContextMenu);
}

void DBGrid::setGridReadOnly(bool on) {
    setEditTriggers(on ? QAbstractItemView::NoEditTriggers
                       : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
}

void DBGrid::setRowView(SortFilterRows* rows) {
    rows_ = rows;
    setModel(rows_ ? static_cast<QAbstractItemModel*>(rows_) : model_);
    // A new model starts the header over: the designed widths come back.
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int w = model_->column(c).width;
        if (w > 0) setColumnWidth(c, w);
    }
    QHeaderView* h = horizontalHeader();
    h->setSectionsClickable(rows_ != nullptr);
    h->setSortIndicatorShown(rows_ != nullptr);
    h->setSortIndicator(-1, Qt::AscendingOrder);
    if (rows_) {
        connect(rows_, &SortFilterRows::rowsRecomputed, this, &DBGrid::rowsRecomputed);
        connect(h, &QHeaderView::sortIndicatorChanged, rows_,
                [this](int section, Qt::SortOrder order) {
                    guarded(env_, [&] { rows_->sort(section, order); });
                });
    }
    followCursor(recordSet().active() ? recordSet().currentRow() : -1);
}

void DBGrid::clearSort() {
    if (!rows_) return;
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    if (rows_->sortColumn() >= 0) rows_->sort(-1);
}

int DBGrid::viewRow(int recordRow) const { return rows_ ? rows_->viewRowOf(recordRow) : recordRow; }

int DBGrid::recordRow(const QModelIndex& viewIndex) const {
    if (!viewIndex.isValid()) return -1;
    return rows_ ? rows_->sourceRowOf(viewIndex.row()) : viewIndex.row();
}

void DBGrid::rowsRecomputed() {
    RecordSet& set = recordSet();
    const int row = set.active() ? set.currentRow() : -1;
    followCursor(row);
    if (row < 0 || viewRow(row) >= 0 || rows_->shownRows().empty()) return;
    // The current row is hidden: the first row shown becomes current, so
    // the commands of the list act on a row the operator can see. Moving
    // may post an edit, which must not run inside the model's reset.
    QTimer::singleShot(0, this, [this] {
        RecordSet& s = recordSet();
        if (!rows_ || !s.active() || rows_->shownRows().empty()) return;
        if (viewRow(s.currentRow()) >= 0) return;
        try {
            s.moveTo(rows_->shownRows().front());
        } catch (const std::exception& e) {
            reportWriteError(env_, e);
        }
        followCursor(s.active() ? s.currentRow() : -1);
    });
}

void DBGrid::followCursor(int row) {
    syncing_ = true;
    if (row >= 0 && row < model_->rowCount() && viewRow(row) >= 0) {
        const int col = currentIndex().isValid() ? currentIndex().column() : pendingColumn_;
        setCurrentIndex(model()->index(viewRow(row),
                                       std::clamp(col, 0, std::max(0, model_->columnCount() - 1))));
    } else {
        setCurrentIndex({});
    }
    syncing_ = false;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid()) return;
    if (current.column() >= 0) pendingColumn_ = current.column();
    const int row = recordRow(current);
    if (row < 0) return;
    if (row == recordSet().currentRow()) return;
    // The cursor follows after this event: moving may post the row being
    // left, whose apply and refresh rebuild the model.
    QTimer::singleShot(0, this, [this, row] {
        RecordSet& set = recordSet();
        if (!set.active() || row == set.currentRow() || row >= set.rowCount()) return;
        try {
            set.moveTo(row);
        } catch (const std::exception& e) {
            reportWriteError(env_, e);
        }
        followCursor(set.active() ? set.currentRow() : -1);
    });
}

void DBGrid::leave(bool forward) {
    // Past the grid's own tab stepping, which would go on to the next cell.
    QWidget::focusNextPrevChild(forward);
}

void DBGrid::keyPressEvent(QKeyEvent* e) {
    if (const int sentido = leavingKey(*e)) {
        leave(sentido > 0);
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Escape && state() != QAbstractItemView::EditingState) {
        RecordSet& set = recordSet();
        if (set.state() == RecordSetState::Edit || set.state() == RecordSetState::Insert) {
            guarded(env_, [&] { set.cancel(); });
            e->accept();
            return;
        }
        if (escapeGoesBack_) {
            leave(false);
            e->accept();
            return;
        }
        e->ignore();  // the window's cancel button may take it
        return;
    }
    QTableView::keyPressEvent(e);
}

void DBGrid::contextMenuEvent(QContextMenuEvent* e) {
    if (!menu_) return;
    const QModelIndex at = indexAt(e->pos());
    RecordSet& set = recordSet();
    const int linha = recordRow(at);
    if (linha >= 0 && set.active() && linha != set.currentRow()) {
        try {
            set.moveTo(linha);
        } catch (const std::exception& ex) {
            reportWriteError(env_, ex);
            followCursor(set.active() ? set.currentRow() : -1);
            return;  // the row under the mouse could not be made current
        }
        followCursor(set.currentRow());
    }
    menu_->exec(e->globalPos());
}

}  // namespace cp
