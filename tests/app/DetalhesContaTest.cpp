// The details view: opening the account behind a listed installment, going
// back to the list, and closing the window while an account is being edited.
#include <QFile>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

#include "entry/PainelConta.h"
#include "entry/PainelProcura.h"
#include "entry/Procuras.h"
#include "payables/ListaFixture.h"
#include "shell/Termination.h"
#include "shell/Toolkit.h"

namespace cp::test {
namespace {

class Detalhes : public ListaTeste {
  protected:
    void SetUp() override {
        ListaTeste::SetUp();
        periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
        // Account 2 comes first and has no installment.
        conta(2, "P", "LABORATORIO NORTE");
        conta(5);
        conta(417);
        conta(900, "R");
        parcela(1, 5, 1, QDate(2024, 3, 1), 10000);
        parcela(11, 417, 1, QDate(2024, 3, 5), 15000);
        parcela(12, 417, 2, QDate(2024, 3, 10), 15000);
        parcela(13, 417, 3, QDate(2024, 3, 15), 15000);
    }
    PainelConta& c() { return *form->conta; }
    void detalhes() { form->BitBtn11->click(); }
    I contaAtual() { return dm->CONTASPR.field("CODIGOCPR").asInteger(); }
    // Every stored row of both tables, as text, to see that nothing changed.
    std::string tabelas() {
        std::string out;
        fb::Transaction tr = dbs->shared().startTransaction();
        for (const char* sql :
             {"select CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, NFISCAL, "
              "NOMECLIFOR from CONTASPR order by CODIGOCPR",
              "select CODIGOPARC, CODIGOCPR, NUMPARCELA, VALORPARCELA, DATAVENCIM, DATAPAGTO "
              "from PARCELAS order by CODIGOPARC"}) {
            fb::Cursor cur = tr.open(sql);
            const unsigned n = static_cast<unsigned>(cur.columns().size());
            while (cur.fetch()) {
                for (unsigned i = 0; i < n; ++i)
                    out += (cur.isNull(i) ? std::string("-") : cur.asText(i)) + "|";
                out += "\n";
            }
        }
        tr.commit();
        dbs->release();
        return out;
    }
    I um(const std::string& sql) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open(sql);
        I v = cur.fetch() && !cur.isNull(0) ? cur.asInt64(0) : -1;
        tr.commit();
        dbs->release();
        return v;
    }
    // Every later change of an account is refused by the database.
    void bloqueiaAlteracoes() {
        fb::Attachment& s = dbs->shared();
        s.execute("create exception CONTA_BLOQUEADA 'conta bloqueada pela auditoria'");
        s.execute(
            "create trigger BLOQUEIA_CONTA for CONTASPR before update as begin exception "
            "CONTA_BLOQUEADA; end");
    }
    void digitaTotal() {
        c().DBEdit11->setFocus();
        c().DBEdit11->selectAll();
        QTest::keyClicks(c().DBEdit11, QStringLiteral("250,00"));
    }
    QString log() {
        QFile f(env.suiteFile(QString::fromLatin1(kErrorLogName)));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    void vistaDeLista(bool lista) {
        for (QWidget* w :
             {static_cast<QWidget*>(this->lista->DBGrid5),
              static_cast<QWidget*>(this->lista->PainelTotais),
              static_cast<QWidget*>(this->lista->Panel10), static_cast<QWidget*>(form->BitBtn3),
              static_cast<QWidget*>(form->BitBtn14)})
            EXPECT_EQ(w->isVisible(), lista) << w->objectName().toStdString();
        EXPECT_EQ(dm->Query2.active(), lista);
        if (lista) {
            EXPECT_EQ(form->BitBtn11->text(), QStringLiteral("Detalhes da Conta"));
            EXPECT_EQ(form->BitBtn11->geometry(), QRect(341, 8, 159, 24));
            EXPECT_EQ(fontColor(form->BitBtn11), kGreen);
        } else {
            EXPECT_EQ(form->BitBtn11->text(), QStringLiteral("Voltar"));
            EXPECT_EQ(form->BitBtn11->geometry(), QRect(490, 8, 245, 24));
            EXPECT_EQ(fontColor(form->BitBtn11), kRed);
        }
    }
};

TEST_F(Detalhes, InstallmentThreeOfAnAccountOpensThatAccountForEditingAndBackChangesNothing) {
    abreLista();
    const std::string antes = tabelas();
    dm->Query2.moveTo(3);  // 15/03: installment 3 of account 417
    ASSERT_EQ(dm->Query2.field("NUMPARCELA").asInteger(), 3);
    detalhes();
    ASSERT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();

    EXPECT_EQ(dm->CONTASPR.commandText(),
              "Select " + form->sessao.CamposCPR +
                  " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
    EXPECT_EQ(dm->CONTASPR.recordCount(), 3) << "the payable accounts only";
    EXPECT_EQ(contaAtual(), 417);
    EXPECT_EQ(c().DBText1->text(), QStringLiteral("417"));
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);
    EXPECT_EQ(dm->Parcelas.state(), RecordSetState::Edit);
    ASSERT_EQ(dm->Parcelas.recordCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(dm->Parcelas.valueAt(i, dm->Parcelas.fieldIndex("CODIGOCPR")), Value(I{417}));
    EXPECT_TRUE(c().DBEdit10->isVisible());
    EXPECT_TRUE(c().DBGrid4->isVisible());
    vistaDeLista(false);

    detalhes();  // "Voltar" with no change
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    vistaDeLista(true);
    EXPECT_EQ(dm->Query2.currentRow(), 0);
    EXPECT_EQ(dm->Query2.recordCount(), 4);
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Browse);
    EXPECT_EQ(dm->Parcelas.state(), RecordSetState::Browse);
    EXPECT_EQ(tabelas(), antes);
}

TEST_F(Detalhes, AnAmountChangedInTheDetailsShowsInTheListWhileTheTotalsKeepTheirText) {
    abreLista();
    const QString totalAntes = aPagar();
    dm->Query2.moveTo(1);  // account 417, installment 1
    detalhes();
    RecordSetModel& grade = *c().DBGrid4->dataModel();
    ASSERT_TRUE(grade.setData(grade.index(0, 2), QStringLiteral("99,90"), Qt::EditRole));
    detalhes();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(um("select VALORPARCELA from PARCELAS where CODIGOPARC = 11"), 9990);
    EXPECT_EQ(
        QString::fromStdString(dm->Query2.displayTextAt(1, dm->Query2.fieldIndex("VALORPARCELA"))),
        QStringLiteral("99,90"));
    EXPECT_EQ(aPagar(), totalAntes);
}

TEST_F(Detalhes, AnAccountDeletedMeanwhileFallsBackToTheFirstAccount) {
    abreLista();
    dm->Query2.moveTo(1);  // account 417
    dbs->shared().execute("delete from PARCELAS where CODIGOCPR = 417");
    dbs->shared().execute("delete from CONTASPR where CODIGOCPR = 417");
    dbs->release();
    detalhes();
    EXPECT_EQ(contaAtual(), 2);
    EXPECT_EQ(c().DBText1->text(), QStringLiteral("2"));
    EXPECT_EQ(c().DBEdit12->text(), QStringLiteral("LABORATORIO NORTE"));
}

TEST_F(Detalhes, AnEmptyListOpensTheFirstAccountWhoseUntouchedNewInstallmentIsNotStored) {
    dbs->workstation().execute("delete from PERIODO");
    periodo(QDate(2025, 1, 1), QDate(2025, 1, 31));
    abreLista();
    ASSERT_TRUE(dm->Query2.isEmpty());
    detalhes();  // code 0: no such account, the first one stays
    EXPECT_EQ(contaAtual(), 2);
    // Account 2 has no installment: editing them started an empty one.
    EXPECT_EQ(dm->Parcelas.state(), RecordSetState::Insert);
    EXPECT_EQ(dm->Parcelas.recordCount(), 1);
    detalhes();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(um("select count(*) from PARCELAS where CODIGOCPR = 2"), 0);
    vistaDeLista(true);

    // Typed into, the row is an installment like any other.
    detalhes();
    RecordSetModel& grade = *c().DBGrid4->dataModel();
    ASSERT_TRUE(grade.setData(grade.index(0, 1), QStringLiteral("10/04/24"), Qt::EditRole));
    detalhes();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(um("select count(*) from PARCELAS where CODIGOCPR = 2 and NUMPARCELA = 1 and "
                 "DATAVENCIM = '2024-04-10'"),
              1);
}

TEST_F(Detalhes, TheSupplierLookupDoesNotStoreAnUntouchedNewInstallmentEither) {
    dbs->workstation().execute("delete from PERIODO");
    periodo(QDate(2025, 1, 1), QDate(2025, 1, 31));
    // The account's expense is in the chart: leaving "Despesa" opens nothing.
    dbs->shared().execute("insert into PLANOCT (CODIGOCTA, DESCRICAO) values ('1', 'COMPRA')");
    abreLista();
    detalhes();  // account 2, with an empty new installment
    ASSERT_EQ(dm->Parcelas.state(), RecordSetState::Insert);
    c().DBEdit12->setFocus();
    if (QApplication::focusWidget() != c().DBEdit12) c().DBEdit12->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), c().DBEdit12);
    c().DBEdit12->selectAll();
    QTest::keyClicks(c().DBEdit12, QStringLiteral("QQQ"));
    QTest::keyClick(c().DBEdit12, Qt::Key_Return);
    PainelProcura& fornecedores = *form->procuras->PainelForProcura;
    ASSERT_TRUE(fornecedores.isVisible());  // the focus left the account panel
    EXPECT_EQ(um("select count(*) from PARCELAS where CODIGOCPR = 2"), 0);
    EXPECT_EQ(dm->Parcelas.state(), RecordSetState::Insert)
        << "the row is still there to type into";
    QTest::keyClick(fornecedores.Grade, Qt::Key_Escape);
    detalhes();
    EXPECT_EQ(um("select count(*) from PARCELAS where CODIGOCPR = 2"), 0);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

TEST_F(Detalhes, AReturnRefusedTwiceKeepsTheDetailsWithTheAccountStillBeingEdited) {
    bloqueiaAlteracoes();
    abreLista();
    dm->Query2.moveTo(1);
    detalhes();
    digitaTotal();
    detalhes();  // "Voltar"
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join('\n').toStdString();
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("conta bloqueada pela auditoria")));
    vistaDeLista(false);
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);
    EXPECT_EQ(dm->CONTASPR.changeCount(), 1) << "the change stays pending";
    EXPECT_EQ(c().DBEdit11->text(), QStringLiteral("250,00"));
}

// ----- Closing while an account is being edited -----

TEST_F(Detalhes, ClosingTheWindowWritesAnAmountTypedInTheDetails) {
    abreLista();
    dm->Query2.moveTo(1);
    detalhes();
    digitaTotal();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(um("select VALORTOTAL from CONTASPR where CODIGOCPR = 417"), 25000);
}

TEST_F(Detalhes, AWriteRefusedAtClosingIsNamedAndKeepsTheWindowUntilASecondClose) {
    bloqueiaAlteracoes();
    abreLista();
    dm->Query2.moveTo(1);
    detalhes();
    digitaTotal();

    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join('\n').toStdString();
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("não pôde ser gravado")));
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("conta bloqueada pela auditoria")));
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("CODIGOCPR = 417")));

    EXPECT_TRUE(form->close());  // the second close discards
    EXPECT_EQ(um("select VALORTOTAL from CONTASPR where CODIGOCPR = 417"), -1) << "still empty";
}

// Asked to stop by the system, nobody can answer: the failure is logged and
// the window closes. Run in a process of its own, since the request to stop
// lasts for the rest of the process.
TEST_F(Detalhes, OnATerminationSignalARefusedWriteIsLoggedAndTheWindowCloses) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            bloqueiaAlteracoes();
            abreLista();
            dm->Query2.moveTo(1);
            detalhes();
            digitaTotal();
            markTerminationRequested();
            const bool fechou = form->close();
            const bool registrou =
                log().contains(QStringLiteral("conta bloqueada pela auditoria")) &&
                log().contains(QStringLiteral("encerrado pelo sistema"));
            std::fprintf(stderr, "fechou=%d registrou=%d\n", fechou, registrou);
            std::_Exit(fechou && registrou ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "fechou=1 registrou=1");
}

}  // namespace
}  // namespace cp::test
