// A bill from its NF-e, through the program started as its entry starts it:
// the XML or the access key gives the new account, and the same invoice is
// named before it is recorded twice.
#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

#include "app/ImportacaoNaJanela.h"
#include "data/Cp1252.h"
#include "entry/DialogoNfe.h"
#include "entry/ImportaNfe.h"
#include "entry/PainelConta.h"
#include "payables/ListaFixture.h"
#include "support/NfeDeTeste.h"

namespace cp::test {
namespace {

class ImportaNfeTeste : public ListaTeste {
  protected:
    void SetUp() override {
        ListaTeste::SetUp();
        periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
        dbs->shared().execute(
            "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) values ('PADRAO', 'BOLETO', "
            "'12345-6')");
        dbs->shared().execute(
            "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS) values (1, "
            "'Dias Corridos', '30 DIAS', '30', 1)");
    }
    void fornecedor(const std::string& codigo, const std::string& nome, const std::string& fantasia,
                    const std::string& cnpj) {
        dbs->shared().execute(
            "insert into FORNECED (CODIGO, NOME, NOMEFANTASIA, TEL, CNPJ) values (?, ?, ?, "
            "'(11) 5555-0001', ?)",
            {codigo, nome, fantasia, cnpj});
    }
    QString arquivo(const NfeDeTeste& n, const QString& nome = QStringLiteral("nota.xml")) {
        return n.grava(QDir(env.suiteDir()).filePath(nome));
    }
    bool importa(const QString& entrada) { return form->nfe->importacao->importa(entrada); }

    I um(const std::string& sql) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open(sql);
        I v = cur.fetch() && !cur.isNull(0) ? cur.asInt64(0) : -1;
        tr.commit();
        dbs->release();
        return v;
    }
    // Every row of `sql`, columns joined by "|", rows by "\n".
    std::string linhas(const std::string& sql) {
        fb::Transaction tr = dbs->shared().startTransaction();
        fb::Cursor cur = tr.open(sql);
        std::string v;
        while (cur.fetch()) {
            for (unsigned i = 0; i < cur.columns().size(); ++i)
                v += (cur.isNull(i) ? std::string("-") : cur.asText(i)) + "|";
            v += "\n";
        }
        tr.commit();
        dbs->release();
        return v;
    }
    // What the database holds of accounts, installments and keys.
    std::string banco() {
        std::string s = linhas("select CODIGOCPR, NFISCAL from CONTASPR order by 1") +
                        linhas("select CODIGOPARC, CODIGOCPR from PARCELAS order by 1");
        if (um("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = 'CP_NFE_CONTA'") > 0)
            s += linhas("select CODIGOCPR, CHAVENFE from CP_NFE_CONTA order by 1");
        return s;
    }
    std::string campo(const char* coluna) { return dm->CONTASPR.field(coluna).asString(); }
    // The installments shown: number, due date, amount, means, bank account.
    QStringList parcelas() {
        QStringList out;
        RecordSet& p = dm->Parcelas;
        for (int i = 0; i < p.rowCount(); ++i) {
            QStringList cols;
            for (const char* c : {"NUMPARCELA", "DATAVENCIM", "VALORPARCELA", "MEIO", "CODIGOCTA"})
                cols << fromCp1252(p.displayTextAt(i, p.fieldIndex(c)));
            out << cols.join(u'|');
        }
        return out;
    }
    QString mensagens() const { return env.messages.join(QStringLiteral("\n")); }
    QWidget* foco() { return QApplication::focusWidget(); }
    // Leaving a field may run its lookup, which sends the focus on: the
    // field is entered again from there.
    void foca(QWidget* w) {
        for (int i = 0; i < 3 && foco() != w; ++i) {
            w->setFocus();
            QApplication::processEvents();
        }
        ASSERT_EQ(foco(), w);
    }
    PainelConta& c() { return *form->conta; }
};

const QStringList kTresParcelas = {QStringLiteral("1|04/04/2024|400,00|Boleto|12345-6"),
                                   QStringLiteral("2|04/05/2024|400,00|Boleto|12345-6"),
                                   QStringLiteral("3|03/06/2024|434,56|Boleto|12345-6")};

TEST_F(ImportaNfeTeste, ThreeDuplicatasGiveTheAccountAndItsInstallmentsWrittenTogetherAtVoltar) {
    fornecedor("7", "DISTRIBUIDORA SAO JOSE LTDA", "FARMAJOSE", "11.222.333/0001-81");
    conta(3);
    abreLista();
    const std::string antes = banco();
    ASSERT_TRUE(importa(arquivo(NfeDeTeste{}))) << mensagens().toStdString();
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens().toStdString();

    // The new account, as "Nova conta" starts one, filled from the invoice.
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Insert);
    EXPECT_EQ(c().DBText1->text(), QStringLiteral("4"));
    EXPECT_EQ(campo("NFISCAL"), "12345");
    EXPECT_EQ(c().DBEdit15->text(), QStringLiteral("05/03/24"));
    EXPECT_EQ(dm->CONTASPR.field("VALORTOTAL").asMoney(), 123456);
    // The supplier as the lookup panel takes one.
    EXPECT_EQ(campo("NOMECLIFOR"), "DISTRIBUIDORA SAO JOSE LTDA");
    EXPECT_EQ(campo("ESTACAOCLIFOR"), "FF");
    EXPECT_EQ(dm->CONTASPR.field("CODIGOCLIFOR").asInteger(), 7);
    EXPECT_EQ(campo("FONECLIFOR"), "(11) 5555-0001");
    EXPECT_EQ(parcelas(), kTresParcelas);
    EXPECT_EQ(foco(), c().DBEdit10);
    EXPECT_FALSE(lista->DBGrid5->isVisible());
    EXPECT_EQ(banco(), antes) << "nothing is written before the account is";

    form->BitBtn11->click();  // "Voltar"
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens().toStdString();
    EXPECT_EQ(linhas("select NFISCAL, DATA, VALORTOTAL, NOMECLIFOR, CODIGOCLIFOR, ESTACAOCLIFOR, "
                     "CNPJCLIFOR from CONTASPR where CODIGOCPR = 4"),
              "12345|2024-03-05|1234.56|DISTRIBUIDORA SAO JOSE LTDA|7|FF|-|\n");
    EXPECT_EQ(linhas("select NUMPARCELA, DATAVENCIM, VALORPARCELA, MEIO, CODIGOCTA, NATUREZA, "
                     "ESTACAO from PARCELAS where CODIGOCPR = 4 order by NUMPARCELA"),
              "1|2024-04-04|400.00|Boleto|12345-6|P|01|\n"
              "2|2024-05-04|400.00|Boleto|12345-6|P|01|\n"
              "3|2024-06-03|434.56|Boleto|12345-6|P|01|\n");
    EXPECT_EQ(
        um("select cast(sum(VALORPARCELA) * 100 as integer) from PARCELAS where CODIGOCPR = 4"),
        123456);
    EXPECT_EQ(linhas("select CHAVENFE from CP_NFE_CONTA where CODIGOCPR = 4 and ESTACAO = '01'"),
              NfeDeTeste{}.chave().toStdString() + "|\n");
    // One transaction wrote the account, its installments and its key.
    EXPECT_EQ(um("select count(distinct T) from (select RDB$RECORD_VERSION T from CONTASPR where "
                 "CODIGOCPR = 4 union all select RDB$RECORD_VERSION from PARCELAS where "
                 "CODIGOCPR = 4 union all select RDB$RECORD_VERSION from CP_NFE_CONTA)"),
              1);
    EXPECT_EQ(um("select count(*) from FORNECED"), 1);
}

TEST_F(ImportaNfeTeste, AnUnregisteredSupplierGivesItsNameAndCnpjAndTheOperatorIsToldOnce) {
    fornecedor("7", "OUTRO FORNECEDOR", "OUTRO", "99.888.777/0001-00");
    abreLista();
    NfeDeTeste n;
    n.tPag = QStringLiteral("01");
    ASSERT_TRUE(importa(arquivo(n)));
    ASSERT_EQ(env.messages.size(), 1) << mensagens().toStdString();
    EXPECT_TRUE(env.messages[0].contains(
        QStringLiteral("O fornecedor de CNPJ 11.222.333/0001-81 não está cadastrado")));
    EXPECT_EQ(fromCp1252(campo("NOMECLIFOR")), QStringLiteral("Farmajosé"));
    EXPECT_EQ(campo("CNPJCLIFOR"), "11.222.333/0001-81");
    EXPECT_TRUE(dm->CONTASPR.field("CODIGOCLIFOR").isNull());
    EXPECT_EQ(dm->Parcelas.field("MEIO").asString(), "Dinheiro");
    form->BitBtn11->click();
    EXPECT_EQ(um("select count(*) from FORNECED"), 1) << "the suite's suppliers are not written";

    // Without a trade name, the company name cut to the column; an unknown
    // means of payment leaves the default.
    env.messages.clear();
    n.numero = 777;
    n.xFant.clear();
    n.xNome = QStringLiteral("DISTRIBUIDORA DE INSUMOS FARMACEUTICOS DO BRASIL LTDA");
    n.tPag = QStringLiteral("99");
    ASSERT_TRUE(importa(arquivo(n, QStringLiteral("outra.xml"))));
    EXPECT_EQ(campo("NOMECLIFOR"), "DISTRIBUIDORA DE INSUMOS FARMACEUTICOS D");
    EXPECT_EQ(dm->Parcelas.field("MEIO").asString(), "BOLETO");
}

TEST_F(ImportaNfeTeste, TheKeyAloneGivesTheNumberAndTheSupplierAndIsKeptWithTheAccount) {
    fornecedor("7", "DISTRIBUIDORA SAO JOSE LTDA", "FARMAJOSE", "11222333000181");
    abreLista();
    // As a scanner or the DANFE gives it: blanks and dots are ignored.
    QString digitada = NfeDeTeste{}.chave();
    for (int i = 40; i > 0; i -= 4) digitada.insert(i, i % 8 ? u' ' : u'.');
    ASSERT_TRUE(importa(digitada)) << mensagens().toStdString();
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens().toStdString();
    EXPECT_EQ(campo("NFISCAL"), "12345");
    EXPECT_EQ(campo("NOMECLIFOR"), "DISTRIBUIDORA SAO JOSE LTDA");
    EXPECT_EQ(c().DBEdit15->text(), QStringLiteral("20/03/24")) << "the date is typed as usual";
    EXPECT_TRUE(dm->CONTASPR.field("VALORTOTAL").isNull());
    EXPECT_EQ(dm->Parcelas.recordCount(), 0);

    // The installments come from a condition, as for any typed bill; the
    // account and its key are written before them.
    foca(c().DBEdit11);
    c().DBEdit11->selectAll();
    QTest::keyClicks(c().DBEdit11, QStringLiteral("300,00"));
    foca(c().DBComboBox1);
    c().DBComboBox1->lineEdit()->selectAll();
    QTest::keyClicks(c().DBComboBox1, QStringLiteral("30 DIAS"));
    QTest::keyClick(c().DBComboBox1, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(um("select count(*) from PARCELAS where CODIGOCPR = 1"), 1);
    EXPECT_EQ(linhas("select CODIGOCPR, CHAVENFE from CP_NFE_CONTA"),
              "1|" + NfeDeTeste{}.chave().toStdString() + "|\n");
}

TEST_F(ImportaNfeTeste, TheSameInvoiceAgainIsNamedAndNoImportsNothing) {
    fornecedor("7", "DISTRIBUIDORA CENTRAL", "CENTRAL", "11.222.333/0001-81");
    abreLista();
    ASSERT_TRUE(importa(arquivo(NfeDeTeste{})));
    form->BitBtn11->click();
    const std::string antes = banco();

    // The same key.
    env.messages.clear();
    EXPECT_FALSE(importa(arquivo(NfeDeTeste{})));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A nota fiscal 12345 de DISTRIBUIDORA CENTRAL já está lançada na "
                             "conta 1 (R$ 1.234,56, de 05/03/2024). Lançar outra vez?"));
    EXPECT_TRUE(lista->DBGrid5->isVisible()) << "nothing was started";
    EXPECT_EQ(banco(), antes);

    // "Sim" records it once more.
    env.answer = [](const QString&) { return true; };
    EXPECT_TRUE(importa(arquivo(NfeDeTeste{})));
    EXPECT_EQ(campo("NFISCAL"), "12345");
}

TEST_F(ImportaNfeTeste, ABillTypedByHandIsFoundBySupplierAndNumber) {
    // Account 10, typed long ago: the supplier's code and the number with
    // leading zeros, no key.
    fornecedor("7", "DISTRIBUIDORA CENTRAL", "CENTRAL", "11.222.333/0001-81");
    dbs->shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR, CODIGOCLIFOR, NFISCAL, "
        "VALORTOTAL, DATA) values (10, '01', 'P', 'DISTRIBUIDORA CENTRAL', 7, '000555', 100.00, "
        "'2025-01-15')");
    // A receivable account with the same number is no payable bill.
    dbs->shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR, CODIGOCLIFOR, NFISCAL) "
        "values (11, '01', 'R', 'DISTRIBUIDORA CENTRAL', 7, '555')");
    abreLista();
    const std::string antes = banco();
    EXPECT_FALSE(importa(chaveNfe("11222333000181", 555)));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A nota fiscal 000555 de DISTRIBUIDORA CENTRAL já está lançada na "
                             "conta 10 (R$ 100,00, de 15/01/2025). Lançar outra vez?"));
    EXPECT_EQ(banco(), antes);
    // Another invoice of the same supplier, or the same number of another
    // supplier, is no repetition.
    env.messages.clear();
    EXPECT_TRUE(importa(chaveNfe("11222333000181", 556)));
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens().toStdString();
}

TEST_F(ImportaNfeTeste, TypingAnInvoiceAlreadyRecordedAsksAndNoKeepsTheFocusInTheField) {
    fornecedor("7", "DISTRIBUIDORA CENTRAL", "CENTRAL", "");
    dbs->shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR, NFISCAL, VALORTOTAL, "
        "DATA) values (10, '01', 'P', 'CENTRAL', '555', 100.00, '2025-01-15')");
    abreLista();
    form->BitBtn14->click();
    // The supplier by its exact trade name: the account takes "CENTRAL".
    foca(c().DBEdit12);
    QTest::keyClicks(c().DBEdit12, QStringLiteral("CENTRAL"));
    QTest::keyClick(c().DBEdit12, Qt::Key_Return);
    ASSERT_EQ(foco(), c().DBEdit15);
    QTest::keyClick(c().DBEdit15, Qt::Key_Return);
    ASSERT_EQ(foco(), c().DBEdit18);
    QTest::keyClicks(c().DBEdit18, QStringLiteral("555"));
    QTest::keyClick(c().DBEdit18, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(env.messages.size(), 1) << mensagens().toStdString();
    EXPECT_EQ(env.messages[0],
              QStringLiteral("A nota fiscal 555 de CENTRAL já está lançada na conta 10 (R$ "
                             "100,00, de 15/01/2025). Lançar outra vez?"));
    EXPECT_EQ(foco(), c().DBEdit18);

    // Leaving it unchanged asks no more; "Sim" to another number goes on.
    env.answer = [](const QString&) { return true; };
    c().DBEdit18->selectAll();
    QTest::keyClicks(c().DBEdit18, QStringLiteral("0555"));
    QTest::keyClick(c().DBEdit18, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(env.messages.size(), 2);
    EXPECT_EQ(foco(), c().DBComboBox1);
    foca(c().DBEdit18);
    QTest::keyClick(c().DBEdit18, Qt::Key_Return);
    EXPECT_EQ(env.messages.size(), 2);
}

TEST_F(ImportaNfeTeste, EachBadInputIsRefusedInPortugueseAndLeavesTheDatabaseAsItWas) {
    conta(3);
    abreLista();
    const std::string antes = banco();
    auto escreve = [&](const QString& nome, const QByteArray& bytes) {
        const QString caminho = QDir(env.suiteDir()).filePath(nome);
        QFile f(caminho);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return caminho;
    };
    NfeDeTeste dtd;
    dtd.prologo = QStringLiteral("<!DOCTYPE nfeProc [<!ENTITY x \"y\">]>");
    NfeDeTeste muitas;
    muitas.parcelasIguais(181, 100);
    NfeDeTeste semCp1252;
    semCp1252.xNome = QStringLiteral("Distribuidora 漢字");
    QString chaveErrada = NfeDeTeste{}.chave();
    chaveErrada[43] = chaveErrada[43] == u'0' ? u'1' : u'0';
    const struct {
        QString entrada;
        QString diz;
    } casos[] = {
        {escreve(QStringLiteral("texto.xml"), "isto não é xml"), QStringLiteral("XML")},
        {escreve(QStringLiteral("outro.xml"), "<?xml version=\"1.0\"?><pedido/>"),
         QStringLiteral("NF-e")},
        {chaveErrada, QStringLiteral("dígito")},
        {escreve(QStringLiteral("grande.xml"), QByteArray(6 * 1024 * 1024, ' ')),
         QStringLiteral("5 MB")},
        {arquivo(dtd, QStringLiteral("dtd.xml")), QStringLiteral("DOCTYPE")},
        {QDir(env.suiteDir()).filePath(QStringLiteral("nao-existe.xml")), QString()},
        {arquivo(muitas, QStringLiteral("muitas.xml")), QStringLiteral("180")},
        {arquivo(semCp1252, QStringLiteral("cp.xml")), QString()},
        {QStringLiteral("   "), QStringLiteral("Informe")},
    };
    for (const auto& caso : casos) {
        env.messages.clear();
        EXPECT_FALSE(importa(caso.entrada)) << caso.entrada.toStdString();
        ASSERT_EQ(env.messages.size(), 1) << caso.entrada.toStdString();
        EXPECT_TRUE(env.messages[0].contains(caso.diz)) << env.messages[0].toStdString();
        EXPECT_TRUE(lista->DBGrid5->isVisible());
        EXPECT_EQ(banco(), antes) << caso.entrada.toStdString();
    }
    // The wrong check digit names the right one.
    env.messages.clear();
    importa(chaveErrada);
    EXPECT_TRUE(env.messages[0].contains(NfeDeTeste{}.chave().right(1)))
        << env.messages[0].toStdString();

    // A cancelled invoice is named and asked about; "Não" imports nothing.
    env.messages.clear();
    NfeDeTeste cancelada;
    cancelada.cStat = QStringLiteral("101");
    EXPECT_FALSE(importa(arquivo(cancelada, QStringLiteral("cancelada.xml"))));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("101"))) << env.messages[0].toStdString();
    EXPECT_TRUE(env.messages[0].endsWith(QStringLiteral("Importar a nota assim mesmo?")));
    EXPECT_EQ(banco(), antes);
}

TEST_F(ImportaNfeTeste, InstallmentsThatDoNotAddUpOrFallBeforeTheInvoiceAreShownAndKept) {
    abreLista();
    NfeDeTeste n;
    n.dups = {QStringLiteral("1|2024-03-01|600.00"), QStringLiteral("2|2024-04-04|600.00")};
    ASSERT_TRUE(importa(arquivo(n)));
    ASSERT_EQ(env.messages.size(), 1) << mensagens().toStdString();
    const QString aviso = env.messages[0];
    EXPECT_TRUE(aviso.contains(QStringLiteral("R$ 1.200,00")) &&
                aviso.contains(QStringLiteral("R$ 1.234,56")))
        << aviso.toStdString();
    EXPECT_TRUE(aviso.contains(QStringLiteral("antes da emissão"))) << aviso.toStdString();
    EXPECT_TRUE(aviso.contains(QStringLiteral("não está cadastrado"))) << aviso.toStdString();
    EXPECT_EQ(parcelas(), (QStringList{QStringLiteral("1|01/03/2024|600,00|Boleto|12345-6"),
                                       QStringLiteral("2|04/04/2024|600,00|Boleto|12345-6")}));
    EXPECT_EQ(dm->CONTASPR.field("VALORTOTAL").asMoney(), 123456);
}

TEST_F(ImportaNfeTeste, PassingThroughTheConditionKeepsTheScheduleAndAChangedOneReplacesIt) {
    abreLista();
    ASSERT_TRUE(importa(arquivo(NfeDeTeste{})));
    env.messages.clear();
    foca(c().DBComboBox1);
    QTest::keyClick(c().DBComboBox1, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(foco(), c().DBGrid4);
    EXPECT_EQ(parcelas(), kTresParcelas);
    EXPECT_TRUE(env.messages.isEmpty()) << mensagens().toStdString();

    // An installment changed in the grid goes with the others.
    dm->Parcelas.first();
    dm->Parcelas.edit();
    dm->Parcelas.field("VALORPARCELA").setAsMoney(39999);
    dm->Parcelas.post();
    EXPECT_EQ(um("select count(*) from PARCELAS"), 0);

    // The condition the operator names replaces it (the account and the
    // imported schedule are written first, then replaced).
    foca(c().DBComboBox1);
    c().DBComboBox1->lineEdit()->selectAll();
    QTest::keyClicks(c().DBComboBox1, QStringLiteral("30 DIAS"));
    QTest::keyClick(c().DBComboBox1, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(parcelas(), QStringList{QStringLiteral("1|04/04/2024|1234,56|BOLETO|12345-6")});
    EXPECT_EQ(linhas("select NUMPARCELA, VALORPARCELA from PARCELAS"), "1|1234.56|\n");
}

TEST_F(ImportaNfeTeste, CtrlIThePopUpItemAndADroppedFileOpenTheImport) {
    fornecedor("7", "DISTRIBUIDORA SAO JOSE LTDA", "FARMAJOSE", "11.222.333/0001-81");
    abreLista();
    const QList<QAction*> itens = lista->PopupMenu1->actions();
    ASSERT_FALSE(itens.isEmpty());
    EXPECT_EQ(itens.last()->text(), QStringLiteral("Importar NF-e..."));

    // Ctrl+I in the list: the dialog, with the focus in its field; the key
    // typed and Enter import it.
    bool visto = false;
    QTimer::singleShot(0, form, [&] {
        auto* d = qobject_cast<DialogoNfe*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        visto = true;
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Importar NF-e"));
        EXPECT_EQ(d->focusWidget(), d->EditEntrada);
        QTest::keyClicks(d->EditEntrada, NfeDeTeste{}.chave());
        QTest::keyClick(d->EditEntrada, Qt::Key_Return);
    });
    lista->DBGrid5->setFocus();
    QTest::keyClick(lista->DBGrid5, Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(visto);
    EXPECT_EQ(campo("NFISCAL"), "12345");
    EXPECT_EQ(form->focusWidget(), c().DBEdit10);

    // Cancelar from the entry panel leaves the account being entered alone.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    foca(c().DBEdit10);
    visto = false;
    QTimer::singleShot(0, form, [&] {
        auto* d = qobject_cast<DialogoNfe*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        visto = true;
        d->BotCancelar->click();
    });
    QTest::keyClick(c().DBEdit10, Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(visto);
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Insert);
    EXPECT_EQ(um("select count(*) from CONTASPR"), 0);

    // A file dropped on the window: the account entered is written as
    // "Voltar" writes it, and the dropped invoice is started.
    form->BitBtn11->click();
    NfeDeTeste outra;
    outra.numero = 900;
    QMimeData dados;
    dados.setUrls({QUrl::fromLocalFile(arquivo(outra, QStringLiteral("solta.xml")))});
    QDragEnterEvent entra(QPoint(100, 100), Qt::CopyAction, &dados, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &entra);
    EXPECT_TRUE(entra.isAccepted());
    QDropEvent solta(QPointF(100, 100), Qt::CopyAction, &dados, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &solta);
    EXPECT_EQ(campo("NFISCAL"), "900");
    EXPECT_EQ(um("select count(*) from CONTASPR"), 1);
}

}  // namespace
}  // namespace cp::test
