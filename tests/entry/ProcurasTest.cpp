// The supplier and chart-of-accounts lookups of the account's fields, on the
// single-account window (account 1) of fresh suite databases.
#include <gtest/gtest.h>

#include <QTest>
#include <map>

#include "data/Cp1252.h"
#include "entry/PainelConta.h"
#include "entry/PainelProcura.h"
#include "entry/Procuras.h"
#include "shell/DataWidgets.h"
#include "support/ShellFixture.h"

namespace cp::test {
namespace {

class Procura : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        fb::Attachment& s = dbs->shared();
        auto fornecedor = [&](const char* codigo, const char* nome, const char* fantasia,
                              const char* tel) {
            s.execute(
                "insert into FORNECED (CODIGO, NOME, NOMEFANTASIA, TEL) values (?, ?, ?, ?)",
                {std::string(codigo), std::string(nome), std::string(fantasia), std::string(tel)});
        };
        fornecedor("1", "Distribuidora Central Ltda", "DISTRIBUIDORA CENTRAL", "11 5555-0001");
        fornecedor("2", "Farmac\xEAutica Sul SA", "FARMA SUL", "51 3333-0002");
        fornecedor("4", "Lab Alfa Ltda", "LAB ALFA", "11 4444-0004");
        fornecedor("5", "Lab Alfa Filial", "LAB ALFA", "11 4444-0005");
        fornecedor("3", "Vidraria Norte ME", "VIDRARIA NORTE", "92 2222-0003");
        fornecedor("A1", "Xarope e Cia", "XAROPE", "21 1111-0006");
        fornecedor("9", "Zeta Qu\xEDmica Ltda", "ZETA QUIMICA", "31 7777-0009");
        s.execute(
            "insert into PLANOCT (CODIGOCTA, DESCRICAO, FABRICANTE, FORNECEDOR, FAMILIA, "
            "GRUPODESP, CCUSTO) values ('1.01', 'Frascos de vidro', 'Vidrotec', "
            "'VIDRARIA NORTE', 'Embalagens', 'Insumos', 'Manipulacao')");
        s.execute(
            "insert into PLANOCT (CODIGOCTA, DESCRICAO, FAMILIA, GRUPODESP, CCUSTO) values "
            "('2.01', 'Energia eletrica', 'Utilidades', 'Despesas fixas', 'Administracao')");
        semeiaDados(*dbs);
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");  // no login panel
        ASSERT_NO_FATAL_FAILURE(abre(
            {QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA"), QStringLiteral("CENTRAL")}));
    }
    void abre(const QStringList& args) {
        encerra();
        ASSERT_TRUE(cria(args));
        ativa();
        ASSERT_TRUE(form->activationCompleted())
            << env.messages.join(QLatin1Char('|')).toStdString();
    }

    PainelConta& c() { return *form->conta; }
    Procuras& p() { return *form->procuras; }
    PainelProcura& fornecedores() { return *p().PainelForProcura; }
    PainelProcura& plano() { return *p().PainelPlanoProcura; }
    QWidget* foco() { return QApplication::focusWidget(); }

    // Enters the field, types over its text and leaves it with Enter.
    void digita(DBEdit* campo, const QString& texto) {
        campo->setFocus();
        ASSERT_EQ(foco(), campo);
        campo->selectAll();
        if (texto.isEmpty()) {
            QTest::keyClick(campo, Qt::Key_Delete);
        } else {
            QTest::keyClicks(campo, texto);
        }
        QTest::keyClick(campo, Qt::Key_Return);
    }

    // Account 1 as stored; "<null>" for an empty column.
    std::map<std::string, std::string> gravada() {
        static const char* const colunas[] = {"NOMECLIFOR",   "FONECLIFOR", "ESTACAOCLIFOR",
                                              "CODIGOCLIFOR", "DESCRICAO",  "FABRICANTE",
                                              "FAMILIA",      "GRUPDESP",   "CCUSTO"};
        std::string sql = "select ";
        for (const char* col : colunas) sql += std::string(col) + (col == colunas[8] ? "" : ", ");
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open(sql + " from CONTASPR where CODIGOCPR = 1");
        EXPECT_TRUE(cur.fetch());
        std::map<std::string, std::string> out;
        for (unsigned i = 0; i < std::size(colunas); ++i)
            out[colunas[i]] = cur.isNull(i) ? "<null>" : cur.asText(i);
        return out;
    }
    std::string naConta(const char* coluna) { return dm->CONTASPR.field(coluna).asString(); }
};

// ----- Suppliers -----

TEST_F(Procura, AnExactTradeNameIsTakenOverAtOnceEvenTheLastInNameOrder) {
    digita(c().DBEdit12, QStringLiteral("FARMA SUL"));
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_EQ(foco(), c().DBEdit15);
    EXPECT_FALSE(dm->Forneced.active());
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);
    auto g = gravada();
    EXPECT_EQ(g["NOMECLIFOR"], "FARMA SUL");
    EXPECT_EQ(g["FONECLIFOR"], "51 3333-0002");
    EXPECT_EQ(g["ESTACAOCLIFOR"], "XX");
    EXPECT_EQ(g["CODIGOCLIFOR"], "2");
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();

    digita(c().DBEdit12, QStringLiteral("ZETA QUIMICA"));
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_EQ(foco(), c().DBEdit15);
    g = gravada();
    EXPECT_EQ(g["NOMECLIFOR"], "ZETA QUIMICA");
    EXPECT_EQ(g["CODIGOCLIFOR"], "9");
}

TEST_F(Procura, FirstLettersOpenTheListOnTheNearestAndEnterTakesTheCompanyName) {
    digita(c().DBEdit12, QStringLiteral("FAR"));
    ASSERT_TRUE(fornecedores().isVisible());
    EXPECT_EQ(fornecedores().geometry(), QRect(417, 35, 331, 477));
    EXPECT_NE(fornecedores().parentWidget(), form->PainelVelmora);
    EXPECT_EQ(foco(), fornecedores().Grade);
    EXPECT_EQ(dm->Forneced.field("NOMEFANTASIA").asString(), "FARMA SUL");
    EXPECT_EQ(form->cancelButton(), fornecedores().BotEsc);
    EXPECT_TRUE(fornecedores().BotEnter->isDefault());
    // Leaving the account panel for the list wrote the typed name.
    EXPECT_EQ(gravada()["NOMECLIFOR"], "FAR");

    // Enter in the list takes the supplier the operator moved to.
    QTest::keyClick(fornecedores().Grade, Qt::Key_Down);
    QApplication::processEvents();  // the list's cursor follows the row chosen
    EXPECT_EQ(dm->Forneced.field("CODIGO").asString(), "4");
    QTest::keyClick(fornecedores().Grade, Qt::Key_Return);
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_EQ(foco(), c().DBEdit15);
    EXPECT_FALSE(dm->Forneced.active());
    EXPECT_NE(form->cancelButton(), fornecedores().BotEsc);
    EXPECT_FALSE(fornecedores().BotEnter->isDefault());
    auto g = gravada();
    EXPECT_EQ(g["NOMECLIFOR"], "Lab Alfa Ltda");
    EXPECT_EQ(g["FONECLIFOR"], "11 4444-0004");
    EXPECT_EQ(g["ESTACAOCLIFOR"], "FF");
    EXPECT_EQ(g["CODIGOCLIFOR"], "4");
    EXPECT_EQ(c().DBEdit12->text(), QStringLiteral("Lab Alfa Ltda"));

    // The "Enter" button does the same; the company name keeps its accent.
    digita(c().DBEdit12, QStringLiteral("FARMA"));
    ASSERT_TRUE(fornecedores().isVisible());
    QTest::mouseClick(fornecedores().BotEnter, Qt::LeftButton);
    EXPECT_EQ(gravada()["NOMECLIFOR"], "Farmac\xEAutica Sul SA");
    EXPECT_EQ(c().DBEdit12->text(), QStringLiteral("Farmacêutica Sul SA"));
    // The supplier chosen is left as stored.
    fb::Transaction tr = dbs->shared().startTransaction();
    EXPECT_EQ(tr.execute("select CODIGO from FORNECED where CODIGO = '2' and NOMEFANTASIA = "
                         "'FARMA SUL' and TEL = '51 3333-0002'"),
              1);
}

TEST_F(Procura, EscGivesTheFieldBackItsTextFromBeforeTypingAndWritesIt) {
    digita(c().DBEdit12, QStringLiteral("QQQ"));
    ASSERT_TRUE(fornecedores().isVisible());
    EXPECT_EQ(dm->Forneced.field("NOMEFANTASIA").asString(), "VIDRARIA NORTE");
    QTest::keyClick(fornecedores().Grade, Qt::Key_Escape);
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_EQ(foco(), c().DBEdit15);
    EXPECT_FALSE(dm->Forneced.active());
    EXPECT_EQ(c().DBEdit12->text(), QStringLiteral("DISTRIBUIDORA CENTRAL"));
    EXPECT_EQ(gravada()["NOMECLIFOR"], "DISTRIBUIDORA CENTRAL");
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);
}

TEST_F(Procura, ASharedTradeNameOrAnEmptyFieldTakesNothingOver) {
    digita(c().DBEdit12, QStringLiteral("LAB ALFA"));
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_EQ(foco(), c().DBEdit15);  // where Enter was sending it
    EXPECT_TRUE(dm->Forneced.active());
    EXPECT_EQ(naConta("NOMECLIFOR"), "LAB ALFA");
    EXPECT_EQ(naConta("FONECLIFOR"), "");
    EXPECT_EQ(naConta("CODIGOCLIFOR"), "");

    digita(c().DBEdit12, QString());
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_EQ(foco(), c().DBEdit15);
    EXPECT_EQ(naConta("NOMECLIFOR"), "");
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
}

TEST_F(Procura, ASupplierCodeThatIsNotAWholeNumberIsNamedAndTheAccountKeepsEditing) {
    digita(c().DBEdit12, QStringLiteral("XAROPE"));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("XAROPE")));
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("\"A1\"")));
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);
    EXPECT_EQ(naConta("NOMECLIFOR"), "XAROPE");
    EXPECT_EQ(naConta("FONECLIFOR"), "21 1111-0006");
    EXPECT_EQ(naConta("ESTACAOCLIFOR"), "XX");
    EXPECT_EQ(gravada()["NOMECLIFOR"], "DISTRIBUIDORA CENTRAL");  // not written

    // The same supplier chosen in the list: the panel stays open.
    digita(c().DBEdit12, QStringLiteral("XA"));
    ASSERT_TRUE(fornecedores().isVisible());
    QTest::keyClick(fornecedores().Grade, Qt::Key_Return);
    EXPECT_EQ(env.messages.size(), 2);
    EXPECT_TRUE(fornecedores().isVisible());
    EXPECT_EQ(naConta("NOMECLIFOR"), "Xarope e Cia");
    QTest::keyClick(fornecedores().Grade, Qt::Key_Escape);
    EXPECT_FALSE(fornecedores().isVisible());
}

TEST_F(Procura, ASupplierAddedByAnotherConnectionShowsAtTheNextCheck) {
    digita(c().DBEdit12, QStringLiteral("NOVA DROGARIA"));
    ASSERT_TRUE(fornecedores().isVisible());
    QTest::keyClick(fornecedores().Grade, Qt::Key_Escape);

    dbs->shared().execute(
        "insert into FORNECED (CODIGO, NOME, NOMEFANTASIA, TEL) values "
        "('77', 'Nova Drogaria Ltda', 'NOVA DROGARIA', '61 9999-0077')");
    digita(c().DBEdit12, QStringLiteral("NOVA DROGARIA"));
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_EQ(gravada()["CODIGOCLIFOR"], "77");
}

TEST_F(Procura, NoLookupRunsFromUnderTheDueList) {
    abre({});  // browser mode: the list covers the fields
    digita(c().DBEdit12, QStringLiteral("FAR"));
    digita(c().DBEdit10, QStringLiteral("Fras"));
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_FALSE(plano().isVisible());
    EXPECT_FALSE(dm->Forneced.active());
    EXPECT_FALSE(dm->PlanoCT.active());
}

// ----- Chart of accounts -----

TEST_F(Procura, ChartEntryPickedInTheListFillsAllButTheFamilyTypedExactlyAllSix) {
    digita(c().DBEdit10, QStringLiteral("Fras"));
    ASSERT_TRUE(plano().isVisible());
    EXPECT_EQ(plano().parentWidget(), form->PainelVelmora);
    EXPECT_EQ(foco(), plano().Grade);
    EXPECT_EQ(dm->PlanoCT.field("DESCRICAO").asString(), "Frascos de vidro");
    EXPECT_EQ(gravada()["DESCRICAO"], "Aluguel");  // nothing written inside the panel
    QTest::keyClick(plano().Grade, Qt::Key_Return);
    EXPECT_FALSE(plano().isVisible());
    EXPECT_EQ(foco(), c().DBEdit2);
    EXPECT_FALSE(dm->PlanoCT.active());
    auto g = gravada();
    EXPECT_EQ(g["DESCRICAO"], "Frascos de vidro");
    EXPECT_EQ(g["NOMECLIFOR"], "VIDRARIA NORTE");
    EXPECT_EQ(g["FABRICANTE"], "Vidrotec");
    EXPECT_EQ(g["FAMILIA"], "<null>");
    EXPECT_EQ(g["GRUPDESP"], "Insumos");
    EXPECT_EQ(g["CCUSTO"], "Manipulacao");
    // "Descrição" was empty and took the description taken over.
    EXPECT_EQ(c().DBEdit2->text(), QStringLiteral("Frascos de vidro"));

    digita(c().DBEdit10, QStringLiteral("Frascos de vidro"));
    EXPECT_FALSE(plano().isVisible());
    EXPECT_EQ(foco(), c().DBEdit2);
    EXPECT_FALSE(dm->PlanoCT.active());
    EXPECT_EQ(gravada()["FAMILIA"], "Embalagens");
}

TEST_F(Procura, TheChartListOpeningOnTheWayToFornecedorRunsNoSupplierCheck) {
    c().DBEdit10->setFocus();
    c().DBEdit10->selectAll();
    QTest::keyClicks(c().DBEdit10, QStringLiteral("Fras"));
    c().DBEdit12->setFocus(Qt::MouseFocusReason);  // the operator clicks "Fornecedor"
    EXPECT_TRUE(plano().isVisible());
    EXPECT_EQ(foco(), plano().Grade);
    EXPECT_FALSE(fornecedores().isVisible());
    EXPECT_FALSE(dm->Forneced.active());
    EXPECT_EQ(naConta("FONECLIFOR"), "");  // "DISTRIBUIDORA CENTRAL" was not taken over
}

TEST_F(Procura, AChartEntryWithoutSupplierEmptiesTheSupplierName) {
    digita(c().DBEdit10, QStringLiteral("Energia eletrica"));
    EXPECT_FALSE(plano().isVisible());
    auto g = gravada();
    EXPECT_EQ(g["DESCRICAO"], "Energia eletrica");
    EXPECT_EQ(g["NOMECLIFOR"], "<null>");
    EXPECT_EQ(g["FABRICANTE"], "<null>");
    EXPECT_EQ(g["FAMILIA"], "Utilidades");
}

TEST_F(Procura, ALongDescriptionCancelledComesBackCutTo40) {
    const std::string longa = "Manutencao preventiva dos equipamentos do laboratorio";
    ASSERT_GT(longa.size(), 50u);
    dm->CONTASPR.edit();
    dm->CONTASPR.field("DESCRICAO").setAsString(longa);
    dm->CONTASPR.post();
    ASSERT_EQ(naConta("DESCRICAO"), longa.substr(0, 50));

    digita(c().DBEdit10, QStringLiteral("Zz"));
    ASSERT_TRUE(plano().isVisible());
    EXPECT_EQ(form->cancelButton(), plano().BotEsc);
    // Esc anywhere in the panel acts as its "Esc" button.
    plano().BotEnter->setFocus();
    QTest::keyClick(plano().BotEnter, Qt::Key_Escape);
    EXPECT_FALSE(plano().isVisible());
    EXPECT_EQ(foco(), c().DBEdit2);
    EXPECT_FALSE(dm->PlanoCT.active());
    EXPECT_EQ(gravada()["DESCRICAO"], longa.substr(0, 40));
    EXPECT_EQ(c().DBEdit10->text(), QString::fromStdString(longa.substr(0, 40)));
}

}  // namespace
}  // namespace cp::test
