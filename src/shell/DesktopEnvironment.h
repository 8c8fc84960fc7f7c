// The desktop program's boundary with the world: operator messages in modal
// message boxes, the computer's clock, the suite directory and the name the
// operator logged on to the system with.
#pragma once

#include "suite/Environment.h"

namespace cp {

class DesktopEnvironment : public Environment {
  public:
    DesktopEnvironment();

    // A modal box with the text and one OK button, over the active window.
    void showMessage(const QString& text) override;
    // The same box with "Sim" and "Não", "Não" the default.
    bool ask(const QString& text) override;
    QDateTime now() const override;
    // $BRUNDELO_HOME with a trailing separator; /opt/brundelo/ when unset.
    QString suiteDir() const override { return suiteDir_; }
    // The login name of the session (getlogin), else the name of the
    // effective user (getpwuid).
    QString osUserName() const override;
    // Through the desktop's handler of folders (QDesktopServices).
    bool openFolder(const QString& folder) override;

  private:
    QString suiteDir_;
};

// The suite directory for a value of BRUNDELO_HOME (empty: the default).
QString suiteDirFrom(const QString& brundeloHome);

}  // namespace cp
