// The general error handler: what a handler throws is shown, logged with the
// date and time in the suite directory, and the program runs on.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include "data/Field.h"
#include "fb/fb.h"
#include "shell/DesktopEnvironment.h"
#include "shell/ErrorHandler.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

QStringList linhasDoLog(const TestEnvironment& env) {
    QFile f(env.suiteFile(QString::fromLatin1(kErrorLogName)));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST(ErrorHandler, AnErrorThrownByAHandlerIsShownLoggedAndTheProgramRunsOn) {
    TestEnvironment env;
    QPushButton botao;
    int cliques = 0;
    connectGuarded(env, &botao, &QPushButton::clicked, &botao, [&] {
        ++cliques;
        if (cliques == 1) throw fb::Error("Table unknown\nFORMASPG", -204, 335544580);
        if (cliques == 2) throw std::runtime_error("segundo erro");
        throw 42;
    });
    botao.click();
    env.setNow(QDateTime(QDate(2024, 3, 15), QTime(10, 5, 7)));
    botao.click();
    botao.click();
    EXPECT_EQ(cliques, 3) << "every click still reaches the handler";
    EXPECT_EQ(env.messages,
              (QStringList{QStringLiteral("Table unknown\nFORMASPG"),
                           QStringLiteral("segundo erro"), QStringLiteral("Erro desconhecido.")}));
    const QStringList log = linhasDoLog(env);
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0], QStringLiteral("15/03/2024 10:00:00  Table unknown | FORMASPG"));
    EXPECT_EQ(log[1], QStringLiteral("15/03/2024 10:05:07  segundo erro"));
}

TEST(ErrorHandler, GuardedTellsWhetherTheStepRanToItsEnd) {
    TestEnvironment env;
    bool depois = false;
    EXPECT_TRUE(guarded(env, [] {}));
    EXPECT_FALSE(guarded(env, [&] {
        throw DataError("Field 'ESTACAO' must have a value");
        depois = true;
    }));
    EXPECT_FALSE(depois);
    EXPECT_EQ(env.messages, QStringList{QStringLiteral("Field 'ESTACAO' must have a value")});
}

TEST(ErrorHandler, AnErrorTextInWindows1252IsShownAsSuch) {
    // A typed value quoted in a record-set message arrives as database bytes.
    const std::runtime_error e("'a\xE7\xE3o' is not a valid date");
    EXPECT_EQ(errorText(e), QStringLiteral("'ação' is not a valid date"));
    const std::runtime_error u("Banco de dados não encontrado");
    EXPECT_EQ(errorText(u), QStringLiteral("Banco de dados não encontrado"));
}

TEST(ErrorHandler, ADatabaseFailureIsShownInPortugueseAndTheServersTextIsLogged) {
    TestEnvironment env;
    EXPECT_FALSE(guarded(env, [] {
        throw fb::Error("violation of PRIMARY or UNIQUE KEY constraint \"PK_FORNECEDORES\"", -803,
                        335544665);
    }));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].startsWith(QString::fromUtf8("Já existe um registro")));
    const QStringList log = linhasDoLog(env);
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(QString::fromUtf8("Já existe um registro")));
    EXPECT_TRUE(log[0].contains(QStringLiteral("[violation of PRIMARY or UNIQUE KEY constraint")));
}

TEST(ErrorHandler, TheLogIsNotWrittenThroughASymbolicLink) {
    TestEnvironment env;
    QTemporaryDir fora;
    const QString alvo = fora.filePath(QStringLiteral("alheio.txt"));
    {
        QFile f(alvo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("intacto\n");
    }
    ASSERT_TRUE(QFile::link(alvo, env.suiteFile(QString::fromLatin1(kErrorLogName))));
    guarded(env, [] { throw std::runtime_error("um erro"); });
    EXPECT_EQ(env.messages, QStringList{QStringLiteral("um erro")});  // still shown
    QFile f(alvo);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("intacto\n"));
}

TEST(DesktopEnvironment, TheSuiteDirectoryComesFromBrundeloHome) {
    EXPECT_EQ(suiteDirFrom(QString()), QStringLiteral("/opt/brundelo/"));
    EXPECT_EQ(suiteDirFrom(QStringLiteral("/srv/suite")), QStringLiteral("/srv/suite/"));
    EXPECT_EQ(suiteDirFrom(QStringLiteral("/srv/suite/")), QStringLiteral("/srv/suite/"));
    DesktopEnvironment env;
    EXPECT_FALSE(env.osUserName().isEmpty());
    EXPECT_TRUE(env.suiteDir().endsWith(QLatin1Char('/')));
}

}  // namespace
}  // namespace cp::test
