// Program entry: the application, then the program's start-up (Programa), and
// the window's event loop until the window closes.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "app/Application.h"
#include "app/Form1.h"
#include "app/Programa.h"
#include "shell/DesktopEnvironment.h"

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

// The program proper, from its start-up to the end of the event loop; what
// it created is gone when it returns.
int executa(cp::Application& app, cp::Environment& env) {
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();  // the program's own name
    cp::Programa programa(env, args);
    cp::Form1& form = programa.form();
    // Before the first attachment: the database client keeps these handlers.
    cp::quitOnTerminationSignals(&form);
    if (!programa.cria(QCoreApplication::applicationDirPath() + QLatin1Char('/'))) return 0;

    FimAposPrimeiraPintura medicao(form);
    if (qEnvironmentVariableIsSet("CP_QUIT_AFTER_FIRST_PAINT")) app.installEventFilter(&medicao);

    form.show();
    const int codigo = app.exec();
    app.removeEventFilter(&medicao);
    return codigo;
}

}  // namespace

int main(int argc, char** argv) {
    cp::Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Contas a Pagar"));
    cp::installSuiteFonts();
    cp::installSuiteLocale();

    cp::DesktopEnvironment env;
    app.setEnvironment(&env);
    const int codigo = executa(app, env);
    // The environment goes before the application: take it back first.
    app.setEnvironment(nullptr);
    return codigo;
}
