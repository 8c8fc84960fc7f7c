// The indexes recommended for the shared database (sql/indexes.sql): the
// plans the engine chooses for the statements the program sends, on a
// database with a realistic spread of accounts and installments, with and
// without them.
#include <gtest/gtest.h>

#include <QDate>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "logic/ListaSql.h"
#include "logic/Previsao.h"
#include "suite/EstadoSessao.h"
#include "support/FbDatabases.h"

namespace cp::test {
namespace {

// 2,000 accounts of four installments each, every tenth one receivable,
// due over two years. With `estatisticas` the indexes' statistics are taken
// afterwards, as on a pharmacy's database where the indexes are created over
// existing rows; without, they stay those of the empty tables, as on a
// database that had its indexes from the start.
void semeiaVolume(fb::Attachment& a, bool estatisticas = true) {
    a.execute(
        "execute block as declare i integer = 1; declare j integer; begin "
        "while (i <= 2000) do begin "
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL) values "
        "(:i, '01', iif(mod(:i, 10) = 0, 'R', 'P'), 'Conta', 400.00); "
        "j = 1; while (j <= 4) do begin "
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM) values ((:i - 1) * 4 + :j, :i, '01', :j, 100.00, "
        "dateadd(mod(:i, 700) + 30 * :j day to date '2024-01-01')); "
        "j = j + 1; end i = i + 1; end end");
    if (!estatisticas) return;
    std::vector<std::string> indices;
    {
        fb::Transaction tr = a.startTransaction();
        fb::Cursor c = tr.open(
            "select trim(RDB$INDEX_NAME) from RDB$INDICES where RDB$RELATION_NAME in "
            "('CONTASPR', 'PARCELAS')");
        while (c.fetch()) indices.push_back(c.asText(0));
        c.close();
        tr.commit();
    }
    for (const std::string& i : indices) a.execute("set statistics index " + i);
}

std::string plano(fb::Attachment& a, const std::string& sql) {
    fb::Transaction tr = a.startTransaction();
    const std::string p = tr.prepare(sql).plan();
    tr.rollback();
    return p;
}

int vezes(const std::string& texto, const std::string& parte) {
    int n = 0;
    for (auto i = texto.find(parte); i != std::string::npos; i = texto.find(parte, i + 1)) ++n;
    return n;
}

TEST(IndicesRecomendados, EveryStatementKeepsItsIndexesAndTheHighestCodesAreReadFromAnIndex) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    fb::Attachment sem =
        createDatabaseFromScript(dir.filePath("sem.fdb").toStdString(), "shared.sql");
    fb::Attachment com =
        createDatabaseFromScript(dir.filePath("com.fdb").toStdString(), "shared.sql");
    fb::Attachment nova =
        createDatabaseFromScript(dir.filePath("nova.fdb").toStdString(), "shared.sql");
    fb::runScriptFile(com, sqlScriptPath("indexes.sql"));
    fb::runScriptFile(nova, sqlScriptPath("indexes.sql"));
    semeiaVolume(sem);
    semeiaVolume(com);
    semeiaVolume(nova, false);

    const std::string lista = sqlLista(QDate(2025, 3, 1), QDate(2025, 3, 31), "");
    const std::string maiorParcela = "Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS";
    const std::string maiorConta =
        "select (select max(CODIGOCPR) from CONTASPR), (select max(CODIGOCPR) from PARCELAS) "
        "from RDB$DATABASE";
    const std::vector<std::string> enviadas = {
        lista,
        sqlLista(QDate(2025, 3, 3), QDate(2025, 3, 9), kFiltroAPagar),
        sqlLista(QDate(2024, 1, 1), QDate(2025, 12, 31), ""),
        maiorParcela,
        maiorConta,
        std::string("Select ") + kCamposParcelas + " from PARCELAS where CODIGOCPR = 5",
        std::string("Select ") + kCamposCPR +
            " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR",
        sqlQuitar(1, 5, QDate(2025, 3, 10), 10000),
        "delete from PARCELAS where CODIGOPARC = ? and CODIGOCPR = ?",
        "Select MaX(NUMPARCELA) as MaiorNumParc from PARCELAS where CODIGOCPR=5",
        "Select MaX(CODIGOCPR) as MaiorCodCPR from CONTASPR",
        "select 1 from RDB$DATABASE where exists (select 1 from CONTASPR where CODIGOCPR = ?) "
        "or exists (select 1 from PARCELAS where CODIGOCPR = ?)",
        sqlCancelarQuitacao(1, 5),
        std::string("Select ") + kCamposCPR +
            " from CONTASPR where NATUREZA = 'P' order by NFISCAL, NOMECLIFOR",
        "select CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, CONDPAGTO, "
        "NPEDIDO, CODIGOPEDIDO, CODIGOCOMPRA, NFISCAL, ESTACAOCLIFOR, CODIGOCLIFOR, "
        "NOMECLIFOR, FONECLIFOR, ENDERECOCLIFOR, CEPBAICIDESTCLIFOR, CNPJCLIFOR, "
        "FABRICANTE, FAMILIA, GRUPDESP, CCUSTO, DATAREGISTRO, HORAREGISTRO, OBSERVACAO "
        "from CONTASPR order by CODIGOPEDIDO",
        "select CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, VALORPAGO, DATAPAGTO, COBRANCABANC, CODIGOCTA, NUMDOCUMENTO, "
        "DATAEMISSAODOC, MEIO, QAUT, NATUREZA from PARCELAS",
        "select CODIGOCPR, ESTACAO, NFISCAL, NOMECLIFOR, VALORTOTAL, DATA, CNPJCLIFOR, "
        "CODIGOCLIFOR from CONTASPR where NATUREZA = 'P' and NFISCAL containing ? order by "
        "CODIGOCPR",
        "Update CONTASPR set NFISCAL = ? where CODIGOCPR = ?",
        "update CONTASPR set OBSERVACAO = ? where CODIGOCPR = ? and ESTACAO = ?",
        "update PARCELAS set VALORPARCELA = ? where CODIGOPARC = ? and CODIGOCPR = ?",
        "update PARCELAS set NUMDOCUMENTO = ? where CODIGOCPR = ? and CODIGOPARC = ?",
        sqlParcelasDoDia(false),
    };
    for (const std::string& sql : enviadas) {
        SCOPED_TRACE(sql);
        const std::string antes = plano(sem, sql);
        // No table read whole that an index served before; the plans do not
        // hang on the indexes' statistics.
        for (fb::Attachment* a : {&com, &nova}) {
            const std::string depois = plano(*a, sql);
            EXPECT_LE(vezes(depois, "NATURAL"), vezes(antes, "NATURAL")) << antes << "\n" << depois;
        }
        EXPECT_EQ(plano(com, sql), plano(nova, sql));
    }

    // The forecast's sums and its list of installments without a due date
    // read every unpaid installment with its account. With fresh statistics
    // the engine starts from the accounts and finds their installments by
    // the account index; with those of empty tables, from the installments
    // as without the indexes. Both were measured on 25,000 accounts and
    // 100,000 installments: the accounts first takes 203,000 page fetches
    // against 371,000 and is as fast or faster, so either is right; neither
    // reads both tables whole.
    for (const std::string& sql : {sqlPrevisaoPorDia(), sqlPrevisaoPorFornecedor(),
                                   sqlParcelasDoDia(true)}) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(plano(sem, sql), "PLAN SORT (JOIN (A NATURAL, B INDEX (PK_CONTASPR)))");
        EXPECT_EQ(plano(com, sql),
                  "PLAN SORT (JOIN (B NATURAL, A INDEX (CP_PARCELAS_CODIGOCPR_DESC)))");
        EXPECT_EQ(plano(nova, sql),
                  "PLAN SORT (JOIN (A NATURAL, B INDEX (CP_CONTASPR_CODIGOCPR_DESC)))");
    }

    // The due list reads the period's installments (out of the due-date
    // index when there is one) and finds each one's account by its key: it
    // never walks every account, though an index on the installments'
    // account is there.
    for (fb::Attachment* a : {&sem, &com, &nova})
        for (const std::string& sql : {enviadas[0], enviadas[1], enviadas[2]}) {
            const std::string p = plano(*a, sql);
            EXPECT_EQ(vezes(p, "B NATURAL"), 0) << p;
        }
    EXPECT_EQ(vezes(plano(sem, lista), "A NATURAL"), 1) << plano(sem, lista);
    // Picked out of the due-date index, not read in its order.
    EXPECT_EQ(vezes(plano(com, lista), "A INDEX (CP_PARCELAS_DATAVENCIM_DESC)"), 1)
        << plano(com, lista);
    // One account's installments, and the highest account code of both
    // tables, come from the index on the installments' account.
    const std::string daConta =
        std::string("Select ") + kCamposParcelas + " from PARCELAS where CODIGOCPR = 5";
    EXPECT_EQ(vezes(plano(com, daConta), "CP_PARCELAS_CODIGOCPR_DESC"), 1) << plano(com, daConta);
    EXPECT_EQ(vezes(plano(com, maiorConta), "PARCELAS ORDER CP_PARCELAS_CODIGOCPR_DESC"), 1)
        << plano(com, maiorConta);
    EXPECT_EQ(vezes(plano(com, maiorParcela), "ORDER CP_PARCELAS_CODIGOPARC_DESC"), 1)
        << plano(com, maiorParcela);
    EXPECT_EQ(vezes(plano(com, maiorConta), "CONTASPR ORDER CP_CONTASPR_CODIGOCPR_DESC"), 1)
        << plano(com, maiorConta);
    EXPECT_EQ(vezes(plano(sem, maiorParcela), "PARCELAS NATURAL"), 1) << plano(sem, maiorParcela);
}

}  // namespace
}  // namespace cp::test
