#include <gtest/gtest.h>

#include "logic/ListaSql.h"
#include "suite/EstadoSessao.h"
#include "support/LocaleGuard.h"

namespace cp::test {

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

// The unpaid list of March 2024 and the settlement statements are pinned as
// the server receives them (ListaServidorTest).
TEST(ListaSql, TheSettledAmountAlwaysHasAPoint) {
    // The point does not depend on the locale in force.
    LocaleGuard brasil;
    EXPECT_EQ(sqlQuitar(1, 9, QDate(2005, 1, 3), 123456789),
              "Update PARCELAS set DATAPAGTO = '01/03/05', VALORPAGO = '1234567.89' where  "
              "NUMPARCELA = 1 and  CODIGOCPR = 9");
}

TEST(ListaSql, TotalsAreGroupedWithTheLocaleSeparators) {
    LocaleGuard brasil;
    EXPECT_EQ(textoTotal(1234.56), QStringLiteral("R$ 1.234,56"));
    EXPECT_EQ(textoTotal(0), QStringLiteral("R$ 0,00"));
    EXPECT_EQ(textoTotal(999.999), QStringLiteral("R$ 1.000,00"));
    EXPECT_EQ(textoTotal(1234567.891), QStringLiteral("R$ 1.234.567,89"));
    // 2.675 is stored just below the half: the binary value rounds down.
    EXPECT_EQ(textoTotal(2.675), QStringLiteral("R$ 2,67"));
    EXPECT_EQ(textoTotal(-40.0), QStringLiteral("R$ -40,00"));
    EXPECT_EQ(textoTotal(-0.001), QStringLiteral("R$ 0,00"));
    brasil.set(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(textoTotal(1234.56), QStringLiteral("R$ 1,234.56"));
}

}  // namespace cp::test
