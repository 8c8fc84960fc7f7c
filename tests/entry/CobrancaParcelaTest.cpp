// "Ler boleto ou PIX" on the installment grid of the single-account window:
// a slip read into an existing installment and into a new one, typed or from
// a PDF, the questions asked before anything is written, and the slips going
// with their installments when those are deleted or generated again.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include "entry/CobrancaParcela.h"
#include "entry/DialogoCobranca.h"
#include "entry/GeraParcelas.h"
#include "entry/PainelConta.h"
#include "payables/ListaFixture.h"
#include "suite/cobranca/PdfsDeTeste.h"
#include "support/Cobrancas.h"

namespace cp::test {
namespace {

class CobrancaNaParcela : public ListaTeste {
  protected:
    void SetUp() override {
        ListaTeste::SetUp();
        periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
        conta(417, "P", "DISTRIBUIDORA CENTRAL");
        parcela(11, 417, 1, QDate(2024, 3, 5), 15000);
        parcela(12, 417, 2, QDate(2024, 3, 10), 15000);
        dbs->shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('BOLETO', 1)");
        dbs->shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('PIX', 2)");
    }
    // The single-account window on account 417 (invoice 123), the focus in
    // its installment grid on installment `n`.
    void abreNaParcela(int n) {
        dbs->release();
        ASSERT_TRUE(inicia(
            env, env.suiteDir(),
            {QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA"), QStringLiteral("CENTRAL")}));
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        for (int i = 0; i < 10 && !form->activated(); ++i) QApplication::processEvents();
        ASSERT_TRUE(form->activationCompleted()) << env.messages.join('\n').toStdString();
        ASSERT_EQ(dm->CONTASPR.field("CODIGOCPR").asInteger(), 417);
        grade()->setFocus();
        dm->Parcelas.moveTo(n - 1);
        QApplication::processEvents();
    }
    PainelConta& c() { return *form->conta; }
    DBGrid* grade() { return c().DBGrid4; }

    // Ctrl+B in the grid, `passo` on the dialog it opens.
    void ctrlB(std::function<void(DialogoCobranca&)> passo) {
        bool aberto = false;
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        grade()->setFocus();
        QPointer<QTimer> espera = quandoAbrir<DialogoCobranca>(std::move(passo), &aberto);
        QTest::keyClick(grade(), Qt::Key_B, Qt::ControlModifier);
        delete espera.data();
        EXPECT_TRUE(aberto) << "Ctrl+B opened no dialog";
    }
    static void digitaEConfirma(DialogoCobranca& d, const std::string& codigo) {
        QTest::keyClicks(d.EditCodigo, QString::fromStdString(codigo));
        ASSERT_TRUE(d.BotOk->isEnabled()) << d.LabelLeitura->text().toStdString();
        d.BotOk->click();
    }

    // One row of a table as "a|b|c|" ("-" for null); empty when none.
    std::string linha(const std::string& sql) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open(sql);
        std::string v;
        if (cur.fetch())
            for (unsigned i = 0; i < cur.columns().size(); ++i)
                v += (cur.isNull(i) ? std::string("-") : cur.asText(i)) + "|";
        cur.close();
        tr.commit();
        dbs->release();
        return v;
    }
    std::string parcelaNoBanco(I codigoParc) {
        return linha(
            "select NUMPARCELA, VALORPARCELA, DATAVENCIM, MEIO from PARCELAS where "
            "CODIGOPARC = " +
            std::to_string(codigoParc));
    }
    std::string cobrancaNoBanco(I codigoParc) {
        return linha("select CODIGOCPR, TIPO, LINHA from CP_COBRANCAS where CODIGOPARC = " +
                     std::to_string(codigoParc));
    }
};

TEST_F(CobrancaNaParcela, ABoletoGoesIntoTheCurrentInstallmentAndTheOperatorChoosesItsValues) {
    abreNaParcela(2);
    QString lido;
    env.answer = [](const QString&) { return false; };  // keep the installment's own
    ctrlB([&](DialogoCobranca& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Ler boleto ou PIX"));
        EXPECT_EQ(QApplication::focusWidget(), d.EditCodigo);
        QTest::keyClicks(d.EditCodigo, QStringLiteral("34191.09008 00123.456782"));
        EXPECT_FALSE(d.BotOk->isEnabled());  // half a line: what is wrong is on screen
        EXPECT_TRUE(d.LabelLeitura->text().contains(QStringLiteral("21 dígitos")))
            << d.LabelLeitura->text().toStdString();
        QTest::keyClicks(d.EditCodigo, QStringLiteral(" 90123.456700 3 11380000123456"));
        lido = d.LabelLeitura->text();
        d.BotOk->click();
    });
    EXPECT_EQ(lido, QStringLiteral("Boleto do banco 341 - Itaú Unibanco\nVencimento: "
                                   "10/07/2025\nValor: R$ 1.234,56"));
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join('\n').toStdString();
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A parcela 2 tem valor R$ 150,00 e vencimento 10/03/2024; o boleto "
                             "tem valor R$ 1.234,56 e vencimento 10/07/2025.\n\nFicar com o valor "
                             "e o vencimento do boleto? (Não: ficam os da parcela.)"));
    // "Não": the installment keeps its amount and date, and now its slip.
    EXPECT_EQ(parcelaNoBanco(12), "2|150.00|2024-03-10|BOLETO|");
    EXPECT_EQ(cobrancaNoBanco(12), "417|B|" + kLinhaItau + "|");
    EXPECT_EQ(parcelaNoBanco(11), "1|150.00|2024-03-05|-|") << "the other one is untouched";

    // Read again with "Sim": the slip's amount and date, and a PIX code in
    // place of the boleto.
    env.messages.clear();
    env.answer = [](const QString&) { return true; };
    const std::string pix = codigoPix("fornecedor@exemplo.com.br", "1234.56");
    ctrlB([&](DialogoCobranca& d) { digitaEConfirma(d, pix); });
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join('\n').toStdString();
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A parcela 2 tem valor R$ 150,00; o código PIX tem valor R$ "
                             "1.234,56.\n\nFicar com o valor do código PIX? (Não: fica o da "
                             "parcela.)"))
        << "a PIX code names no due date";
    EXPECT_EQ(parcelaNoBanco(12), "2|1234.56|2024-03-10|PIX|");
    EXPECT_EQ(cobrancaNoBanco(12), "417|P|" + pix + "|");
    EXPECT_EQ(dm->Parcelas.state(), RecordSetState::Browse);
}

TEST_F(CobrancaNaParcela, OnANewAccountTheSlipMakesItsFirstInstallment) {
    abreNaParcela(1);
    form->BitBtn14->click();  // "Nova conta": no installments
    ASSERT_TRUE(dm->Parcelas.isEmpty());
    grade()->setFocus();
    ctrlB([&](DialogoCobranca& d) { digitaEConfirma(d, kLinhaItau); });
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    // The account is written first, then its installment 1 with the slip.
    EXPECT_EQ(linha("select count(*) from CONTASPR where CODIGOCPR = 418"), "1|");
    EXPECT_EQ(linha("select CODIGOCPR, NUMPARCELA, VALORPARCELA, DATAVENCIM, MEIO, NATUREZA "
                    "from PARCELAS where CODIGOPARC = 13"),
              "418|1|1234.56|2025-07-10|BOLETO|P|");
    EXPECT_EQ(cobrancaNoBanco(13), "418|B|" + kLinhaItau + "|");
    ASSERT_EQ(dm->Parcelas.recordCount(), 1);
}

TEST_F(CobrancaNaParcela, ASlipKeptWithAnotherInstallmentIsUsedAgainOnlyWhenConfirmed) {
    abreNaParcela(1);
    ctrlB([&](DialogoCobranca& d) { digitaEConfirma(d, kLinhaItau); });
    env.messages.clear();
    dm->Parcelas.moveTo(1);

    // Default "Não": nothing changes and the dialog stays open.
    bool abertoDepois = false;
    ctrlB([&](DialogoCobranca& d) {
        digitaEConfirma(d, kBarrasItau);  // the same boleto by its barcode
        abertoDepois = d.isVisible();
    });
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join('\n').toStdString();
    EXPECT_EQ(env.messages[0],
              QStringLiteral("Este boleto já está na parcela 1 da conta 417. Usar outra vez?"));
    EXPECT_TRUE(abertoDepois);
    EXPECT_EQ(parcelaNoBanco(12), "2|150.00|2024-03-10|-|");
    EXPECT_EQ(cobrancaNoBanco(12), "");

    // "Sim" to that one, "Não" to the values.
    env.messages.clear();
    env.answer = [](const QString& q) { return q.startsWith(QStringLiteral("Este boleto")); };
    ctrlB([&](DialogoCobranca& d) { digitaEConfirma(d, kLinhaItau); });
    ASSERT_EQ(env.messages.size(), 2) << env.messages.join('\n').toStdString();
    EXPECT_EQ(cobrancaNoBanco(12), "417|B|" + kLinhaItau + "|");
    EXPECT_EQ(cobrancaNoBanco(11), "417|B|" + kLinhaItau + "|");
}

TEST_F(CobrancaNaParcela, DeletingOrRegeneratingInstallmentsTakesTheirSlipsAlong) {
    dbs->shared().execute(
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, QDEPARCELAS, DIAS) "
        "values (1, 'Dias Corridos', '30/60/90', 3, '30/60/90')");
    abreNaParcela(1);
    env.answer = [](const QString&) { return true; };
    ctrlB([&](DialogoCobranca& d) { digitaEConfirma(d, kLinhaItau); });
    dm->Parcelas.moveTo(1);
    ctrlB([&](DialogoCobranca& d) { digitaEConfirma(d, codigoPix("chave-aleatoria-1")); });
    ASSERT_EQ(cobrancaNoBanco(11).substr(0, 6), "417|B|");
    ASSERT_EQ(cobrancaNoBanco(12).substr(0, 6), "417|P|");

    // Installment 2 deleted in the grid: its slip goes with it.
    dm->Parcelas.moveTo(1);
    dm->Parcelas.remove();
    EXPECT_EQ(parcelaNoBanco(12), "");
    EXPECT_EQ(cobrancaNoBanco(12), "");
    EXPECT_NE(cobrancaNoBanco(11), "");

    // A new condition replaces the installments: none keeps a slip, not
    // even the new one that takes the key 12 again.
    entraCondicaoPagto(*dm, form->sessao);
    dm->CONTASPR.edit();
    dm->CONTASPR.field("CONDPAGTO").setAsString("30/60/90");
    ASSERT_EQ(saiCondicaoPagto(*dm, form->sessao, env), SaidaCondicao::Gerada)
        << env.messages.join('\n').toStdString();
    EXPECT_EQ(linha("select count(*) from PARCELAS where CODIGOCPR = 417"), "3|");
    EXPECT_EQ(linha("select count(*) from CP_COBRANCAS"), "0|");
}

TEST_F(CobrancaNaParcela, ABoletoInAPdfIsReadFromItsTextOrFromItsBarcodePicture) {
    QTemporaryDir pasta;
    const QString texto = pasta.filePath(QStringLiteral("texto.pdf"));
    const QString barras = pasta.filePath(QStringLiteral("barras.pdf"));
    ASSERT_TRUE(escrevePdfBoleto(texto, linhaImpressa(kLinhaItau), {}));
    ASSERT_TRUE(escrevePdfBoleto(barras, {}, kBarrasItau));
    abreNaParcela(1);
    env.answer = [](const QString& q) { return !q.startsWith(QStringLiteral("Este boleto")); };
    const auto lePdf = [&](const QString& caminho) {
        ctrlB([&](DialogoCobranca& d) {
            d.perguntaPdf = [&] { return caminho; };
            d.BotPdf->click();
            EXPECT_EQ(d.EditCodigo->text(), QString::fromStdString(kLinhaItau));
            EXPECT_TRUE(d.LabelLeitura->text().contains(QStringLiteral("R$ 1.234,56")))
                << d.LabelLeitura->text().toStdString();
            d.BotOk->click();
        });
    };
    lePdf(texto);
    EXPECT_EQ(parcelaNoBanco(11), "1|1234.56|2025-07-10|BOLETO|");
    EXPECT_EQ(cobrancaNoBanco(11), "417|B|" + kLinhaItau + "|");

    // The picture-only PDF is the same boleto: asked about, refused.
    dm->Parcelas.moveTo(1);
    env.messages.clear();
    lePdf(barras);
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(cobrancaNoBanco(12), "");

    // A PDF with neither says so, and OK stays off.
    const QString nada = pasta.filePath(QStringLiteral("nada.pdf"));
    ASSERT_TRUE(escrevePdfBoleto(nada, QStringLiteral("Pague em qualquer banco"), {}));
    ctrlB([&](DialogoCobranca& d) {
        d.perguntaPdf = [&] { return nada; };
        d.BotPdf->click();
        EXPECT_FALSE(d.BotOk->isEnabled());
        EXPECT_TRUE(d.LabelLeitura->text().startsWith(QStringLiteral("Não se achou no PDF")))
            << d.LabelLeitura->text().toStdString();
    });
}

TEST_F(CobrancaNaParcela, TheGridsMenuOffersTheCommandAndItsShortcut) {
    abreNaParcela(1);
    CobrancaParcela* cobranca = grade()->findChild<CobrancaParcela*>();
    ASSERT_NE(cobranca, nullptr);
    ASSERT_NE(grade()->popupMenu(), nullptr);
    EXPECT_TRUE(grade()->popupMenu()->actions().contains(cobranca->LerCobranca));
    EXPECT_EQ(cobranca->LerCobranca->text(), QStringLiteral("Ler boleto / PIX..."));
    EXPECT_EQ(cobranca->LerCobranca->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    // The payment means as the pick list spells it, else the word itself.
    EXPECT_EQ(CobrancaParcela::meioDaCobranca(TipoCobranca::Arrecadacao, {"Dinheiro", " boleto"}),
              QStringLiteral("boleto"));
    EXPECT_EQ(CobrancaParcela::meioDaCobranca(TipoCobranca::Pix, {"Dinheiro"}),
              QStringLiteral("PIX"));
}

}  // namespace
}  // namespace cp::test
