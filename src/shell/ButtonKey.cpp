#include "shell/ButtonKey.h"

#include <QAction>
#include <QPushButton>

#include "shell/DataWidgets.h"
#include "shell/FocusChain.h"
#include "shell/Toolkit.h"

namespace cp {
namespace {

constexpr const char* kTecla = "cpButtonKey";

}  // namespace

QAction* addButtonKey(QPushButton* button, const QKeySequence& key) {
    auto* acao = new QAction(button);
    acao->setShortcut(key);
    // Taken anywhere in the window, but only while the button is shown and
    // enabled (Qt asks its widget).
    acao->setShortcutContext(Qt::WindowShortcut);
    button->addAction(acao);
    button->setProperty(kTecla, key.toString(QKeySequence::NativeText));
    updateButtonKeyTip(button);
    QObject::connect(acao, &QAction::triggered, button, [button] {
        // Under the login panel or a lookup panel it cannot be clicked.
        if (!isReachable(button)) return;
        if (!leaveFocusedEditor(button->window())) return;
        // Leaving the field may have opened a lookup panel over it. As a
        // click, the key leaves the focus on the button.
        if (!isReachable(button)) return;
        button->setFocus(Qt::ShortcutFocusReason);
        button->click();
    });
    return acao;
}

QString buttonKeyText(const QPushButton* button) {
    return button ? button->property(kTecla).toString() : QString();
}

void updateButtonKeyTip(QPushButton* button) {
    const QString tecla = buttonKeyText(button);
    const QString legenda = plainCaption(button->text());
    button->setToolTip(tecla.isEmpty() ? legenda : QStringLiteral("%1 (%2)").arg(legenda, tecla));
}

}  // namespace cp
