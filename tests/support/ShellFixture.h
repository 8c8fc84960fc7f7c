// A suite directory with fresh embedded databases and a little data, the
// settings file, and the program started as its entry starts it (Programa).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <memory>
#include <string>

#include "suite/Modules.h"
#include "support/LocaleGuard.h"
#include "support/ProgramaEmTeste.h"
#include "support/Semeia.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {

class ShellFixture : public ::testing::Test, public ProgramaEmTeste {
  protected:
    // Dates, times and numbers as the suite's operators see them.
    LocaleGuard brasil;

    void SetUp() override {
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"), linhaIni(kRotuloLogoff, "10"));
    }

    // Window, modules and the window's creation; false when FormCreate ended
    // the program.
    bool cria(const QStringList& args = {}) { return inicia(env, env.suiteDir(), args); }

    // Shows the window and lets its activation run.
    void mostra() {
        form->show();
        for (int i = 0; i < 5 && !form->activated(); ++i) QApplication::processEvents();
        QApplication::processEvents();
    }

    // Shows the window, makes it the active window (the focus needs it) and
    // lets its activation run.
    void ativa() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        for (int i = 0; i < 5 && !form->activated(); ++i) QApplication::processEvents();
        QApplication::processEvents();
    }

    void TearDown() override { encerra(); }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
};

}  // namespace cp::test
