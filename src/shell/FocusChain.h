// Where the keyboard may take the focus: only to a control the operator can
// see and use. A control hidden, disabled or lying under another one (the
// entry fields under the due list, the window under the login panel, the
// button under the start-date edit) is passed over by Tab, Shift+Tab, Enter
// and the keys that click buttons, so nothing is ever typed where it cannot
// be seen.
#pragma once

class QWidget;

namespace cp {

// True when `w` is shown, enabled and not lying under another control of its
// window at its centre.
bool isReachable(const QWidget* w);

// The control after (or before) `from` in its window's tab order that Tab can
// take the focus to and the operator can reach; nullptr when there is none.
QWidget* nextReachable(QWidget* from, bool forward);

// The focus where it may be: when the focused control of `window` can no
// longer be reached (a view switch hid or covered it), it goes to
// `preferred` if that can be reached, else on to the next reachable control.
void keepFocusReachable(QWidget* window, QWidget* preferred = nullptr);

}  // namespace cp
