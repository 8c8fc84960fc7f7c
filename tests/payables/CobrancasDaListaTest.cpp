// The slips of the due list: which rows are marked, copying a row's line or
// PIX code to the clipboard, the spreadsheet's last column, and a row
// deleted from the list taking its slip along.
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>

#include "ListaFixture.h"
#include "payables/CobrancasDaLista.h"
#include "payables/SaidaLista.h"
#include "support/Cobrancas.h"

namespace cp::test {
namespace {

class CobrancasNaLista : public ListaTeste {
  protected:
    void SetUp() override {
        ListaTeste::SetUp();
        periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
        conta(417);
        parcela(11, 417, 1, QDate(2024, 3, 5), 15000);
        parcela(12, 417, 2, QDate(2024, 3, 10), 15000);
        parcela(13, 417, 3, QDate(2024, 3, 15), 15000);
        fb::runScriptFile(dbs->shared(), CP_SQL_DIR "/proprias.sql");
        guarda(11, "B", kLinhaItau);
        guarda(13, "P", pix);
        // A slip left behind by an installment another program deleted.
        guarda(99, "B", kLinhaItau);
    }
    void guarda(I codigoParc, const char* tipo, const std::string& linha) {
        dbs->shared().execute(
            "insert into CP_COBRANCAS (CODIGOPARC, CODIGOCPR, TIPO, LINHA) values (?, 417, ?, ?)",
            {codigoParc, std::string(tipo), linha});
    }
    CobrancasDaLista& cobrancas() { return *lista->Cobrancas; }
    // The pop-up menu's copy command as it stands on list row `row`.
    QAction* copiaNaLinha(int row) {
        dm->Query2.moveTo(row);
        emit lista->PopupMenu1->aboutToShow();
        return cobrancas().CopiarCobranca;
    }
    I cobrancasNoBanco() {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor c = tr.open("select count(*) from CP_COBRANCAS");
        c.fetch();
        const I n = c.asInt64(0);
        c.close();
        tr.commit();
        dbs->release();
        return n;
    }

    const std::string pix = codigoPix("fornecedor@exemplo.com.br", "150.00");
};

TEST_F(CobrancasNaLista, RowsWithASlipAreMarkedAndCopyingPutsWhatTheBankTakesOnTheClipboard) {
    abreLista();
    ASSERT_EQ(dm->Query2.rowCount(), 3);
    ASSERT_NE(cobrancas().daLinha(0), nullptr);
    EXPECT_EQ(cobrancas().daLinha(1), nullptr);
    ASSERT_NE(cobrancas().daLinha(2), nullptr);
    EXPECT_EQ(CobrancasDaLista::dica(*cobrancas().daLinha(0)),
              QStringLiteral("Boleto: 34191.09008 00123.456782 90123.456700 3 11380000123456"));
    // The mark: the indicator of rows 1 and 3 is drawn green, of row 2 not.
    QHeaderView* indicador = lista->DBGrid5->verticalHeader();
    indicador->resize(12, 200);
    const QImage imagem = indicador->grab().toImage();
    const auto verde = [&](int row) {
        const QColor c = imagem.pixelColor(3, indicador->sectionViewportPosition(row) + 9);
        return c.green() > c.red() + 30 && c.green() > c.blue() + 30;
    };
    EXPECT_TRUE(verde(0));
    EXPECT_FALSE(verde(1));
    EXPECT_TRUE(verde(2));
    // The list's own columns stay as they were; the mark is in the indicator.
    EXPECT_EQ(lista->DBGrid5->dataModel()->columnCount(), 10);
    EXPECT_EQ(lista->DBGrid5->verticalHeader()->width(), 12);

    QAction* copia = copiaNaLinha(1);
    EXPECT_FALSE(copia->isEnabled()) << "installment 2 keeps no slip";
    copia = copiaNaLinha(0);
    ASSERT_TRUE(copia->isEnabled());
    EXPECT_EQ(copia->text(), QStringLiteral("Copiar linha digitável"));
    QGuiApplication::clipboard()->clear();
    copia->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(kLinhaItau));
    EXPECT_EQ(form->statusBar()->currentMessage(),
              QStringLiteral("Linha digitável da parcela 1 da conta 417 copiada."));

    copia = copiaNaLinha(2);
    EXPECT_EQ(copia->text(), QStringLiteral("Copiar código PIX"));
    copia->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(pix));
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();

    // Gone meanwhile from another workstation: said, and nothing copied.
    dbs->shared().execute("delete from CP_COBRANCAS where CODIGOPARC = 13");
    dbs->release();
    QGuiApplication::clipboard()->clear();
    copiaNaLinha(2)->trigger();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A parcela 3 da conta 417 não tem boleto nem código PIX guardado."));
    EXPECT_EQ(cobrancas().daLinha(2), nullptr);
}

TEST_F(CobrancasNaLista, TheSpreadsheetCarriesEachRowsLineAsItsLastColumn) {
    abreLista();
    QTemporaryDir pasta;
    const QString caminho = pasta.filePath(QStringLiteral("lista.csv"));
    QSignalSpy fim(lista->Saida, &SaidaLista::terminou);
    ASSERT_TRUE(lista->Saida->gravaPlanilha(caminho));
    ASSERT_TRUE(fim.wait(60000));
    QFile f(caminho);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList linhas = QString::fromUtf8(f.readAll().mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_GT(linhas.size(), 11);
    EXPECT_TRUE(linhas[7].endsWith(QStringLiteral(";CODIGOCPR;Linha digitável / código PIX")));
    // As printed on the slip, so a spreadsheet keeps it as text.
    EXPECT_TRUE(linhas[8].endsWith(
        QStringLiteral(";417;34191.09008 00123.456782 90123.456700 3 11380000123456")))
        << linhas[8].toStdString();
    EXPECT_TRUE(linhas[9].endsWith(QStringLiteral(";417;"))) << linhas[9].toStdString();
    EXPECT_TRUE(linhas[10].endsWith(QStringLiteral(";417;") + QString::fromStdString(pix)))
        << linhas[10].toStdString();
}

TEST_F(CobrancasNaLista, ARowDeletedFromTheListTakesItsSlipAlong) {
    abreLista();
    ASSERT_EQ(cobrancasNoBanco(), 3);
    dm->Query2.moveTo(0);
    dm->Query2.remove();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
    EXPECT_EQ(cobrancasNoBanco(), 2);
    EXPECT_EQ(dm->Query2.rowCount(), 2);
    // The list read again still marks the PIX row, now the second.
    EXPECT_EQ(cobrancas().daLinha(0), nullptr);
    EXPECT_NE(cobrancas().daLinha(1), nullptr);
}

}  // namespace
}  // namespace cp::test
