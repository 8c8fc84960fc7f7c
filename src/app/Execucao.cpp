#include "app/Execucao.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLatin1Char>
#include <QTimer>
#include <QWidget>

#include "app/Application.h"
#include "app/Form1.h"
#include "app/Programa.h"
#include "shell/DesktopEnvironment.h"

namespace cp {
namespace {

// For start-up measurements (CP_QUIT_AFTER_FIRST_PAINT set): ends the program
// once the window has been painted after its activation.
class FimAposPrimeiraPintura : public QObject {
  public:
    explicit FimAposPrimeiraPintura(Form1& form) : form_(form) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (!done_ && e->type() == QEvent::Paint && form_.activated()) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->window() == &form_) {
                done_ = true;
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            }
        }
        return false;
    }

  private:
    Form1& form_;
    bool done_ = false;
};

// The program proper: what it created is gone before the application.
int executa(Application& app, Environment& env, const QString& programDir,
            const std::function<void(Form1&)>& aoMostrar) {
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();  // the program's own name
    Programa programa(env, args);
    Form1& form = programa.form();
    // Before the first attachment: the database client keeps these handlers.
    quitOnTerminationSignals(&form);
    if (!programa.cria(programDir)) return 0;

    FimAposPrimeiraPintura medicao(form);
    if (qEnvironmentVariableIsSet("CP_QUIT_AFTER_FIRST_PAINT")) app.installEventFilter(&medicao);

    form.show();
    if (aoMostrar) aoMostrar(form);
    const int codigo = app.exec();
    app.removeEventFilter(&medicao);
    return codigo;
}

}  // namespace

int executaPrograma(int argc, char** argv, const QString& programDir,
                    const std::function<void(Form1&)>& aoMostrar) {
    Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Contas a Pagar"));
    installSuiteFonts();
    installSuiteLocale();

    DesktopEnvironment env;
    app.setEnvironment(&env);
    const QString pasta = programDir.isEmpty()
                              ? QCoreApplication::applicationDirPath() + QLatin1Char('/')
                              : programDir;
    const int codigo = executa(app, env, pasta, aoMostrar);
    // The environment goes before the application: take it back first.
    app.setEnvironment(nullptr);
    return codigo;
}

}  // namespace cp
