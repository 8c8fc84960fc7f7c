// The number of a new account claimed when it is written, installments that
// wait for their account, and the accounts read again by key after a write,
// on fresh embedded databases. Another workstation is another attachment to
// the same file.
#include <gtest/gtest.h>

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

class ChaveConta : public ::testing::Test {
  protected:
    void SetUp() override {
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        dbs->shared().execute("insert into ESTACOES (ESTACAO) values ('01')");
        dbs->shared().execute("insert into ESTACOES (ESTACAO) values ('02')");
        sessao.Estacao = "01";
        sessao.CamposCPR = kCamposCPR;
        sessao.CamposParcelas = kCamposParcelas;
        dm = std::make_unique<TDM>(env, sessao);
        dm2 = std::make_unique<TDM2>(env, sessao);
        dm->SQLConnection1.setClient(fbClient());
        dm->SQLConnection1.setDatabase(dbs->sharedPath());
        dm2->SQLConnection1.setClient(fbClient());
        dm2->SQLConnection1.setDatabase(dbs->workstationPath());
        instalaPersistencia(*dm, *dm2, sessao, env);
        dm->CONTASPR.setCommandText("Select " + sessao.CamposCPR +
                                    " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
    }

    // What another workstation writes meanwhile.
    void outraEstacao(const std::string& sql, const std::vector<fb::Value>& params = {}) {
        dbs->shared().execute(sql, params);
    }
    void conta(I codigo, const std::string& estacao = "01") {
        outraEstacao("insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA) values (?, ?, 'P')",
                     {codigo, estacao});
    }
    void parcela(I codigoParc, I codigoCPR) {
        outraEstacao("insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA) values (?, ?, 1)",
                     {codigoParc, codigoCPR});
    }
    I valor(const std::string& sql) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor c = tr.open(sql);
        c.fetch();
        return c.asInt64(0);
    }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    EstadoSessao sessao;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TDM2> dm2;
};

}  // namespace

// Two workstations read the same highest number; the second one to write
// gets the next free number, whatever the work area of the first, and no
// number of orphaned installments is handed out either.
TEST_F(ChaveConta, ANumberTakenMeanwhileIsReplacedByTheNextFreeOne) {
    conta(1);
    dm->CONTASPR.open();
    dm->CONTASPR.append();
    ASSERT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 2);
    conta(2, "02");  // another work area took 2
    parcela(1, 3);   // installments left behind by an account 3
    dm->CONTASPR.field("DESCRICAO").setAsString("LUZ");
    dm->CONTASPR.post();
    EXPECT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 4);
    EXPECT_EQ(dm->CONTASPR.field("DESCRICAO").asString(), "LUZ");
    EXPECT_EQ(valor("select count(*) from CONTASPR where CODIGOCPR = 4 and DESCRICAO = 'LUZ'"), 1);
    EXPECT_EQ(valor("select count(*) from CONTASPR where CODIGOCPR = 2"), 1);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();

    // The same work area: the number is not tried again and again.
    dm->CONTASPR.append();
    ASSERT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 5);
    conta(5);
    dm->CONTASPR.post();
    EXPECT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 6);
    EXPECT_EQ(dm->CONTASPR.changeCount(), 0);
    EXPECT_EQ(valor("select count(*) from CONTASPR"), 5);
}

// An installment posted while its new account was never written: the
// account is written first, and the installment carries its final number.
TEST_F(ChaveConta, AnInstallmentWaitsForItsAccountAndCarriesItsFinalNumber) {
    dm->CONTASPR.open();
    dm->CONTASPR.append();
    ASSERT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 1);
    conta(1, "02");
    dm->Parcelas.append();
    dm->Parcelas.field("VALORPARCELA").setAsMoney(1234);
    dm->Parcelas.post();

    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);
    EXPECT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 2);
    EXPECT_EQ(valor("select count(*) from CONTASPR where CODIGOCPR = 2 and ESTACAO = '01'"), 1);
    EXPECT_EQ(valor("select count(*) from PARCELAS where CODIGOCPR = 2"), 1);
    EXPECT_EQ(valor("select count(*) from PARCELAS"), 1);
    // The grid shows the account's own installment, with its number.
    ASSERT_EQ(dm->Parcelas.recordCount(), 1);
    EXPECT_EQ(dm->Parcelas.field("CODIGOCPR").asInteger(), 2);
    EXPECT_EQ(dm->Parcelas.field("VALORPARCELA").asMoney(), 1234);

    // A second installment of the account, now stored, goes straight in.
    dm->Parcelas.append();
    dm->Parcelas.post();
    EXPECT_EQ(valor("select count(*) from PARCELAS where CODIGOCPR = 2"), 2);
    EXPECT_EQ(valor("select count(*) from CONTASPR"), 2);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

// The account cannot be written: neither is its installment, which stays
// pending with the account until the account can be written.
TEST_F(ChaveConta, NoInstallmentIsWrittenWhenItsAccountCannotBe) {
    outraEstacao("alter table CONTASPR add constraint CK_TESTE check (DESCRICAO <> 'RECUSADA')");
    dm->CONTASPR.open();
    dm->CONTASPR.append();
    dm->CONTASPR.field("DESCRICAO").setAsString("RECUSADA");
    dm->Parcelas.append();
    EXPECT_THROW(dm->Parcelas.post(), GravacaoPendente);
    EXPECT_EQ(valor("select count(*) from PARCELAS"), 0);
    EXPECT_EQ(valor("select count(*) from CONTASPR"), 0);
    EXPECT_EQ(dm->Parcelas.changeCount(), 1);
    EXPECT_EQ(dm->CONTASPR.changeCount(), 1);
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);

    // Mended, the next post of the installment writes both.
    dm->CONTASPR.field("DESCRICAO").setAsString("ACEITA");
    dm->Parcelas.edit();
    dm->Parcelas.field("VALORPARCELA").setAsMoney(500);
    dm->Parcelas.post();
    EXPECT_EQ(valor("select count(*) from CONTASPR where CODIGOCPR = 1 and DESCRICAO = 'ACEITA'"),
              1);
    EXPECT_EQ(valor("select count(*) from PARCELAS where CODIGOCPR = 1"), 1);
}

// After a write the set stands on the same account, found by its key, even
// when another workstation removed an earlier one; an account that is gone
// is named and the nearest one is shown with its own installments.
TEST_F(ChaveConta, AfterAWriteTheAccountIsFoundAgainByItsKey) {
    for (I c = 1; c <= 4; ++c) {
        conta(c);
        parcela(10 + c, c);
    }
    dm->CONTASPR.open();
    ASSERT_TRUE(dm->CONTASPR.findKey({I{3}}));
    outraEstacao("delete from CONTASPR where CODIGOCPR = 1");
    dm->CONTASPR.edit();
    dm->CONTASPR.field("DESCRICAO").setAsString("AGUA");
    dm->CONTASPR.post();
    EXPECT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 3);
    EXPECT_EQ(dm->CONTASPR.field("DESCRICAO").asString(), "AGUA");
    ASSERT_EQ(dm->Parcelas.recordCount(), 1);
    EXPECT_EQ(dm->Parcelas.field("CODIGOPARC").asInteger(), 13);
    EXPECT_TRUE(env.messages.isEmpty());

    // Account 3 goes; the next write finds it no more.
    outraEstacao("delete from CONTASPR where CODIGOCPR = 3");
    dm->CONTASPR.edit();
    dm->CONTASPR.post();
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A conta 3 não está mais entre as contas a pagar do banco de dados: "
                             "foi excluída ou alterada em outra estação. A conta mostrada agora é "
                             "a 4."));
    EXPECT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 4);
    ASSERT_EQ(dm->Parcelas.recordCount(), 1);
    EXPECT_EQ(dm->Parcelas.field("CODIGOPARC").asInteger(), 14);

    // None left: no installment of a vanished account stays on screen.
    outraEstacao("delete from CONTASPR");
    dm->CONTASPR.edit();
    dm->CONTASPR.post();
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_TRUE(env.messages[1].endsWith(QStringLiteral("Não há outra conta para mostrar.")));
    EXPECT_TRUE(dm->CONTASPR.isEmpty());
    EXPECT_EQ(dm->Parcelas.recordCount(), 0);
}

}  // namespace cp::test
