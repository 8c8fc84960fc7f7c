// Installment generation against a server: the condition lookup, the deletes
// of the old installments, the highest key read once and the inserts, as the
// server receives them and in that order.
#include <gtest/gtest.h>

#include <algorithm>

#include "entry/GeraParcelas.h"
#include "suite/ChaveConta.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"
#include "support/ProgramaEmTeste.h"
#include "support/Semeia.h"
#include "support/TestEnvironment.h"

namespace cp::test {

TEST(ServerGeraParcelas, LookupDeletesKeyQueriesAndInsertsReachTheServerInOrder) {
    CP_REQUIRE_FB_SERVER();
    TestEnvironment env;
    ServerDatabases server;
    fb::Attachment& a = server.shared();
    a.execute(
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS) values (1, 'Dias "
        "Corridos', 'D''ALVA 30/60/90', '30,60,90', 3)");
    a.execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, VALORTOTAL, DATA, CONDPAGTO) values "
        "(5, '01', 'P', 100.00, '2025-01-15', 'D''ALVA 30/60/90')");
    for (int n = 1; n <= 2; ++n)
        a.execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA) "
            "values (?, 5, '01', ?, 50.00)",
            {std::int64_t{10 + n}, std::int64_t{n}});
    a.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'BRUNDELO01', ?)",
              {env.osUserName().toStdString()});
    a.execute(
        "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) "
        "values ('PADRAO', 'BOLETO', '12345-6')");
    server.workstation().execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2025-01-01', '2025-01-31')");
    server.release();
    suiteNoServidor(env, serverHost());

    // The program in browser mode, standing on the only account (its two
    // installments and condition loaded).
    ProgramaEmTeste p;
    ASSERT_TRUE(p.inicia(env, env.suiteDir()));
    ASSERT_TRUE(p.ativa()) << env.messages.join('\n').toStdString();
    TDM& dm = *p.dm;
    EstadoSessao& s = p.form->sessao;
    ASSERT_EQ(dm.CONTASPR.field("CODIGOCPR").asInteger(), 5);
    entraCondicaoPagto(dm, s);
    dm.CONTASPR.edit();

    TraceSession trace(true);
    trace.start(server.sharedConnect());
    // Same condition, but two installments where it says three.
    EXPECT_EQ(saiCondicaoPagto(dm, s, env), SaidaCondicao::Gerada);
    const std::vector<std::string> preparadas = trace.stop();
    std::vector<std::string> sql;  // what ran, in order
    for (const TraceSession::Event& e : trace.events())
        if (e.kind == "EXECUTE_STATEMENT_START") sql.push_back(e.sql);

    const std::string parcelas =
        "Select " + s.CamposParcelas + " from PARCELAS where CODIGOCPR = 5";
    const std::string maiorCodigo = "Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS";
    const std::string insere =
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, CODIGOCTA, MEIO, NATUREZA) values (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    const std::string exclui = "delete from PARCELAS where CODIGOPARC = ? and CODIGOCPR = ?";
    std::vector<std::string> esperado = {
        "Select CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, CTABANCO, FORMAPAG, "
        "QAUT from FORMASPG where DESCRICAO = 'D''ALVA 30/60/90'"};
    const auto mais = [&esperado](const std::vector<std::string>& v) {
        esperado.insert(esperado.end(), v.begin(), v.end());
    };
    // One transaction: the lock of new rows, the two deletes, the highest
    // code read once after them, the three inserts; the set read once. The
    // first write looks once for the table of the slips kept with the
    // installments (none in this database), under a savepoint, so a slip
    // would go with its installment; the others send their own statement
    // alone.
    mais({kTravaContaNova, "select min(ESTACAO) from ESTACOES"});
    mais({"savepoint CP_ALTERACAO",
          "select 1 from RDB$RELATIONS where RDB$RELATION_NAME = 'CP_COBRANCAS'", exclui,
          "release savepoint CP_ALTERACAO only"});
    mais({exclui, maiorCodigo});
    for (int i = 1; i <= 3; ++i) mais({insere});
    mais({parcelas});
    EXPECT_EQ(sql, esperado);
    // The insert is prepared once and run again with the next values.
    EXPECT_EQ(std::count(preparadas.begin(), preparadas.end(), insere), 1);

    fb::Transaction tr = server.shared().startTransaction();
    fb::Cursor c = tr.open(
        "select CODIGOPARC, NUMPARCELA, VALORPARCELA from PARCELAS where CODIGOCPR = 5 order by "
        "NUMPARCELA");
    for (std::int64_t n = 1; n <= 3; ++n) {
        ASSERT_TRUE(c.fetch());
        EXPECT_EQ(c.asInt64(0), n);  // the table was left empty: keys start again at 1
        EXPECT_EQ(c.asInt64(1), n);
        EXPECT_EQ(c.asDecimal(2).value, 3333);
    }
    EXPECT_FALSE(c.fetch());
    c.close();
    tr.commit();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

}  // namespace cp::test
