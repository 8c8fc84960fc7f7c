#include "shell/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace cp {

namespace {

// Texts of Qt that its pt_BR translation leaves in English: the kinds of
// entry the file dialog names in its "Tipo" column.
class TextosQtEmFalta : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* contexto, const char* texto, const char*, int) const override {
        if (qstrcmp(contexto, "QAbstractFileIconProvider") != 0 || !texto) return {};
        static const struct {
            const char* ingles;
            const char16_t* portugues;
        } kTextos[] = {
            {"Folder", u"Pasta"},         {"File Folder", u"Pasta"}, {"Drive", u"Unidade"},
            {"File", u"Arquivo"},         {"Shortcut", u"Atalho"},   {"Alias", u"Atalho"},
            {"Unknown", u"Desconhecido"},
        };
        for (const auto& t : kTextos)
            if (qstrcmp(texto, t.ingles) == 0) return QString::fromUtf16(t.portugues);
        return {};
    }
};

}  // namespace

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
    QCoreApplication::installTranslator(new TextosQtEmFalta(tradutor));
    instalado = tradutor;
    return true;
}

}  // namespace cp
