// Function keys of the window's buttons: the key does what a click does, and
// only while the button can be seen and used (a hidden button's key is not
// taken, so the key goes on to the control with the focus). The button's tip
// names its key.
#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QPushButton;

namespace cp {

// Gives `button` the key `key`. As a click does, the key first leaves the
// field being typed in (its value written, its leaving step run); a field
// that refuses its text keeps the focus and the button is not clicked.
QAction* addButtonKey(QPushButton* button, const QKeySequence& key);

// The button's tip: its caption and its key, "Voltar (F3)". Call again after
// the caption changes.
void updateButtonKeyTip(QPushButton* button);

// The key of a button given one by addButtonKey (empty for none), as the
// operator reads it.
QString buttonKeyText(const QPushButton* button);

}  // namespace cp
