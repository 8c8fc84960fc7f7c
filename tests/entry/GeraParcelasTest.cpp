// Leaving the field "Condição de Pagto" of the single-account window on fresh
// embedded databases: which installments the database holds afterwards, what
// the grid shows and what the operator is told.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <optional>

#include "data/Cp1252.h"
#include "entry/PainelConta.h"
#include "shell/DataWidgets.h"
#include "support/ShellFixture.h"

namespace cp::test {
namespace {

using I = std::int64_t;

class Geracao : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        env.setNow(QDateTime(QDate(2025, 1, 10), QTime(8, 0)));
        condicao(10, "30/60/90", "Dias Corridos", "30,60,90", 3);
        condicao(11, "30/60/90 +10%", "Dias Corridos", "30,60,90", 3, 1000);
        // Account 1 (invoice 123) is on "A VISTA" with one installment, code 1.
        semeiaDados(*dbs);
        dbs->shared().execute(
            "update CONTASPR set DATA = '2025-01-15', VALORTOTAL = 100.00 where CODIGOCPR = 1");
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");  // no login panel
    }

    void condicao(I codigo, const std::string& descricao, const std::string& tipo,
                  const std::string& dias, I quantidade, std::optional<I> taxa = {},
                  const std::string& cta = {}, const std::string& forma = {},
                  const std::string& qaut = {}) {
        auto texto = [](const std::string& t) { return t.empty() ? fb::Value{} : fb::Value{t}; };
        dbs->shared().execute(
            "insert into FORMASPG (CODIGOFP, DESCRICAO, TIPO, DIAS, QDEPARCELAS, TAXA1, CTABANCO, "
            "FORMAPAG, QAUT) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {codigo, descricao, texto(tipo), texto(dias), quantidade,
             taxa ? fb::Value{fb::Decimal{*taxa, 2}} : fb::Value{}, texto(cta), texto(forma),
             texto(qaut)});
    }

    void abreConta() {
        dbs->release();
        ASSERT_TRUE(cria(
            {QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA"), QStringLiteral("CENTRAL")}));
        ativa();
        ASSERT_TRUE(form->activationCompleted()) << mensagens();
        env.messages.clear();
    }

    PainelConta& c() { return *form->conta; }
    std::string mensagens() const { return env.messages.join(QLatin1Char('|')).toStdString(); }

    // The operator enters the condition field, types `texto` over what it
    // holds and presses Enter.
    void escolhe(const QString& texto) {
        DBComboBox* cb = c().DBComboBox1;
        cb->setFocus();
        cb->lineEdit()->selectAll();
        if (texto.isEmpty())
            QTest::keyClick(cb, Qt::Key_Delete);
        else
            QTest::keyClicks(cb, texto);
        QTest::keyClick(cb, Qt::Key_Return);
    }

    // The installments of account `conta` as stored, by number: number, due
    // date, amount, bank account, means, paid date, paid amount, QAUT, work
    // area, kind ("-" for empty).
    QStringList noBanco(I conta = 1) {
        QStringList out;
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open(
            "select NUMPARCELA, DATAVENCIM, VALORPARCELA, CODIGOCTA, MEIO, DATAPAGTO, VALORPAGO, "
            "QAUT, ESTACAO, NATUREZA from PARCELAS where CODIGOCPR = ? order by NUMPARCELA, "
            "CODIGOPARC",
            {conta});
        auto data = [&](unsigned i) {
            if (cur.isNull(i)) return QStringLiteral("-");
            const fb::Date d = cur.asDate(i);
            return QDate(d.year, d.month, d.day).toString(QStringLiteral("dd/MM/yyyy"));
        };
        auto valor = [&](unsigned i) {
            return cur.isNull(i) ? QStringLiteral("-")
                                 : QString::number(cur.asDecimal(i).value / 100.0, 'f', 2);
        };
        auto texto = [&](unsigned i) {
            return cur.isNull(i) ? QStringLiteral("-") : fromCp1252(cur.asText(i));
        };
        while (cur.fetch()) {
            out << QStringList{QString::number(cur.asInt64(0)),
                               data(1),
                               valor(2),
                               texto(3),
                               texto(4),
                               data(5),
                               valor(6),
                               texto(7),
                               texto(8),
                               texto(9)}
                       .join(QLatin1Char(' '));
        }
        cur.close();
        tr.commit();
        dbs->release();
        return out;
    }

    // Installment codes of account 1 in the database and in the grid.
    std::vector<I> codigosNoBanco() {
        std::vector<I> out;
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open("select CODIGOPARC from PARCELAS where CODIGOCPR = 1");
        while (cur.fetch()) out.push_back(cur.asInt64(0));
        cur.close();
        tr.commit();
        dbs->release();
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<I> codigosNaGrade() {
        std::vector<I> out;
        RecordSet& p = dm->Parcelas;
        for (int r = 0; r < p.rowCount(); ++r)
            out.push_back(std::get<I>(p.valueAt(r, p.fieldIndex("CODIGOPARC"))));
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(Geracao, ThirtySixtyNinetyReplacesTheInstallmentsWithDatesAmountsAndDefaults) {
    abreConta();
    escolhe(QStringLiteral("30/60/90"));
    EXPECT_EQ(noBanco(), (QStringList{
                             "1 14/02/2025 33.33 12345-6 BOLETO - - - 01 P",
                             "2 16/03/2025 33.33 12345-6 BOLETO - - - 01 P",
                             "3 15/04/2025 33.33 12345-6 BOLETO - - - 01 P",
                         }));
    // The old installment 1 is gone; the new ones follow the highest code (2).
    EXPECT_EQ(codigosNaGrade(), (std::vector<I>{3, 4, 5}));
    EXPECT_EQ(QApplication::focusWidget(), c().DBGrid4);
    EXPECT_EQ(c().DBGrid4->currentColumn(), 1) << "Enter goes on into the grid, on Data Venc";
    EXPECT_EQ(dm->Parcelas.recNo(), 1);
    EXPECT_EQ(c().DBEdit14->text(), QStringLiteral("3"));
    EXPECT_EQ(c().DBEdit16->text(), QStringLiteral("Dias Corridos"));
    EXPECT_EQ(form->sessao.CondPagtoAnterior.str(), "30/60/90");

    escolhe(QStringLiteral("30/60/90 +10%"));
    EXPECT_EQ(noBanco(), (QStringList{
                             "1 14/02/2025 36.67 12345-6 BOLETO - - - 01 P",
                             "2 16/03/2025 36.67 12345-6 BOLETO - - - 01 P",
                             "3 15/04/2025 36.67 12345-6 BOLETO - - - 01 P",
                         }));
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens();
}

TEST_F(Geracao, PaidConditionCreatesSettledInstallmentsWithItsOwnAccountAndMeans) {
    condicao(12, "FIXO PAGO", "Dia Fixo", "0+", 2, {}, "999-1", "PIX", "s");
    dbs->shared().execute(
        "update CONTASPR set DATA = '2024-01-30', VALORTOTAL = 2.01 where CODIGOCPR = 1");
    abreConta();
    escolhe(QStringLiteral("FIXO PAGO"));
    EXPECT_EQ(noBanco(), (QStringList{
                             "1 29/02/2024 1.00 999-1 PIX 29/02/2024 1.00 S 01 P",
                             "2 30/03/2024 1.00 999-1 PIX 30/03/2024 1.00 S 01 P",
                         }));
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens();
}

TEST_F(Geracao, UnchangedConditionKeepsHandEditsUntilTheCountNoLongerFits) {
    abreConta();
    escolhe(QStringLiteral("30/60/90"));
    RecordSet& p = dm->Parcelas;
    p.moveTo(1);
    p.edit();
    p.field("VALORPARCELA").setAsMoney(5000);
    p.post();
    const std::vector<I> antes = codigosNoBanco();

    escolhe(QStringLiteral("30/60/90"));  // entered and left unchanged
    EXPECT_EQ(codigosNoBanco(), antes);
    EXPECT_TRUE(noBanco().contains(QStringLiteral("2 16/03/2025 50.00 12345-6 BOLETO - - - 01 P")));

    p.first();
    p.remove();  // one installment deleted by hand
    escolhe(QStringLiteral("30/60/90"));
    EXPECT_EQ(noBanco(), (QStringList{
                             "1 14/02/2025 33.33 12345-6 BOLETO - - - 01 P",
                             "2 16/03/2025 33.33 12345-6 BOLETO - - - 01 P",
                             "3 15/04/2025 33.33 12345-6 BOLETO - - - 01 P",
                         }));
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens();
}

TEST_F(Geracao, DayListItemThatIsNoNumberIsReportedAndFallsDueOnTheAccountDate) {
    condicao(12, "30,,60", "Dias Corridos", "30,,60", 3);
    abreConta();
    escolhe(QStringLiteral("30,,60"));
    EXPECT_EQ(env.messages, QStringList{QStringLiteral(
                                "Não foi possível converter  para o tipo \"Inteiro\". Favor "
                                "verificar o formato do campo \"Dias\".")});
    EXPECT_EQ(noBanco(), (QStringList{
                             "1 14/02/2025 33.33 12345-6 BOLETO - - - 01 P",
                             "2 15/01/2025 33.33 12345-6 BOLETO - - - 01 P",
                             "3 16/03/2025 33.33 12345-6 BOLETO - - - 01 P",
                         }));
}

TEST_F(Geracao, EmptyOrUnknownConditionLeavesTheInstallmentsQuoteIsLookedUp) {
    condicao(12, "D'ALVA 30", "Dias Corridos", "30", 1);
    abreConta();
    escolhe(QString());
    EXPECT_EQ(codigosNoBanco(), std::vector<I>{1});

    // An unknown condition is named, and the bill keeps its installments (it
    // would otherwise be in no list); the focus stays in the field.
    escolhe(QStringLiteral("45 dias"));
    EXPECT_EQ(codigosNoBanco(), std::vector<I>{1});
    EXPECT_EQ(codigosNaGrade(), std::vector<I>{1});
    ASSERT_EQ(env.messages.size(), 1) << mensagens();
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A condição de pagamento \"45 dias\" não está cadastrada."));
    QCoreApplication::processEvents();
    QWidget* foco = QApplication::focusWidget();
    EXPECT_TRUE(foco == c().DBComboBox1 || foco == c().DBComboBox1->lineEdit());
    env.messages.clear();

    escolhe(QStringLiteral("D'ALVA 30"));
    EXPECT_EQ(noBanco(), QStringList{"1 14/02/2025 100.00 12345-6 BOLETO - - - 01 P"});
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens();
}

TEST_F(Geracao, ConditionsBeyondOneGenerationAreRefusedBeforeAnythingIsDeleted) {
    condicao(12, "MUITAS %2", "Dias Corridos", "30", 181);
    condicao(13, "PRAZOS DEMAIS", "Dias Corridos", std::string(180, ','), 2);
    abreConta();
    escolhe(QStringLiteral("MUITAS %2"));
    escolhe(QStringLiteral("PRAZOS DEMAIS"));
    ASSERT_EQ(env.messages.size(), 2) << mensagens();
    EXPECT_EQ(
        env.messages[0],
        QStringLiteral("A condição de pagamento \"MUITAS %2\" tem 181 parcelas, e uma geração faz "
                       "no máximo 180. As parcelas da conta não foram alteradas."));
    EXPECT_TRUE(env.messages[1].contains(QStringLiteral("\"PRAZOS DEMAIS\" tem 181 prazos")));
    EXPECT_EQ(codigosNoBanco(), std::vector<I>{1});
    EXPECT_EQ(codigosNaGrade(), std::vector<I>{1});
}

TEST_F(Geracao, NewAccountIsWrittenBeforeItsInstallments) {
    abreConta();
    dm->CONTASPR.append();  // code 4, dated today
    dm->CONTASPR.field("VALORTOTAL").setAsMoney(9000);
    escolhe(QStringLiteral("30/60/90"));
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);
    EXPECT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 4);
    fb::Transaction tr = dbs->shared().startTransaction();
    fb::Cursor cur = tr.open("select CONDPAGTO, VALORTOTAL from CONTASPR where CODIGOCPR = 4");
    ASSERT_TRUE(cur.fetch()) << "the account is stored";
    EXPECT_EQ(cur.asText(0), "30/60/90");
    EXPECT_EQ(cur.asDecimal(1).value, 9000);
    cur.close();
    tr.commit();
    EXPECT_EQ(noBanco(4), (QStringList{
                              "1 09/02/2025 30.00 12345-6 BOLETO - - - 01 P",
                              "2 11/03/2025 30.00 12345-6 BOLETO - - - 01 P",
                              "3 10/04/2025 30.00 12345-6 BOLETO - - - 01 P",
                          }));
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens();
}

TEST_F(Geracao, RefusedInsertStopsAndTheGridShowsWhatTheDatabaseHolds) {
    condicao(12, "CINCO", "Dias Corridos", "10,20,30,40,50", 5);
    dbs->shared().execute("create exception E_RECUSA 'parcela recusada pelo banco'");
    dbs->shared().execute(
        "create trigger T_RECUSA for PARCELAS before insert as begin "
        "if (new.NUMPARCELA = 3) then exception E_RECUSA; end");
    abreConta();
    const QStringList antes = noBanco();
    const std::vector<I> codigosAntes = codigosNoBanco();
    escolhe(QStringLiteral("CINCO"));
    // The whole generation is undone: the old installments stay, none is new.
    EXPECT_EQ(noBanco(), antes);
    EXPECT_EQ(codigosNoBanco(), codigosAntes);
    EXPECT_EQ(codigosNaGrade(), codigosNoBanco());
    EXPECT_EQ(dm->Parcelas.state(), RecordSetState::Browse);
    EXPECT_EQ(dm->Parcelas.changeCount(), 0);
    ASSERT_EQ(env.messages.size(), 1) << mensagens();
    EXPECT_TRUE(env.messages[0].startsWith(QStringLiteral("As parcelas não foram geradas:\n")));
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("parcela recusada pelo banco")));
    EXPECT_TRUE(env.messages[0].contains(
        QStringLiteral("Nada da geração foi gravado. A grade mostra as parcelas que o banco de "
                       "dados tem agora.")));
    // Not complete: the next exit from the field generates again.
    EXPECT_EQ(form->sessao.CondPagtoAnterior.str(), "A VISTA");
}

TEST_F(Geracao, RefusedDeleteKeepsWhatTheDatabaseHoldsAndGeneratesNothing) {
    dbs->shared().execute(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA) values "
        "(5, 1, '01', 2, 10.00)");
    dbs->shared().execute("create exception E_RECUSA 'exclusao recusada pelo banco'");
    dbs->shared().execute(
        "create trigger T_RECUSA for PARCELAS before delete as begin "
        "if (old.CODIGOPARC = 5) then exception E_RECUSA; end");
    abreConta();
    const std::vector<I> antes = codigosNoBanco();
    ASSERT_EQ(antes, (std::vector<I>{1, 5}));
    escolhe(QStringLiteral("30/60/90"));
    // The delete that went through is undone with the one refused.
    EXPECT_EQ(codigosNoBanco(), antes);
    EXPECT_EQ(codigosNaGrade(), antes);
    ASSERT_EQ(env.messages.size(), 1) << mensagens();
    EXPECT_TRUE(env.messages[0].startsWith(QStringLiteral("As parcelas não foram geradas:\n")));
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("exclusao recusada pelo banco")));
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("Nada da geração foi gravado.")));
}

TEST_F(Geracao, LeftByAClickTheFocusStaysInTheGridOnFormaPagto) {
    abreConta();
    DBComboBox* cb = c().DBComboBox1;
    cb->setFocus();
    cb->lineEdit()->selectAll();
    QTest::keyClicks(cb, QStringLiteral("30/60/90"));
    // The clicked field never has the focus: neither its entering nor its
    // leaving step runs.
    int passos = 0;
    c().DBEdit10->onEnter = [&] { ++passos; };
    c().DBEdit10->onExit = [&] { ++passos; };
    QTest::mouseClick(c().DBEdit10, Qt::LeftButton);
    EXPECT_EQ(noBanco().size(), 3);
    EXPECT_EQ(QApplication::focusWidget(), c().DBGrid4);
    EXPECT_EQ(c().DBGrid4->currentColumn(), PainelConta::kColunaFormaPagto);
    EXPECT_EQ(passos, 0);
}

TEST_F(Geracao, NothingIsGeneratedWhileTheDueListLiesOverTheFields) {
    dbs->release();
    ASSERT_TRUE(cria());  // browser mode: the list view
    ativa();
    ASSERT_TRUE(form->activationCompleted()) << mensagens();
    RecordSet& conta = dm->CONTASPR;
    ASSERT_TRUE(conta.findKey({Value(I{1})}));
    c().DBComboBox1Enter();
    conta.edit();
    conta.field("CONDPAGTO").setAsString("30/60/90");
    c().DBComboBox1Exit();
    EXPECT_EQ(codigosNoBanco(), std::vector<I>{1});
}

TEST_F(Geracao, ClosingWhileTheConditionIsTypedGeneratesItsInstallmentsFirst) {
    abreConta();
    DBComboBox* cb = c().DBComboBox1;
    cb->setFocus();
    cb->lineEdit()->selectAll();
    QTest::keyClicks(cb, QStringLiteral("30/60/90"));
    // Closed with the focus still in the field: it is left as Enter leaves it.
    EXPECT_TRUE(form->close());
    EXPECT_EQ(noBanco().size(), 3) << mensagens();
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens();
}

TEST_F(Geracao, ClosingOverAConditionThatIsNotRegisteredKeepsTheWindowOpen) {
    abreConta();
    DBComboBox* cb = c().DBComboBox1;
    cb->setFocus();
    cb->lineEdit()->selectAll();
    QTest::keyClicks(cb, QStringLiteral("45 dias"));
    EXPECT_FALSE(form->close());
    ASSERT_EQ(env.messages.size(), 1) << mensagens();
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A condição de pagamento \"45 dias\" não está cadastrada."));
    EXPECT_EQ(codigosNoBanco(), std::vector<I>{1}) << "the installments stay as they were";
}

}  // namespace
}  // namespace cp::test
