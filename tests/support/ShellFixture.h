// A suite directory with fresh embedded databases and a little data, the
// settings file, and the start-up of the program in the order the program
// entry follows (window, TDM, TDM2, persistence, modules given to the window).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <memory>
#include <string>

#include "support/Semeia.h"
#include "data/Conexoes.h"
#include "data/Modules.h"
#include "data/Persistencia.h"
#include "shell/ErrorHandler.h"
#include "app/Form1.h"
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
        form = std::make_unique<Form1>(env, args);
        if (!form->FormCreate(env.suiteDir())) return false;
        dm = std::make_unique<TDM>(env, form->sessao);
        guarded(env, [&] { DataModuleCreate(*dm); });
        dm2 = std::make_unique<TDM2>(env, form->sessao);
        guarded(env, [&] { DataModuleCreate(*dm2); });
        instalaPersistencia(*dm, *dm2, form->sessao, env);
        form->setModules(dm.get(), dm2.get());
        return true;
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
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        for (int i = 0; i < 5 && !form->activated(); ++i) QApplication::processEvents();
        QApplication::processEvents();
    }

    void TearDown() override {
        form.reset();
        dm2.reset();
        dm.reset();
    }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    // The modules outlive the window, whose widgets follow their record sets.
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TDM2> dm2;
    std::unique_ptr<Form1> form;
};

}  // namespace cp::test
