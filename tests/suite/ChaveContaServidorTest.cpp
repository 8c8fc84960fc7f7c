// The number of a new account against the tests' server: the lock that
// serialises writers of new accounts, the statements of a write as the
// server receives them, and workstations racing to create accounts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "suite/ChaveConta.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"
#include "support/TestEnvironment.h"

extern char** environ;

namespace cp::test {

namespace {

using I = std::int64_t;

void estacoes(ServerDatabases& server) {
    server.shared().execute("insert into ESTACOES (ESTACAO) values ('01')");
    server.shared().execute("insert into ESTACOES (ESTACAO) values ('02')");
}

}  // namespace

// A second writer waits for the first one's transaction, then sees the
// number it took.
TEST(ServerChaveConta, TheLockMakesASecondWriterWaitAndSeeTheFirstOnesNumber) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    estacoes(server);
    fb::Attachment a =
        fb::Attachment::attach(fbClient(), server.sharedConnect(), serverAttachParams());
    fb::Attachment b =
        fb::Attachment::attach(fbClient(), server.sharedConnect(), serverAttachParams());
    fb::Transaction ta = a.startTransaction();
    ASSERT_EQ(reservaCodigoConta(ta, 1), 1);

    std::atomic<bool> reservou{false};
    I numeroB = 0;
    std::string erroB;
    std::thread outra([&] {
        try {
            fb::Transaction tb = b.startTransaction();
            numeroB = reservaCodigoConta(tb, 1);
            reservou = true;
            tb.execute("insert into CONTASPR (CODIGOCPR, ESTACAO) values (?, '02')", {numeroB});
            tb.commit();
        } catch (const std::exception& e) {
            erroB = e.what();
            reservou = true;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_FALSE(reservou) << "the second writer did not wait for the lock";
    ta.execute("insert into CONTASPR (CODIGOCPR, ESTACAO) values (1, '01')");
    ta.commit();
    outra.join();
    EXPECT_EQ(erroB, "");
    EXPECT_EQ(numeroB, 2);
}

// A writer whose bounded wait runs out while the holder still runs gives up
// with the conflict (its account stays pending) instead of waiting again
// and again; the holder keeps its number.
TEST(ServerChaveConta, AWriterGivesUpWhenTheLockIsStillHeldAfterItsWait) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    estacoes(server);
    fb::AttachParams curta = serverAttachParams();
    curta.lockTimeout = 1;
    fb::Attachment a = fb::Attachment::attach(fbClient(), server.sharedConnect(), curta);
    fb::Attachment b =
        fb::Attachment::attach(fbClient(), server.sharedConnect(), serverAttachParams());
    fb::Transaction tb = b.startTransaction();
    ASSERT_EQ(reservaCodigoConta(tb, 1), 1);

    std::atomic<bool> terminou{false};
    std::string erroA;
    std::thread outra([&] {
        try {
            fb::Transaction ta = a.startTransaction();
            reservaCodigoConta(ta, 1);
        } catch (const fb::Error& e) {
            erroA = e.what();
        }
        terminou = true;
    });
    // Each wait lasts one second; a writer that asked again after each one
    // would still be waiting long after a few of them.
    for (int i = 0; i < 300 && !terminou; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const bool desistiu = terminou;
    tb.rollback();
    outra.join();
    EXPECT_TRUE(desistiu) << "the writer went on waiting for a lock still held";
    EXPECT_NE(erroA.find("update conflicts with concurrent update"), std::string::npos) << erroA;
}

// The first write of a new account whose number another work area took
// meanwhile, as the server receives it.
TEST(ServerChaveConta, ANewAccountIsCheckedAndInsertedUnderTheLock) {
    CP_REQUIRE_FB_SERVER();
    TestEnvironment env;
    ServerDatabases server;
    estacoes(server);
    server.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA) values (1, '01', 'P')");
    EstadoSessao s;
    s.Estacao = "01";
    s.CamposCPR = kCamposCPR;
    s.CamposParcelas = kCamposParcelas;
    TDM dm(env, s);
    TDM2 dm2(env, s);
    dm.SQLConnection1.setClient(fbClient());
    dm.SQLConnection1.setDatabase(server.sharedConnect());
    instalaPersistencia(dm, dm2, s, env);
    const std::string contas =
        "Select " + s.CamposCPR + " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR";
    dm.CONTASPR.setCommandText(contas);
    dm.CONTASPR.open();
    dm.CONTASPR.append();
    ASSERT_EQ(dm.CONTASPR.field("CODIGOCPR").asInteger(), 2);
    server.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA) values (2, '02', 'P')");
    dm.CONTASPR.field("DESCRICAO").setAsString("GAS");

    TraceSession trace;
    trace.start(server.sharedConnect());
    dm.CONTASPR.post();
    const std::vector<std::string> sql = trace.stop();
    const std::vector<std::string> esperado = {
        "select ESTACAO from ESTACOES where ESTACAO = (select min(ESTACAO) from ESTACOES) with "
        "lock",
        "select min(ESTACAO) from ESTACOES",
        "select 1 from RDB$DATABASE where exists (select 1 from CONTASPR where CODIGOCPR = ?) or "
        "exists (select 1 from PARCELAS where CODIGOCPR = ?)",
        "select (select max(CODIGOCPR) from CONTASPR), (select max(CODIGOCPR) from PARCELAS) from "
        "RDB$DATABASE",
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, DATA, DATAREGISTRO, "
        "HORAREGISTRO) values (?, ?, ?, ?, ?, ?, ?)",
        contas,
        // The installments of the final number.
        "Select " + s.CamposParcelas + " from PARCELAS where CODIGOCPR = 3",
    };
    EXPECT_EQ(sql, esperado);
    EXPECT_EQ(dm.CONTASPR.field("CODIGOCPR").asInteger(), 3);
    EXPECT_EQ(dm.CONTASPR.field("DESCRICAO").asString(), "GAS");
    fb::Transaction tr = server.shared().startTransaction();
    fb::Cursor c =
        tr.open("select ESTACAO from CONTASPR where CODIGOCPR = 3 and DESCRICAO = 'GAS'");
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asText(0), "01");
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

// ----- Workstations racing -----

namespace {

// One helper process: its pipes and the file of its error output.
struct Estacao {
    pid_t pid = -1;
    int entrada = -1;  // its standard input
    FILE* saida = nullptr;
    std::string erros;
};

Estacao inicia(const std::string& connect, const std::string& area, int tag, int contas,
               const std::string& arquivoErros) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_adddup2(&acoes, in[0], 0);
    posix_spawn_file_actions_adddup2(&acoes, out[1], 1);
    posix_spawn_file_actions_addopen(&acoes, 2, arquivoErros.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addclose(&acoes, in[1]);
    posix_spawn_file_actions_addclose(&acoes, out[0]);
    const std::string tagTexto = std::to_string(tag), contasTexto = std::to_string(contas);
    std::vector<char*> argv = {
        const_cast<char*>(CP_CONTAS_CONCORRENTES), const_cast<char*>(connect.c_str()),
        const_cast<char*>(area.c_str()),           const_cast<char*>(tagTexto.c_str()),
        const_cast<char*>(contasTexto.c_str()),    nullptr};
    Estacao e;
    const int r =
        posix_spawn(&e.pid, CP_CONTAS_CONCORRENTES, &acoes, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acoes);
    close(in[0]);
    close(out[1]);
    if (r != 0) throw std::runtime_error("cannot start " + std::string(CP_CONTAS_CONCORRENTES));
    e.entrada = in[1];
    e.saida = fdopen(out[0], "r");
    e.erros = arquivoErros;
    return e;
}

std::string leArquivo(const std::string& caminho) {
    std::ifstream f(caminho);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Starts one process per work area given, lets them all go at once, each
// creating `contas` accounts of two installments, and checks what the
// database holds afterwards.
void corrida(const std::vector<std::string>& areas, int contas) {
    ServerDatabases server;
    estacoes(server);
    server.shared().execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA) values (1, '01', 'P')");
    QTemporaryDir dir;
    std::vector<Estacao> estacoesEmCorrida;
    for (std::size_t k = 0; k < areas.size(); ++k)
        estacoesEmCorrida.push_back(inicia(server.sharedConnect(), areas[k],
                                           static_cast<int>(k + 1), contas,
                                           dir.filePath(QString::number(k)).toStdString()));
    for (Estacao& e : estacoesEmCorrida) {
        char linha[64] = {};
        const bool pronto = std::fgets(linha, sizeof linha, e.saida) != nullptr;
        EXPECT_TRUE(pronto && std::string(linha) == "pronto\n") << leArquivo(e.erros);
    }
    for (Estacao& e : estacoesEmCorrida) {
        const ssize_t n = write(e.entrada, "vai\n", 4);
        EXPECT_EQ(n, 4);
        close(e.entrada);
    }
    for (Estacao& e : estacoesEmCorrida) {
        int status = 0;
        waitpid(e.pid, &status, 0);
        std::fclose(e.saida);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << leArquivo(e.erros);
    }

    // Every account has a number of its own, and every installment belongs
    // to the account of the process and round that made it.
    fb::Transaction tr = server.shared().startTransaction();
    std::map<I, std::vector<std::string>> descricoes;
    fb::Cursor c = tr.open("select CODIGOCPR, DESCRICAO from CONTASPR where CODIGOCPR > 1");
    while (c.fetch()) descricoes[c.asInt64(0)].push_back(c.asText(1));
    c.close();
    std::size_t total = 0;
    for (const auto& [codigo, d] : descricoes) {
        total += d.size();
        EXPECT_EQ(d.size(), 1u) << "account number " << codigo << " is shared";
    }
    EXPECT_EQ(total, areas.size() * static_cast<std::size_t>(contas));
    fb::Cursor p = tr.open("select CODIGOCPR, NUMDOCUMENTO from PARCELAS");
    std::size_t parcelas = 0;
    while (p.fetch()) {
        ++parcelas;
        const I doc = p.asInt64(1);
        const std::string dono =
            "P" + std::to_string(doc / 10000) + "-" + std::to_string(doc % 10000);
        const auto it = descricoes.find(p.asInt64(0));
        ASSERT_NE(it, descricoes.end()) << "installment of no account: " << p.asInt64(0);
        EXPECT_EQ(it->second, std::vector<std::string>{dono});
    }
    EXPECT_EQ(parcelas, 2 * total);
}

}  // namespace

TEST(ServerChaveConta, TwoWorkstationsOfOneWorkAreaNeverShareANumber) {
    CP_REQUIRE_FB_SERVER();
    corrida({"01", "01"}, 25);
}

TEST(ServerChaveConta, TwoWorkstationsOfTwoWorkAreasNeverShareANumber) {
    CP_REQUIRE_FB_SERVER();
    corrida({"01", "02"}, 25);
}

TEST(ServerChaveConta, EightWorkstationsNeverShareANumber) {
    CP_REQUIRE_FB_SERVER();
    corrida({"01", "02", "01", "02", "01", "02", "01", "02"}, 8);
}

}  // namespace cp::test
