#include "shell/Toolkit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QWidget>

#include "shell/ErrorHandler.h"

namespace cp {
namespace {

QString metricFamily(const QString& family) {
    if (family.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
        family.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    return family;
}

}  // namespace

QFont suiteFont(const QString& family, int pixelSize, bool bold) {
    QFont f(metricFamily(family));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont suiteFontPt(const QString& family, int pointSize, bool bold) {
    QFont f(metricFamily(family));
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

void setFontColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
    p.setColor(QPalette::Text, c);
    w->setPalette(p);
}

QString plainCaption(QString caption) { return caption.remove(QLatin1Char('&')); }

void nameField(QWidget* field, const QString& name) {
    field->setAccessibleName(name);
    if (auto* caixa = qobject_cast<QComboBox*>(field); caixa && caixa->lineEdit())
        caixa->lineEdit()->setAccessibleName(name);
}

void nameAfterLabel(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    QString nome = plainCaption(label->text()).trimmed();
    if (nome.endsWith(QLatin1Char(':'))) nome.chop(1);
    nameField(field, nome.trimmed());
}

QColor fontColor(const QWidget* w) { return w->palette().color(QPalette::ButtonText); }

namespace {

class FocusWatcher : public QObject {
  public:
    FocusWatcher(QWidget* container, Environment& env, std::function<void()> onEnter,
                 std::function<void()> onExit)
        : QObject(container),
          container_(container),
          env_(env),
          onEnter_(std::move(onEnter)),
          onExit_(std::move(onExit)) {
        inside_ = contains(QApplication::focusWidget());
        connect(qApp, &QApplication::focusChanged, this, &FocusWatcher::changed);
    }

  private:
    bool contains(QWidget* w) const {
        return w && (w == container_ || container_->isAncestorOf(w));
    }

    void changed(QWidget* old, QWidget* now) {
        if (!now) return;  // the window lost the focus; it comes back to the same control
        if (old && old->window() != now->window()) return;  // a message box came or went
        if (now->window() != container_->window()) return;
        const bool in = contains(now);
        if (in == inside_) return;
        inside_ = in;
        const auto& fn = in ? onEnter_ : onExit_;
        if (fn) guarded(env_, fn);
    }

    QPointer<QWidget> container_;
    Environment& env_;
    std::function<void()> onEnter_, onExit_;
    bool inside_ = false;
};

}  // namespace

void watchFocus(QWidget* container, Environment& env, std::function<void()> onEnter,
                std::function<void()> onExit) {
    new FocusWatcher(container, env, std::move(onEnter), std::move(onExit));
}

}  // namespace cp
