#include <gtest/gtest.h>

#include "data/SessionState.h"
#include "logic/ListaSql.h"

namespace cp::test {

TEST(ListaSql, UnpaidListOfMarch2024IsTheSuiteStatementCharacterForCharacter) {
    EXPECT_EQ(sqlLista(QDate(2024, 3, 1), QDate(2024, 3, 31), kFiltroAPagar),
              "Select A.CodigoParc, A.Estacao, A.NPedido, A.CodigoCPR, A.DataVencim, "
              "A.NumParcela, A.NumDocumento, A.ValorParcela, A.DataPagto, A.ValorPago, "
              "B.NomeCliFor, B.CodigoCPR, B.Natureza, B.Descricao, B.NFiscal from Parcelas A, "
              "ContasPR B where B.Natureza = 'P' and A.CodigoCPR = B.CodigoCPR and "
              "(A.DataVencim >= '03/01/2024' and A.DataVencim <= '03/31/2024') and "
              "(A.DataPagto is Null) and (A.ValorPago is Null) order by A.DataVencim");
}

TEST(ListaSql, AllViewHasNoFilterAndEmptyDatesAreTheZeroDate) {
    EXPECT_EQ(sqlLista(QDate(2022, 6, 16), QDate(2034, 6, 13), ""),
              "Select A.CodigoParc, A.Estacao, A.NPedido, A.CodigoCPR, A.DataVencim, "
              "A.NumParcela, A.NumDocumento, A.ValorParcela, A.DataPagto, A.ValorPago, "
              "B.NomeCliFor, B.CodigoCPR, B.Natureza, B.Descricao, B.NFiscal from Parcelas A, "
              "ContasPR B where B.Natureza = 'P' and A.CodigoCPR = B.CodigoCPR and "
              "(A.DataVencim >= '06/16/2022' and A.DataVencim <= '06/13/2034') order by "
              "A.DataVencim");
    const std::string vazio = sqlLista(QDate(), QDate(), "");
    EXPECT_NE(vazio.find("(A.DataVencim >= '12/30/1899' and A.DataVencim <= '12/30/1899')"),
              std::string::npos)
        << vazio;
}

TEST(ListaSql, SettlementStatementsAreExactAndTheAmountAlwaysHasAPoint) {
    EXPECT_EQ(sqlQuitar(2, 417, QDate(2024, 3, 15), 15000),
              "Update PARCELAS set DATAPAGTO = '03/15/24', VALORPAGO = '150.00' where  "
              "NUMPARCELA = 2 and  CODIGOCPR = 417");
    EXPECT_EQ(sqlCancelarQuitacao(2, 417),
              "Update PARCELAS set DATAPAGTO = NULL, VALORPAGO = 0.00 where  NumParcela = 2 and  "
              "CODIGOCPR = 417");
    // The point does not depend on the locale in force.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(sqlQuitar(1, 9, QDate(2005, 1, 3), 123456789),
              "Update PARCELAS set DATAPAGTO = '01/03/05', VALORPAGO = '1234567.89' where  "
              "NUMPARCELA = 1 and  CODIGOCPR = 9");
    QLocale::setDefault(QLocale::c());
}

TEST(ListaSql, TotalsAreGroupedWithTheLocaleSeparators) {
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(textoTotal(1234.56, br), QStringLiteral("R$ 1.234,56"));
    EXPECT_EQ(textoTotal(0, br), QStringLiteral("R$ 0,00"));
    EXPECT_EQ(textoTotal(0.5, br), QStringLiteral("R$ 0,50"));
    EXPECT_EQ(textoTotal(999.999, br), QStringLiteral("R$ 1.000,00"));
    EXPECT_EQ(textoTotal(1234567.891, br), QStringLiteral("R$ 1.234.567,89"));
    EXPECT_EQ(textoTotal(123456.0, br), QStringLiteral("R$ 123.456,00"));
    EXPECT_EQ(textoTotal(1234.56, us), QStringLiteral("R$ 1,234.56"));
    EXPECT_EQ(textoTotal(-40.0, br), QStringLiteral("R$ -40,00"));
    EXPECT_EQ(textoTotal(-0.001, br), QStringLiteral("R$ 0,00"));
}

}  // namespace cp::test
