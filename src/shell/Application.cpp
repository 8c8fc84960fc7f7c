#include "shell/Application.h"

#include <QFont>
#include <QLocale>
#include <cstdio>

#include "shell/ErrorHandler.h"
#include "shell/Toolkit.h"

namespace cp {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (env_) {
            reportError(*env_, errorText(e));
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
