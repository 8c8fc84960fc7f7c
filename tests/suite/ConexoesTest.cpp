// Connections and the binding of the operating-system user to a work area.
#include <gtest/gtest.h>

#include <QFile>

#include "data/Cp1252.h"
#include "shell/ErrorHandler.h"
#include "suite/AcessoBanco.h"
#include "suite/Conexoes.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/Semeia.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

const QString kAreasEmUso = QStringLiteral(
    "(1) Todas as áreas de trabalho para montagem de pedidos já estão em uso no momento");

TEST(CaminhoGDS, FolderWithOrWithoutFinalSeparatorNamesTheSameLibrary) {
    TestEnvironment env;
    EXPECT_EQ(bibliotecaCliente(env), "") << "no file: the system's default client";

    env.writeSuiteFile(QStringLiteral("CaminhoGDS.txt"), "/opt/firebird/lib\r\nsecond line\r\n");
    EXPECT_EQ(bibliotecaCliente(env), "/opt/firebird/lib/libfbclient.so.2");
    env.writeSuiteFile(QStringLiteral("CaminhoGDS.txt"), "/opt/firebird/lib/\n");
    EXPECT_EQ(bibliotecaCliente(env), "/opt/firebird/lib/libfbclient.so.2");

    env.writeSuiteFile(QStringLiteral("CaminhoGDS.txt"), "\r\n/ignored\r\n");
    EXPECT_EQ(bibliotecaCliente(env), "") << "an empty first line: the default client";

    // Blanks belong to the folder name; the line is read up to 100 characters.
    env.writeSuiteFile(QStringLiteral("CaminhoGDS.txt"), " /opt/fb 3 ");
    EXPECT_EQ(bibliotecaCliente(env), " /opt/fb 3 /libfbclient.so.2");
    env.writeSuiteFile(QStringLiteral("CaminhoGDS.txt"), QByteArray(120, 'x'));
    EXPECT_EQ(bibliotecaCliente(env), std::string(100, 'x') + "/libfbclient.so.2");
}

TEST(CaminhoGDS, ALibraryThatIsNotThereFailsTheConnectionNamingTheFile) {
    TestEnvironment env;
    SuiteDatabases dbs(env.suiteDir());
    semeiaDados(dbs);
    env.writeSuiteFile(QStringLiteral("CaminhoGDS.txt"), "/nao/existe");
    EstadoSessao s;
    TDM dm(env, s);
    try {
        DataModuleCreate(dm);
        FAIL() << "the connection should not open";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("/nao/existe/libfbclient.so.2"), std::string::npos)
            << e.what();
    }
}

TEST(Bancos, DatabaseStringsAreBuiltAsTheSuiteSpellsThem) {
    TestEnvironment env;
    EstadoSessao s;
    s.IPServidorCentral = "192.168.0.10";
    s.Estacao = "03";
    EXPECT_EQ(bancoCompartilhado(s), "192.168.0.10:C:\\brundelo\\dados\\brundelo.bd");
    EXPECT_EQ(bancoEstacao(s), "192.168.0.10:C:\\brundelo\\interfac03\\brundelo.bd");
    // With a server address the strings go to the client unchanged.
    EXPECT_EQ(localDoBanco(bancoEstacao(s), s, env), bancoEstacao(s));

    s.Estacao = "";
    EXPECT_EQ(bancoEstacao(s), "192.168.0.10:C:\\brundelo\\interfac\\brundelo.bd");

    // Without one the embedded files of the suite directory are opened.
    s.IPServidorCentral = "";
    s.Estacao = "12";
    EXPECT_EQ(bancoCompartilhado(s), ":C:\\brundelo\\dados\\brundelo.bd");
    EXPECT_EQ(localDoBanco(bancoCompartilhado(s), s, env),
              (env.suiteDir() + QStringLiteral("dados/brundelo.bd")).toStdString());
    EXPECT_EQ(localDoBanco(bancoEstacao(s), s, env),
              (env.suiteDir() + QStringLiteral("interfac12/brundelo.bd")).toStdString());
}

TEST(Bancos, TheBindingStatementKeepsItsTextAndAQuoteCannotEndTheLiteral) {
    EXPECT_EQ(sqlEstacoesDoUsuario("caixa1"),
              "Select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, "
              "CAMINHOOM, CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, "
              "ROTULO4, ROTULO5, ROTULO6, USUARIO  from ESTACOES where upper(USUARIO) = 'CAIXA1'");
    const std::string sql = sqlEstacoesDoUsuario("o'brien' or ''='");
    EXPECT_EQ(sql.substr(sql.find(" = ")), " = 'O''BRIEN'' OR ''''='''");
}

TEST(Bancos, TheFailureMessageHasSevenLinesSeparatedByCarriageReturns) {
    const QString m = mensagemFalhaEstacao(QStringLiteral("Caixa1"));
    const QStringList linhas = m.split(QLatin1Char('\r'));
    ASSERT_EQ(linhas.size(), 7);
    EXPECT_FALSE(m.contains(QLatin1Char('\n')));
    EXPECT_EQ(linhas[0], QStringLiteral("Não foi possível selecionar uma área de trabalho para o "
                                        "usuário \"Caixa1\". "));
    EXPECT_EQ(linhas[1], QString());
    EXPECT_EQ(linhas[2], QStringLiteral("Causas prováveis: "));
    EXPECT_EQ(linhas[4], QStringLiteral("  1) Na tabela \"Estacoes.db\" não foi incluída uma "
                                        "estação para o usuário \"Caixa1\"."));
    EXPECT_EQ(linhas[5], QStringLiteral("     Obs: Criar também a área de trabalho física (pasta "
                                        "C:\\Brundelo\\InterfacXX) para este usuário."));
    EXPECT_EQ(linhas[6],
              QStringLiteral("  --> Favor contactar o suporte técnico da ZOV SISTEMAS <--"));
}

class Vinculo : public ::testing::Test {
  protected:
    void SetUp() override { dbs = std::make_unique<SuiteDatabases>(env.suiteDir()); }
    void area(const std::string& estacao, const std::string& banco, const std::string& usuario) {
        dbs->shared().execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values (?, ?, ?)",
                              {estacao, banco.empty() ? fb::Value{} : fb::Value{banco}, usuario});
    }
    // Creates TDM as start-up does; returns false when it failed (reported).
    bool criaTDM() {
        dbs->release();
        dm = std::make_unique<TDM>(env, s);
        return guarded(env, [&] { DataModuleCreate(*dm); });
    }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    EstadoSessao s;
    std::unique_ptr<TDM> dm;
};

TEST_F(Vinculo, TheUserMatchesWhateverTheCaseOfLettersAToZ) {
    area("05", "BD05", "caixa1");
    env.setUser(QStringLiteral("CAIXA1"));
    ASSERT_TRUE(criaTDM());
    EXPECT_EQ(s.Estacao, "05");
    EXPECT_EQ(s.NomeUsuario, "CAIXA1") << "the name as the system gives it";
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(SelecionaEstacao(*dm), "BD05");
    EXPECT_TRUE(env.messages.isEmpty());

    env.setUser(QStringLiteral("Caixa1"));
    EXPECT_EQ(SelecionaEstacao(*dm), "BD05");
    // The row is only read: nothing marks it as in use.
    dbs->shared();
    fb::Transaction t = dbs->shared().startTransaction();
    fb::Cursor c = t.open("select EMUSO, ATCAIXA from ESTACOES where ESTACAO = '05'");
    ASSERT_TRUE(c.fetch());
    EXPECT_TRUE(c.isNull(0));
    EXPECT_TRUE(c.isNull(1));
}

TEST_F(Vinculo, AThreeCharacterCodeGivesItsFirstTwoAndTheWorkAreaPathUsesThem) {
    area("123", "BD123", "caixa1");
    ASSERT_TRUE(criaTDM());
    EXPECT_EQ(s.Estacao, "12");
    s.IPServidorCentral = "srv";
    EXPECT_EQ(bancoEstacao(s), "srv:C:\\brundelo\\interfac12\\brundelo.bd");
}

TEST_F(Vinculo, TwoAreasOfOneUserGiveTheFirstInKeyOrder) {
    area("07", "BD07", "caixa1");
    area("03", "BD03", "CAIXA1");
    area("05", "BD05", "caixa1");
    ASSERT_TRUE(criaTDM());
    EXPECT_EQ(s.Estacao, "03");
    EXPECT_EQ(SelecionaEstacao(*dm), "BD03");
}

TEST_F(Vinculo, NoAreaShowsTheTwoMessagesInOrderAndLeavesTheCodeEmpty) {
    area("01", "BD01", "outro");
    ASSERT_TRUE(criaTDM());
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_EQ(env.messages[0], mensagemFalhaEstacao(QStringLiteral("caixa1")));
    EXPECT_EQ(env.messages[1], kAreasEmUso);
    EXPECT_TRUE(s.Estacao.empty());
    EXPECT_EQ(s.NomeUsuario, "caixa1");
}

TEST_F(Vinculo, AnAreaWithoutDatabaseNameShowsOnlyTheAreasInUseMessage) {
    area("04", "", "caixa1");
    ASSERT_TRUE(criaTDM());
    EXPECT_EQ(env.messages, QStringList{kAreasEmUso});
    EXPECT_EQ(s.Estacao, "04");
}

TEST_F(Vinculo, AUserNameWithQuotesIsMatchedAsTextAndSelectsNothingElse) {
    area("01", "BD01", "caixa1");
    area("02", "BD02", "o'neil");
    env.setUser(QStringLiteral("x' or '1'='1"));
    ASSERT_TRUE(criaTDM()) << env.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(s.Estacao.empty()) << "the statement's condition was not changed by the name";
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_EQ(env.messages[0], mensagemFalhaEstacao(QStringLiteral("x' or '1'='1")));

    env.messages.clear();
    env.setUser(QStringLiteral("O'Neil"));
    EXPECT_EQ(SelecionaEstacao(*dm), "BD02");
    EXPECT_EQ(s.Estacao, "02");
}

TEST_F(Vinculo, AnUnreachableServerIsReportedAndTheRestOfTheCreationSkipped) {
    area("01", "BD01", "caixa1");
    s.IPServidorCentral = "127.0.0.1/3";  // nothing listens on port 3
    EXPECT_FALSE(criaTDM());
    ASSERT_EQ(env.messages.size(), 1) << "no binding messages after the failed open";
    EXPECT_NE(env.messages[0], kAreasEmUso);
    EXPECT_TRUE(env.suiteFileExists(QString::fromLatin1(kErrorLogName)));
    EXPECT_EQ(dm->SQLConnection1.database(), "127.0.0.1/3:C:\\brundelo\\dados\\brundelo.bd");
    // A server address: the network only, waiting a bounded time for it.
    EXPECT_EQ(dm->SQLConnection1.params().provider, fb::AttachParams::Provider::Remote);
    EXPECT_EQ(dm->SQLConnection1.connectTimeout(), kTempoConexaoSegundos);
    // In Portuguese, naming the database and the error's code; the client's
    // own text is kept in the log.
    EXPECT_TRUE(env.messages[0].startsWith(QString::fromUtf8("Não foi possível comunicar")))
        << env.messages[0].toStdString();
    EXPECT_TRUE(env.messages[0].contains(
        QStringLiteral("Banco de dados: 127.0.0.1/3:C:\\brundelo\\dados\\brundelo.bd\nCódigo")));
    QFile log(env.suiteFile(QString::fromLatin1(kErrorLogName)));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Unable to complete network request"));

    // Start-up goes on with the work area's module, which fails the same way;
    // its message says why the path has no work area's code.
    TDM2 dm2(env, s);
    EXPECT_FALSE(guarded(env, [&] { DataModuleCreate(dm2); }));
    EXPECT_EQ(dm2.SQLConnection1.database(), "127.0.0.1/3:C:\\brundelo\\interfac\\brundelo.bd");
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_TRUE(env.messages[1].contains(QString::fromUtf8(
        "interfac\\brundelo.bd (sem o código da área de trabalho: nenhuma foi selecionada")))
        << env.messages[1].toStdString();
}

TEST_F(Vinculo, AMissingEmbeddedDatabaseIsNamedInTheMessage) {
    area("09", "BD09", "caixa1");
    ASSERT_TRUE(criaTDM());
    ASSERT_EQ(s.Estacao, "09");
    TDM2 dm2(env, s);
    EXPECT_FALSE(guarded(env, [&] { DataModuleCreate(dm2); }));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(env.suiteDir() + QStringLiteral("interfac09/brundelo.bd")))
        << env.messages[0].toStdString();

    // The work area that exists opens, with its own character set.
    s.Estacao = "01";
    EXPECT_TRUE(guarded(env, [&] { DataModuleCreate(dm2); }));
    EXPECT_TRUE(dm2.SQLConnection1.connected());
    EXPECT_EQ(dm2.SQLConnection1.params().charset, "WIN1252");
    EXPECT_EQ(dm->SQLConnection1.params().charset, "");
    EXPECT_EQ(dm->SQLConnection1.params().role, "RoleName");
    EXPECT_EQ(dm->SQLConnection1.params().password, "vostremal");
    // No server address: the embedded engine only, never a server on this
    // computer with the suite's password.
    EXPECT_EQ(dm->SQLConnection1.params().provider, fb::AttachParams::Provider::Embedded);
    EXPECT_EQ(dm2.SQLConnection1.params().provider, fb::AttachParams::Provider::Embedded);
}

}  // namespace
}  // namespace cp::test
