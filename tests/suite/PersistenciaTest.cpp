#include <gtest/gtest.h>

#include <QFile>
#include <memory>

#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"
#include "support/FbDatabases.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {

namespace {

using I = std::int64_t;
using S = std::string;

// Both modules on fresh embedded databases, with the persistence rules in
// force and the session as the main window's activation leaves it.
class Persistencia : public ::testing::Test {
  protected:
    void SetUp() override {
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        sessao.Estacao = "01";
        sessao.CamposCPR = kCamposCPR;
        sessao.CamposParcelas = kCamposParcelas;
        sessao.CamposFornecedor = kCamposFornecedor;
        dm = std::make_unique<TDM>(env, sessao);
        dm2 = std::make_unique<TDM2>(env, sessao);
        dm->SQLConnection1.setClient(fbClient());
        dm->SQLConnection1.setDatabase(dbs->sharedPath());
        dm2->SQLConnection1.setClient(fbClient());
        dm2->SQLConnection1.setDatabase(dbs->workstationPath());
        instalaPersistencia(*dm, *dm2, sessao, env);
    }

    void conta(I codigo, const S& condicao = {}, const S& natureza = "P") {
        dbs->shared().execute(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, CONDPAGTO) values (?, '01', ?, ?)",
            {codigo, natureza, condicao.empty() ? fb::Value{} : fb::Value{condicao}});
    }
    void parcela(I codigoParc, I codigoCPR, I num) {
        dbs->shared().execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, VALORPARCELA) "
            "values (?, ?, ?, 100)",
            {codigoParc, codigoCPR, num});
    }
    I contaLinhas(const S& sql) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor c = tr.open(sql);
        c.fetch();
        return c.asInt64(0);
    }
    void abreContas() {
        dm->CONTASPR.setCommandText("Select " + sessao.CamposCPR +
                                    " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
        dm->CONTASPR.open();
    }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    EstadoSessao sessao;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TDM2> dm2;
};

}  // namespace

TEST_F(Persistencia, FirstKeysInEmptyTablesAreOneAndTheMarkerFileShowsEachStep) {
    env.writeSuiteFile("LIXO.TXT", "");
    abreContas();
    dm->CONTASPR.append();
    EXPECT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 1);
    // The new account's installments are loaded at once: none.
    EXPECT_TRUE(dm->Parcelas.active());
    EXPECT_TRUE(dm->Parcelas.isEmpty());
    dm->CONTASPR.post();

    dm->Parcelas.append();
    EXPECT_EQ(dm->Parcelas.field("CODIGOPARC").asInteger(), 1);
    EXPECT_EQ(dm->Parcelas.field("CODIGOCPR").asInteger(), 1);
    EXPECT_EQ(dm->Parcelas.field("NUMPARCELA").asInteger(), 1);

    ASSERT_EQ(env.messages.size(), 4);
    EXPECT_EQ(env.messages[0], QStringLiteral("1) MAIOR CODIGOCPR: 0"));
    EXPECT_EQ(env.messages[1], QStringLiteral("2) NOVO CODIGOCPR: 1"));
    EXPECT_EQ(env.messages[2], QStringLiteral("3) Select MaX(NUMPARCELA) as MaiorNumParc from "
                                              "PARCELAS where CODIGOCPR= and CODIGOPARC=\n"));
    EXPECT_EQ(env.messages[3], QStringLiteral("4) NOVO CODIGOPARC E NUMPARC: 1 / 1"));

    // The marker is looked for at each step: gone, no more messages.
    QFile::remove(env.suiteFile(QStringLiteral("LIXO.TXT")));
    dm->Parcelas.post();
    dm->Parcelas.append();
    EXPECT_EQ(dm->Parcelas.field("CODIGOPARC").asInteger(), 2);
    EXPECT_EQ(env.messages.size(), 4);
}

TEST_F(Persistencia, NewAccountCarriesTodayTheTimeTheWorkAreaAndNatureP) {
    conta(7);
    env.setNow(QDateTime(QDate(2005, 1, 31), QTime(14, 5, 30, 250)));
    abreContas();
    dm->CONTASPR.append();
    auto& c = dm->CONTASPR;
    EXPECT_EQ(c.field("CODIGOCPR").asInteger(), 8);
    EXPECT_EQ(sessao.MaiorCodigoCPR, 7);
    EXPECT_EQ(c.field("DATA").asDate(), QDate(2005, 1, 31));
    EXPECT_EQ(c.field("DATAREGISTRO").asDate(), QDate(2005, 1, 31));
    EXPECT_EQ(c.field("HORAREGISTRO").asTime(), QTime(14, 5, 30));
    EXPECT_EQ(c.field("NATUREZA").asString(), "P");
    EXPECT_EQ(c.field("ESTACAO").asString(), "01");
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(Persistencia, AnAccountPostedTwiceIsInsertedOnceThenUpdatedByKey) {
    abreContas();
    dm->CONTASPR.append();
    dm->CONTASPR.field("DESCRICAO").setAsString("ALUGUEL");
    dm->CONTASPR.post();
    EXPECT_EQ(dm->CONTASPR.changeCount(), 0);
    EXPECT_EQ(contaLinhas("select count(*) from CONTASPR"), 1);

    dm->CONTASPR.edit();
    dm->CONTASPR.field("DESCRICAO").setAsString("ALUGUEL DE MARCO");
    dm->CONTASPR.post();
    EXPECT_EQ(contaLinhas("select count(*) from CONTASPR"), 1);
    EXPECT_EQ(contaLinhas("select count(*) from CONTASPR where DESCRICAO = 'ALUGUEL DE MARCO' "
                          "and CODIGOCPR = 1 and ESTACAO = '01'"),
              1);
    // The set shows the row as the database holds it.
    EXPECT_EQ(dm->CONTASPR.field("DESCRICAO").asString(), "ALUGUEL DE MARCO");
}

TEST_F(Persistencia, NewInstallmentTakesThePositionOfTheOneTheSetStandsOnPlusOne) {
    conta(3);
    for (I n = 1; n <= 5; ++n) parcela(10 + n, 3, n);
    parcela(40, 9, 1);  // the highest installment code is another account's
    abreContas();
    ASSERT_EQ(dm->Parcelas.recordCount(), 5);
    dm->Parcelas.first();
    dm->Parcelas.next();  // installment 2
    ASSERT_EQ(dm->Parcelas.field("NUMPARCELA").asInteger(), 2);

    dm->Parcelas.insert();
    EXPECT_EQ(dm->Parcelas.field("NUMPARCELA").asInteger(), 3);
    EXPECT_EQ(dm->Parcelas.field("CODIGOPARC").asInteger(), 41);
    EXPECT_EQ(dm->Parcelas.field("CODIGOCPR").asInteger(), 3);
    EXPECT_EQ(sessao.MaiorCodigoParc, 40);
    EXPECT_EQ(sessao.MaiorNumParcela, 2);
    dm->Parcelas.post();
    EXPECT_EQ(contaLinhas("select count(*) from PARCELAS where CODIGOCPR = 3 and NUMPARCELA = 3"),
              2);
}

TEST_F(Persistencia, MovingToAnotherAccountLoadsItsInstallmentsAndKeepsTheLastCondition) {
    dbs->shared().execute(
        "insert into FORMASPG (CODIGOFP, DESCRICAO, QDEPARCELAS) values (1, ?, 3)",
        {S("30/60/90 D'AGUA")});
    conta(1, "30/60/90 D'AGUA");
    conta(2);
    conta(4, {}, "R");  // not payable: never selected here
    parcela(1, 1, 1);
    parcela(2, 1, 2);
    parcela(3, 2, 1);
    abreContas();
    EXPECT_EQ(dm->Parcelas.recordCount(), 2);
    ASSERT_TRUE(dm->FormasPG.active());
    EXPECT_EQ(dm->FormasPG.field("QDEPARCELAS").asInteger(), 3);

    dm->CONTASPR.next();
    EXPECT_EQ(dm->Parcelas.recordCount(), 1);
    EXPECT_EQ(dm->Parcelas.field("CODIGOPARC").asInteger(), 3);
    EXPECT_TRUE(dm->FormasPG.active());  // the account has no condition: left as it was
    EXPECT_EQ(dm->FormasPG.field("DESCRICAO").asString(), "30/60/90 D'AGUA");

    dm->CONTASPR.close();
    EXPECT_FALSE(dm->FormasPG.active());
    EXPECT_FALSE(dm->Parcelas.active());
}

TEST_F(Persistencia, InstallmentPostErrorIsShownAndStillInterruptsThePost) {
    conta(1);
    abreContas();
    dm->Parcelas.append();
    dm->Parcelas.field("NUMPARCELA").clear();
    EXPECT_THROW(dm->Parcelas.post(), DataError);
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0], QStringLiteral("Field 'NUMPARCELA' must have a value"));
    EXPECT_EQ(dm->Parcelas.state(), RecordSetState::Insert);
    EXPECT_EQ(contaLinhas("select count(*) from PARCELAS"), 0);
}

TEST_F(Persistencia, RefusedWriteIsNamedStaysPendingAndIsWrittenAtTheNextPost) {
    conta(1);
    abreContas();
    dm->Parcelas.append();
    // Another workstation takes the same installment code meanwhile.
    parcela(1, 1, 9);
    try {
        dm->Parcelas.post();
        FAIL() << "the post should report the refused write";
    } catch (const GravacaoPendente& e) {
        const std::string t = e.what();
        EXPECT_NE(t.find("inclusão em PARCELAS (CODIGOPARC = 1, CODIGOCPR = 1)"), std::string::npos)
            << t;
        EXPECT_NE(t.find("continua pendente"), std::string::npos) << t;
    }
    EXPECT_EQ(dm->Parcelas.changeCount(), 1);
    EXPECT_EQ(dm->Parcelas.recordCount(), 1);  // not refreshed: the row is still there

    // The other row goes away; the pending insert is written with the next post.
    dbs->shared().execute("delete from PARCELAS where NUMPARCELA = 9");
    dm->Parcelas.edit();
    dm->Parcelas.field("VALORPARCELA").setAsMoney(2500);
    dm->Parcelas.post();
    EXPECT_EQ(dm->Parcelas.changeCount(), 0);
    EXPECT_EQ(contaLinhas("select count(*) from PARCELAS where CODIGOPARC = 1 and "
                          "VALORPARCELA = 25"),
              1);
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(Persistencia, PendingChangesDroppedByACloseAreNamedToTheOperator) {
    conta(1);
    abreContas();
    dm->Parcelas.append();
    parcela(1, 1, 9);
    EXPECT_THROW(dm->Parcelas.post(), GravacaoPendente);
    dm->CONTASPR.close();  // closes the installments with it
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("descartadas")));
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("CODIGOPARC = 1, CODIGOCPR = 1")));
    EXPECT_EQ(contaLinhas("select count(*) from PARCELAS"), 1);
}

TEST_F(Persistencia, ListEditsWriteTheInstallmentByKeyAndTheInvoiceToItsAccount) {
    conta(5);
    conta(6);
    parcela(1, 5, 1);
    parcela(2, 5, 1);  // same number, another installment: must stay as it is
    parcela(3, 6, 1);
    auto& q = dm->Query2;
    q.setCommandText(
        "Select A.CodigoParc, A.Estacao, A.NPedido, A.CodigoCPR, A.DataVencim, A.NumParcela, "
        "A.NumDocumento, A.ValorParcela, A.DataPagto, A.ValorPago, B.NomeCliFor, B.CodigoCPR, "
        "B.Natureza, B.Descricao, B.NFiscal from Parcelas A, ContasPR B where B.Natureza = 'P' "
        "and A.CodigoCPR = B.CodigoCPR order by A.CodigoParc");
    q.open();
    ASSERT_EQ(q.recordCount(), 3);
    q.edit();
    q.field("VALORPARCELA").setAsMoney(12345);
    q.field("NUMDOCUMENTO").setAsInteger(77);
    q.field("NFISCAL").setAsString("NF-123");
    q.post();
    EXPECT_EQ(q.changeCount(), 0);
    EXPECT_EQ(contaLinhas("select count(*) from PARCELAS where VALORPARCELA = 123.45 and "
                          "NUMDOCUMENTO = 77"),
              1);
    EXPECT_EQ(contaLinhas("select CODIGOPARC from PARCELAS where VALORPARCELA = 123.45"), 1);
    EXPECT_EQ(contaLinhas("select CODIGOCPR from CONTASPR where NFISCAL = 'NF-123'"), 5);
    EXPECT_EQ(q.field("NFISCAL").asString(), "NF-123");

    // No new rows in the list.
    EXPECT_THROW(q.append(), DataError);
    EXPECT_EQ(q.recordCount(), 3);

    // A row deleted from the list deletes that installment only.
    q.last();
    q.remove();
    EXPECT_EQ(contaLinhas("select count(*) from PARCELAS"), 2);
    EXPECT_EQ(contaLinhas("select count(*) from PARCELAS where CODIGOPARC = 3"), 0);
}

TEST_F(Persistencia, FirstEditOfAnEmptyPeriodCreatesTheRowAndPostStoresIt) {
    dm2->Periodo.open();
    ASSERT_TRUE(dm2->Periodo.isEmpty());
    dm2->Periodo.edit();  // an empty set starts a new row
    dm2->Periodo.field("DATAINICIAL").setAsDate(QDate(2024, 3, 1));
    dm2->Periodo.field("DATAFINAL").setAsDate(QDate(2024, 3, 31));
    dm2->Periodo.post();
    dm2->Periodo.edit();
    dm2->Periodo.field("DATAFINAL").setAsDate(QDate(2024, 4, 30));
    dm2->Periodo.post();

    fb::Transaction tr = dbs->workstation().startTransaction();
    fb::Cursor c = tr.open(
        "select DATAINICIAL, DATAFINAL, (select count(*) from PERIODO) "
        "from PERIODO");
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asDate(0), (fb::Date{2024, 3, 1}));
    EXPECT_EQ(c.asDate(1), (fb::Date{2024, 4, 30}));
    EXPECT_EQ(c.asInt64(2), 1);
}

TEST_F(Persistencia, SupplierWithoutTradeNameIsWrittenAndKept) {
    dbs->shared().execute("insert into FORNECED (CODIGO, NOME) values ('0001', 'SEM FANTASIA')");
    dm->Forneced.open();
    dm->Forneced.edit();
    dm->Forneced.field("TEL").setAsString("3333-4444");
    dm->Forneced.post();
    EXPECT_EQ(contaLinhas("select count(*) from FORNECED where TEL = '3333-4444'"), 1);
    EXPECT_EQ(dm->Forneced.recordCount(), 1);
}

}  // namespace cp::test
