// The account's entry fields: their layout, the Enter order and the focus
// steps of the account panel, on the single-account mode's window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "support/ShellFixture.h"
#include "data/Cp1252.h"
#include "entry/PainelConta.h"
#include "shell/DataWidgets.h"

namespace cp::test {
namespace {

class Conta : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        fb::Attachment& s = dbs->shared();
        s.execute("insert into FP (FORMAPAGTO, ORDEM) values ('PIX', 2)");
        s.execute("insert into FP (FORMAPAGTO, ORDEM) values ('DINHEIRO', 1)");
        s.execute("insert into CONTAS (CODIGOCTA, NUMCONTA) values (1, '0001-9')");
        // Account 1's expense and supplier, so that leaving their fields
        // takes them over without a lookup panel.
        s.execute("insert into PLANOCT (CODIGOCTA, DESCRICAO) values ('1', 'Aluguel')");
        s.execute(
            "insert into FORNECED (CODIGO, NOMEFANTASIA) values ('1', 'DISTRIBUIDORA CENTRAL')");
        semeiaDados(*dbs);
        // The marker lets the window in without the login panel.
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");
    }
    // The single-account window on account 1 (invoice 123).
    void abreConta() {
        ASSERT_TRUE(cria(
            {QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA"), QStringLiteral("CENTRAL")}));
        ativa();
        ASSERT_TRUE(form->activationCompleted())
            << env.messages.join(QLatin1Char('|')).toStdString();
    }
    PainelConta& c() { return *form->conta; }
};

TEST_F(Conta, FieldsLieWhereTheSuitePutsThemWithLabelsEndingTogether) {
    abreConta();
    struct Esperado {
        QLabel* rotulo;
        QWidget* campo;
        QString texto;
        QRect geometria;
    } campos[] = {
        {c().Label11, c().DBEdit10, QStringLiteral("Despesa"), {173, 73, 288, 24}},
        {c().Label3, c().DBEdit2, QStringLiteral("Descrição"), {173, 104, 288, 24}},
        {c().Label12, c().DBEdit11, QStringLiteral("Valor em R$"), {173, 134, 84, 24}},
        {c().Label13, c().DBEdit12, QStringLiteral("Fornecedor"), {173, 165, 288, 24}},
        {c().Label16, c().DBEdit15, QStringLiteral("Data"), {173, 196, 84, 24}},
        {c().Label23, c().DBEdit18, QStringLiteral("Nº Nota Fiscal"), {173, 227, 84, 24}},
        {c().Label14, c().DBComboBox1, QStringLiteral("Condição de Pagto"), {174, 257, 257, 24}},
    };
    for (const Esperado& e : campos) {
        EXPECT_EQ(e.rotulo->text(), e.texto);
        EXPECT_EQ(e.rotulo->geometry().right() + 1, 166) << e.texto.toStdString();
        EXPECT_EQ(e.campo->geometry(), e.geometria) << e.texto.toStdString();
    }
    EXPECT_EQ(c().DBGrid4->geometry(), QRect(49, 288, 690, 215));
    EXPECT_EQ(c().Label4->text(), QStringLiteral("Codigo da Conta:"));
    EXPECT_EQ(c().DBText1->text(), QStringLiteral("1"));

    // What the fields show of account 1.
    EXPECT_EQ(c().DBEdit10->text(), QStringLiteral("Aluguel"));
    EXPECT_EQ(c().DBEdit11->text(), QStringLiteral("1500,00"));
    EXPECT_EQ(c().DBEdit15->text(), QStringLiteral("01/03/24"));
    EXPECT_EQ(c().DBEdit18->text(), QStringLiteral("123"));
    EXPECT_EQ(c().DBComboBox1->currentText(), QStringLiteral("A VISTA"));

    const RecordSetModel& m = *c().DBGrid4->dataModel();
    ASSERT_EQ(m.columnCount(), 11);
    EXPECT_EQ(m.column(1).title, QStringLiteral("Data Venc"));
    EXPECT_EQ(m.column(1).field, "DATAVENCIM");
    EXPECT_EQ(c().DBGrid4->columnWidth(2), 76);
    EXPECT_TRUE(m.column(0).readOnly);
    EXPECT_EQ(m.rowCount(), 1) << "the installments of account 1";
    EXPECT_EQ(m.data(m.index(0, 2), Qt::DisplayRole).toString(), QStringLiteral("1500,00"));
}

TEST_F(Conta, EnterVisitsTheFieldsInOrderAndEndsInTheGridOnDataVenc) {
    abreConta();
    c().DBEdit10->setFocus();
    QStringList visitados{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        visitados << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visitados, (QStringList{"DBEdit10", "DBEdit2", "DBEdit11", "DBEdit12", "DBEdit15",
                                      "DBEdit18", "DBComboBox1", "DBGrid4"}));
    EXPECT_EQ(c().DBGrid4->currentColumn(), 1);
    // Descrição was empty and took the text of Despesa on the way.
    EXPECT_EQ(c().DBEdit2->text(), QStringLiteral("Aluguel"));
    EXPECT_EQ(dm->CONTASPR.field("OBSERVACAO").asString(), "Aluguel");
}

TEST_F(Conta, AFieldThatRefusesItsTextKeepsTheFocusOnEnter) {
    abreConta();
    c().DBEdit11->setFocus();
    c().DBEdit11->selectAll();
    // Thousands left short: a number still being typed, refused when left.
    QTest::keyClicks(c().DBEdit11, QStringLiteral("1.2"));
    QTest::keyClick(c().DBEdit11, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), c().DBEdit11);
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("'1.2'"))) << env.messages[0].toStdString();
    // Esc gives back the stored total.
    QTest::keyClick(c().DBEdit11, Qt::Key_Escape);
    EXPECT_EQ(c().DBEdit11->text(), QStringLiteral("1500,00"));
}

TEST_F(Conta, ValorEmReaisTakesAmountsAsPeopleTypeThemAndRefusesOtherKeysAsTheyArePressed) {
    abreConta();
    DBEdit* valor = c().DBEdit11;
    struct Caso {
        QString teclas;
        QString fica;  // what the box holds after the keys
        std::int64_t centavos;
    } casos[] = {
        {QStringLiteral("1.234,56"), QStringLiteral("1.234,56"), 123456},
        {QStringLiteral("1234,56"), QStringLiteral("1234,56"), 123456},
        {QStringLiteral("1234"), QStringLiteral("1234"), 123400},
        // A letter, a second comma and a third decimal never get in.
        {QStringLiteral("12a,3,4"), QStringLiteral("12,34"), 1234},
        {QStringLiteral("7,999"), QStringLiteral("7,99"), 799},
        {QStringLiteral("R$ 5"), QStringLiteral("5"), 500},
        {QStringLiteral("12345.6"), QStringLiteral("123456"), 12345600},
    };
    for (const Caso& k : casos) {
        valor->setFocus();
        valor->selectAll();
        QTest::keyClicks(valor, k.teclas);
        EXPECT_EQ(valor->text(), k.fica) << k.teclas.toStdString();
        QTest::keyClick(valor, Qt::Key_Return);
        EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
        EXPECT_EQ(dm->CONTASPR.field("VALORTOTAL").asMoney(), k.centavos) << k.teclas.toStdString();
        env.messages.clear();
    }
}

TEST_F(Conta, DescricaoWithTextIsLeftAlone) {
    dbs->shared().execute("update CONTASPR set OBSERVACAO = 'Sala 2' where CODIGOCPR = 1");
    dbs->release();
    abreConta();
    c().DBEdit2->setFocus();
    EXPECT_EQ(c().DBEdit2->text(), QStringLiteral("Sala 2"));
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Browse);
}

TEST_F(Conta, EnteringThePanelRefillsThePickListsOfTheInstallmentGrid) {
    ASSERT_TRUE(
        cria({QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA"), QStringLiteral("CENTRAL")}));
    EXPECT_EQ(c().DBGrid4->dataModel()->column(PainelConta::kColunaFormaPagto).pickList,
              PainelConta::formasPagtoIniciais());
    EXPECT_TRUE(c().DBGrid4->dataModel()->column(PainelConta::kColunaNumConta).pickList.isEmpty());
    ativa();
    c().DBEdit10->setFocus();  // the first focus after start enters the panel
    EXPECT_EQ(c().DBGrid4->dataModel()->column(PainelConta::kColunaFormaPagto).pickList,
              (QStringList{QStringLiteral("DINHEIRO"), QStringLiteral("PIX")}));
    EXPECT_EQ(c().DBGrid4->dataModel()->column(PainelConta::kColunaNumConta).pickList,
              QStringList{QStringLiteral("0001-9")});
    EXPECT_FALSE(dm->FP.active());
    EXPECT_FALSE(dm->Contas.active());
}

}  // namespace
}  // namespace cp::test
