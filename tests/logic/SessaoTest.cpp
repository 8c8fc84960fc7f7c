// The session files and the idle limit, without the login panel.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>

#include "logic/Sessao.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

QByteArray readSuiteFile(const TestEnvironment& env, const char* name) {
    QFile f(env.suiteFile(QString::fromLatin1(name)));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QByteArray logText(const TestEnvironment& env) { return readSuiteFile(env, kErrorLogName); }

TEST(SessaoArquivos, LinesEndAtCrLfCrOrLfAndAreCutToTheirWidths) {
    TestEnvironment env;
    env.writeSuiteFile("a.txt", QByteArray("um\r\ndois\rtres\nquatro-quatro\r\ncinco"));
    auto lines = leLinhas(env.suiteFile("a.txt"), {60, 60, 60, 6, 60});
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"um", "dois", "tres", "quatro", "cinco"}));

    env.writeSuiteFile("b.txt", QByteArray(70, 'x') + "\r\n" + QByteArray(25, '1') + "\r\n");
    lines = leLinhas(env.suiteFile("b.txt"), {60, 20, 20, 20});
    ASSERT_TRUE(lines);
    EXPECT_EQ((*lines)[0], std::string(60, 'x'));
    EXPECT_EQ((*lines)[1], std::string(20, '1'));
    EXPECT_EQ((*lines)[2], "");  // past the end of the file
    EXPECT_EQ((*lines)[3], "");
}

TEST(SessaoArquivos, AFileThatCannotBeReadGivesNothing) {
    TestEnvironment env;
    EXPECT_FALSE(leLinhas(env.suiteFile("nao-existe.txt"), {20}));
    QDir().mkpath(env.suiteFile("pasta"));
    EXPECT_FALSE(leLinhas(env.suiteFile("pasta"), {20}));
}

TEST(SessaoDatas, DatesAreReadDayMonthYearWithTheFiftyYearWindow) {
    const QDate hoje(2024, 3, 15);
    EXPECT_EQ(leData("15/03/24", hoje), QDate(2024, 3, 15));
    EXPECT_EQ(leData(" 5/3/24 ", hoje), QDate(2024, 3, 5));
    EXPECT_EQ(leData("15/03/2024", hoje), QDate(2024, 3, 15));
    EXPECT_EQ(leData("01/01/74", hoje), QDate(1974, 1, 1));
    EXPECT_EQ(leData("01/01/73", hoje), QDate(2073, 1, 1));
    EXPECT_EQ(leData("29/02/24", hoje), QDate(2024, 2, 29));
    for (const char* bad : {"", "2024-03-15", "15.03.24", "31/02/24", "00/03/24", "15/13/24",
                            "15/03/241", "15/03", "15/03/24x", "\x01\xff\x7f"})
        EXPECT_FALSE(leData(bad, hoje)) << bad;
}

TEST(SessaoDatas, TimesAreReadAndWrittenAsHoursMinutesSeconds) {
    EXPECT_EQ(leHora("10:00:00"), QTime(10, 0, 0));
    EXPECT_EQ(leHora("9:5"), QTime(9, 5, 0));
    EXPECT_EQ(leHora(" 23:59:59.5 "), QTime(23, 59, 59, 500));
    for (const char* bad :
         {"", "24:00:00", "10:60:00", "10:00:60", "10.00.00", "10", "10:00:00 PM", "aa:bb:cc"})
        EXPECT_FALSE(leHora(bad)) << bad;
    EXPECT_EQ(formataHora(QTime(7, 3, 9)), "07:03:09");
    EXPECT_EQ(formataData(QDate(2024, 3, 5)), "05/03/24");
}

TEST(SessaoLimite, TheLastActivityMustBeOfTodayAndWithinTheLimitToTheSecond) {
    const QDate hoje(2024, 3, 15);
    auto dentro = [&](QTime ultima, QTime agora, int minutos, QDate dia = QDate(2024, 3, 15)) {
        return dentroDoLimite(QDateTime(dia, ultima), QDateTime(hoje, agora), minutos);
    };
    EXPECT_TRUE(dentro(QTime(10, 0, 0), QTime(10, 5, 0, 999), 5));
    EXPECT_FALSE(dentro(QTime(10, 0, 0), QTime(10, 5, 1), 5));
    EXPECT_TRUE(dentro(QTime(9, 0, 0), QTime(10, 5, 0), 65));    // 60 or more: that many minutes
    EXPECT_FALSE(dentro(QTime(10, 0, 0), QTime(10, 5, 1), -1));  // negative: 5 minutes
    EXPECT_TRUE(dentro(QTime(0, 1, 0), QTime(0, 3, 0), 5));      // just after midnight
    // A day or more: the same day only, however large the limit.
    for (int minutos : {1440, 100000, 2147483647}) {
        EXPECT_TRUE(dentro(QTime(0, 0, 1), QTime(23, 59, 59), minutos)) << minutos;
        EXPECT_FALSE(dentro(QTime(23, 0, 0), QTime(0, 1, 0), minutos, hoje.addDays(-1))) << minutos;
    }
    // Another day never counts, whatever its time of day.
    EXPECT_FALSE(dentro(QTime(10, 4, 0), QTime(10, 5, 0), 5, hoje.addDays(-1)));
    EXPECT_FALSE(dentro(QTime(23, 59, 0), QTime(0, 1, 0), 5, hoje.addDays(-1)));
}

TEST(SessaoAcesso, TheCharacterAtThePositionLessTheOffsetMustMatch) {
    // 'M' + 8 = 'U': the 7th character of this text stands for 'M'.
    EXPECT_TRUE(acessoConfere("xxxxxxU", 7, 8, 'M'));
    EXPECT_FALSE(acessoConfere("xxxxxxU", 7, 8, 'N'));
    EXPECT_FALSE(acessoConfere("xxxxxx", 7, 8, 'M'));
    EXPECT_FALSE(acessoConfere("xxxxxxU", 7, 8, std::nullopt));
    // Modulo 256: a code below the offset wraps around.
    EXPECT_TRUE(acessoConfere(std::string("xx\x02", 3), 3, 4, '\xfe'));
}

// A lookup of ACESSO by USUARIO over a fixed table, counting its calls.
struct UsuariosFalsos {
    std::map<std::string, std::string> rows;
    int calls = 0;
    BuscaAcesso busca() {
        return [this](const std::string& u) -> std::optional<std::string> {
            ++calls;
            auto it = rows.find(u);
            if (it == rows.end()) return std::nullopt;
            return it->second;
        };
    }
};

TEST(SessaoLogonGravado, TheStoredUserResumesOnlyWithAMatchingCheckText) {
    UsuariosFalsos usuarios;
    usuarios.rows["BLBDAL"] = "123456Ixx";  // 'I' - 8 = 'A'
    EstadoSessao s;
    s.NomeUsuario = "BLBDAL";
    s.ConferenciaLogon = "abc";  // upper-cased: 'A'
    EXPECT_EQ(verificaLogonGravado(s, usuarios.busca()), "123456Ixx");
    EXPECT_EQ(s.NomeUsuarioMaiusc, "ABC");
    EXPECT_EQ(s.AcessoUsuario, "123456Ixx");

    s.ConferenciaLogon = "";  // an empty line 2 never resumes
    EXPECT_EQ(verificaLogonGravado(s, usuarios.busca()), "");
    s.ConferenciaLogon = "B";
    EXPECT_EQ(verificaLogonGravado(s, usuarios.busca()), "");
    s.NomeUsuario = "OUTRO";
    s.ConferenciaLogon = "A";
    EXPECT_EQ(verificaLogonGravado(s, usuarios.busca()), "");
    usuarios.rows["OUTRO"] = "";  // an empty ACESSO never resumes
    EXPECT_EQ(verificaLogonGravado(s, usuarios.busca()), "");

    const int calls = usuarios.calls;
    s.NomeUsuario = "";
    EXPECT_EQ(verificaLogonGravado(s, usuarios.busca()), "");
    EXPECT_EQ(usuarios.calls, calls);  // no name: the users are not looked at
}

// The file part of the session check, with a stored-user check that says yes
// unless told otherwise.
class SessaoVerificacao : public ::testing::Test {
  protected:
    TestEnvironment env;
    EstadoSessao s;
    int checks = 0;
    std::string acesso = "acesso";

    void SetUp() override {
        s.NomeUsuario = "caixa1";
        s.MinutosLogoff = 5;
    }
    void logon(const QByteArray& bytes) { env.writeSuiteFile(kArqLogon, bytes); }
    void ultAtiv(const QByteArray& bytes) { env.writeSuiteFile(kArqUltAtiv, bytes); }
    void marker() { env.writeSuiteFile(kArqSaltaCP, ""); }
    void at(int h, int m, int sec) { env.setNow(QDateTime(QDate(2024, 3, 15), QTime(h, m, sec))); }
    bool run() {
        return verificaArquivosSessao(env, s, [this] {
            ++checks;
            return acesso;
        });
    }
    bool exists(const char* name) { return env.suiteFileExists(name); }
};

TEST_F(SessaoVerificacao, NoFilesAndNoMarkerShowTheLogin) {
    EXPECT_FALSE(run());
    EXPECT_EQ(s.NomeUsuario, "caixa1");  // the operating-system name stays
    EXPECT_FALSE(exists(kArqUltAtiv));
    EXPECT_EQ(checks, 0);
}

TEST_F(SessaoVerificacao, TheMarkerSkipsTheLoginAndRewritesTheLastActivity) {
    marker();
    at(14, 7, 9);
    EXPECT_TRUE(run());
    EXPECT_EQ(readSuiteFile(env, kArqUltAtiv), QByteArray("15/03/24\r\n14:07:09\r\n"));
}

TEST_F(SessaoVerificacao, TheMarkerStillLetsStaleFilesBeReadAndDeleted) {
    marker();
    logon("USUARIO\r\nconf\r\n14/03/24\r\n09:00:00\r\n");
    ultAtiv("14/03/24\r\n09:30:00\r\n");
    EXPECT_TRUE(run());
    EXPECT_EQ(s.NomeUsuario, "USUARIO");
    EXPECT_EQ(s.ConferenciaLogon, "conf");
    EXPECT_FALSE(exists(kArqLogon));
    EXPECT_EQ(readSuiteFile(env, kArqUltAtiv), QByteArray("15/03/24\r\n10:00:00\r\n"));
}

TEST_F(SessaoVerificacao, YesterdaysSessionDeletesBothFiles) {
    logon("USUARIO\r\nconf\r\n14/03/24\r\n10:00:00\r\n");
    ultAtiv("15/03/24\r\n10:00:00\r\n");
    EXPECT_FALSE(run());
    EXPECT_EQ(s.NomeUsuario, "USUARIO");  // kept for the name box
    EXPECT_FALSE(exists(kArqLogon));
    EXPECT_FALSE(exists(kArqUltAtiv));
    EXPECT_EQ(checks, 0);
}

TEST_F(SessaoVerificacao, TheIdleLimitIsInclusiveToTheSecond) {
    const QByteArray file("USUARIO\r\nconf\r\n15/03/24\r\n10:00:00\r\n");
    for (int sec : {59, 0}) {
        logon(file);
        if (sec == 59)
            at(10, 4, 59);
        else
            at(10, 5, 0);
        EXPECT_TRUE(run()) << sec;
        EXPECT_TRUE(exists(kArqLogon));
        EXPECT_EQ(readSuiteFile(env, kArqUltAtiv).mid(10),
                  sec == 59 ? "10:04:59\r\n" : "10:05:00\r\n");
        QFile::remove(env.suiteFile(kArqUltAtiv));
    }
    EXPECT_EQ(checks, 2);
    logon(file);
    at(10, 5, 1);
    EXPECT_FALSE(run());
    EXPECT_FALSE(exists(kArqLogon));
    EXPECT_FALSE(exists(kArqUltAtiv));
    EXPECT_EQ(checks, 2);
}

TEST_F(SessaoVerificacao, TheLastActivityFileTimeReplacesTheLastLoginTime) {
    logon("USUARIO\r\nconf\r\n15/03/24\r\n08:00:00\r\n");
    ultAtiv("15/03/24\r\n09:58:00\r\n");
    EXPECT_TRUE(run());
    EXPECT_EQ(readSuiteFile(env, kArqUltAtiv), QByteArray("15/03/24\r\n10:00:00\r\n"));
}

TEST_F(SessaoVerificacao, ALastActivityOfAnotherDayNeverResumes) {
    // An earlier day with a later time of day: stale, not within the limit.
    logon("USUARIO\r\nconf\r\n15/03/24\r\n09:59:00\r\n");
    ultAtiv("14/03/24\r\n23:00:00\r\n");
    EXPECT_FALSE(run());
    EXPECT_FALSE(exists(kArqLogon));
    EXPECT_FALSE(exists(kArqUltAtiv));
    EXPECT_EQ(checks, 0);
}

TEST_F(SessaoVerificacao, JustAfterMidnightASessionOfTodayResumes) {
    logon("USUARIO\r\nconf\r\n15/03/24\r\n00:01:00\r\n");
    at(0, 3, 0);
    EXPECT_TRUE(run());
    EXPECT_EQ(checks, 1);
}

TEST_F(SessaoVerificacao, AUserRefusedByTheStoredCheckGetsTheLogin) {
    logon("USUARIO\r\n\r\n15/03/24\r\n10:00:00\r\n");
    acesso = "";
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(exists(kArqLogon));  // a current session is not deleted
    EXPECT_FALSE(exists(kArqUltAtiv));
}

TEST_F(SessaoVerificacao, LongIdleLimitsCountInMinutes) {
    logon("USUARIO\r\nconf\r\n15/03/24\r\n09:00:00\r\n");
    s.MinutosLogoff = 90;
    at(10, 30, 0);
    EXPECT_TRUE(run());
    logon("USUARIO\r\nconf\r\n15/03/24\r\n09:00:00\r\n");
    QFile::remove(env.suiteFile(kArqUltAtiv));
    s.MinutosLogoff = -3;  // treated as 5 minutes
    at(9, 5, 1);
    EXPECT_FALSE(run());
}

TEST_F(SessaoVerificacao, BadSessionFilesShowTheLoginAndAreLogged) {
    const QByteArray bad[] = {
        QByteArray("\x00\x01\xff\xfe\r\n\x80\x81", 8),                // binary junk
        QByteArray(),                                                 // empty file
        QByteArray("USUARIO"),                                        // single line
        QByteArray("USUARIO\r\nconf\r\n2024-03-15\r\n10:00:00\r\n"),  // other date format
        QByteArray("USUARIO\r\nconf\r\n15/03/24\r\n10h00\r\n"),       // bad time
        QByteArray("USUARIO\r\nconf\r\n15/03/24\r\n10:00:00\r\n") +
            QByteArray(kTamanhoMaximoArquivoSessao, 'x'),  // far larger than a session file
    };
    for (const QByteArray& file : bad) {
        logon(file);
        const auto logBefore = logText(env).size();
        EXPECT_FALSE(run()) << file.toStdString();
        EXPECT_GT(logText(env).size(), logBefore) << file.toStdString();
        EXPECT_TRUE(exists(kArqLogon));  // not deleted: nothing is known about it
    }
    EXPECT_TRUE(env.messages.isEmpty());
    EXPECT_EQ(checks, 0);
    EXPECT_TRUE(logText(env).contains("LOGON.LLF"));
}

TEST_F(SessaoVerificacao, ABadLastActivityFileShowsTheLogin) {
    logon("USUARIO\r\nconf\r\n15/03/24\r\n10:00:00\r\n");
    ultAtiv("ontem\r\n10:00:00\r\n");
    EXPECT_FALSE(run());
    ultAtiv("15/03/24\r\n");
    EXPECT_FALSE(run());
    QFile::remove(env.suiteFile(kArqUltAtiv));
    QDir().mkpath(env.suiteFile(kArqUltAtiv));  // cannot be read
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_TRUE(logText(env).contains("ULTATIV.LLF"));
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(SessaoVerificacao, AnUnreadableLastLoginFileNeverResumes) {
    QDir().mkpath(env.suiteFile(kArqLogon));
    EXPECT_FALSE(run());
    EXPECT_EQ(s.NomeUsuario, "caixa1");
    marker();  // the marker alone still skips, even if the last activity cannot be written
    QDir().mkpath(env.suiteFile(kArqUltAtiv));
    EXPECT_TRUE(run());
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(SessaoVerificacao, APipeInPlaceOfASessionFileIsNotWaitedFor) {
    ASSERT_EQ(::mkfifo(env.suiteFile(kArqLogon).toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(run());  // returns at once: nothing writes into the pipe
    EXPECT_TRUE(logText(env).contains("LOGON.LLF"));
}

TEST_F(SessaoVerificacao, TheLastActivityIsNotWrittenThroughASymbolicLink) {
    QTemporaryDir fora;
    const QString alvo = fora.filePath(QStringLiteral("alheio.txt"));
    {
        QFile f(alvo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("dados de outro programa\n");
    }
    ASSERT_TRUE(QFile::link(alvo, env.suiteFile(kArqUltAtiv)));
    marker();
    EXPECT_TRUE(run());
    QFile f(alvo);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("dados de outro programa\n"));
    EXPECT_FALSE(QFileInfo(env.suiteFile(kArqUltAtiv)).isSymLink());
    EXPECT_EQ(readSuiteFile(env, kArqUltAtiv), QByteArray("15/03/24\r\n10:00:00\r\n"));
}

}  // namespace
}  // namespace cp::test
