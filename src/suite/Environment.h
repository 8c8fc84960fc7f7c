// The program's boundary with the world outside its own code: the one place
// that shows operator messages, the one clock, the suite directory and the
// operating-system user. The desktop program installs the real one (see
// shell/DesktopEnvironment); tests build their own that records messages,
// sets the time and points at a temporary suite directory.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace cp {

// The log file of the general error handler, in the suite directory.
inline const char* const kErrorLogName = "ContasPagar.log";

class Environment {
  public:
    virtual ~Environment() = default;

    // A modal message with one OK button; returns when the operator closed it.
    virtual void showMessage(const QString& text) = 0;
    // A modal question with the buttons "Sim" and "Não"; true for "Sim". An
    // environment that cannot ask shows the text and takes "Não".
    virtual bool ask(const QString& text) {
        showMessage(text);
        return false;
    }

    // The computer's date and time.
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
    QTime time() const { return now().time(); }

    // The suite directory with a trailing separator: C:\brundelo\ on Windows,
    // $BRUNDELO_HOME (default /opt/brundelo) elsewhere.
    virtual QString suiteDir() const = 0;
    QString suiteFile(const QString& name) const { return suiteDir() + name; }

    // The name of the user logged on to the operating system.
    virtual QString osUserName() const = 0;

    // Shows `folder` in the system's file manager; false when it could not
    // be opened (an environment without a desktop opens nothing).
    virtual bool openFolder(const QString& folder) {
        (void)folder;
        return false;
    }
};

}  // namespace cp
