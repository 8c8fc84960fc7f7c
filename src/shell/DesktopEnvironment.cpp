#include "shell/DesktopEnvironment.h"

#include <QApplication>
#include <QMessageBox>

#include "data/UsuarioSistema.h"
#include "shell/Termino.h"

namespace cp {

QString suiteDirFrom(const QString& brundeloHome) {
    QString dir = brundeloHome.isEmpty() ? QStringLiteral("/opt/brundelo") : brundeloHome;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

DesktopEnvironment::DesktopEnvironment()
    : suiteDir_(suiteDirFrom(qEnvironmentVariable("BRUNDELO_HOME"))) {}

void DesktopEnvironment::showMessage(const QString& text) {
    // Asked to stop: nobody is left to read it (errors are logged before).
    if (terminationRequested()) return;
    QWidget* parent = QApplication::activeWindow();
    // The suite separates the lines of some messages with a lone carriage
    // return; the box breaks lines only at line feeds.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), shown,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QDateTime DesktopEnvironment::now() const { return QDateTime::currentDateTime(); }

QString DesktopEnvironment::osUserName() const { return nomeUsuarioSistema(); }

}  // namespace cp
