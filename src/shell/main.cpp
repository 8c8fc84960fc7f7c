// Program entry: the application, then the main window, the shared-database
// module and the work area's module, in this order, and the window's event
// loop until the window closes.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "data/Conexoes.h"
#include "data/Modules.h"
#include "data/Persistencia.h"
#include "shell/Application.h"
#include "shell/DesktopEnvironment.h"
#include "shell/ErrorHandler.h"
#include "shell/Form1.h"

namespace {

// For start-up measurements (CP_QUIT_AFTER_FIRST_PAINT set): ends the program
// once the window has been painted after its activation.
class FimAposPrimeiraPintura : public QObject {
  public:
    explicit FimAposPrimeiraPintura(cp::Form1& form) : form_(form) {}

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
    cp::Form1& form_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    cp::Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Contas a Pagar"));
    cp::installSuiteFonts();
    cp::installSuiteLocale();

    cp::DesktopEnvironment env;
    app.setEnvironment(&env);

    // Declared before the window so that the window, whose bound widgets
    // follow the record sets, goes first at the end.
    std::unique_ptr<cp::TDM> dm;
    std::unique_ptr<cp::TDM2> dm2;

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();  // the program's own name
    cp::Form1 form(env, args);
    cp::quitOnTerminationSignals(&form);
    if (!form.FormCreate(QCoreApplication::applicationDirPath() + QLatin1Char('/'))) return 0;
    // Asked to stop meanwhile: no more attempts to reach the databases.
    if (cp::terminationRequested()) return 0;

    // A failed step of either module is reported and start-up goes on.
    dm = std::make_unique<cp::TDM>(env, form.sessao);
    cp::guarded(env, [&] { cp::DataModuleCreate(*dm); });
    if (cp::terminationRequested()) return 0;
    dm2 = std::make_unique<cp::TDM2>(env, form.sessao);
    cp::guarded(env, [&] { cp::DataModuleCreate(*dm2); });
    cp::instalaPersistencia(*dm, *dm2, form.sessao, env);
    form.setModules(dm.get(), dm2.get());
    if (cp::terminationRequested()) return 0;

    FimAposPrimeiraPintura medicao(form);
    if (qEnvironmentVariableIsSet("CP_QUIT_AFTER_FIRST_PAINT")) app.installEventFilter(&medicao);

    form.show();
    return app.exec();
}
