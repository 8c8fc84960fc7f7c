// Reading through the record sets on real embedded databases: opening,
// column matching, searches on the default order, the filter, fields and
// their texts, refresh.
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

class RecordSetRead : public ModulosEmTeste {
  protected:
    LocaleGuard brasil;

    void conta(int codigo, const char* natureza, const char* nome, const char* nfiscal = "",
               const char* estacao = "01") {
        dbs.shared().execute(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR, NFISCAL, "
            "VALORTOTAL, DATA) values (?, ?, ?, ?, ?, ?, ?)",
            {I{codigo}, S(estacao), S(natureza), S(nome), S(nfiscal),
             fb::Decimal{codigo * 1000 + 5, 2}, fb::Date{2025, 1, codigo % 28 + 1}});
    }

    void parcela(int codigoParc, int codigoCPR, int num, fb::Date venc, std::int64_t cents) {
        dbs.shared().execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, "
            "VALORPARCELA, DATAVENCIM) values (?, ?, '01', 7, ?, ?, ?)",
            {I{codigoParc}, I{codigoCPR}, I{num}, fb::Decimal{cents, 2}, venc});
    }

    std::string contasText(const char* rest) {
        return std::string("Select ") + kCamposCPR + " from CONTASPR " + rest;
    }
};

TEST_F(RecordSetRead, OpensEveryRowInTheOrderOfItsText) {
    conta(3, "P", "CCC");
    conta(1, "P", "AAA");
    conta(2, "R", "BBB");
    RecordSet& rs = dm.CONTASPR;
    rs.setCommandText(contasText("order by CODIGOCPR"));
    rs.open();
    ASSERT_EQ(rs.recordCount(), 3);
    EXPECT_EQ(rs.defaultOrder(), std::vector<std::string>{"CODIGOCPR"});
    EXPECT_EQ(rs.field("codigocpr").asInteger(), 1);
    EXPECT_TRUE(rs.bof());
    rs.next();
    rs.next();
    EXPECT_EQ(rs.field("CodigoCPR").asInteger(), 3);
    EXPECT_FALSE(rs.eof());
    rs.next();
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.recNo(), 3);
    rs.prior();
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 2);
    rs.last();
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "CCC");
    EXPECT_THROW(rs.field("NAOEXISTE"), DataError);
    EXPECT_THROW(rs.setCommandText("select 1 from rdb$database"), DataError);
    rs.close();
    EXPECT_FALSE(rs.active());
    EXPECT_EQ(rs.recordCount(), 0);
}

TEST_F(RecordSetRead, ServerErrorOnOpenLeavesTheSetClosed) {
    RecordSet& rs = dm.CONTASPR;
    rs.setCommandText("Select CODIGOCPR from TABELA_QUE_NAO_EXISTE");
    EXPECT_THROW(rs.open(), fb::Error);
    EXPECT_FALSE(rs.active());
    // A text that leaves out a column of the set fails too (except Query2).
    rs.setCommandText("Select CODIGOCPR, ESTACAO from CONTASPR");
    EXPECT_THROW(rs.open(), DataError);
    EXPECT_FALSE(rs.active());
}

TEST_F(RecordSetRead, NearestSearchForDrogaStopsOnDrogaCentral) {
    conta(1, "P", "ALFA");
    conta(2, "P", "DROGA CENTRAL");
    conta(3, "P", "DROG");
    conta(4, "P", "DROGARIA SUL");
    conta(5, "P", "ZETA");
    RecordSet& rs = dm.CONTASPR;
    rs.setCommandText(contasText("where NATUREZA = 'P' order by NOMECLIFOR"));
    rs.open();
    EXPECT_TRUE(rs.findNearest({S("DROGA")}));
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "DROGA CENTRAL");
    EXPECT_FALSE(rs.findKey({S("DROGA")}));
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "DROGA CENTRAL");  // not moved
    EXPECT_TRUE(rs.findKey({S("ZETA")}));
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 5);
    // Past every row: the last row.
    EXPECT_TRUE(rs.findNearest({S("ZZZ")}));
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "ZETA");
    EXPECT_TRUE(rs.findNearest({S("")}));
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "ALFA");
}

TEST_F(RecordSetRead, ExactSearchOnTwoOrderColumnsIgnoresTrailingBlanks) {
    conta(1, "P", "DISTRIBUIDORA CENTRAL", "123");
    conta(2, "P", "DISTRIBUIDORA", "123");
    conta(3, "P", "DISTRIBUIDORA CENTRAL", "124");
    RecordSet& rs = dm.CONTASPR;
    rs.setCommandText(contasText("where NATUREZA = 'P' order by NFISCAL, NOMECLIFOR"));
    rs.open();
    EXPECT_EQ(rs.defaultOrder(), (std::vector<std::string>{"NFISCAL", "NOMECLIFOR"}));
    EXPECT_TRUE(rs.findKey({S("123"), S("DISTRIBUIDORA CENTRAL ")}));
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 1);
    // Values longer than their columns are cut first.
    EXPECT_TRUE(rs.findKey({S("124"), S("DISTRIBUIDORA CENTRAL") + std::string(30, ' ') + "X"}));
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 3);
    // Fewer values than order columns compare only the first ones.
    EXPECT_TRUE(rs.findKey({S("123")}));
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 2);
    // An integer search value on the integer order of another text.
    rs.close();
    rs.setCommandText(contasText("order by CODIGOCPR"));
    rs.open();
    EXPECT_TRUE(rs.findKey({I{3}}));
    EXPECT_EQ(rs.recNo(), 3);
    EXPECT_TRUE(rs.findKey({S("2")}));
    EXPECT_EQ(rs.recNo(), 2);
    EXPECT_FALSE(rs.findKey({I{0}}));
    EXPECT_THROW(rs.findKey({S("dois")}), DataError);
}

TEST_F(RecordSetRead, SearchWithoutOrderIsRefused) {
    conta(1, "P", "A");
    dm.Parcelas.open();
    EXPECT_TRUE(dm.Parcelas.defaultOrder().empty());
    EXPECT_THROW(dm.Parcelas.findKey({I{1}}), DataError);
}

TEST_F(RecordSetRead, FilteredRowsAreNeitherShownCountedNorFound) {
    conta(1, "P", "ALFA");
    conta(2, "R", "BETA");
    conta(3, "P", "GAMA");
    conta(4, "R", "DELTA");
    RecordSet& rs = dm.CONTASPR;
    rs.setCommandText(contasText("order by NOMECLIFOR"));
    rs.open();
    EXPECT_EQ(rs.recordCount(), 4);
    rs.setFilter("Natureza = 'P'");
    EXPECT_EQ(rs.recordCount(), 4);  // not yet switched on
    rs.setFiltered(true);
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "ALFA");
    EXPECT_FALSE(rs.findKey({S("BETA")}));
    EXPECT_TRUE(rs.findNearest({S("B")}));
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "GAMA");
    std::vector<std::string> seen;
    for (rs.first(); !rs.eof(); rs.next()) seen.push_back(rs.field("NOMECLIFOR").asString());
    EXPECT_EQ(seen, (std::vector<std::string>{"ALFA", "GAMA"}));
    EXPECT_EQ(rs.displayTextAt(1, rs.fieldIndex("NOMECLIFOR")), "GAMA");
    // Switched off, every row is back; the filter stays through a reopen.
    rs.setFiltered(false);
    EXPECT_EQ(rs.recordCount(), 4);
    rs.setFiltered(true);
    rs.close();
    rs.open();
    EXPECT_EQ(rs.recordCount(), 2);
    // A row posted with another nature leaves the view.
    rs.first();
    rs.edit();
    rs.field("NATUREZA").setAsString("R");
    rs.post();
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "GAMA");
}

TEST_F(RecordSetRead, DueListKeepsItsThirteenColumnsByName) {
    conta(10, "P", "FORNECEDOR UM", "NF1");
    dbs.shared().execute("update CONTASPR set DESCRICAO = 'ALUGUEL' where CODIGOCPR = 10");
    parcela(100, 10, 1, {2024, 3, 5}, 12345);
    parcela(101, 10, 2, {2024, 3, 1}, 500);
    RecordSet& q = dm.Query2;
    q.setCommandText(
        "Select A.CodigoParc, A.Estacao, A.NPedido, A.CodigoCPR, A.DataVencim, A.NumParcela, "
        "A.NumDocumento, A.ValorParcela, A.DataPagto, A.ValorPago, B.NomeCliFor, B.CodigoCPR, "
        "B.Natureza, B.Descricao, B.NFiscal from Parcelas A, ContasPR B where B.Natureza = 'P' "
        "and A.CodigoCPR = B.CodigoCPR and (A.DataVencim >= '03/01/2024' and A.DataVencim <= "
        "'03/31/2024') and (A.DataPagto is Null) and (A.ValorPago is Null) order by "
        "A.DataVencim");
    q.open();
    ASSERT_EQ(q.fieldCount(), 13);
    ASSERT_EQ(q.recordCount(), 2);
    EXPECT_EQ(q.fieldIndex("ESTACAO"), -1);
    EXPECT_EQ(q.fieldIndex("NPEDIDO"), -1);
    EXPECT_EQ(q.field("CODIGOPARC").asInteger(), 101);
    EXPECT_EQ(q.field("CODIGOCPR").asInteger(), 10);
    EXPECT_EQ(q.field("CODIGOCPR_1").asInteger(), 10);
    EXPECT_EQ(q.field("DESCRICAO").asString(), "ALUGUEL");
    EXPECT_EQ(q.field("DATAVENCIM").displayText(), "01/03/24");
    q.next();
    EXPECT_EQ(q.field("VALORPARCELA").displayText(), "123,45");
    EXPECT_TRUE(q.field("VALORPAGO").isNull());
    EXPECT_EQ(q.field("VALORPAGO").displayText(), "");
    EXPECT_EQ(q.field("VALORPAGO").asDouble(), 0.0);
    EXPECT_DOUBLE_EQ(q.field("VALORPARCELA").asDouble(), 123.45);
    // The two account columns are told apart by position, not by value.
    q.close();
    q.setCommandText(
        "Select A.CodigoCPR, B.CodigoCPR + 1000 as CodigoCPR, A.CodigoParc, A.NumParcela from "
        "Parcelas A, ContasPR B where A.CodigoCPR = B.CodigoCPR order by A.CodigoParc");
    q.open();
    EXPECT_EQ(q.field("CODIGOCPR").asInteger(), 10);
    EXPECT_EQ(q.field("CODIGOCPR_1").asInteger(), 1010);
    EXPECT_TRUE(q.field("NFISCAL").isNull());  // not selected: stays empty
}

TEST_F(RecordSetRead, FieldsReadAndSetThroughTheirTypes) {
    conta(1, "P", "ALFA", "NF-1");
    RecordSet& rs = dm.CONTASPR;
    rs.open();
    EXPECT_EQ(rs.field("VALORTOTAL").asMoney(), 1005);
    EXPECT_EQ(rs.field("VALORTOTAL").displayText(), "10,05");
    EXPECT_EQ(rs.field("VALORTOTAL").editText(), "10,05");
    EXPECT_EQ(rs.field("DATA").asDate(), QDate(2025, 1, 2));
    EXPECT_EQ(rs.field("DATA").displayText(), "02/01/25");
    EXPECT_EQ(rs.field("DATA").editText(), "02/01/25");
    EXPECT_EQ(rs.field("DESCRICAO").asString(), "");
    EXPECT_EQ(rs.field("NPEDIDO").asInteger(), 0);
    EXPECT_FALSE(rs.field("DATAREGISTRO").asDate().isValid());
    EXPECT_THROW(rs.field("DESCRICAO").setAsString("x"), DataError);  // not in edit

    rs.edit();
    rs.field("DESCRICAO").setAsString(std::string(60, 'D'));
    EXPECT_EQ(rs.field("DESCRICAO").asString(), std::string(50, 'D'));
    rs.field("VALORTOTAL").setEditText("1234,5");
    EXPECT_EQ(rs.field("VALORTOTAL").asMoney(), 123450);
    rs.field("NPEDIDO").setEditText("77");
    EXPECT_EQ(rs.field("NPEDIDO").asInteger(), 77);
    rs.field("DATA").setEditText("31/01/05");
    EXPECT_EQ(rs.field("DATA").asDate(), QDate(2005, 1, 31));
    rs.field("DATA").setEditText("01/02/75");
    EXPECT_EQ(rs.field("DATA").asDate(), QDate(1975, 2, 1));
    rs.field("DATA").setEditText("01/02/74");
    EXPECT_EQ(rs.field("DATA").asDate(), QDate(2074, 2, 1));
    rs.field("HORAREGISTRO").setEditText("9:05");
    EXPECT_EQ(rs.field("HORAREGISTRO").asTime(), QTime(9, 5));
    EXPECT_EQ(rs.field("HORAREGISTRO").editText(), "09:05");
    EXPECT_EQ(rs.field("HORAREGISTRO").displayText(), "09:05:00");
    rs.field("CNPJCLIFOR").setEditText("12345678000195");
    EXPECT_EQ(rs.field("CNPJCLIFOR").asString(), "12.345.678/0001-95");

    auto message = [&](const char* name, const char* text) {
        try {
            rs.field(name).setEditText(text);
        } catch (const DataError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("NPEDIDO", "12x"), "'12x' is not a valid integer value for field 'NPEDIDO'");
    // Thousands are read in groups of three, and only so.
    EXPECT_EQ(message("VALORTOTAL", "1.234,5"), "no error");
    EXPECT_EQ(rs.field("VALORTOTAL").asMoney(), 123450);
    EXPECT_EQ(message("VALORTOTAL", "1.23,5"),
              "'1.23,5' is not a valid floating point value for field 'VALORTOTAL'");
    // DECIMAL(15,2) holds thirteen digits before the comma, no more.
    EXPECT_EQ(message("VALORTOTAL", "12345678901234"),
              "'12345678901234' is not a valid floating point value for field 'VALORTOTAL'");
    EXPECT_EQ(message("DATA", "31/02/05"), "'31/02/05' is not a valid date");
    EXPECT_EQ(message("DATA", "31/01/"), "Invalid input value.  Use escape key to abandon changes");
    EXPECT_EQ(message("CNPJCLIFOR", "1234567800019"),
              "Invalid input value.  Use escape key to abandon changes");
    EXPECT_EQ(message("HORAREGISTRO", "25:00"), "'25:00' is not a valid time");
    // Failed input leaves the values as they were.
    EXPECT_EQ(rs.field("NPEDIDO").asInteger(), 77);
    EXPECT_EQ(rs.field("DATA").asDate(), QDate(2074, 2, 1));
    rs.field("DATA").setEditText("");
    EXPECT_TRUE(rs.field("DATA").isNull());

    rs.post();
    ASSERT_EQ(rs.applyUpdates(), 0);
    rs.refresh();
    EXPECT_EQ(rs.field("DESCRICAO").asString(), std::string(50, 'D'));
    EXPECT_EQ(rs.field("CNPJCLIFOR").asString(), "12.345.678/0001-95");
    EXPECT_EQ(rs.field("VALORTOTAL").asMoney(), 123450);
    EXPECT_EQ(rs.field("HORAREGISTRO").asTime(), QTime(9, 5));
    EXPECT_TRUE(rs.field("DATA").isNull());
}

TEST_F(RecordSetRead, RefreshFindsTheCurrentRowByItsKeyAndShowsOtherChanges) {
    for (int i = 1; i <= 5; ++i) conta(i, "P", "N");
    RecordSet& rs = dm.CONTASPR;
    rs.setCommandText(contasText("order by CODIGOCPR"));
    rs.open();
    rs.moveTo(3);
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 4);
    dbs.shared().execute("update CONTASPR set NOMECLIFOR = 'OUTRO' where CODIGOCPR = 4");
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "N");  // a snapshot
    EXPECT_TRUE(rs.refresh());
    EXPECT_EQ(rs.recNo(), 4);
    EXPECT_EQ(rs.field("NOMECLIFOR").asString(), "OUTRO");
    // An earlier row went: the cursor stays on its row, not on its position.
    dbs.shared().execute("delete from CONTASPR where CODIGOCPR = 1");
    int rolagens = 0;
    rs.afterScroll = [&](RecordSet&) { ++rolagens; };
    EXPECT_TRUE(rs.refresh());
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 4);
    EXPECT_EQ(rs.recNo(), 3);
    EXPECT_EQ(rolagens, 0);
    // Its own row went: the one that sorts in its place, announced.
    dbs.shared().execute("delete from CONTASPR where CODIGOCPR = 4");
    EXPECT_FALSE(rs.refresh());
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 5);
    EXPECT_EQ(rolagens, 1);
    dbs.shared().execute("delete from CONTASPR where CODIGOCPR >= 3");
    EXPECT_FALSE(rs.refresh());
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.recNo(), 1);
    EXPECT_EQ(rs.field("CODIGOCPR").asInteger(), 2);
}

TEST_F(RecordSetRead, ScratchQueryReadsSingleValues) {
    Query& q = dm.SQLQuery1;
    q.setText("Select MaX(CODIGOCPR) as MaiorCodCPR from CONTASPR");
    q.open();
    EXPECT_TRUE(q.isNull("MaiorCodCPR"));
    EXPECT_EQ(q.asInteger("MaiorCodCPR"), 0);
    EXPECT_THROW(q.asInteger("OutroNome"), DataError);
    conta(41, "P", "X");
    q.close();
    q.open();
    EXPECT_EQ(q.asInteger("maiorcodcpr"), 41);
    EXPECT_EQ(q.asString("MAIORCODCPR"), "41");
    q.setText("Select NOMECLIFOR, VALORTOTAL from CONTASPR");
    EXPECT_FALSE(q.active());
    q.open();
    EXPECT_EQ(q.asString("NOMECLIFOR"), "X");
    EXPECT_EQ(q.asString("VALORTOTAL"), "410.05");
    EXPECT_EQ(dm.SQLConnection1.execute("update CONTASPR set NATUREZA = 'R'"), 1);
}

}  // namespace
}  // namespace cp::test
