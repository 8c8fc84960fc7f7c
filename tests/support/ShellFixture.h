// A suite directory with fresh embedded databases and a little data, the
// settings file, and the program started as its entry starts it (Programa).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <memory>
#include <string>

#include "app/Form1.h"
#include "app/Programa.h"
#include "data/Modules.h"
#include "support/Semeia.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {

class ShellFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        usaLocaleDaSuite();
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"), linhaIni(kRotuloLogoff, "10"));
    }

    // Window, modules and the window's creation; false when FormCreate ended
    // the program.
    bool cria(const QStringList& args = {}) {
        programa = std::make_unique<Programa>(env, args);
        form = &programa->form();
        const bool criado = programa->cria(env.suiteDir());
        dm = programa->dm();
        dm2 = programa->dm2();
        return criado;
    }

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

    void TearDown() override {
        form = nullptr;
        dm = nullptr;
        dm2 = nullptr;
        programa.reset();
    }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    std::unique_ptr<Programa> programa;
    // The program's own.
    Form1* form = nullptr;
    TDM* dm = nullptr;
    TDM2* dm2 = nullptr;
};

}  // namespace cp::test
