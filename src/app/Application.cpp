#include "app/Application.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDialog>
#include <QFont>
#include <QLocale>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include "shell/ErrorHandler.h"
#include "shell/Termination.h"
#include "shell/Toolkit.h"

namespace cp {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (env_) {
            reportError(*env_, e);
        } else {
            std::fprintf(stderr, "%s\n", e.what());
        }
    } catch (...) {
        if (env_) {
            reportError(*env_, QStringLiteral("Erro desconhecido."));
        } else {
            std::fprintf(stderr, "Erro desconhecido.\n");
        }
    }
    return true;
}

namespace {

int sinalPipe[2] = {-1, -1};

void aoSinal(int) {
    // Only async-signal-safe calls here: the event loop does the rest. The
    // interrupted code may be about to read errno.
    const int errnoAntes = errno;
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(sinalPipe[1], &c, 1);
    errno = errnoAntes;
}

}  // namespace

void quitOnTerminationSignals(QWidget* window) {
    if (sinalPipe[0] < 0 && ::pipe2(sinalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(sinalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char buf[16];
        while (::read(sinalPipe[0], buf, sizeof buf) > 0) {
        }
        markTerminationRequested();
        // A message box open meanwhile runs an event loop of its own: it
        // closes, and every loop returns.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QDialog*>(w); box && box->isVisible()) box->reject();
        }
        window->close();
        QCoreApplication::exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = aoSinal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sinal : {SIGTERM, SIGINT, SIGHUP}) sigaction(sinal, &sa, nullptr);
}

void installSuiteLocale() {
    const QLocale sistema = QLocale::system();
    if (sistema.language() == QLocale::C || sistema.name() == QLatin1String("C"))
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
}

void installSuiteFonts() {
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    QApplication::setFont(suiteFont(QStringLiteral("MS Sans Serif"), 11));
}

}  // namespace cp
