// The two data modules of a workstation on fresh embedded databases of a
// temporary suite directory, as the record-set and module tests use them:
// the connections point at the databases and attach at their first use; the
// clock stands at 1 June 2025, 10:00.
#pragma once

#include <gtest/gtest.h>

#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {

class ModulosEmTeste : public ::testing::Test {
  protected:
    ModulosEmTeste() : dbs(env.suiteDir()), dm(env, sessao), dm2(env, sessao) {
        env.setNow(QDateTime(QDate(2025, 6, 1), QTime(10, 0)));
        dm.SQLConnection1.setClient(fbClient());
        dm.SQLConnection1.setDatabase(dbs.sharedPath());
        dm2.SQLConnection1.setClient(fbClient());
        dm2.SQLConnection1.setDatabase(dbs.workstationPath());
    }

    TestEnvironment env;
    SuiteDatabases dbs;
    EstadoSessao sessao;
    TDM dm;
    TDM2 dm2;
};

}  // namespace cp::test
