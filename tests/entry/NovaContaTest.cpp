// "Nova conta": a new account started from the list or from the
// single-account window, and what is stored of it.
#include <QPushButton>

#include "entry/PainelConta.h"
#include "entry/PainelProcura.h"
#include "entry/Procuras.h"
#include "payables/ListaFixture.h"

namespace cp::test {
namespace {

class NovaConta : public ListaTeste {
  protected:
    void SetUp() override {
        ListaTeste::SetUp();
        periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
    }
    void comContas() {
        conta(5);
        conta(417, "P", "DISTRIBUIDORA CENTRAL");
        parcela(11, 417, 1, QDate(2024, 3, 5), 15000);
        parcela(12, 417, 2, QDate(2024, 3, 10), 15000);
    }
    // The single-account window on account 417 (invoice 123).
    void abreContaUnica() {
        dbs->release();
        ASSERT_TRUE(inicia(
            env, env.suiteDir(),
            {QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA"), QStringLiteral("CENTRAL")}));
        lista = form->lista.get();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        for (int i = 0; i < 10 && !form->activated(); ++i) QApplication::processEvents();
        ASSERT_TRUE(form->activationCompleted()) << env.messages.join('\n').toStdString();
        ASSERT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 417);
    }
    PainelConta& c() { return *form->conta; }
    QWidget* foco() { return QApplication::focusWidget(); }
    // Leaving "Despesa" sends the focus on to "Descrição": the field is
    // entered again from there.
    void digita(DBEdit* campo, const QString& texto) {
        campo->setFocus();
        if (foco() != campo) campo->setFocus();
        ASSERT_EQ(foco(), campo);
        campo->selectAll();
        QTest::keyClicks(campo, texto);
    }
    I um(const std::string& sql) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open(sql);
        I v = cur.fetch() && !cur.isNull(0) ? cur.asInt64(0) : -1;
        tr.commit();
        dbs->release();
        return v;
    }
    std::string texto(const std::string& sql) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open(sql);
        std::string v;
        if (cur.fetch()) {
            for (unsigned i = 0; i < cur.columns().size(); ++i)
                v += (cur.isNull(i) ? std::string("-") : cur.asText(i)) + "|";
        }
        tr.commit();
        dbs->release();
        return v;
    }
};

TEST_F(NovaConta, OnAnEmptyDatabaseItIsAccountOneAndOnlyItIsStored) {
    abreLista();
    form->BitBtn14->click();
    ASSERT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Insert);
    EXPECT_EQ(c().DBText1->text(), QStringLiteral("1"));
    EXPECT_EQ(c().DBEdit15->text(), QStringLiteral("20/03/24"));
    EXPECT_EQ(foco(), c().DBEdit10);
    EXPECT_EQ(dm->Parcelas.recordCount(), 0);
    EXPECT_FALSE(lista->DBGrid5->isVisible());
    EXPECT_FALSE(lista->PainelTotais->isVisible());
    EXPECT_FALSE(lista->Panel10->isVisible());
    EXPECT_FALSE(form->BitBtn3->isVisible());
    EXPECT_FALSE(form->BitBtn14->isVisible());
    EXPECT_EQ(form->BitBtn11->text(), QStringLiteral("Voltar"));
    EXPECT_TRUE(form->BitBtn11->isEnabled());
    EXPECT_EQ(um("select count(*) from CONTASPR"), 0) << "nothing is written before its first post";

    form->BitBtn11->click();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(texto("select CODIGOCPR, ESTACAO, NATUREZA, DATA, DATAREGISTRO, HORAREGISTRO, "
                    "DESCRICAO from CONTASPR"),
              "1|01|P|2024-03-20|2024-03-20|09:30:00.0000|-|");
    EXPECT_EQ(um("select count(*) from CONTASPR"), 1);
    EXPECT_EQ(um("select count(*) from PARCELAS"), 0);
    EXPECT_TRUE(lista->DBGrid5->isVisible());
}

TEST_F(NovaConta, FromTheListItTakesTheNextCodeAndLeavesTheListedAccountAlone) {
    comContas();
    abreLista();
    dm->Query2.moveTo(1);  // account 417
    form->BitBtn14->click();
    EXPECT_EQ(c().DBText1->text(), QStringLiteral("418"));
    EXPECT_EQ(dm->Parcelas.recordCount(), 0) << "a new account has no installments";
    EXPECT_EQ(c().DBGrid4->dataModel()->rowCount(), 0);
    EXPECT_EQ(dm->CONTASPR.changeCount(), 0) << "the account opened was not written";
    digita(c().DBEdit11, QStringLiteral("80,00"));
    form->BitBtn11->click();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(um("select VALORTOTAL from CONTASPR where CODIGOCPR = 418"), 8000);
    EXPECT_EQ(um("select count(*) from PARCELAS where CODIGOCPR = 417"), 2);
    EXPECT_EQ(um("select count(*) from PARCELAS where CODIGOCPR = 418"), 0);
}

TEST_F(NovaConta, TheSupplierLookupWritesTheNewAccountAndTheReturnRefillsThePickLists) {
    comContas();
    abreLista();
    form->BitBtn14->click();
    const QStringList contasAntes =
        c().DBGrid4->dataModel()->column(PainelConta::kColunaNumConta).pickList;
    dbs->shared().execute("insert into CONTAS (CODIGOCTA, NUMCONTA) values (7, '0007-1')");
    dbs->release();
    c().DBEdit10->setFocus();  // within the panel: no refill
    EXPECT_EQ(c().DBGrid4->dataModel()->column(PainelConta::kColunaNumConta).pickList, contasAntes);

    // A name no supplier has: the lookup opens outside the account panel.
    digita(c().DBEdit12, QStringLiteral("QQQ"));
    QTest::keyClick(c().DBEdit12, Qt::Key_Return);
    PainelProcura& fornecedores = *form->procuras->PainelForProcura;
    ASSERT_TRUE(fornecedores.isVisible());
    EXPECT_EQ(um("select count(*) from CONTASPR where CODIGOCPR = 418"), 1);
    QTest::keyClick(fornecedores.Grade, Qt::Key_Escape);  // cancelled
    EXPECT_FALSE(fornecedores.isVisible());
    EXPECT_EQ(um("select count(*) from CONTASPR where CODIGOCPR = 418"), 1);
    EXPECT_TRUE(c().DBGrid4->dataModel()
                    ->column(PainelConta::kColunaNumConta)
                    .pickList.contains(QStringLiteral("0007-1")));
}

TEST_F(NovaConta, InTheSingleAccountWindowTheDetailsButtonStaysDisabled) {
    comContas();
    abreContaUnica();
    form->BitBtn14->click();
    ASSERT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(c().DBText1->text(), QStringLiteral("418"));
    EXPECT_EQ(form->BitBtn11->text(), QStringLiteral("Voltar"));
    EXPECT_FALSE(form->BitBtn11->isEnabled());
    EXPECT_FALSE(form->BitBtn3->isVisible());
    EXPECT_EQ(foco(), c().DBEdit10);
    // Left only by closing the window, which writes what was typed.
    digita(c().DBEdit11, QStringLiteral("12,34"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(um("select VALORTOTAL from CONTASPR where CODIGOCPR = 418"), 1234);
}

TEST_F(NovaConta, SairInTheSingleAccountWindowWritesAnAmountTypedThere) {
    comContas();
    abreContaUnica();
    digita(c().DBEdit11, QStringLiteral("99,00"));
    form->BitBtn3->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(um("select VALORTOTAL from CONTASPR where CODIGOCPR = 417"), 9900);
}

TEST_F(NovaConta, VoltarStoresTheAccountAndItsInstallmentTogetherOrNeither) {
    comContas();
    abreLista();
    form->BitBtn14->click();
    digita(c().DBEdit11, QStringLiteral("80,00"));
    dm->Parcelas.insert();
    dm->Parcelas.field("VALORPARCELA").setAsMoney(8000);
    // Another program of the suite refuses the installment in the database.
    dbs->shared().execute("create exception CP_RECUSA 'parcela recusada pelo banco'");
    dbs->shared().execute(
        "create trigger CP_RECUSA_PARCELA for PARCELAS before insert as begin exception "
        "CP_RECUSA; end");
    dbs->release();

    form->BitBtn11->click();
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join('\n').toStdString();
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("Nada foi gravado")))
        << env.messages[0].toStdString();
    EXPECT_EQ(um("select count(*) from CONTASPR where CODIGOCPR = 418"), 0)
        << "the account is not stored without its installment";
    EXPECT_EQ(um("select count(*) from PARCELAS where CODIGOCPR = 418"), 0);
    EXPECT_NE(dm->CONTASPR.state(), RecordSetState::Browse) << "the account is still being edited";
    EXPECT_GT(dm->CONTASPR.changeCount() + dm->Parcelas.changeCount(), 0) << "nothing is lost";

    dbs->shared().execute("drop trigger CP_RECUSA_PARCELA");
    dbs->release();
    env.messages.clear();
    form->BitBtn11->click();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(um("select VALORTOTAL from CONTASPR where CODIGOCPR = 418"), 8000);
    EXPECT_EQ(um("select sum(VALORPARCELA) from PARCELAS where CODIGOCPR = 418"), 8000);
}

TEST_F(NovaConta, EscInTheChartListGivesANewAccountBackItsEmptyExpense) {
    comContas();  // the listed account 417 is a "COMPRA"
    dbs->shared().execute("insert into PLANOCT (CODIGOCTA, DESCRICAO) values ('1', 'ALUGUEL')");
    dbs->shared().execute(
        "insert into PLANOCT (CODIGOCTA, DESCRICAO) values ('2', 'MATERIA PRIMA')");
    abreLista();
    dm->Query2.moveTo(1);
    form->BitBtn14->click();
    digita(c().DBEdit10, QStringLiteral("MAT"));
    QTest::keyClick(c().DBEdit10, Qt::Key_Return);
    PainelProcura& plano = *form->procuras->PainelPlanoProcura;
    ASSERT_TRUE(plano.isVisible());
    QTest::keyClick(plano.Grade, Qt::Key_Escape);
    EXPECT_FALSE(plano.isVisible());
    EXPECT_EQ(dm->CONTASPR.field("DESCRICAO").asString(), "");
    EXPECT_EQ(c().DBEdit10->text(), QString());
    EXPECT_EQ(um("select count(*) from CONTASPR where DESCRICAO = 'COMPRA'"), 2)
        << "only the two stored accounts are purchases";
}

}  // namespace
}  // namespace cp::test
