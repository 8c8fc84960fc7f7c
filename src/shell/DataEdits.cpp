// The bound edit box, combo box and text label.
#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include "data/Cp1252.h"
#include "data/Formats.h"
#include "shell/AmountValidator.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"

namespace cp {
namespace {

bool isEnter(const QKeyEvent& e) { return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter; }

// A key's text that would be typed. A character outside the basic plane
// (an emoji) comes as a surrogate pair, whose first unit is not printable by
// itself.
bool printable(const QString& t) {
    return !t.isEmpty() && (t.at(0).isPrint() || t.at(0).isHighSurrogate());
}

// Keys that change the text of a box (as opposed to moving in it).
bool changesText(const QKeyEvent& e) {
    if (e.matches(QKeySequence::Paste) || e.matches(QKeySequence::Cut) ||
        e.matches(QKeySequence::Undo) || e.matches(QKeySequence::Redo) ||
        e.matches(QKeySequence::DeleteEndOfWord) || e.matches(QKeySequence::DeleteStartOfWord) ||
        e.matches(QKeySequence::DeleteEndOfLine))
        return true;
    if (e.key() == Qt::Key_Backspace || e.key() == Qt::Key_Delete) return true;
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    return printable(e.text());
}

// Focus that moves to a message box, a pop-up or another window and comes back
// is not the operator entering or leaving the box.
bool windowFocusChange(const QFocusEvent& e) {
    return e.reason() == Qt::ActiveWindowFocusReason || e.reason() == Qt::PopupFocusReason;
}

void runCallback(Environment& env, const std::function<void()>& fn) {
    if (fn) guarded(env, fn);
}

// Runs the key callback; true when it swallowed the key (or failed: the key
// is not handed on after an error).
bool runKeyCallback(Environment& env, const std::function<bool(QKeyEvent&)>& fn, QKeyEvent& e) {
    if (!fn) return false;
    bool swallowed = true;
    guarded(env, [&] { swallowed = fn(e); });
    return swallowed;
}

// Writes `text` into the column of the current row; shows the record set's
// message and returns false when refused.
bool writeField(Environment& env, RecordSet& set, const std::string& field, const QString& text) {
    const std::optional<std::string> bytes = toCp1252(text);
    if (!bytes) {
        try {
            toCp1252OrThrow(text);
        } catch (const std::exception& e) {
            env.showMessage(errorText(e));
        }
        return false;
    }
    try {
        if (set.state() == RecordSetState::Browse) set.edit();
        set.field(field).setEditText(*bytes);
        return true;
    } catch (const DataError& e) {
        env.showMessage(errorText(e));
    } catch (const std::exception& e) {
        reportError(env, e);
    }
    return false;
}

// Puts the record set in edit mode for typing; false when it cannot be
// edited (closed, or the edit refused, which is reported).
bool beginEdit(Environment& env, RecordSet& set) {
    if (!set.active()) return false;
    if (set.state() != RecordSetState::Browse) return true;
    return guarded(env, [&] { set.edit(); });
}

// Text of the column for the box: the edit text while the box has the focus,
// the display text otherwise; empty when there is no current row.
QString fieldText(RecordSet& set, const std::string& field, bool editing) {
    if (!set.active() || set.fieldIndex(field) < 0) return {};
    if (set.isEmpty() && set.state() == RecordSetState::Browse) return {};
    Field f = set.field(field);
    return fromCp1252(editing ? f.editText() : f.displayText());
}

}  // namespace

// ----- FocusVisit -----

bool FocusVisit::enter() {
    if (entered_ || refusing_) return false;
    entered_ = true;
    return true;
}

bool FocusVisit::leaveNow(const std::function<bool()>& commit, bool& entered) {
    entered = false;
    if (!commit()) return false;
    if (entered_ && !refusing_) {
        entered_ = false;
        entered = true;
    }
    return true;
}

bool FocusVisit::leave(QWidget* box, const QFocusEvent& e, const std::function<bool()>& commit) {
    // A box the focus passed by without coming in (it moved on while it was
    // on its way here) was never entered, so it is not left either.
    if (windowFocusChange(e) || refusing_ || !entered_) return false;
    entered_ = false;
    if (commit()) return true;
    // Refused: the focus comes back here once the message is closed.
    refusing_ = true;
    entered_ = true;
    QTimer::singleShot(0, box, [this, box] {
        box->setFocus(Qt::OtherFocusReason);
        refusing_ = false;
    });
    return false;
}

QString DBEdit::qtInputMask(const std::string& editMask) {
    if (editMask.empty()) return {};
    // "mask;save-literals;blank": only the mask and the blank character matter
    // to the box (literals are always kept in the text written back).
    std::string mask = editMask;
    char blank = '_';
    const size_t semi = mask.find(';');
    if (semi != std::string::npos) {
        const std::string rest = mask.substr(semi + 1);
        mask = mask.substr(0, semi);
        const size_t semi2 = rest.find(';');
        if (semi2 != std::string::npos && semi2 + 1 < rest.size()) blank = rest[semi2 + 1];
    }
    QString out;
    auto literal = [&out](QChar c) {
        static const QString meta = QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\");
        if (meta.contains(c)) out += QLatin1Char('\\');
        out += c;
    };
    for (size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        switch (c) {
            case '!':
                break;  // blanks at the left: no equivalent, positions stay as typed
            case '0':
                out += QLatin1Char('9');
                break;  // digit required
            case '9':
                out += QLatin1Char('0');
                break;  // digit optional
            case '#':
                out += QLatin1Char('#');
                break;
            case 'L':
                out += QLatin1Char('A');
                break;  // letter required
            case 'l':
                out += QLatin1Char('a');
                break;
            case 'A':
                out += QLatin1Char('N');
                break;  // letter or digit required
            case 'a':
                out += QLatin1Char('n');
                break;
            case 'C':
                out += QLatin1Char('X');
                break;  // any character required
            case 'c':
                out += QLatin1Char('x');
                break;
            case '>':
                out += QLatin1Char('>');
                break;
            case '<':
                if (i + 1 < mask.size() && mask[i + 1] == '>') {
                    out += QLatin1Char('!');
                    ++i;
                } else {
                    out += QLatin1Char('<');
                }
                break;
            case '\\':
                if (i + 1 < mask.size()) literal(QLatin1Char(mask[++i]));
                break;
            // The separators stand for the locale's, as the record sets read them.
            case '/':
                literal(dateSeparator());
                break;
            case ':':
                literal(timeSeparator());
                break;
            default:
                literal(QLatin1Char(c));
        }
    }
    out += QLatin1Char(';');
    out += QLatin1Char(blank);
    return out;
}

// ----- FieldBinding -----

FieldBinding::FieldBinding(Environment& env, RecordSet& set, std::string field)
    : env_(env), set_(&set), field_(std::move(field)) {}

FieldBinding::~FieldBinding() {
    if (observer_ >= 0) set_->removeObserver(observer_);
}

void FieldBinding::follow(std::function<void()> show) {
    show_ = std::move(show);
    observer_ = set_->addObserver([this](const RecordSetNotice& n) {
        if (dirty_ && n.kind == RecordSetNotice::RowChanged) return;
        load();
    });
    load();
}

void FieldBinding::load() {
    quietly(show_);
    dirty_ = false;
}

void FieldBinding::quietly(const std::function<void()>& change) {
    loading_ = true;
    change();
    loading_ = false;
}

void FieldBinding::typed() {
    if (loading_) return;
    if (!dirty_ && !beginEdit(env_, *set_)) {
        load();
        return;
    }
    dirty_ = true;
}

bool FieldBinding::ensureEditing(bool readOnly) { return !readOnly && beginEdit(env_, *set_); }

bool FieldBinding::commit(bool readOnly, const QString& text) {
    if (!dirty_ || readOnly) return true;
    if (!set_->active()) {
        load();
        return true;
    }
    if (!writeField(env_, *set_, field_, text)) return false;
    load();
    return true;
}

bool FieldBinding::keyPress(QKeyEvent& e, const BoundCallbacks& cb, bool readOnly, bool escape,
                            bool changes, const std::function<void()>& reset,
                            const std::function<bool()>& commitTyped) {
    if (isEnter(e)) {
        // The typed value is written before the field's own Enter step runs.
        if (!commitTyped() || runKeyCallback(env_, cb.onKeyPress, e)) {
            e.accept();
            return true;
        }
        e.ignore();  // on to the window's default button
        return true;
    }
    if (runKeyCallback(env_, cb.onKeyPress, e)) {
        e.accept();
        return true;
    }
    if (e.key() == Qt::Key_Escape && escape) {
        if (dirty_) {
            reset();
            e.accept();
        } else {
            e.ignore();  // on to the window's cancel button
        }
        return true;
    }
    if (!changes) return false;
    if (readOnly) {
        e.accept();
        return true;
    }
    const QString t = e.text();
    if (printable(t) && !toCp1252(t)) {
        try {
            toCp1252OrThrow(t);
        } catch (const std::exception& ex) {
            env_.showMessage(errorText(ex));
        }
        e.accept();
        return true;
    }
    if (!dirty_ && !ensureEditing(readOnly)) {
        e.accept();
        return true;
    }
    return false;
}

// ----- DBEdit -----

DBEdit::DBEdit(Environment& env, RecordSet& set, std::string field, QWidget* parent)
    : QLineEdit(parent), env_(env), binding_(env, set, std::move(field)) {
    const int f = set.fieldIndex(binding_.fieldName());
    if (f >= 0) {
        const FieldDef& def = set.fields()[static_cast<size_t>(f)];
        const QString mask = qtInputMask(def.editMask);
        if (!mask.isEmpty()) {
            setInputMask(mask);
            emptyMaskText_ = text();
        } else if (def.type == FieldType::String && def.size > 0) {
            setMaxLength(def.size);
        }
        // An amount refuses, key by key, what can never be a number.
        if (QValidator* v = AmountValidator::forField(def, this)) setValidator(v);
    }
    connect(this, &QLineEdit::textEdited, this, [this] { binding_.typed(); });
    binding_.follow([this] { show(); });
}

DBEdit::~DBEdit() = default;

void DBEdit::show() {
    // The text is replaced only when it differs, so that a notice that changes
    // nothing shown (the set going into edit mode as typing starts) keeps the
    // operator's selection and cursor.
    // A box with an input mask always shows the edit text, which fits the
    // mask (a four-digit year of the display text would not).
    const bool editText = (hasFocus() && !isReadOnly()) || !inputMask().isEmpty();
    const QString shown = fieldText(recordSet(), fieldName(), editText);
    if (shown != text() || (shown.isEmpty() && binding_.dirty())) {
        setText(shown);
        if (!hasFocus()) setCursorPosition(0);  // a long text shows its beginning
    }
}

void DBEdit::reset() {
    binding_.load();
    if (hasFocus()) selectAll();
}

void DBEdit::setTypedText(const QString& text) {
    if (text.isEmpty() || !binding_.ensureEditing(isReadOnly())) return;
    binding_.quietly([&] { setText(text); });
    binding_.setDirty();
}

QString DBEdit::typedText() const {
    if (!inputMask().isEmpty() && text() == emptyMaskText_) return {};
    return text();
}

bool DBEdit::commit() { return binding_.commit(isReadOnly(), typedText()); }

bool DBEdit::leaveNow() {
    bool entered = false;
    if (!visit_.leaveNow([this] { return commit(); }, entered)) return false;
    if (entered) runCallback(env_, onExit);
    return true;
}

void DBEdit::keyPressEvent(QKeyEvent* e) {
    if (binding_.keyPress(
            *e, *this, isReadOnly(), true, changesText(*e), [this] { reset(); },
            [this] { return commit(); }))
        return;
    QLineEdit::keyPressEvent(e);
}

void DBEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    // Coming back from a message box is not entering the box again.
    if (!visit_.enter()) return;
    if (!binding_.dirty()) binding_.load();
    if (e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason ||
        e->reason() == Qt::OtherFocusReason)
        selectAll();
    runCallback(env_, onEnter);
}

void DBEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (!visit_.leave(this, *e, [this] { return commit(); })) return;
    leftBackwards_ = e->reason() == Qt::BacktabFocusReason;
    runCallback(env_, onExit);
    leftBackwards_ = false;
}

bool DBEdit::focusNextPrevChild(bool next) {
    if (!commit()) return true;  // stays in the box
    return QLineEdit::focusNextPrevChild(next);
}

// ----- DBComboBox -----

DBComboBox::DBComboBox(Environment& env, RecordSet& set, std::string field, QWidget* parent)
    : QComboBox(parent), env_(env), binding_(env, set, std::move(field)) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    const int f = set.fieldIndex(binding_.fieldName());
    if (f >= 0) {
        const FieldDef& def = set.fields()[static_cast<size_t>(f)];
        if (def.type == FieldType::String && def.size > 0) lineEdit()->setMaxLength(def.size);
    }
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { binding_.typed(); });
    connect(this, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { binding_.typed(); });
    binding_.follow([this] { show(); });
}

DBComboBox::~DBComboBox() = default;

bool DBComboBox::readOnly() const { return lineEdit()->isReadOnly(); }

void DBComboBox::show() {
    const QString shown = fieldText(recordSet(), binding_.fieldName(), true);
    if (shown != lineEdit()->text()) lineEdit()->setText(shown);
}

void DBComboBox::setItems(const QStringList& items) {
    const bool wasDirty = binding_.dirty();
    const QString typed = currentText();
    binding_.quietly([&] {
        clear();
        addItems(items);
    });
    if (wasDirty) {
        lineEdit()->setText(typed);
    } else {
        binding_.load();
    }
}

void DBComboBox::reset() {
    binding_.load();
    if (hasFocus()) lineEdit()->selectAll();
}

bool DBComboBox::commit() { return binding_.commit(readOnly(), currentText()); }

void DBComboBox::keyPressEvent(QKeyEvent* e) {
    const bool choosing = e->key() == Qt::Key_Up || e->key() == Qt::Key_Down ||
                          e->key() == Qt::Key_PageUp || e->key() == Qt::Key_PageDown;
    if (binding_.keyPress(
            *e, *this, readOnly(), !view()->isVisible(), changesText(*e) || choosing,
            [this] { reset(); }, [this] { return commit(); }))
        return;
    if (choosing) binding_.setDirty();
    QComboBox::keyPressEvent(e);
}

void DBComboBox::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    if (!visit_.enter()) return;
    if (!binding_.dirty()) binding_.load();
    runCallback(env_, onEnter);
}

bool DBComboBox::leaveNow() {
    bool entered = false;
    if (!visit_.leaveNow([this] { return commit(); }, entered)) return false;
    if (entered) runCallback(env_, onExit);
    return true;
}

void DBComboBox::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    if (visit_.leave(this, *e, [this] { return commit(); })) runCallback(env_, onExit);
}

bool DBComboBox::focusNextPrevChild(bool next) {
    if (!commit()) return true;
    return QComboBox::focusNextPrevChild(next);
}

// ----- DBText -----

DBText::DBText(RecordSet& set, std::string field, QWidget* parent)
    : QLabel(parent), set_(&set), field_(std::move(field)) {
    setTextFormat(Qt::PlainText);
    observer_ = set.addObserver([this](const RecordSetNotice&) { load(); });
    load();
}

DBText::~DBText() { set_->removeObserver(observer_); }

void DBText::load() { setText(fieldText(*set_, field_, false)); }

// ----- -----

namespace {

// The bound box of `window`'s focus chain, if the focus is in one. While a
// message box is open (or in the moment it closes) the application's focus
// is in the box; the field being typed in is the one the window itself last
// gave its focus to.
template <class Edit, class Box>
bool onFocusedEditor(QWidget* window, const Edit& edit, const Box& box) {
    QWidget* f = QApplication::focusWidget();
    if (window && (!f || f->window() != window->window())) f = window->window()->focusWidget();
    if (!f) return true;
    for (QWidget* w = f; w; w = w->parentWidget()) {
        if (auto* e = qobject_cast<DBEdit*>(w)) return edit(*e);
        if (auto* b = qobject_cast<DBComboBox*>(w)) return box(*b);
        if (w->isWindow()) break;
    }
    return true;
}

}  // namespace

bool commitFocusedEditor(QWidget* window) {
    return onFocusedEditor(
        window, [](DBEdit& e) { return e.commit(); }, [](DBComboBox& b) { return b.commit(); });
}

bool leaveFocusedEditor(QWidget* window) {
    return onFocusedEditor(
        window, [](DBEdit& e) { return e.leaveNow(); }, [](DBComboBox& b) { return b.leaveNow(); });
}

}  // namespace cp
