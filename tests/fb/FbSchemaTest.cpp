// The test databases: the suite's tables with their documented columns, and
// fresh, independent database pairs per suite directory.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <map>
#include <sstream>

#include "fb/fb.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

// "integer", "string(40)", "decimal(2)" (digits after the point), "date",
// "time"; a trailing "!" marks a column that refuses NULL.
std::string describe(const fb::ColumnInfo& c) {
    std::string t;
    switch (c.type) {
        case fb::ColumnType::Integer:
            t = "integer";
            break;
        case fb::ColumnType::Decimal:
            t = "decimal(" + std::to_string(c.scale) + ")";
            break;
        case fb::ColumnType::Text:
            t = "string(" + std::to_string(c.length) + ")";
            break;
        case fb::ColumnType::Date:
            t = "date";
            break;
        case fb::ColumnType::Time:
            t = "time";
            break;
        default:
            t = "other";
    }
    return c.name + " " + t + (c.nullable ? "" : "!");
}

std::string columnsOf(fb::Attachment& db, const std::string& table) {
    fb::Transaction t = db.startTransaction();
    fb::Statement s = t.prepare("select * from " + table);
    std::string out;
    for (const auto& c : s.columns()) out += (out.empty() ? "" : ", ") + describe(c);
    return out;
}

std::vector<std::string> primaryKey(fb::Attachment& db, const std::string& table) {
    fb::Transaction t = db.startTransaction();
    fb::Cursor c = t.open(
        "select trim(s.RDB$FIELD_NAME) from RDB$RELATION_CONSTRAINTS r "
        "join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = r.RDB$INDEX_NAME "
        "where r.RDB$RELATION_NAME = ? and r.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
        "order by s.RDB$FIELD_POSITION",
        {table});
    std::vector<std::string> key;
    while (c.fetch()) key.push_back(c.asText(0));
    return key;
}

TEST(FbSchema, SharedTablesHaveTheSuitesColumnsTypesAndKeys) {
    TestEnvironment env;
    SuiteDatabases dbs(env.suiteDir());
    fb::Attachment& db = dbs.shared();

    const std::map<std::string, std::string> expected = {
        {"CONTASPR",
         "CODIGOCPR integer!, ESTACAO string(2)!, NATUREZA string(1), DESCRICAO string(50), "
         "VALORTOTAL decimal(2), DATA date, CONDPAGTO string(40), NPEDIDO integer, "
         "CODIGOPEDIDO string(10), CODIGOCOMPRA string(100), NFISCAL string(16), "
         "ESTACAOCLIFOR string(2), CODIGOCLIFOR integer, NOMECLIFOR string(40), "
         "FONECLIFOR string(40), ENDERECOCLIFOR string(60), CEPBAICIDESTCLIFOR string(60), "
         "CNPJCLIFOR string(18), FABRICANTE string(40), FAMILIA string(40), "
         "GRUPDESP string(20), CCUSTO string(20), DATAREGISTRO date, HORAREGISTRO time, "
         "OBSERVACAO string(60)"},
        {"PARCELAS",
         "CODIGOPARC integer!, CODIGOCPR integer!, ESTACAO string(2), NPEDIDO integer, "
         "NUMPARCELA integer!, VALORPARCELA decimal(2), DATAVENCIM date, VALORPAGO decimal(2), "
         "DATAPAGTO date, COBRANCABANC string(1), CODIGOCTA string(15), NUMDOCUMENTO integer, "
         "DATAEMISSAODOC date, MEIO string(15), QAUT string(1), NATUREZA string(1)"},
        {"FORNECED",
         "CODIGO string(4)!, NOME string(40), NOMEFANTASIA string(40), ENDERECO string(40), "
         "COMPLEMENTO string(40), CEP string(10), CIDADE string(30), ESTADO string(2), "
         "TEL string(30), FAX string(20), E_MAIL string(40), SITE string(40), "
         "CNPJ string(20), IE string(20), IM string(20), PRAZO_PAGAMENTO integer"},
        {"PLANOCT",
         "CODIGOCTA string(20)!, DESCRICAO string(40)!, UNIDADE string(4), "
         "FABRICANTE string(40), FORNECEDOR string(40), FAMILIA string(40), "
         "GRUPODESP string(20), CCUSTO string(20), EMPRESA string(40), DATAULTALTERACAO date"},
        {"CONTAS",
         "CODIGOCTA integer!, TIPOCONTA string(10), NUMBCO integer, NOMEBCO string(40), "
         "NUMAGENCIA integer, NOMEAGENCIA string(40), NUMCONTA string(15), "
         "DIGITOCONTA integer, TITULARCTA string(60), DIAVENCIM integer, "
         "LIMITECREDITO decimal(2), PRAZOPAGTO integer, TARIFA decimal(2)"},
        {"FP", "FORMAPAGTO string(20), ORDEM integer"},
        {"FORMASPG",
         "CODIGOFP integer!, TIPO string(15), DESCRICAO string(40), DIAS string(250), "
         "QDEPARCELAS integer, TAXA1 decimal(2), TAXA2 decimal(2), CTABANCO string(15), "
         "FORMAPAG string(15), QAUT string(1)"},
        {"FORMAPAD", "TIPOFORMA string(20), MEIOPADRAO string(20), CTAPADRAO string(20)"},
        {"USUARIOS",
         "USUARIO string(30)!, CODIGO string(10), SENHA string(12), ACESSO string(100), "
         "ARQUIVO string(8), LOGADO string(1), ESTACAO string(15), CONSIST_INICIAL string(1), "
         "DEFVIDEOZOV integer"},
        {"ESTACOES",
         "ESTACAO string(3)!, DATBASNAM string(60), TIPO string(16), ATCAIXA string(60), "
         "ESVAZIAR string(3), EMUSO string(3), CAMINHOREQUISICAO string(80), "
         "CAMINHOOM string(80), CAMINHOECF string(80), CAMINHOSEQUENCIAL1 string(80), "
         "CAMINHO2 string(80), ROTULO1 string(80), ROTULO2 string(80), ROTULO3 string(80), "
         "ROTULO4 string(80), ROTULO5 string(80), ROTULO6 string(80), USUARIO string(60)"},
    };
    for (const auto& [table, columns] : expected) EXPECT_EQ(columnsOf(db, table), columns);

    using Key = std::vector<std::string>;
    EXPECT_EQ(primaryKey(db, "CONTASPR"), (Key{"CODIGOCPR", "ESTACAO"}));
    EXPECT_EQ(primaryKey(db, "PARCELAS"), (Key{"CODIGOPARC", "CODIGOCPR"}));
    EXPECT_EQ(primaryKey(db, "FORNECED"), (Key{"CODIGO"}));
    EXPECT_EQ(primaryKey(db, "PLANOCT"), (Key{"CODIGOCTA", "DESCRICAO"}));
    EXPECT_EQ(primaryKey(db, "CONTAS"), (Key{"CODIGOCTA"}));
    EXPECT_EQ(primaryKey(db, "FORMASPG"), (Key{"CODIGOFP"}));
    EXPECT_EQ(primaryKey(db, "USUARIOS"), (Key{"USUARIO"}));
    EXPECT_EQ(primaryKey(db, "ESTACOES"), (Key{"ESTACAO"}));
    EXPECT_EQ(primaryKey(db, "FP"), Key{});
    EXPECT_EQ(primaryKey(db, "FORMAPAD"), Key{});

    EXPECT_EQ(columnsOf(dbs.workstation(), "PERIODO"),
              "DATAINICIAL date, DATAFINAL date, HORAINICIAL time, HORAFINAL time, "
              "CHAVE string(1), ESTACAO string(2), NPEDIDO integer, NFORMULA integer, "
              "VALORTOTAL decimal(8), VALORTOTAL2 decimal(8)");
}

TEST(FbSchema, EverySuiteDirectoryGetsItsOwnFreshPair) {
    TestEnvironment first;
    TestEnvironment second;
    SuiteDatabases a(first.suiteDir());
    SuiteDatabases b(second.suiteDir(), "03");

    EXPECT_EQ(a.sharedPath(), first.suiteDir().toStdString() + "dados/brundelo.bd");
    EXPECT_EQ(a.workstationPath(), first.suiteDir().toStdString() + "interfac01/brundelo.bd");
    EXPECT_EQ(b.workstationPath(), second.suiteDir().toStdString() + "interfac03/brundelo.bd");
    EXPECT_TRUE(second.suiteFileExists("interfac03/brundelo.bd"));

    a.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('DINHEIRO', 1)");
    a.workstation().execute("insert into PERIODO (DATAINICIAL) values (?)", {fb::Date{2024, 3, 1}});
    a.release();

    // What was seeded is there for a new attachment, and only in that pair.
    auto count = [](const std::string& path, const std::string& table) {
        fb::Attachment db = fb::Attachment::attach(fbClient(), path, testAttachParams());
        fb::Transaction t = db.startTransaction();
        fb::Cursor c = t.open("select count(*) from " + table);
        c.fetch();
        return c.asInt64(0);
    };
    EXPECT_EQ(count(a.sharedPath(), "FP"), 1);
    EXPECT_EQ(count(a.workstationPath(), "PERIODO"), 1);
    EXPECT_EQ(count(b.sharedPath(), "FP"), 0);
    EXPECT_EQ(count(b.workstationPath(), "PERIODO"), 0);

    // A new pair over the same directory starts empty again.
    SuiteDatabases again(first.suiteDir());
    EXPECT_EQ(count(again.sharedPath(), "FP"), 0);
}

}  // namespace
}  // namespace cp::test
