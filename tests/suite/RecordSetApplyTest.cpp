// The change log and its apply on real embedded databases: statements by the
// update rule, parameters for every value, failed rows kept with their
// reason, the one-transaction guard.
#include <gtest/gtest.h>

#include <QLocale>

#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/LocaleGuard.h"
#include "support/ModulosEmTeste.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

using S = std::string;
using I = std::int64_t;

class RecordSetApply : public ModulosEmTeste {
  protected:
    LocaleGuard brasil;

    // One value of the database, read beside the record set.
    fb::Value scalar(const std::string& sql) {
        fb::Transaction tr = dbs.shared().startTransaction();
        fb::Cursor c = tr.open(sql);
        fb::Value v = c.fetch() ? c.value(0) : fb::Value{};
        c.close();
        tr.commit();
        return v;
    }
    std::int64_t count(const std::string& sql) { return std::get<std::int64_t>(scalar(sql)); }

    // The persistence rule of the screens: apply and refresh after each post.
    void applyAfterPost(RecordSet& rs) {
        rs.afterPost = [](RecordSet& r) {
            r.applyUpdates();
            r.refresh();
        };
    }
};

TEST_F(RecordSetApply, AnAccountPostedTwiceIsInsertedThenUpdatedByKey) {
    RecordSet& rs = dm.CONTASPR;
    rs.open();
    rs.append();
    rs.field("CODIGOCPR").setAsInteger(7);
    rs.field("ESTACAO").setAsString("01");
    rs.field("DESCRICAO").setAsString("PRIMEIRA");
    rs.post();
    ASSERT_EQ(rs.changeCount(), 1);
    EXPECT_EQ(rs.changes()[0].kind, ChangeKind::Insert);
    auto st = rs.statementFor(rs.changes()[0]);
    EXPECT_EQ(st.sql, "insert into CONTASPR (CODIGOCPR, ESTACAO, DESCRICAO) values (?, ?, ?)");
    EXPECT_EQ(rs.applyUpdates(), 0);
    EXPECT_EQ(rs.changeCount(), 0);
    EXPECT_EQ(count("select count(*) from CONTASPR"), 1);

    rs.edit();
    rs.field("DESCRICAO").setAsString("SEGUNDA");
    rs.post();
    ASSERT_EQ(rs.changeCount(), 1);
    st = rs.statementFor(rs.changes()[0]);
    EXPECT_EQ(st.sql, "update CONTASPR set DESCRICAO = ? where CODIGOCPR = ? and ESTACAO = ?");
    ASSERT_EQ(st.params.size(), 3u);
    EXPECT_EQ(st.params[0], Value(S("SEGUNDA")));
    EXPECT_EQ(st.params[1], Value(I{7}));
    EXPECT_EQ(rs.applyUpdates(), 0);
    EXPECT_EQ(count("select count(*) from CONTASPR"), 1);
    EXPECT_EQ(std::get<std::string>(scalar("select DESCRICAO from CONTASPR")), "SEGUNDA");
}

TEST_F(RecordSetApply, PostsOfOneRowBeforeAnApplyMergeIntoOneChange) {
    dbs.shared().execute("insert into FORNECED (CODIGO, NOME) values ('1', 'A')");
    RecordSet& rs = dm.Forneced;
    rs.open();
    rs.edit();
    rs.field("NOME").setAsString("B");
    rs.post();
    rs.edit();
    rs.field("NOME").setAsString("A");  // back to what was read
    rs.post();
    EXPECT_EQ(rs.changeCount(), 0);
    rs.edit();
    rs.post();  // nothing changed
    EXPECT_EQ(rs.changeCount(), 0);
    rs.append();
    rs.field("CODIGO").setAsString("2");
    rs.post();
    rs.edit();
    rs.field("NOME").setAsString("NOVO");
    rs.post();
    ASSERT_EQ(rs.changeCount(), 1);
    EXPECT_EQ(rs.changes()[0].kind, ChangeKind::Insert);
    rs.remove();  // an insert never applied just goes
    EXPECT_EQ(rs.changeCount(), 0);
}

TEST_F(RecordSetApply, KeyUpdateSucceedsAfterAnotherConnectionChangedOtherColumns) {
    dbs.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, DESCRICAO, VALORTOTAL) values (1, '01', "
        "'ORIGINAL', 10)");
    RecordSet& rs = dm.CONTASPR;
    rs.open();
    dbs.shared().execute("update CONTASPR set DESCRICAO = 'OUTRA ESTACAO'");
    rs.edit();
    rs.field("VALORTOTAL").setAsMoney(2050);
    rs.post();
    EXPECT_EQ(rs.applyUpdates(), 0);
    // Only the changed column was written.
    EXPECT_EQ(std::get<std::string>(scalar("select DESCRICAO from CONTASPR")), "OUTRA ESTACAO");
    EXPECT_EQ(std::get<fb::Decimal>(scalar("select VALORTOTAL from CONTASPR")).value, 2050);
}

TEST_F(RecordSetApply, AccountsOfTwoWorkAreasWithOneNumberAreUpdatedApart) {
    dbs.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, DESCRICAO) values (5, '01', 'A')");
    dbs.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, DESCRICAO) values (5, '02', 'B')");
    RecordSet& rs = dm.CONTASPR;
    rs.setCommandText(std::string("Select ") + kCamposCPR + " from CONTASPR order by ESTACAO");
    rs.open();
    rs.last();
    rs.edit();
    rs.field("DESCRICAO").setAsString("B2");
    rs.post();
    EXPECT_EQ(rs.applyUpdates(), 0);
    EXPECT_EQ(std::get<std::string>(scalar("select DESCRICAO from CONTASPR where ESTACAO = '01'")),
              "A");
    EXPECT_EQ(std::get<std::string>(scalar("select DESCRICAO from CONTASPR where ESTACAO = '02'")),
              "B2");
}

TEST_F(RecordSetApply, FailedApplyKeepsTheRowAndRefreshIsRefused) {
    dbs.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('DINHEIRO', 1)");
    RecordSet& rs = dm.FP;  // all columns
    applyAfterPost(rs);
    rs.open();
    dbs.shared().execute("update FP set ORDEM = 9");  // another workstation
    rs.edit();
    rs.field("FORMAPAGTO").setAsString("CHEQUE");
    try {
        rs.post();
        FAIL() << "the refresh after a failed apply must be refused";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Must apply updates before refreshing data");
    }
    // The row stays posted in the set, and in the log with its reason.
    EXPECT_EQ(rs.state(), RecordSetState::Browse);
    EXPECT_EQ(rs.field("FORMAPAGTO").asString(), "CHEQUE");
    ASSERT_EQ(rs.changeCount(), 1);
    EXPECT_EQ(rs.changes()[0].failure, ApplyFailure::Gone);
    EXPECT_NE(rs.changes()[0].error.find("não está mais no banco de dados"), std::string::npos);
    EXPECT_EQ(rs.lastApplyErrors().size(), 1u);
    EXPECT_EQ(std::get<std::string>(scalar("select FORMAPAGTO from FP")), "DINHEIRO");
    // Tried again at the next apply; dropped by close.
    EXPECT_EQ(rs.applyUpdates(), 1);
    rs.close();
    rs.open();
    EXPECT_EQ(rs.changeCount(), 0);
    EXPECT_EQ(rs.field("ORDEM").asInteger(), 9);
}

TEST_F(RecordSetApply, ServerRefusalFailsOnlyThatRow) {
    dbs.shared().execute("insert into CONTASPR (CODIGOCPR, ESTACAO) values (1, '01')");
    RecordSet& rs = dm.CONTASPR;
    rs.open();
    rs.append();  // a duplicate primary key: the server refuses it
    rs.field("CODIGOCPR").setAsInteger(1);
    rs.field("ESTACAO").setAsString("01");
    rs.post();
    rs.append();
    rs.field("CODIGOCPR").setAsInteger(2);
    rs.field("ESTACAO").setAsString("01");
    rs.post();
    EXPECT_EQ(rs.applyUpdates(), 1);
    ASSERT_EQ(rs.changeCount(), 1);
    EXPECT_EQ(rs.changes()[0].failure, ApplyFailure::KeyTaken);
    EXPECT_NE(rs.changes()[0].error.find("chave deste registro já existe"), std::string::npos)
        << rs.changes()[0].error;
    // The server's own words are kept for the log.
    EXPECT_NE(rs.changes()[0].serverText.find("PRIMARY"), std::string::npos);
    EXPECT_EQ(count("select count(*) from CONTASPR"), 2);
    // With no failure allowed, the whole apply goes back.
    rs.append();
    rs.field("CODIGOCPR").setAsInteger(3);
    rs.field("ESTACAO").setAsString("01");
    rs.post();
    EXPECT_EQ(rs.applyUpdates(0), 2);
    EXPECT_EQ(count("select count(*) from CONTASPR"), 2);
    EXPECT_EQ(rs.changeCount(), 2);
}

TEST_F(RecordSetApply, AStatementMatchingTwoRowsRollsTheWholeApplyBack) {
    dbs.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('PIX', 2)");
    dbs.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('DINHEIRO', 1)");
    dbs.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('DINHEIRO', 1)");
    RecordSet& rs = dm.FP;
    rs.open();
    ASSERT_EQ(rs.recordCount(), 3);
    rs.last();  // ORDEM 2
    rs.edit();
    rs.field("ORDEM").setAsInteger(3);
    rs.post();
    rs.first();  // one of the two twins
    rs.edit();
    rs.field("FORMAPAGTO").setAsString("ESPECIE");
    rs.post();
    EXPECT_EQ(rs.applyUpdates(), 2);
    ASSERT_EQ(rs.changeCount(), 2);
    EXPECT_EQ(rs.changes()[0].failure, ApplyFailure::NotWritten);
    EXPECT_EQ(rs.changes()[1].failure, ApplyFailure::TooManyRows);
    EXPECT_NE(rs.changes()[1].error.find("atingiria 2 registros"), std::string::npos);
    EXPECT_EQ(count("select count(*) from FP where FORMAPAGTO = 'DINHEIRO'"), 2);
    EXPECT_EQ(count("select count(*) from FP where ORDEM = 3"), 0);
}

TEST_F(RecordSetApply, AllColumnsDeleteComparesEmptyColumnsWithIsNull) {
    dbs.shared().execute("insert into FORMAPAD (TIPOFORMA, MEIOPADRAO) values (NULL, 'BOLETO')");
    dbs.shared().execute(
        "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) values ('X', 'BOLETO', '1')");
    RecordSet& rs = dm.FormaPad;
    rs.open();
    ASSERT_EQ(rs.recordCount(), 2);
    int withNulls = rs.field("CTAPADRAO").isNull() ? 0 : 1;
    rs.moveTo(withNulls);
    ASSERT_TRUE(rs.field("TIPOFORMA").isNull());
    rs.remove();
    auto st = rs.statementFor(rs.changes()[0]);
    EXPECT_EQ(
        st.sql,
        "delete from FORMAPAD where TIPOFORMA is null and MEIOPADRAO = ? and CTAPADRAO is null");
    EXPECT_EQ(rs.applyUpdates(), 0);
    EXPECT_EQ(count("select count(*) from FORMAPAD"), 1);
    EXPECT_EQ(count("select count(*) from FORMAPAD where TIPOFORMA = 'X'"), 1);
}

TEST_F(RecordSetApply, QuotesInTextsTravelAsParameters) {
    RecordSet& rs = dm.Forneced;
    rs.setCommandText(std::string("Select ") + kCamposFornecedor +
                      " from FORNECED order by NOMEFANTASIA");
    rs.open();
    rs.append();
    rs.field("CODIGO").setAsString("1");
    rs.field("NOME").setAsString("D'AVILA'); delete from FORNECED; --");
    rs.field("NOMEFANTASIA").setAsString("O'BRIEN");
    rs.post();
    EXPECT_EQ(rs.applyUpdates(), 0);
    rs.refresh();
    EXPECT_EQ(rs.field("NOME").asString(), "D'AVILA'); delete from FORNECED; --");
    rs.edit();
    rs.field("NOMEFANTASIA").setAsString("O''BRIEN'");
    rs.post();
    EXPECT_EQ(rs.applyUpdates(), 0);
    EXPECT_EQ(std::get<std::string>(scalar("select NOMEFANTASIA from FORNECED")), "O''BRIEN'");
    // All columns: the quoted values are compared as read, as parameters too.
    rs.setUpdateMode(UpdateMode::AllColumns);
    rs.refresh();
    rs.remove();
    EXPECT_EQ(rs.applyUpdates(), 0);
    EXPECT_EQ(count("select count(*) from FORNECED"), 0);
}

TEST_F(RecordSetApply, DueListEditsReachInstallmentsOnly) {
    dbs.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR) values (1, '01', 'P', "
        "'F')");
    dbs.shared().execute(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, VALORPARCELA, DATAVENCIM) "
        "values (10, 1, 1, 50, '2024-03-10')");
    RecordSet& q = dm.Query2;
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    q.edit();
    q.field("VALORPARCELA").setEditText("75,5");
    q.post();
    auto st = q.statementFor(q.changes()[0]);
    EXPECT_EQ(st.sql.substr(0, 52), "update PARCELAS set VALORPARCELA = ? where CODIGOCPR");
    EXPECT_EQ(st.sql.find("NOMECLIFOR"), std::string::npos);
    EXPECT_EQ(q.applyUpdates(), 0);
    EXPECT_EQ(std::get<fb::Decimal>(scalar("select VALORPARCELA from PARCELAS")).value, 7550);
}

}  // namespace
}  // namespace cp::test
