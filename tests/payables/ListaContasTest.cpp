// The due list, its two views and totals, and settling from it.
#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "ListaFixture.h"
#include "logic/ListaSql.h"

namespace cp::test {

namespace {

const QDate d1Mar(2024, 3, 1), d15Mar(2024, 3, 15), d31Mar(2024, 3, 31);

}  // namespace

TEST_F(ListaTeste, PeriodBoundsAreInclusiveAndOnlyPayableAccountsAreListed) {
    periodo(d1Mar, d31Mar);
    conta(1);
    conta(2, "R");  // receivable: never listed
    parcela(1, 1, 1, QDate(2024, 2, 29), 1000);
    parcela(2, 1, 2, d31Mar, 2000);
    parcela(3, 1, 3, d1Mar, 3000);
    parcela(4, 1, 4, QDate(2024, 4, 1), 4000);
    parcela(5, 2, 1, d15Mar, 5000);
    abreLista();
    EXPECT_EQ(vencimentos(), (QStringList{"01/03/24", "31/03/24"}));
    EXPECT_EQ(dm->Query2.recNo(), 1);
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 50,00"));
    EXPECT_EQ(pago(), QStringLiteral("R$ 0,00"));

    lista->BitBtn2Click();  // all installments
    EXPECT_EQ(vencimentos(), (QStringList{"01/03/24", "31/03/24"}));
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(ListaTeste, StartAfterEndGivesAnEmptyListAndZeroTotalsWithoutAMessage) {
    periodo(d31Mar, d1Mar);
    conta(1);
    parcela(1, 1, 1, d15Mar, 123456);
    abreLista();
    EXPECT_EQ(dm->Query2.rowCount(), 0);
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 0,00"));
    EXPECT_EQ(pago(), QStringLiteral("R$ 0,00"));
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(ListaTeste, ThousandsAreGroupedUnderBrazilianConventions) {
    periodo(d1Mar, d31Mar);
    conta(1);
    parcela(1, 1, 1, d15Mar, 123456);
    abreLista();
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 1.234,56"));
    EXPECT_DOUBLE_EQ(lista->totalAPagar(), 1234.56);
}

TEST_F(ListaTeste, HalfPaidStatesLeaveTheUnpaidViewButCountToPayInTheAllView) {
    periodo(d1Mar, d31Mar);
    conta(1);
    parcela(1, 1, 1, QDate(2024, 3, 2), 1000, {}, d15Mar);     // paid date, no amount
    parcela(2, 1, 2, QDate(2024, 3, 3), 2000, 0);              // 0.00 paid, no date
    parcela(3, 1, 3, QDate(2024, 3, 4), 4000);                 // open
    parcela(4, 1, 4, QDate(2024, 3, 5), 10000, 4000, d15Mar);  // 100.00 with 40.00 paid
    abreLista();
    EXPECT_EQ(vencimentos(), (QStringList{"04/03/24"}));
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 40,00"));
    EXPECT_EQ(pago(), QStringLiteral("R$ 0,00"));

    lista->BitBtn2->click();
    EXPECT_EQ(form->Label8->text(), QStringLiteral("Todas as Contas"));
    EXPECT_EQ(lista->BitBtn2->text(), QStringLiteral("Mostrar apenas as contas A PAGAR"));
    EXPECT_EQ(vencimentos(), (QStringList{"02/03/24", "03/03/24", "04/03/24", "05/03/24"}));
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 70,00"));  // 10 + 20 + 40; nothing of the 100.00
    EXPECT_EQ(pago(), QStringLiteral("R$ 40,00"));

    lista->BitBtn2Click();
    EXPECT_EQ(form->Label8->text(), QStringLiteral("Contas a Pagar"));
    EXPECT_EQ(lista->BitBtn2->text(), QStringLiteral("Mostrar também as contas JÁ PAGAS"));
    EXPECT_EQ(vencimentos(), (QStringList{"04/03/24"}));
    EXPECT_EQ(form->sessao.FiltroAPagar, kFiltroAPagar);
}

TEST_F(ListaTeste, SettlingInTheUnpaidViewRemovesTheRowAndItsAmountFromTheTotal) {
    periodo(d1Mar, d31Mar);
    conta(417);
    parcela(1, 417, 1, QDate(2024, 3, 10), 10000);
    parcela(2, 417, 2, d15Mar, 15000);
    abreLista();
    ASSERT_EQ(aPagar(), QStringLiteral("R$ 250,00"));
    dm->Query2.next();                   // installment 2
    lista->Quitarestaconta1->trigger();  // "Quitar esta conta" of the pop-up menu

    auto [data, valor] = pagamento(2);
    EXPECT_EQ(data, (fb::Date{2024, 3, 15}));
    EXPECT_EQ(valor, 15000);
    EXPECT_EQ(pagamento(1).second, std::nullopt);
    EXPECT_EQ(vencimentos(), (QStringList{"10/03/24"}));
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 100,00"));
    EXPECT_EQ(pago(), QStringLiteral("R$ 0,00"));
}

TEST_F(ListaTeste, SettlingAndCancellingInTheAllViewMoveTheAmountBetweenTheTotals) {
    periodo(d1Mar, d31Mar);
    conta(417);
    parcela(1, 417, 1, QDate(2024, 3, 10), 10000);
    parcela(2, 417, 2, d15Mar, 15000);
    abreLista();
    lista->BitBtn2Click();
    dm->Query2.last();
    lista->Quitarestaconta1Click();
    EXPECT_EQ(vencimentos(), (QStringList{"10/03/24", "15/03/24"}));
    EXPECT_EQ(dm->Query2.recNo(), 1);  // the first row, not the one settled
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 100,00"));
    EXPECT_EQ(pago(), QStringLiteral("R$ 150,00"));
    EXPECT_EQ(
        QString::fromStdString(dm->Query2.displayTextAt(1, dm->Query2.fieldIndex("DATAPAGTO"))),
        QStringLiteral("15/03/24"));

    // Settling it again writes the same date and amount.
    dm->Query2.last();
    lista->Quitarestaconta1Click();
    EXPECT_EQ(pagamento(2).second, 15000);

    dm->Query2.last();
    lista->Cancelarquitao1Click();
    auto [data, valor] = pagamento(2);
    // Open again, as generation leaves an installment: neither date nor amount.
    EXPECT_EQ(data, std::nullopt);
    EXPECT_EQ(valor, std::nullopt);
    EXPECT_EQ(vencimentos(), (QStringList{"10/03/24", "15/03/24"}));
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 250,00"));
    EXPECT_EQ(pago(), QStringLiteral("R$ 0,00"));

    // Back in the unpaid view the debt is listed again, with its amount to pay.
    lista->BitBtn2Click();
    EXPECT_EQ(vencimentos(), (QStringList{"10/03/24", "15/03/24"}));
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 250,00"));
}

TEST_F(ListaTeste, OnlyASettledRowOffersTheUndoAndAnUnsettledOneStaysListed) {
    periodo(d1Mar, d31Mar);
    conta(5);
    parcela(1, 5, 1, d15Mar, 1000);
    abreLista();
    lista->PopupMenu1->popup(QPoint(0, 0));  // the menu offers what the row allows
    EXPECT_FALSE(lista->Cancelarquitao1->isEnabled());
    lista->PopupMenu1->hide();
    lista->Cancelarquitao1Click();  // asked anyway (a key, another caller): refused
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0],
              QStringLiteral("Esta parcela não está quitada: não há quitação a cancelar."));
    EXPECT_EQ(pagamento(1).second, std::nullopt);
    EXPECT_EQ(dm->Query2.rowCount(), 1);
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 10,00"));

    lista->Quitarestaconta1Click();
    lista->BitBtn2Click();  // all installments: the settled row
    lista->PopupMenu1->popup(QPoint(0, 0));
    EXPECT_TRUE(lista->Cancelarquitao1->isEnabled());
    lista->PopupMenu1->hide();
}

TEST_F(ListaTeste, EveryInstallmentOfTheAccountWithThatNumberIsSettled) {
    periodo(d1Mar, d31Mar);
    conta(7);
    conta(8);
    parcela(1, 7, 1, d15Mar, 1000);
    parcela(2, 7, 1, QDate(2024, 5, 15), 2000);  // same number, outside the period
    parcela(3, 8, 1, d15Mar, 3000);              // same number, another account
    abreLista();
    ASSERT_EQ(dm->Query2.field("CODIGOCPR").asInteger(), 7);
    lista->Quitarestaconta1Click();
    EXPECT_EQ(pagamento(1),
              std::make_pair(std::optional(fb::Date{2024, 3, 15}), std::optional<I>(1000)));
    // The other one gets the row's due date and amount as well.
    EXPECT_EQ(pagamento(2),
              std::make_pair(std::optional(fb::Date{2024, 3, 15}), std::optional<I>(1000)));
    EXPECT_EQ(pagamento(3).second, std::nullopt);
}

TEST_F(ListaTeste, TheSettledAmountHasADecimalPointUnderACommaLocale) {
    periodo(d1Mar, d31Mar);
    conta(1);
    parcela(1, 1, 1, d15Mar, 123456);
    abreLista();
    lista->Quitarestaconta1Click();
    EXPECT_EQ(pagamento(1).second, 123456);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

TEST_F(ListaTeste, SettlingOrCancellingOnAnEmptyListSaysSoAndSendsNothing) {
    periodo(d1Mar, d31Mar);
    conta(1);
    parcela(1, 1, 1, QDate(2024, 4, 15), 1000);
    abreLista();
    ASSERT_EQ(dm->Query2.rowCount(), 0);
    lista->Quitarestaconta1Click();
    lista->Cancelarquitao1Click();
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_EQ(env.messages[0], QStringLiteral("A lista não tem parcela para quitar."));
    EXPECT_EQ(env.messages[1], QStringLiteral("A lista não tem parcela para cancelar a quitação."));
    EXPECT_EQ(pagamento(1).second, std::nullopt);
}

}  // namespace cp::test
