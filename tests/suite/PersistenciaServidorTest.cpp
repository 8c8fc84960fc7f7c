// Persistence against the tests' server: the key queries as the server
// receives them, and the writes that follow, with their values as
// parameters; a row of the due list written whole or not at all.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"
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

    EstadoSessao s;
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
        // The new installment looks for the table of the slips kept with the
        // installments (none here), under a savepoint of its own.
        "savepoint CP_ALTERACAO",
        "select 1 from RDB$RELATIONS where RDB$RELATION_NAME = 'CP_COBRANCAS'",
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA) values (?, ?, ?)",
        "release savepoint CP_ALTERACAO only",
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

namespace {

// The value a column of one row holds in the server's database now, as text
// ("" for NULL).
std::string valorNoBanco(fb::Attachment& a, const std::string& sql) {
    fb::Transaction tr = a.startTransaction();
    fb::Cursor c = tr.open(sql);
    if (!c.fetch()) return "<no row>";
    return c.isNull(0) ? std::string() : c.asText(0);
}

}  // namespace

// An invoice number typed in the list and the installment's own columns of
// the same row go in one transaction: when the installment cannot be
// written, the invoice number is not stored either, and both stay pending.
TEST(ServerPersistencia, AListRowIsWrittenWholeOrNotAtAll) {
    CP_REQUIRE_FB_SERVER();
    TestEnvironment env;
    ServerDatabases server;
    fb::Attachment& outro = server.shared();  // another workstation
    outro.execute("insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA) values (5, '01', 'P')");
    outro.execute(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, VALORPARCELA, DATAVENCIM) "
        "values (1, 5, 1, 100, '2024-03-15')");
    outro.execute("alter table PARCELAS add constraint CK_VALOR_PARCELA check (VALORPARCELA >= 0)");

    EstadoSessao s;
    s.Estacao = "01";
    TDM dm(env, s);
    TDM2 dm2(env, s);
    dm.SQLConnection1.setClient(fbClient());
    dm.SQLConnection1.setDatabase(server.sharedConnect());
    instalaPersistencia(dm, dm2, s, env);
    RecordSet& q = dm.Query2;
    q.setCommandText(
        "Select A.CodigoParc, A.Estacao, A.NPedido, A.CodigoCPR, A.DataVencim, A.NumParcela, "
        "A.NumDocumento, A.ValorParcela, A.DataPagto, A.ValorPago, B.NomeCliFor, B.CodigoCPR, "
        "B.Natureza, B.Descricao, B.NFiscal from Parcelas A, ContasPR B where B.Natureza = 'P' "
        "and A.CodigoCPR = B.CodigoCPR order by A.DataVencim");
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    const std::string nfNoBanco = "select NFISCAL from CONTASPR where CODIGOCPR = 5";

    // A value the server's constraint refuses.
    q.edit();
    q.field("NFISCAL").setAsString("NF-1");
    q.field("VALORPARCELA").setAsMoney(-100);
    EXPECT_THROW(q.post(), GravacaoPendente);
    EXPECT_EQ(valorNoBanco(outro, nfNoBanco), "");
    EXPECT_EQ(q.changeCount(), 1);

    // Corrected, the same row goes whole, both parts in one write.
    q.edit();
    q.field("VALORPARCELA").setAsMoney(2500);
    q.post();
    EXPECT_EQ(q.changeCount(), 0);
    EXPECT_EQ(valorNoBanco(outro, nfNoBanco), "NF-1");
    EXPECT_EQ(valorNoBanco(outro, "select VALORPARCELA from PARCELAS where CODIGOPARC = 1"),
              "25.00");

    // The installment held by another workstation's transaction, which then
    // deletes it for good: the list's write of the row fails on the
    // installment, after its account was already updated in the same
    // transaction, and the account keeps its invoice number.
    fb::Transaction trava = outro.startTransaction();
    trava.execute("delete from PARCELAS where CODIGOPARC = 1");
    std::thread soltaDepois([&trava] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        trava.commit();
    });
    q.edit();
    q.field("NFISCAL").setAsString("NF-2");
    q.field("NUMDOCUMENTO").setAsInteger(77);
    EXPECT_THROW(q.post(), GravacaoPendente);
    soltaDepois.join();
    EXPECT_EQ(valorNoBanco(outro, nfNoBanco), "NF-1");
    EXPECT_EQ(valorNoBanco(outro, "select NUMDOCUMENTO from PARCELAS where CODIGOPARC = 1"),
              "<no row>");
    ASSERT_EQ(q.changeCount(), 1);
    EXPECT_FALSE(q.changes()[0].error.empty());
}

}  // namespace cp::test
