// Small helpers the screens share to draw themselves as the suite does:
// its typefaces (mapped to metric-compatible ones) and its font colours.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>

#include "suite/Environment.h"

class QLabel;
class QWidget;

namespace cp {

// The suite's named colours.
inline const QColor kNavy{0x00, 0x00, 0x80};
inline const QColor kPurple{0x80, 0x00, 0x80};
inline const QColor kGreen{0x00, 0x80, 0x00};
inline const QColor kRed{0xFF, 0x00, 0x00};
inline const QColor kMaroon{0x80, 0x00, 0x00};
inline const QColor kWhite{0xFF, 0xFF, 0xFF};

// A font of the suite by its family name ("MS Sans Serif", "Arial", "Times
// New Roman"), drawn with Liberation Sans or Liberation Serif.
QFont suiteFont(const QString& family, int pixelSize, bool bold = false);
// The same by point size (Times New Roman 12 points in the login box).
QFont suiteFontPt(const QString& family, int pointSize, bool bold = false);

// A caption as it is read: without the "&" that marks its accelerator.
QString plainCaption(QString caption);

// The name a screen reader gives `field` is the caption of its label, without
// the "&" of an accelerator and the ":" at its end; the label becomes the
// field's buddy. A combo box's edit part takes the same name.
void nameAfterLabel(QLabel* label, QWidget* field);
// The same with a name of its own, for a field whose label says less ("a").
void nameField(QWidget* field, const QString& name);

// Font colour of a label, button or panel caption.
void setFontColor(QWidget* w, const QColor& c);
QColor fontColor(const QWidget* w);

// Calls onEnter when the focus comes into `container` (the widget or any
// control inside it) from a control of the same window outside it, and onExit
// when it goes from inside to such a control. Focus taken by a message box or
// another window, and given back, counts as neither. Both run under the
// general error handler.
void watchFocus(QWidget* container, Environment& env, std::function<void()> onEnter,
                std::function<void()> onExit);

}  // namespace cp
