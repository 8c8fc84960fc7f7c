// Key generation against the tests' server: the key queries as the server
// receives them, and the writes that follow, with their values as
// parameters.
#include <gtest/gtest.h>

#include "data/Modules.h"
#include "data/Persistencia.h"
#include "data/SessionState.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"
#include "support/TestEnvironment.h"

namespace cp::test {

TEST(ServerPersistencia, KeyQueriesReachTheServerAsTheSuiteSpellsThem) {
    CP_REQUIRE_FB_SERVER();
    TestEnvironment env;
    ServerDatabases server;
    server.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA) values (3, '01', 'P')");
    for (int n = 1; n <= 3; ++n)
        server.shared().execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA) values (?, 3, ?)",
            {std::int64_t{10 + n}, std::int64_t{n}});
    server.release();

    SessionState s;
    s.Estacao = "01";
    s.CamposCPR = kCamposCPR;
    s.CamposParcelas = kCamposParcelas;
    TDM dm(env, s);
    TDM2 dm2(env, s);
    dm.SQLConnection1.setClient(fbClient());
    dm.SQLConnection1.setDatabase(server.sharedConnect());
    instalaPersistencia(dm, dm2, s, env);
    dm.CONTASPR.setCommandText("Select " + s.CamposCPR +
                               " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
    dm.CONTASPR.open();
    dm.Parcelas.first();
    dm.Parcelas.next();  // installment 2, code 12

    TraceSession trace;
    trace.start(server.sharedConnect());
    dm.Parcelas.insert();
    dm.Parcelas.post();
    dm.CONTASPR.append();
    dm.CONTASPR.field("DESCRICAO").setAsString("O'BRIEN");
    dm.CONTASPR.post();
    const std::vector<std::string> sql = trace.stop();

    // The key queries exactly as the suite spells them; the new rows go with
    // their values as parameters (the quote in O'BRIEN never reaches a text).
    const std::string parcelas = "Select " + s.CamposParcelas + " from PARCELAS where CODIGOCPR = ";
    const std::vector<std::string> esperado = {
        "Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS",
        "Select MaX(NUMPARCELA) as MaiorNumParc from PARCELAS where CODIGOCPR=3 and CODIGOPARC=12",
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA) values (?, ?, ?)",
        parcelas + "3",
        "Select MaX(CODIGOCPR) as MaiorCodCPR from CONTASPR",
        parcelas + "4",  // the new account's installments: none
        // Its number checked again when it is written (no work area to lock
        // in this database).
        "select ESTACAO from ESTACOES where ESTACAO = (select min(ESTACAO) from ESTACOES) with "
        "lock",
        "select 1 from RDB$DATABASE where exists (select 1 from CONTASPR where CODIGOCPR = ?) or "
        "exists (select 1 from PARCELAS where CODIGOCPR = ?)",
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, DATA, DATAREGISTRO, "
        "HORAREGISTRO) values (?, ?, ?, ?, ?, ?, ?)",
        "Select " + s.CamposCPR + " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR",
    };
    EXPECT_EQ(sql, esperado);
    EXPECT_EQ(dm.CONTASPR.field("CODIGOCPR").asInteger(), 4);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

}  // namespace cp::test
