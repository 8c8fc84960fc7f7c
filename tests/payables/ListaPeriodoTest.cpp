// The period bar: typing the period, widening and narrowing it, and the
// period kept by the work area's database from one run to the next.
#include <QPushButton>
#include <QTest>

#include "ListaFixture.h"
#include "shell/Toolkit.h"

namespace cp::test {

namespace {

struct PeriodoGravado {
    std::optional<fb::Date> ini, fim;
    int linhas = 0;
};

}  // namespace

class ListaPeriodo : public ListaTeste {
  protected:
    void SetUp() override {
        ListaTeste::SetUp();
        conta(1);
        parcela(1, 1, 1, QDate(2024, 3, 1), 1000);
        parcela(2, 1, 2, QDate(2024, 3, 10), 2000);
        parcela(3, 1, 3, QDate(2024, 3, 31), 3000);
        parcela(4, 1, 4, QDate(2024, 4, 20), 4000);
        parcela(5, 1, 5, QDate(2023, 1, 5), 5000);
    }

    PeriodoGravado gravado() {
        PeriodoGravado p;
        fb::Transaction tr = dbs->workstation().startTransaction();
        fb::Cursor c = tr.open("select DATAINICIAL, DATAFINAL from PERIODO");
        while (c.fetch()) {
            if (p.linhas++ > 0) continue;
            if (!c.isNull(0)) p.ini = c.asDate(0);
            if (!c.isNull(1)) p.fim = c.asDate(1);
        }
        return p;
    }

    void digita(DBEdit* e, const QString& texto) {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, texto);
    }
};

TEST_F(ListaPeriodo, EnterInTheStartDateAloneRebuildsTheListWithoutStoringIt) {
    periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
    abreLista();
    ASSERT_EQ(vencimentos(), (QStringList{"01/03/24", "10/03/24", "31/03/24"}));

    digita(lista->DBEdit5, QStringLiteral("050324"));
    QTest::keyClick(lista->DBEdit5, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), lista->DBEdit6);
    EXPECT_EQ(vencimentos(), (QStringList{"10/03/24", "31/03/24"}));
    EXPECT_EQ(form->sessao.DataIniPeriodo, QDate(2024, 3, 5));
    EXPECT_EQ(gravado().ini, (fb::Date{2024, 3, 1}));

    // Closing without Enter in the end date: nothing was stored.
    lista->DBGrid5->setFocus();
    form->FechaTabelas();  // the program closes
    EXPECT_EQ(gravado().ini, (fb::Date{2024, 3, 1}));
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

TEST_F(ListaPeriodo, EnterInTheEndDateStoresThePeriodRebuildsAndGoesToTheList) {
    periodo(QDate(2024, 1, 1), QDate(2024, 1, 31));
    abreLista();
    ASSERT_EQ(dm->Query2.rowCount(), 0);

    digita(lista->DBEdit5, QStringLiteral("010324"));
    QTest::keyClick(lista->DBEdit5, Qt::Key_Return);
    digita(lista->DBEdit6, QStringLiteral("310324"));
    QTest::keyClick(lista->DBEdit6, Qt::Key_Return);

    EXPECT_EQ(vencimentos(), (QStringList{"01/03/24", "10/03/24", "31/03/24"}));
    EXPECT_EQ(QApplication::focusWidget(), lista->DBGrid5);
    const PeriodoGravado g = gravado();
    EXPECT_EQ(g.ini, (fb::Date{2024, 3, 1}));
    EXPECT_EQ(g.fim, (fb::Date{2024, 3, 31}));
    EXPECT_EQ(g.linhas, 1);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

TEST_F(ListaPeriodo, WithoutAStoredPeriodTheListStartsEmptyAndTheFirstEntryCreatesTheRow) {
    abreLista();
    EXPECT_EQ(dm->Query2.rowCount(), 0);
    EXPECT_EQ(lista->Label2->text(), QStringLiteral("R$ 0,00"));

    digita(lista->DBEdit5, QStringLiteral("010424"));
    QTest::keyClick(lista->DBEdit5, Qt::Key_Return);
    digita(lista->DBEdit6, QStringLiteral("300424"));
    QTest::keyClick(lista->DBEdit6, Qt::Key_Return);
    EXPECT_EQ(vencimentos(), (QStringList{"20/04/24"}));
    EXPECT_EQ(gravado().linhas, 1);
    EXPECT_EQ(gravado().fim, (fb::Date{2024, 4, 30}));
}

TEST_F(ListaPeriodo, AltPPutsTheFocusOnTheStartDateOnlyWhileTheBarIsShown) {
    periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
    abreLista();
    lista->DBGrid5->setFocus();
    QTest::keyClick(form, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), lista->DBEdit5);

    lista->DBGrid5->setFocus();
    lista->Panel10->hide();
    QTest::keyClick(form, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), lista->DBGrid5);
}

TEST_F(ListaPeriodo, ExpandingOnJune15thStoresTwoYearsBackTenAheadAndClosingRestores) {
    env.setNow(QDateTime(QDate(2024, 6, 15), QTime(11, 0)));
    periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
    abreLista();
    lista->BitBtn2Click();  // the all-installments view is kept throughout

    lista->BitBtn12Click();
    EXPECT_EQ(lista->BitBtn12->text(), QStringLiteral("<---   Fechar Período"));
    EXPECT_EQ(fontColor(lista->BitBtn12), kRed);
    PeriodoGravado g = gravado();
    EXPECT_EQ(g.ini, (fb::Date{2022, 6, 16}));
    EXPECT_EQ(g.fim, (fb::Date{2034, 6, 13}));
    EXPECT_EQ(form->sessao.DataIniPeriodo, QDate(2022, 6, 16));
    EXPECT_EQ(vencimentos(),
              (QStringList{"05/01/23", "01/03/24", "10/03/24", "31/03/24", "20/04/24"}));
    EXPECT_EQ(form->Label8->text(), QStringLiteral("Todas as Contas"));

    lista->BitBtn12Click();
    EXPECT_EQ(lista->BitBtn12->text(), QStringLiteral("<---   Abrir Período"));
    EXPECT_EQ(fontColor(lista->BitBtn12), kMaroon);
    g = gravado();
    EXPECT_EQ(g.ini, (fb::Date{2024, 3, 1}));
    EXPECT_EQ(g.fim, (fb::Date{2024, 3, 31}));
    EXPECT_EQ(vencimentos(), (QStringList{"01/03/24", "10/03/24", "31/03/24"}));
    EXPECT_EQ(form->sessao.FiltroAPagar, "");

    // "Abrir" widens the period again.
    lista->BitBtn12Click();
    EXPECT_EQ(lista->BitBtn12->text(), QStringLiteral("<---   Fechar Período"));
    EXPECT_EQ(gravado().ini, (fb::Date{2022, 6, 16}));
    lista->BitBtn12Click();
    EXPECT_EQ(gravado().fim, (fb::Date{2024, 3, 31}));
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

TEST_F(ListaPeriodo, TheStoredPeriodSurvivesARestartEvenWhenLeftWide) {
    env.setNow(QDateTime(QDate(2024, 6, 15), QTime(11, 0)));
    periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
    abreLista();
    lista->BitBtn12Click();  // widened, then the program ends

    fecha();
    abreLista();
    EXPECT_EQ(dm2->Periodo.field("DATAINICIAL").asDate(), QDate(2022, 6, 16));
    EXPECT_EQ(dm2->Periodo.field("DATAFINAL").asDate(), QDate(2034, 6, 13));
    EXPECT_EQ(lista->BitBtn12->text(), QStringLiteral("<---   Expandir Período"));
    EXPECT_EQ(dm->Query2.rowCount(), 5);
}

}  // namespace cp::test
