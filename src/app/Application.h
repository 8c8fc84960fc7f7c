// The program's application object. Its event dispatch is the last line of
// the general error handler: an error that escaped a handler not wrapped in
// guarded() is caught here, shown and logged, and the event loop goes on.
#pragma once

#include <QApplication>

#include "shell/Termination.h"

class QWidget;

#include "suite/Environment.h"

namespace cp {

class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv);

    // Where caught errors are reported; until set, they are only logged to
    // standard error.
    void setEnvironment(Environment* env) { env_ = env; }

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    Environment* env_ = nullptr;
};

// Ends the program in order (open message boxes close, the window closes,
// its record sets with it, the event loops return) when the system asks it
// to stop: SIGTERM, SIGINT or SIGHUP. Call it before the first attachment:
// the database client then keeps these handlers under its own and calls
// them too.
void quitOnTerminationSignals(QWidget* window);

// Maps the typefaces the screens are drawn with to metric-compatible ones:
// Arial and MS Sans Serif to Liberation Sans, Times New Roman to Liberation
// Serif. The application font becomes MS Sans Serif, 11 pixels.
void installSuiteFonts();

// The operator's locale gives the date, time and number formats. Where the
// system names none (the C or POSIX locale), Portuguese of Brazil, the
// suite's own, is used.
void installSuiteLocale();

}  // namespace cp
