#include "shell/DesktopEnvironment.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "shell/Termination.h"
#include "suite/UsuarioSistema.h"

namespace cp {

bool DesktopEnvironment::openFolder(const QString& folder) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

QString suiteDirFrom(const QString& brundeloHome) {
    QString dir = brundeloHome.isEmpty() ? QStringLiteral("/opt/brundelo") : brundeloHome;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

DesktopEnvironment::DesktopEnvironment()
    : suiteDir_(suiteDirFrom(qEnvironmentVariable("BRUNDELO_HOME"))) {}

namespace {

// The suite separates the lines of some messages with a lone carriage
// return; the box breaks lines only at line feeds.
QString quebrasDeLinha(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

void DesktopEnvironment::showMessage(const QString& text) {
    // Asked to stop: nobody is left to read it (errors are logged before).
    if (terminationRequested()) return;
    QWidget* parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                    quebrasDeLinha(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool DesktopEnvironment::ask(const QString& text) {
    if (terminationRequested()) return false;
    QWidget* parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(),
                    quebrasDeLinha(text), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* sim = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
    QPushButton* nao = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
    box.setDefaultButton(nao);
    box.setEscapeButton(nao);
    box.exec();
    return box.clickedButton() == sim;
}

QDateTime DesktopEnvironment::now() const { return QDateTime::currentDateTime(); }

QString DesktopEnvironment::osUserName() const { return nomeUsuarioSistema(); }

}  // namespace cp
