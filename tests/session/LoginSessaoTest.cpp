// The session check at the end of the window's activation and the login
// panel, on fresh embedded suite databases with the users each test inserts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QtTest/QTest>
#include <memory>

#include "app/Form1.h"
#include "logic/Sessao.h"
#include "logic/UChKProt.h"
#include "payables/ListaContas.h"
#include "session/LoginSessao.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "suite/Modules.h"
#include "support/LocaleGuard.h"
#include "support/ProgramaEmTeste.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

const QString kTituloInicial = QStringLiteral(" BRUNDELO - Financeiro");

// An access text whose 3rd character stands for the login name's first
// letter (code + 4) and whose 7th for the check text of LOGON.LLF (code + 8).
std::string acessoPara(char inicialNome, char conferencia) {
    std::string a = "AB?DEF?HIJ";
    a[2] = static_cast<char>(inicialNome + 4);
    a[6] = static_cast<char>(conferencia + 8);
    return a;
}

class LoginSessaoTest : public ::testing::Test, public ProgramaEmTeste {
  protected:
    LocaleGuard brasil;

    void SetUp() override {
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        fb::Attachment& s = dbs->shared();
        s.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'B01', ?)",
                  {std::string("caixa1")});
        s.execute("insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) values ('P', 'B', '1')");
        // The last account (the current one after start-up) has no payment
        // condition.
        s.execute(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, CONDPAGTO) "
            "values (1, '01', 'P', 'Aluguel', 'A VISTA')");
        s.execute(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO) "
            "values (2, '01', 'P', 'Frascos')");
        dbs->workstation().execute(
            "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-03-01', '2024-03-31')");
        usuario("MARIA", "SEGRED", acessoPara('M', 'M'));
        dbs->release();
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                           "TEMPO PARA LOGOFF AUTOMATICO...................: 5\r\n");
    }

    void TearDown() override { fecha(); }

    void usuario(const std::string& nome, const std::string& senha, const std::string& acesso) {
        dbs->shared().execute("insert into USUARIOS (USUARIO, SENHA, ACESSO) values (?, ?, ?)",
                              {CodificaSenha(nome), CodificaSenha(senha), acesso});
    }

    // Start-up in the program's order, then the window is shown and its
    // activation runs (the session check is its last step).
    void inicia() {
        fecha();
        ASSERT_TRUE(ProgramaEmTeste::inicia(env, env.suiteDir()));
        form->show();
        QApplication::setActiveWindow(form);
        for (int i = 0; i < 10 && !form->activated(); ++i) QApplication::processEvents();
        QApplication::processEvents();
        ASSERT_TRUE(form->activated());
        login = form->login.get();
    }

    void fecha() {
        login = nullptr;
        encerra();
    }

    void logon(const QByteArray& bytes) { env.writeSuiteFile(kArqLogon, bytes); }
    void em(int h, int m, int s) { env.setNow(QDateTime(QDate(2024, 3, 15), QTime(h, m, s))); }
    bool painelVisivel() const { return login->PainelLogin->isVisible(); }
    QWidget* foco() const { return QApplication::focusWidget(); }

    // Types into the focused control as the operator does.
    void digita(const QString& text) { QTest::keyClicks(foco(), text); }
    void tecla(Qt::Key key) { QTest::keyClick(foco(), key); }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    LoginSessao* login = nullptr;
};

TEST_F(LoginSessaoTest, WithoutSessionFilesThePanelCoversTheWindowWithTheSystemUser) {
    inicia();
    ASSERT_TRUE(painelVisivel());
    EXPECT_EQ(login->PainelLogin->geometry(), form->centralWidget()->rect());
    EXPECT_EQ(login->EditNome->text(), QStringLiteral("caixa1"));
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("  Contas a Pagar  -  Usuário: \"caixa1\"   Estação: 01"));
    EXPECT_EQ(foco(), login->EditNome);
    EXPECT_EQ(form->cancelButton(), login->BotCancSenha);
    EXPECT_FALSE(env.suiteFileExists(kArqUltAtiv));

    // Geometry, texts and the tab order of the box.
    EXPECT_EQ(login->Panel48->geometry(), QRect(231, 132, 323, 25));
    EXPECT_EQ(login->Panel48->text(), QStringLiteral("Identificação do Usuário"));
    EXPECT_EQ(login->EditNome->geometry(), QRect(290, 176, 166, 27));
    EXPECT_EQ(login->EditSenhaU->geometry(), QRect(290, 207, 73, 27));
    EXPECT_EQ(login->BotOkSenha->geometry(), QRect(477, 175, 69, 25));
    EXPECT_EQ(login->BotCancSenha->geometry(), QRect(477, 204, 69, 25));
    EXPECT_EQ(login->BotCancSenha->text(), QStringLiteral("Cancela"));
    EXPECT_EQ(login->Label429->pos(), QPoint(246, 179));
    EXPECT_EQ(login->Label430->pos(), QPoint(245, 210));
    EXPECT_EQ(login->BevelCaixa->geometry(), QRect(227, 127, 331, 131));
    EXPECT_EQ(login->BevelCampos->geometry(), QRect(235, 161, 234, 89));
    EXPECT_EQ(login->EditNome->font().family(), QStringLiteral("Liberation Serif"));
    login->EditSenhaU->setText(QStringLiteral("abc"));
    EXPECT_EQ(login->EditSenhaU->displayText(), QStringLiteral("###"));
    tecla(Qt::Key_Tab);
    EXPECT_EQ(foco(), login->EditSenhaU);
    tecla(Qt::Key_Tab);
    EXPECT_EQ(foco(), login->BotOkSenha);
    tecla(Qt::Key_Tab);
    EXPECT_EQ(foco(), login->BotCancSenha);
    // The controls under the panel stay out of reach of the keyboard.
    tecla(Qt::Key_Tab);
    EXPECT_EQ(foco(), login->EditNome);
    tecla(Qt::Key_Backtab);
    EXPECT_EQ(foco(), login->BotCancSenha);
}

TEST_F(LoginSessaoTest, AcceleratorsUnderThePanelWaitForTheLogin) {
    inicia();
    auto* botao = new QPushButton(QStringLiteral("&Zeta"), form->PainelVelmora);
    botao->show();
    int cliques = 0;  // an accelerator presses the button at once and releases it later
    QObject::connect(botao, &QPushButton::pressed, [&] { ++cliques; });
    QTest::keyClick(foco(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_EQ(cliques, 0);
    login->EditNome->setText(QStringLiteral("MARIA"));
    login->EditSenhaU->setText(QStringLiteral("SEGRED"));
    login->BotOkSenha->click();
    ASSERT_FALSE(painelVisivel());
    QTest::keyClick(foco(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_EQ(cliques, 1);
}

TEST_F(LoginSessaoTest, TheMarkerSkipsTheLoginAndTheDueListTakesTheFocus) {
    env.writeSuiteFile(kArqSaltaCP, "");
    logon("MARIA\r\nm\r\n14/03/24\r\n10:00:00\r\n");  // stale: still read and deleted
    em(9, 41, 7);
    inicia();
    EXPECT_FALSE(painelVisivel());
    EXPECT_EQ(form->windowTitle(), kTituloInicial);
    EXPECT_FALSE(env.suiteFileExists(kArqLogon));
    QFile f(env.suiteFile(kArqUltAtiv));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("15/03/24\r\n09:41:07\r\n"));
    EXPECT_EQ(foco(), form->lista->DBGrid5);
    EXPECT_NE(form->cancelButton(), login->BotCancSenha);
}

TEST_F(LoginSessaoTest, ATodaysSessionResumesWithinTheIdleLimitToTheSecond) {
    const std::string chave = CodificaSenha("MARIA");
    const QByteArray logonMaria =
        QByteArray::fromStdString(chave) + "\r\nm\r\n15/03/24\r\n10:00:00\r\n";
    struct Caso {
        int h, m, s;
        bool retoma;
    };
    for (Caso c : {Caso{10, 4, 59, true}, Caso{10, 5, 0, true}, Caso{10, 5, 1, false}}) {
        QFile::remove(env.suiteFile(kArqUltAtiv));
        logon(logonMaria);
        em(c.h, c.m, c.s);
        inicia();
        EXPECT_EQ(painelVisivel(), !c.retoma) << c.m << ":" << c.s;
        EXPECT_EQ(env.suiteFileExists(kArqLogon), c.retoma);
        EXPECT_EQ(form->sessao.NomeUsuario, chave);
        if (c.retoma) {
            EXPECT_EQ(form->windowTitle(), kTituloInicial);
            EXPECT_EQ(form->sessao.AcessoUsuario, acessoPara('M', 'M'));
        }
    }
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(LoginSessaoTest, SessionsThatMayNotResumeShowTheLoginWithTheStoredName) {
    const std::string chave = CodificaSenha("MARIA");
    const QByteArray k = QByteArray::fromStdString(chave);
    // Yesterday's session: both files go.
    logon(k + "\r\nm\r\n14/03/24\r\n10:00:00\r\n");
    env.writeSuiteFile(kArqUltAtiv, "14/03/24\r\n10:00:00\r\n");
    inicia();
    EXPECT_TRUE(painelVisivel());
    EXPECT_EQ(login->EditNome->text(), QString::fromStdString(chave));
    EXPECT_FALSE(env.suiteFileExists(kArqLogon));
    EXPECT_FALSE(env.suiteFileExists(kArqUltAtiv));

    // A last activity of yesterday, at a later time of day than now: stale.
    logon(k + "\r\nm\r\n15/03/24\r\n09:59:00\r\n");
    env.writeSuiteFile(kArqUltAtiv, "14/03/24\r\n23:00:00\r\n");
    em(10, 0, 0);
    inicia();
    EXPECT_TRUE(painelVisivel());
    EXPECT_FALSE(env.suiteFileExists(kArqLogon));
    EXPECT_FALSE(env.suiteFileExists(kArqUltAtiv));

    // An empty line 2 never resumes; the current files stay.
    logon(k + "\r\n\r\n15/03/24\r\n09:59:00\r\n");
    inicia();
    EXPECT_TRUE(painelVisivel());
    EXPECT_TRUE(env.suiteFileExists(kArqLogon));

    // A check text that does not match the user's access text.
    logon(k + "\r\nx\r\n15/03/24\r\n09:59:00\r\n");
    inicia();
    EXPECT_TRUE(painelVisivel());
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(LoginSessaoTest, BadSessionFilesShowTheLoginWithoutAMessage) {
    for (const QByteArray& bytes :
         {QByteArray("\x00\xff\x01\r\n\x80", 6), QByteArray(), QByteArray("MARIA"),
          QByteArray("MARIA\r\nm\r\n2024-03-15\r\n10:00:00\r\n")}) {
        logon(bytes);
        inicia();
        EXPECT_TRUE(painelVisivel());
        EXPECT_EQ(form->cancelButton(), login->BotCancSenha);
    }
    EXPECT_TRUE(env.messages.isEmpty());
    QFile log(env.suiteFile(kErrorLogName));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count("LOGON.LLF"), 4);
}

TEST_F(LoginSessaoTest, ADatabaseErrorInTheStoredCheckIsReportedAndTheLoginShown) {
    dbs->shared().execute("drop table USUARIOS");
    dbs->release();
    logon(QByteArray::fromStdString(CodificaSenha("MARIA")) + "\r\nm\r\n15/03/24\r\n10:00:00\r\n");
    inicia();
    EXPECT_TRUE(painelVisivel());
    EXPECT_EQ(env.messages.size(), 1);
    EXPECT_EQ(form->cancelButton(), login->BotCancSenha);
}

TEST_F(LoginSessaoTest, TheOperatorLogsInWithTheKeyboardAndEscThenClosesTheProgram) {
    inicia();
    login->EditNome->clear();
    digita(QStringLiteral("maria"));
    tecla(Qt::Key_Return);
    EXPECT_EQ(foco(), login->EditSenhaU);
    EXPECT_EQ(login->EditNome->text(), QStringLiteral("MARIA"));  // upper-cased on leaving
    digita(QStringLiteral("segred"));
    tecla(Qt::Key_Return);

    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
    EXPECT_FALSE(painelVisivel());
    EXPECT_TRUE(login->EditNome->text().isEmpty());
    EXPECT_TRUE(login->EditSenhaU->text().isEmpty());
    EXPECT_EQ(form->sessao.NomeUsuario, "MARIA");
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("  Contas a Pagar  -  Usuário: \"MARIA\"   Estação: 01"));
    EXPECT_EQ(form->cancelButton(), form->BitBtn3);
    // The current account has no payment condition: the due list has the focus.
    EXPECT_EQ(foco(), form->lista->DBGrid5);
    EXPECT_FALSE(env.suiteFileExists(kArqUltAtiv));  // a login writes nothing

    tecla(Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(LoginSessaoTest, RefusedLoginsSayWhyAndKeepThePanel) {
    dbs->shared().execute("insert into USUARIOS (USUARIO, SENHA, ACESSO) values (?, ?, ?)",
                          {CodificaSenha("JOSE"), CodificaSenha("123"), std::string("AB")});
    dbs->release();
    inicia();

    login->EditNome->clear();
    login->BotOkSenha->click();
    EXPECT_EQ(env.messages.value(0), QStringLiteral("Não foi informado o Nome do Usuário."));
    EXPECT_EQ(foco(), login->EditNome);
    EXPECT_EQ(form->sessao.NomeUsuario, "caixa1");

    login->EditNome->setText(QStringLiteral("pedro"));
    login->BotOkSenha->click();
    EXPECT_EQ(env.messages.value(1), QStringLiteral("Usuário pedro não autorizado"));
    EXPECT_EQ(form->sessao.NomeUsuario, "PEDRO");  // every attempt names the user
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("  Contas a Pagar  -  Usuário: \"PEDRO\"   Estação: 01"));

    login->EditNome->setText(QStringLiteral("MARIA"));
    login->EditSenhaU->setText(QStringLiteral("errada"));
    login->BotOkSenha->click();
    EXPECT_EQ(env.messages.value(2), QStringLiteral("Senha incorreta. Tente novamente."));
    EXPECT_EQ(foco(), login->EditSenhaU);

    // Right password, but the access text fails its 3rd-character check.
    login->EditNome->setText(QStringLiteral("JOSE"));
    login->EditSenhaU->setText(QStringLiteral("123"));
    login->BotOkSenha->click();
    EXPECT_EQ(env.messages.value(3), QStringLiteral("Usuário JOSE não autorizado"));
    EXPECT_EQ(login->EditNome->text(), QStringLiteral("JOSE"));
    EXPECT_TRUE(painelVisivel());
    EXPECT_EQ(form->cancelButton(), login->BotCancSenha);
    EXPECT_EQ(env.messages.size(), 4);
}

TEST_F(LoginSessaoTest, StoredKeysOfThirtyAndTwelveLettersMatchFifteenAndSixCharacters) {
    const std::string nome = "FARMACEUTICA123";  // 15 characters: 30 letters
    ASSERT_EQ(CodificaSenha(nome).size(), 30u);
    ASSERT_EQ(CodificaSenha("xy12ab").size(), 12u);
    usuario(nome, "XY12AB", acessoPara('F', 'F'));
    dbs->release();
    inicia();
    login->EditNome->setText(QStringLiteral("farmaceutica123"));
    login->EditSenhaU->setText(QStringLiteral("xy12ab"));  // upper-cased before scrambling
    login->BotOkSenha->click();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
    EXPECT_FALSE(painelVisivel());
    EXPECT_EQ(form->sessao.NomeUsuario, nome);
}

TEST_F(LoginSessaoTest, CancelaAndEscWhileThePanelIsUpCloseTheProgram) {
    inicia();
    tecla(Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    inicia();
    login->BotCancSenha->click();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(LoginSessaoTest, LeavingTheNameBoxUpperCasesOnlyTheLettersAToZ) {
    inicia();
    login->EditNome->setText(QStringLiteral("joão b"));
    tecla(Qt::Key_Tab);
    EXPECT_EQ(login->EditNome->text(), QStringLiteral("JOãO B"));
    // A name Windows-1252 cannot hold is refused with a message, nothing changed.
    login->EditNome->setText(QStringLiteral("ma\u0107"));
    login->BotOkSenha->click();
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("U+0107")));
    EXPECT_EQ(form->sessao.NomeUsuario, "caixa1");
    EXPECT_TRUE(painelVisivel());
}

}  // namespace
}  // namespace cp::test
