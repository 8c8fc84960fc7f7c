#include "shell/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace cp {

QString qtTranslationsFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

bool installQtTranslation() {
    // The translator belongs to the application and goes with it.
    static QPointer<QTranslator> instalado;
    if (instalado) return true;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    auto* tradutor = new QTranslator(app);
    // qtbase holds the widgets' texts; "qt_pt_BR" is only a meta file
    // naming it and the other modules.
    if (!tradutor->load(QStringLiteral("qtbase_pt_BR"), qtTranslationsFolder())) {
        delete tradutor;
        return false;
    }
    QCoreApplication::installTranslator(tradutor);
    instalado = tradutor;
    return true;
}

}  // namespace cp
