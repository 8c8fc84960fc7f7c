#include "shell/FocusChain.h"

#include <QWidget>

namespace cp {

bool isReachable(const QWidget* w) {
    if (!w || !w->isVisible() || !w->isEnabled()) return false;
    const QWidget* janela = w->window();
    if (janela == w) return true;
    const QPoint centro = w->mapTo(janela, w->rect().center());
    const QWidget* noTopo = janela->childAt(centro);
    // A point the window does not cover with any child is the window's own.
    return noTopo == w || (noTopo && w->isAncestorOf(noTopo));
}

namespace {

// A control Tab stops at, as Qt's own tab chain judges it, and that the
// operator can reach.
bool tabStop(const QWidget* w, const QWidget* janela) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy() &&
           w->window() == janela && w != janela && isReachable(w);
}

}  // namespace

QWidget* nextReachable(QWidget* from, bool forward) {
    if (!from) return nullptr;
    const QWidget* janela = from->window();
    // The window's tab chain, followed from the control until it comes round
    // to it again.
    QWidget* w = from;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == from) return nullptr;
        // A control's own parts (a combo box's edit, a grid's cell editor)
        // stand for the control: going back from inside it stops before it.
        if (w->isAncestorOf(from) || from->isAncestorOf(w) || !tabStop(w, janela)) continue;
        // Coming back into a control from its last part (a grid's viewport
        // or scroll bar) lands on the control.
        QWidget* alvo = w;
        for (QWidget* p = w->parentWidget(); p && p != janela; p = p->parentWidget())
            if (tabStop(p, janela)) alvo = p;
        if (alvo != from && !alvo->isAncestorOf(from)) return alvo;
    }
}

void keepFocusReachable(QWidget* window, QWidget* preferred) {
    if (!window) return;
    QWidget* f = window->focusWidget();
    if (f && isReachable(f)) return;
    if (preferred && isReachable(preferred)) {
        preferred->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (QWidget* proximo = nextReachable(f ? f : window, true))
        proximo->setFocus(Qt::TabFocusReason);
}

}  // namespace cp
