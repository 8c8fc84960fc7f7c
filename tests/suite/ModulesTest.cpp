// The data modules: every record set opens on the suite's schema with its
// own text, the work areas come in key order, the period of the work-area
// database is read and written back whole.
#include <gtest/gtest.h>

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

using Modules = ModulosEmTeste;

TEST_F(Modules, CreatedClosedAndWithoutConnecting) {
    EXPECT_FALSE(dm.SQLConnection1.connected());
    EXPECT_FALSE(dm2.SQLConnection1.connected());
    EXPECT_EQ(dm.SQLConnection1.params().role, "RoleName");
    EXPECT_EQ(dm.SQLConnection1.params().charset, "");
    EXPECT_EQ(dm2.SQLConnection1.params().charset, "win1252");
    for (RecordSet* rs :
         {&dm.CONTASPR, &dm.Parcelas, &dm.Forneced, &dm.PlanoCT, &dm.Contas, &dm.FP, &dm.FormasPG,
          &dm.FormaPad, &dm.Usuarios, &dm.Estacoes, &dm.Query2, &dm2.Periodo})
        EXPECT_FALSE(rs->active()) << rs->name();
    EXPECT_EQ(dm.Query2.commandText(),
              "Select A.CodigoCPR, A.CodigoParc, A.DataVencim, A.NumParcela, A.NumDocumento, "
              "A.ValorParcela, A.DataPagto, A.ValorPago, B.NomeCliFor, B.CodigoCPR, B.Natureza, "
              "B.Descricao, B.NFiscal from Parcelas A, ContasPR B where B.Natureza = 'P' and "
              "A.CodigoCPR = B.CodigoCPR order by A.DataVencim ");
    EXPECT_EQ(dm.Forneced.commandText().substr(0, 22), "select First 1 CODIGO,");
}

TEST_F(Modules, EveryRecordSetOpensWithItsOwnColumnsOnTheSchema) {
    // Opening fails when a column of the set is missing from its result.
    for (RecordSet* rs : {&dm.CONTASPR, &dm.Parcelas, &dm.Forneced, &dm.PlanoCT, &dm.Contas, &dm.FP,
                          &dm.FormasPG, &dm.FormaPad, &dm.Usuarios, &dm.Estacoes, &dm.Query2}) {
        ASSERT_NO_THROW(rs->open()) << rs->name();
        EXPECT_TRUE(rs->isEmpty()) << rs->name();
        rs->close();
    }
    EXPECT_TRUE(dm.SQLConnection1.connected());
    ASSERT_NO_THROW(dm2.Periodo.open());
    EXPECT_EQ(dm.CONTASPR.fieldCount(), 25);
    EXPECT_EQ(dm.Parcelas.fieldCount(), 16);
    EXPECT_EQ(dm.Estacoes.fieldCount(), 18);
    EXPECT_EQ(dm.CONTASPR.defaultOrder(), std::vector<std::string>{"CODIGOPEDIDO"});
    EXPECT_EQ(dm.Query2.defaultOrder(), std::vector<std::string>{"DATAVENCIM"});
    dm.SQLConnection1.close();
    EXPECT_FALSE(dm.SQLConnection1.connected());
}

TEST_F(Modules, ColumnRulesOfTheAccounts) {
    const auto& f = dm.CONTASPR.fields();
    auto def = [&](const char* name) { return f[dm.CONTASPR.fieldIndex(name)]; };
    EXPECT_TRUE(def("CODIGOCPR").required && def("CODIGOCPR").key);
    EXPECT_TRUE(def("ESTACAO").required && def("ESTACAO").key);
    EXPECT_FALSE(def("NOMECLIFOR").key);
    EXPECT_EQ(def("DESCRICAO").size, 50);
    EXPECT_EQ(def("VALORTOTAL").displayFormat, "0.00");
    EXPECT_EQ(def("DATA").displayFormat, "dd/mm/yy");
    EXPECT_EQ(def("DATA").editMask, "!99/99/00;1;_");
    EXPECT_EQ(def("HORAREGISTRO").editMask, "!90:00;1;_");
    EXPECT_EQ(def("CNPJCLIFOR").editMask, "00\\.000\\.000\\/0000\\-00;1;_");
    EXPECT_EQ(dm.FP.updateMode(), UpdateMode::AllColumns);
    EXPECT_EQ(dm.Query2.updateMode(), UpdateMode::AllColumns);
    EXPECT_EQ(dm.Query2.updateTable(), "PARCELAS");
    EXPECT_EQ(dm.Parcelas.updateMode(), UpdateMode::Key);
}

TEST_F(Modules, WorkAreasComeInTheOrderOfTheirKey) {
    for (const char* e : {"03", "01", "120", "02"})
        dbs.shared().execute("insert into ESTACOES (ESTACAO, USUARIO) values (?, 'CAIXA1')",
                             {S(e)});
    RecordSet& rs = dm.Estacoes;
    rs.setCommandText(
        "Select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, "
        "CAMINHOOM, CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, "
        "ROTULO4, ROTULO5, ROTULO6, USUARIO  from ESTACOES where upper(USUARIO) = 'CAIXA1'");
    rs.open();
    std::vector<std::string> got;
    for (; !rs.eof(); rs.next()) got.push_back(rs.field("ESTACAO").asString());
    EXPECT_EQ(got, (std::vector<std::string>{"01", "02", "03", "120"}));
    // Marked in memory only; closing drops it.
    rs.first();
    rs.edit();
    rs.field("EMUSO").setAsString("S");
    rs.post();
    rs.close();
    rs.open();
    EXPECT_TRUE(rs.field("EMUSO").isNull());
}

TEST_F(Modules, ThePeriodIsReadAndWrittenBackWhole) {
    dbs.workstation().execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL, HORAINICIAL, VALORTOTAL) values "
        "('2024-03-01', '2024-03-31', '08:30:00', 1.23456789)");
    RecordSet& p = dm2.Periodo;
    p.open();
    ASSERT_EQ(p.recordCount(), 1);
    EXPECT_EQ(p.field("DATAINICIAL").asDate(), QDate(2024, 3, 1));
    EXPECT_EQ(p.field("HORAINICIAL").asTime(), QTime(8, 30));
    EXPECT_EQ(p.field("VALORTOTAL").asDecimal8(), 123456789);
    EXPECT_TRUE(p.field("VALORTOTAL2").isNull());
    p.edit();
    p.field("DATAFINAL").setEditText("30/04/24");
    p.post();
    EXPECT_EQ(p.applyUpdates(), 0);
    p.refresh();
    EXPECT_EQ(p.field("DATAFINAL").asDate(), QDate(2024, 4, 30));
    EXPECT_EQ(p.field("VALORTOTAL").asDecimal8(), 123456789);
}

TEST_F(Modules, ModulesAreIndependentObjects) {
    EstadoSessao other;
    TDM second(env, other);
    second.SQLConnection1.setClient(fbClient());
    second.SQLConnection1.setDatabase(dbs.sharedPath());
    dbs.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('PIX', 1)");
    dm.FP.open();
    second.FP.open();
    dm.FP.edit();
    dm.FP.field("FORMAPAGTO").setAsString("TED");
    EXPECT_EQ(second.FP.field("FORMAPAGTO").asString(), "PIX");
    EXPECT_EQ(second.FP.state(), RecordSetState::Browse);
}

}  // namespace
}  // namespace cp::test
