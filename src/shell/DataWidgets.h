// Data-aware widgets: the screens see the record sets of the data modules
// only through these. A grid shows a record set's visible rows through one
// table model (no widget per row); an edit box, a combo box or a text label
// is bound to one column of the current row. Texts cross here between the
// database's Windows-1252 bytes and the screen; a typed character that
// Windows-1252 cannot hold is refused with a message, never stored mangled.
//
// A bound widget registers itself with its record set for change notices, so
// the record set must outlive the widget (the window goes before the data
// modules).
#pragma once

#include <QAbstractTableModel>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTableView>
#include <functional>
#include <string>
#include <vector>

#include "data/RecordSet.h"
#include "suite/Environment.h"

class QMenu;
class QKeyEvent;

namespace cp {

class SortFilterRows;

// One column of a data grid.
struct GridColumn {
    QString title;
    std::string field;  // the record set's column, by name without regard to case
    int width = -1;     // pixels; -1: the grid's default width
    Qt::Alignment alignment = Qt::AlignLeft;       // of the values
    Qt::Alignment titleAlignment = Qt::AlignLeft;  // of the title
    bool readOnly = false;
    QStringList pickList;  // when not empty, the cell editor offers these values
};

// The record set's visible rows as a table model over a column list. Follows
// the record set's change notices. Editing a cell moves the record set's
// cursor to that row, puts it in edit mode and writes the text through the
// column's edit text; the record set posts the row when the cursor leaves it.
class RecordSetModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    RecordSetModel(Environment& env, RecordSet& set, std::vector<GridColumn> columns,
                   QObject* parent = nullptr);
    ~RecordSetModel() override;

    RecordSet& recordSet() const { return *set_; }
    const std::vector<GridColumn>& columns() const { return columns_; }
    const GridColumn& column(int c) const { return columns_.at(static_cast<size_t>(c)); }
    int columnOf(std::string_view field) const;  // -1 when not shown
    // Replaces the values a column's cell editor offers (refilled at run time).
    void setPickList(int column, const QStringList& values);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  signals:
    // The record set's cursor moved to visible row `row` (-1: no row).
    void currentRowChanged(int row);

  private:
    void onNotice(const RecordSetNotice& n);
    int recordColumn(int c) const { return fieldColumns_.at(static_cast<size_t>(c)); }

    Environment& env_;
    RecordSet* set_;
    std::vector<GridColumn> columns_;
    std::vector<int> fieldColumns_;  // record-set column of each grid column, -1 if unknown
    int observer_ = -1;
};

// A data grid. Its current row follows the record set's cursor, and choosing a
// row in the grid moves the cursor (a pending edit of the row left is posted
// first; if that fails, the grid stays on the row being edited). Esc abandons
// the changes of the current row. A pop-up menu acts on the row it was opened
// on: the right-click first makes that row current. Tab moves from cell to
// cell; Ctrl+Tab and Ctrl+Shift+Tab leave the grid for the next and the
// previous control (a cell being edited is written first).
class DBGrid : public QTableView {
    Q_OBJECT
  public:
    DBGrid(Environment& env, RecordSet& set, std::vector<GridColumn> columns,
           QWidget* parent = nullptr);

    RecordSetModel* dataModel() const { return model_; }
    RecordSet& recordSet() const { return model_->recordSet(); }

    int currentColumn() const;
    void setCurrentColumn(int column);
    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const { return menu_; }
    // Whole-grid read-only switch (on top of the per-column flags).
    void setGridReadOnly(bool on);

    // Shows the rows through `rows` (over this grid's own model): a click on
    // a column title sorts by it, again the other way, with the arrow. The
    // record set's cursor still follows the row chosen; a cursor left on a
    // row the filter hides moves to the first row shown.
    void setRowView(SortFilterRows* rows);
    SortFilterRows* rowView() const { return rows_; }
    // Back to the record set's own order, without the arrow.
    void clearSort();
    // Leaves the grid for the next (or previous) control the operator can
    // reach, as Ctrl+Tab (Ctrl+Shift+Tab) does.
    void leave(bool forward);
    // Esc with no row being edited goes back to the control before the grid
    // (otherwise it goes on to the window's cancel button).
    void setEscapeGoesBack(bool on) { escapeGoesBack_ = on; }
    // The grid's row of a record-set row (-1 when not shown), and back.
    int viewRow(int recordRow) const;
    int recordRow(const QModelIndex& viewIndex) const;

    // Focus entering the grid from outside it, and leaving it (cell editors
    // count as inside). Run under the general error handler.
    std::function<void()> onEnter;
    std::function<void()> onExit;

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    void followCursor(int row);
    void rowsRecomputed();

    Environment& env_;
    RecordSetModel* model_;
    SortFilterRows* rows_ = nullptr;
    QMenu* menu_ = nullptr;
    bool syncing_ = false;
    bool escapeGoesBack_ = false;
    int pendingColumn_ = 0;  // the current column while the grid shows no row
};

// Behaviour shared by the bound edit box and combo box.
struct BoundCallbacks {
    // Every key press reaches this first; returning true swallows the key.
    std::function<bool(QKeyEvent&)> onKeyPress;
    std::function<void()> onEnter;  // focus came in (not back from a message box)
    std::function<void()> onExit;   // focus left, after the typed value was written
};

// One visit of the focus to a bound box. Entering counts once per visit; a
// value the record set refuses keeps the box focused, and the focus coming
// back after the message is not a new visit. Leaving for another window (a
// message box) does not end the visit.
class FocusVisit {
  public:
    // True when the focus really entered (a new visit).
    bool enter();
    // True when the box was really left and `commit` wrote its value; when
    // `commit` refuses, the focus is sent back to `box`.
    bool leave(QWidget* box, const QFocusEvent& e, const std::function<bool()>& commit);
    // The box is left now, with the focus still in it (the window is
    // closing): `commit` writes its value; true when it did and the box had
    // been entered, so that its leaving step runs. A later focus-out does not
    // leave it again.
    bool leaveNow(const std::function<bool()>& commit, bool& entered);

  private:
    bool entered_ = false;  // the focus is here, or left only for another window
    bool refusing_ = false;
};

// The binding of a bound box to one column of the record set's current row,
// in the manner of a data-widget mapper: it follows the record set, knows
// whether the operator typed something (dirty), starts the edit when typing
// begins, writes the typed text back, and handles the keys every bound box
// handles alike. The box says how the column is shown in it.
class FieldBinding {
  public:
    FieldBinding(Environment& env, RecordSet& set, std::string field);
    ~FieldBinding();
    FieldBinding(const FieldBinding&) = delete;
    FieldBinding& operator=(const FieldBinding&) = delete;

    // Starts following the record set; `show` puts the column in the box.
    // Typing survives changes of other columns of the same row; any other
    // change (another row, a cancel, a re-read) shows the stored value.
    void follow(std::function<void()> show);
    // Shows the stored value; what was typed is dropped.
    void load();
    // The operator changed the text: starts the edit (or shows the stored
    // value again when the record set cannot be edited).
    void typed();
    // Puts the record set in edit mode for typing; false when the box is
    // read-only or the record set cannot be edited.
    bool ensureEditing(bool readOnly);
    // Writes `text` when something was typed; false (after the record set's
    // message) when refused.
    bool commit(bool readOnly, const QString& text);
    // The keys bound boxes share: Enter writes the typed value, then the box's
    // own key step runs, then the window's default button; Esc gives back the
    // stored value when something was typed (with `escape` false it is left
    // to the box); a key that changes the text (`changes`) is refused in a
    // read-only box and for characters no stored text can hold, and starts
    // the edit. True when the key was dealt with and goes no further.
    bool keyPress(QKeyEvent& e, const BoundCallbacks& cb, bool readOnly, bool escape, bool changes,
                  const std::function<void()>& reset, const std::function<bool()>& commitTyped);

    RecordSet& recordSet() const { return *set_; }
    const std::string& fieldName() const { return field_; }
    bool dirty() const { return dirty_; }
    void setDirty() { dirty_ = true; }
    // Runs a change of the box's text or items that is not the operator's.
    void quietly(const std::function<void()>& change);

  private:
    Environment& env_;
    RecordSet* set_;
    std::string field_;
    std::function<void()> show_;
    int observer_ = -1;
    bool dirty_ = false;
    bool loading_ = false;
};

// An edit box bound to one column of the record set's current row. Shows the
// column's display text; while focused it edits the edit text through the
// column's edit mask. Typing puts the record set in edit mode. The typed text
// is written back when the box is left or on Enter; text the record set
// refuses keeps the focus in the box with the record set's message. Esc gives
// back the stored value when something was typed (otherwise the key goes on to
// the window, whose cancel button may take it).
class DBEdit : public QLineEdit, public BoundCallbacks {
    Q_OBJECT
  public:
    DBEdit(Environment& env, RecordSet& set, std::string field, QWidget* parent = nullptr);
    ~DBEdit() override;

    RecordSet& recordSet() const { return binding_.recordSet(); }
    const std::string& fieldName() const { return binding_.fieldName(); }

    // Writes the typed text into the column when something was typed.
    // False (after showing the record set's message) when it was refused.
    bool commit();
    // What leaving the box does, now: writes the typed text, then its
    // leaving step (onExit). False when the text was refused.
    bool leaveNow();
    // Shows the stored value again, dropping what was typed.
    void reset();
    bool dirty() const { return binding_.dirty(); }
    // Puts `text` in the box as if the operator had typed it (the record set
    // goes into edit mode; the text is written when the box is left).
    void setTypedText(const QString& text);
    // True while the box's leaving step runs for Shift+Tab: the operator is
    // going back, and a step that sends the focus on leaves it where it went.
    bool leftBackwards() const { return leftBackwards_; }

    // The Qt input mask for a record-set edit mask ("!99/99/00;1;_" gives
    // "00/00/99;_"); empty for none.
    static QString qtInputMask(const std::string& editMask);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void show();
    QString typedText() const;

    Environment& env_;
    FieldBinding binding_;
    QString emptyMaskText_;
    FocusVisit visit_;
    bool leftBackwards_ = false;
};

// A combo box bound to one column; the program fills its item list. Typing or
// choosing an item puts the record set in edit mode; the text is written back
// when the box is left or on Enter, like the edit box.
class DBComboBox : public QComboBox, public BoundCallbacks {
    Q_OBJECT
  public:
    DBComboBox(Environment& env, RecordSet& set, std::string field, QWidget* parent = nullptr);
    ~DBComboBox() override;

    RecordSet& recordSet() const { return binding_.recordSet(); }
    bool commit();
    bool leaveNow();  // as DBEdit::leaveNow
    void reset();
    bool dirty() const { return binding_.dirty(); }
    // Replaces the item list; the box keeps showing the column's value.
    void setItems(const QStringList& items);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void show();
    bool readOnly() const;

    Environment& env_;
    FieldBinding binding_;
    FocusVisit visit_;
};

// A read-only label showing one column of the current row.
class DBText : public QLabel {
    Q_OBJECT
  public:
    DBText(RecordSet& set, std::string field, QWidget* parent = nullptr);
    ~DBText() override;

  private:
    void load();
    RecordSet* set_;
    std::string field_;
    int observer_ = -1;
};

// Writes what the focused bound box of `window` holds, if any. False when the
// record set refused it (its message was shown and the focus stays there).
bool commitFocusedEditor(QWidget* window);
// The same, and then the box's leaving step runs, as when the focus leaves
// it: a window that closes with the focus in a field does what leaving the
// field by Enter does before it writes the record.
bool leaveFocusedEditor(QWidget* window);

}  // namespace cp
