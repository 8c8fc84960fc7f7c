// An Environment for tests: records every operator message instead of
// blocking, has a clock the test sets, a temporary suite directory and a
// chosen operating-system user.
#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "suite/Environment.h"

namespace cp::test {

class TestEnvironment : public Environment {
  public:
    TestEnvironment();

    void showMessage(const QString& text) override;
    // Recorded in `messages` like a message; the answer is answer(text), or
    // "Não" when no answer is set.
    bool ask(const QString& text) override;
    QDateTime now() const override { return now_; }
    QString suiteDir() const override { return suiteDir_; }
    QString osUserName() const override { return user_; }
    // Recorded in `openedFolders`; opens nothing.
    bool openFolder(const QString& folder) override {
        openedFolders << folder;
        return true;
    }

    void setNow(const QDateTime& t) { now_ = t; }
    void setUser(const QString& u) { user_ = u; }
    // Writes a file of the suite directory (creating folders), bytes as given.
    void writeSuiteFile(const QString& name, const QByteArray& bytes) const;
    bool suiteFileExists(const QString& name) const;

    QStringList messages;
    QStringList openedFolders;
    // Runs when a message is shown, after it was recorded (to answer it, or
    // to act while a "modal" message is up).
    std::function<void(const QString&)> onMessage;
    std::function<bool(const QString&)> answer;

  private:
    QTemporaryDir dir_;
    QString suiteDir_;
    QDateTime now_;
    QString user_ = QStringLiteral("caixa1");
};

}  // namespace cp::test
