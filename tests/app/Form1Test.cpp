// Start-up of the main window: its creation, the two run modes chosen from
// the command line, the activation and its failures, and closing.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "data/Cp1252.h"
#include "entry/PainelConta.h"
#include "logic/Configuracoes.h"
#include "payables/ListaContas.h"
#include "session/LoginSessao.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "support/ShellFixture.h"

namespace cp::test {
namespace {

class Inicio : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        semeiaDados(*dbs);
    }
    int codigoAtual() { return static_cast<int>(dm->CONTASPR.field("CODIGOCPR").asInteger()); }
    QString log() {
        QFile f(env.suiteFile(QString::fromLatin1(kErrorLogName)));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(Inicio, TheWindowIsBuiltWithItsPanelsHiddenAndItsCaption) {
    ASSERT_TRUE(cria());
    EXPECT_EQ(form->windowTitle(), QStringLiteral(" BRUNDELO - Financeiro"));
    EXPECT_EQ(form->size(), QSize(808, 608)) << "no frame on this platform: all of it is client";
    EXPECT_FALSE(form->PainelVelmora->isVisibleTo(form));
    EXPECT_FALSE(form->login->PainelLogin->isVisibleTo(form));
    EXPECT_EQ(form->Label8->text(), QStringLiteral("Contas a Pagar"));
    EXPECT_EQ(form->Label8->pos(), QPoint(46, 8));
    EXPECT_TRUE(form->Label8->font().bold());
    EXPECT_EQ(form->Label8->font().pixelSize(), 19);
    EXPECT_EQ(form->BitBtn14->text(), QStringLiteral("Nova conta"));
    EXPECT_EQ(form->BitBtn14->geometry(), QRect(221, 8, 111, 24));
    EXPECT_EQ(form->BitBtn11->text(), QStringLiteral("Detalhes da Conta"));
    EXPECT_EQ(form->BitBtn11->geometry(), QRect(341, 8, 159, 24));
    EXPECT_EQ(form->BitBtn3->text(), QStringLiteral("Sair"));
    EXPECT_EQ(form->BitBtn3->geometry(), QRect(508, 8, 227, 24));
    // Nothing of the activation has happened yet.
    EXPECT_TRUE(form->sessao.CamposCPR.empty());
    EXPECT_EQ(form->sessao.MinutosLogoff, 0);
    EXPECT_EQ(form->sessao.TempoLogoff, "10");
}

TEST_F(Inicio, WithoutTheSettingsFileTheProgramEndsBeforeAnyWindow) {
    QFile::remove(env.suiteFile(QStringLiteral("BRUNDELO.INI")));
    EXPECT_FALSE(cria());
    EXPECT_EQ(env.messages, QStringList{QString::fromUtf8(kMensagemSemConfiguracoes)});
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Inicio, BrowserModeShowsTheDueListOverTheAccountFields) {
    ASSERT_TRUE(cria());
    mostra();
    ASSERT_TRUE(form->activationCompleted()) << env.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join(QLatin1Char('|')).toStdString();

    EXPECT_TRUE(form->PainelVelmora->isVisible());
    EXPECT_EQ(form->PainelVelmora->geometry(), form->centralWidget()->rect());
    EXPECT_TRUE(form->lista->DBGrid5->isVisible());
    EXPECT_EQ(form->lista->DBGrid5->geometry(), QRect(4, 70, 791, 450));
    EXPECT_TRUE(form->lista->Panel10->isVisible());
    EXPECT_TRUE(form->lista->PainelTotais->isVisible());
    EXPECT_EQ(form->BitBtn11->text(), QStringLiteral("Detalhes da Conta"));
    EXPECT_TRUE(form->BitBtn11->isEnabled());
    EXPECT_TRUE(form->BitBtn14->isVisible());
    EXPECT_TRUE(form->BitBtn3->isVisible());
    // The due list lies over the fields.
    EXPECT_TRUE(form->conta->DBEdit10->isVisibleTo(form->PainelVelmora));
    QWidget* em = form->PainelVelmora->childAt(200, 80);
    EXPECT_TRUE(em == form->lista->DBGrid5 || form->lista->DBGrid5->isAncestorOf(em))
        << em->metaObject()->className() << " " << em->objectName().toStdString();

    EXPECT_EQ(form->sessao.CamposCPR, kCamposCPR);
    EXPECT_EQ(form->sessao.CamposParcelas, kCamposParcelas);
    EXPECT_EQ(form->sessao.CamposFornecedor, kCamposFornecedor);
    EXPECT_EQ(form->sessao.MinutosLogoff, 10);
    EXPECT_EQ(form->sessao.DataIniPeriodo, QDate(2024, 3, 1));
    EXPECT_EQ(form->sessao.DataFimPeriodo, QDate(2024, 3, 31));
    EXPECT_EQ(form->sessao.FiltroAPagar, kFiltroAPagar);
    EXPECT_EQ(form->sessao.ContaBancoPadrao, "12345-6");
    EXPECT_EQ(form->sessao.MeioPagtoPadrao, "BOLETO");
    EXPECT_EQ(form->conta->DBComboBox1->count(), 2);
    EXPECT_EQ(form->conta->DBComboBox1->itemText(0), QStringLiteral("30 DIAS"));
    EXPECT_EQ(form->conta->DBComboBox1->itemText(1), QStringLiteral("A VISTA"));

    EXPECT_TRUE(dm2->Periodo.active());
    ASSERT_TRUE(dm->CONTASPR.active());
    EXPECT_EQ(dm->CONTASPR.commandText(),
              std::string("Select ") + kCamposCPR +
                  " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
    EXPECT_TRUE(dm->CONTASPR.filtered());
    EXPECT_EQ(dm->CONTASPR.recordCount(), 2);
    EXPECT_EQ(codigoAtual(), 2) << "the last payable account";
    // The session check ran last: no saved session, so the login panel.
    EXPECT_TRUE(form->login->PainelLogin->isVisible());
}

TEST_F(Inicio, TheActivationRunsOnceWhateverShowsTheWindowAgain) {
    ASSERT_TRUE(cria());
    mostra();
    ASSERT_TRUE(form->activated());
    form->conta->DBComboBox1->setItems({});
    env.showMessage(QStringLiteral("uma mensagem"));
    form->hide();
    form->show();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(form->conta->DBComboBox1->count(), 0) << "the condition box was not refilled";
}

TEST_F(Inicio, SingleAccountModeFindsTheAccountNamedOnTheCommandLine) {
    ASSERT_TRUE(
        cria({QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA"), QStringLiteral("CENTRAL")}));
    mostra();
    ASSERT_TRUE(form->activationCompleted()) << env.messages.join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(form->isVisible());
    // Account 3 has the same invoice and supplier but is receivable.
    EXPECT_EQ(codigoAtual(), 1);
    EXPECT_EQ(dm->CONTASPR.commandText(),
              std::string("Select ") + kCamposCPR +
                  " from CONTASPR where NATUREZA = 'P' order by NFISCAL, NOMECLIFOR");
    EXPECT_EQ(form->conta->DBEdit12->text(), QStringLiteral("DISTRIBUIDORA CENTRAL"));
    EXPECT_EQ(form->conta->DBEdit10->text(), QStringLiteral("Aluguel"));

    EXPECT_TRUE(form->PainelVelmora->isVisible());
    EXPECT_FALSE(form->lista->DBGrid5->isVisible());
    EXPECT_FALSE(form->lista->Panel10->isVisible());
    EXPECT_FALSE(form->lista->PainelTotais->isVisible());
    EXPECT_EQ(form->BitBtn11->text(), QStringLiteral("Tabela de Despesas"));
    EXPECT_FALSE(form->BitBtn11->isEnabled());
    EXPECT_TRUE(form->BitBtn14->isVisible());
    EXPECT_TRUE(form->BitBtn3->isVisible());
    EXPECT_TRUE(form->conta->DBEdit10->isVisible());
    EXPECT_EQ(form->sessao.FiltroAPagar, kFiltroAPagar);
    EXPECT_EQ(form->sessao.ContaBancoPadrao, "12345-6");
}

TEST(ChaveContaUnica, TheNameKeyEndsInABlankAndIsCutToSixtyCharacters) {
    EXPECT_EQ(Form1::chaveNotaFiscal({QStringLiteral("123")}), "123");
    EXPECT_EQ(Form1::chaveNomeFornecedor({QStringLiteral("123")}), "");
    EXPECT_EQ(Form1::chaveNomeFornecedor({QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA"),
                                          QStringLiteral("CENTRAL")}),
              "DISTRIBUIDORA CENTRAL ");
    EXPECT_EQ(Form1::chaveNomeFornecedor({QStringLiteral("1"), QStringLiteral("ACME")}), "ACME ");
    const QString a(25, u'A'), b(25, u'B'), c(25, u'C');
    EXPECT_EQ(Form1::chaveNomeFornecedor({QStringLiteral("1"), a, b, c}),
              (a + u' ' + b + u' ' + c).left(60).toStdString());
    EXPECT_EQ(Form1::chaveNomeFornecedor({QStringLiteral("1"), QString(70, u'X')}),
              std::string(60, 'X'));
    // Accented letters are looked for as the database stores them.
    EXPECT_EQ(Form1::chaveNomeFornecedor({QStringLiteral("1"), QStringLiteral("AÇO")}),
              *toCp1252(QStringLiteral("AÇO ")));
}

TEST_F(Inicio, AOneArgumentLookupLooksForAnEmptySupplierName) {
    dbs->shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NFISCAL, NOMECLIFOR) "
        "values (8, '01', 'P', '555', '')");
    dbs->release();
    ASSERT_TRUE(cria({QStringLiteral("555")}));
    mostra();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(codigoAtual(), 8);
}

TEST_F(Inicio, AJoinedNameOverSixtyCharactersIsCutAndStillFindsTheAccount) {
    const std::string nome40 = "COMERCIAL FARMACEUTICA DE INSUMOS E EMBA";  // 40 characters
    ASSERT_EQ(nome40.size(), 40u);
    dbs->shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NFISCAL, NOMECLIFOR) "
        "values (9, '01', 'P', '4321', ?)",
        {nome40});
    dbs->release();
    ASSERT_TRUE(
        cria({QStringLiteral("4321"), QStringLiteral("COMERCIAL"), QStringLiteral("FARMACEUTICA"),
              QStringLiteral("DE"), QStringLiteral("INSUMOS"), QStringLiteral("E"),
              QStringLiteral("EMBALAGENS"), QStringLiteral("PARA"), QStringLiteral("FARMACIAS")}));
    mostra();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(codigoAtual(), 9);
}

TEST_F(Inicio, NoMatchingAccountClosesTheWindow) {
    ASSERT_TRUE(cria({QStringLiteral("999"), QStringLiteral("NINGUEM")}));
    mostra();
    EXPECT_TRUE(form->activated());
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(dm->CONTASPR.active());
    EXPECT_FALSE(dm2->Periodo.active());
    EXPECT_TRUE(env.messages.isEmpty()) << "closed without a message";
}

TEST_F(Inicio, AnInvoiceFoundWithAnotherSupplierIsNoMatch) {
    ASSERT_TRUE(cria({QStringLiteral("123"), QStringLiteral("DISTRIBUIDORA")}));
    mostra();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Inicio, ADatabaseErrorEndsTheActivationAndLeavesOnlySairUsable) {
    dbs->shared().execute("drop table FORMASPG");
    dbs->release();
    ASSERT_TRUE(cria());
    mostra();
    EXPECT_TRUE(form->activated());
    EXPECT_FALSE(form->activationCompleted());
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("FORMASPG")))
        << env.messages[0].toStdString();
    EXPECT_TRUE(log().startsWith(QStringLiteral("15/03/2024 10:00:00  "))) << log().toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral("FORMASPG")));

    // Steps before the failing one ran, the later ones (session check
    // included) did not.
    EXPECT_EQ(form->sessao.MinutosLogoff, 10);
    EXPECT_FALSE(dm2->Periodo.active());
    EXPECT_FALSE(dm->CONTASPR.active());
    EXPECT_FALSE(form->login->PainelLogin->isVisible());

    EXPECT_TRUE(form->PainelVelmora->isVisible());
    EXPECT_TRUE(form->BitBtn3->isEnabled());
    EXPECT_FALSE(form->BitBtn14->isEnabled());
    EXPECT_FALSE(form->BitBtn11->isEnabled());
    EXPECT_FALSE(form->lista->DBGrid5->isEnabled());
    EXPECT_FALSE(form->conta->DBEdit10->isEnabled());

    // Esc answers "Sair", which closes the window.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form, &esc);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Inicio, AnUnreachableServerIsReportedOnceInPortugueseAndTheWindowStillOpensAndCloses) {
    env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                       linhaIni(kRotuloIP, "127.0.0.1/3") + linhaIni(kRotuloLogoff, "10"));
    ASSERT_TRUE(cria());
    EXPECT_EQ(form->sessao.IPServidorCentral, "127.0.0.1/3");
    mostra();
    // The first failure ends the attempts: one message, naming the server
    // and what the operator can do; the server's words go to the log.
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join(QLatin1Char('|')).toStdString();
    const QString& m = env.messages.front();
    EXPECT_TRUE(m.startsWith(QString::fromUtf8("Não foi possível comunicar com o servidor")))
        << m.toStdString();
    EXPECT_TRUE(m.contains(QStringLiteral("\nServidor: 127.0.0.1/3\n"))) << m.toStdString();
    EXPECT_TRUE(m.contains(QStringLiteral("IP DO SERVIDOR CENTRAL"))) << m.toStdString();
    EXPECT_TRUE(m.contains(QString::fromUtf8("feche-o e abra-o de novo"))) << m.toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral("Unable to complete network request")))
        << log().toStdString();
    EXPECT_FALSE(dm->SQLConnection1.connected());
    EXPECT_FALSE(form->activationCompleted());
    EXPECT_TRUE(form->isVisible());
    form->BitBtn3->click();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Inicio, AServerThatNeverAnswersIsGivenUpAfterTheConnectTimeOut) {
    // A port that takes connections into its queue and never answers them.
    const int escuta = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(escuta, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(escuta, 8), 0);
    ::getsockname(escuta, reinterpret_cast<sockaddr*>(&addr), &len);
    const std::string servidor = "127.0.0.1/" + std::to_string(ntohs(addr.sin_port));
    env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                       linhaIni(kRotuloIP, servidor) + linhaIni(kRotuloLogoff, "10"));
    tempoConexao = 1;  // without it the start would wait for the system's limit
    ASSERT_TRUE(cria());
    mostra();
    ::close(escuta);
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(env.messages.front().contains(QString::fromStdString("Servidor: " + servidor)))
        << env.messages.front().toStdString();
    EXPECT_TRUE(form->activationFailed());
}

TEST_F(Inicio, SairAndClosingTheWindowCloseTheRecordSets) {
    ASSERT_TRUE(cria());
    mostra();
    ASSERT_TRUE(dm->CONTASPR.active());
    ASSERT_TRUE(dm->Query2.active());
    form->BitBtn3->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(dm->Query2.active());
    EXPECT_FALSE(dm2->Periodo.active());
    EXPECT_FALSE(dm->Parcelas.active());
    EXPECT_FALSE(dm->CONTASPR.active());
}

TEST_F(Inicio, EscAndEnterClickTheButtonsHoldingThoseRoles) {
    ASSERT_TRUE(cria());
    form->PainelVelmora->show();
    form->show();
    int cancel = 0, dflt = 0;
    auto* cancelar = new QPushButton(QStringLiteral("c"), form->PainelVelmora);
    auto* padrao = new QPushButton(QStringLiteral("d"), form->PainelVelmora);
    cancelar->show();
    padrao->show();
    QObject::connect(cancelar, &QPushButton::clicked, [&] { ++cancel; });
    QObject::connect(padrao, &QPushButton::clicked, [&] { ++dflt; });
    auto tecla = [&](int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(form, &e);
    };
    tecla(Qt::Key_Escape);
    tecla(Qt::Key_Return);
    EXPECT_EQ(cancel + dflt, 0) << "no button holds a role yet";
    form->setCancelButton(cancelar);
    form->setDefaultButton(padrao);
    tecla(Qt::Key_Escape);
    tecla(Qt::Key_Return);
    EXPECT_EQ(cancel, 1);
    EXPECT_EQ(dflt, 1);
    cancelar->setEnabled(false);
    tecla(Qt::Key_Escape);
    EXPECT_EQ(cancel, 1) << "a disabled button does not answer";
    form->setCancelButton(nullptr);
    cancelar->setEnabled(true);
    tecla(Qt::Key_Escape);
    EXPECT_EQ(cancel, 1);
}

}  // namespace
}  // namespace cp::test
