// The load harness: N simulated workstations, each a process of its own
// running the program's data layer, against one private Firebird server on
// loopback holding realistic data, while faults are injected; at the end the
// invariants are checked and the throughput and latencies printed.
//
//   build/carga [--seconds 60] [--n 1,2,4,8,16] [--installments 100000]
//               [--keep DIR] [--no-faults]
//
// Exit status: 0 when every invariant held in every run, 1 when one did not,
// 2 when the harness itself could not run (no server, no database).
// A workstation process is the same program started with --estacao (see
// Estacao.h); the coordinator starts and restarts those itself.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDate>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Diario.h"
#include "Estacao.h"
#include "Verificacao.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"

extern char** environ;

namespace carga {
namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

const QDate kInicioSemanas(2026, 1, 5);  // a Monday; the lists cover weeks from here
constexpr int kSemanas = 4;

std::int64_t agoraMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string arg(int argc, char** argv, const char* nome, const std::string& padrao = {}) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], nome) == 0) return argv[i + 1];
    return padrao;
}
bool flag(int argc, char** argv, const char* nome) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], nome) == 0) return true;
    return false;
}

// ----- The data -----

// A pharmacy's shared database of some years: accounts of 16 work areas with
// four installments each, due over 100 weeks (about 1,000 a week), a third of
// them settled; the work areas; the condition the new accounts are entered
// with.
void semeia(fb::Attachment& a, int parcelas) {
    const int contas = parcelas / 4;
    a.execute(
        "execute block (n integer = ?) as declare i integer = 1; begin "
        "while (i <= n) do begin "
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, "
        "CONDPAGTO, NFISCAL, NOMECLIFOR, DATAREGISTRO) values (:i, lpad(mod(:i - 1, 16) + 1, 2, "
        "'0'), 'P', 'MATERIA-PRIMA LOTE ' || :i, mod(:i, 9973) * 4 + 1.48, date '2025-11-01', "
        "'30/60/90', :i, 'DISTRIBUIDORA ' || mod(:i, 97), date '2025-11-01'); i = i + 1; end end",
        {std::int64_t{contas}});
    a.execute(
        "execute block (n integer = ?) as declare i integer = 1; declare conta integer; "
        "declare venc date; begin "
        "while (i <= n) do begin conta = (i - 1) / 4 + 1; "
        "venc = dateadd(mod(i * 7919, 700) day to date '2026-01-05'); "
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, DATAPAGTO, VALORPAGO, CODIGOCTA, MEIO, NATUREZA) values (:i, :conta, "
        "lpad(mod(:conta - 1, 16) + 1, 2, '0'), mod(:i - 1, 4) + 1, mod(:i, 9973) + 0.37, :venc, "
        "iif(mod(:i, 3) = 0, :venc, null), iif(mod(:i, 3) = 0, mod(:i, 9973) + 0.37, null), "
        "'0001', 'BOLETO', 'P'); i = i + 1; end end",
        {std::int64_t{parcelas}});
    a.execute(
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, "
        "CTABANCO, FORMAPAG, QAUT) values (1, 'Dias Corridos', '30/60/90', '30,60,90', 3, 0, 0, "
        "'0001', 'BOLETO', 'N')");
    // The work areas, one row each, as the suite keeps them.
    a.execute(
        "execute block as declare i integer = 1; begin while (i <= 16) do begin "
        "insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values (lpad(:i, 2, '0'), "
        "'BRUNDELO', 'caixa' || :i); i = i + 1; end end");
    a.execute(
        "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) values ('P', 'BOLETO', "
        "'0001')");
}

// ----- Workstation processes -----

struct Processo {
    std::string estacao;
    pid_t pid = -1;
    int geracao = 0;
    std::string diario;
};

pid_t inicia(Processo& p, const std::string& banco, std::int64_t ateMs,
             const std::string& largada) {
    ++p.geracao;
    std::vector<std::string> args = {"/proc/self/exe",
                                     "--estacao",
                                     p.estacao,
                                     "--banco",
                                     banco,
                                     "--diario",
                                     p.diario,
                                     "--ate",
                                     std::to_string(ateMs),
                                     "--largada",
                                     largada,
                                     "--geracao",
                                     std::to_string(p.geracao)};
    std::vector<char*> argv;
    for (auto& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start a workstation process");
    p.pid = pid;
    return pid;
}

// The last line of a journal, as far as it was written.
std::string ultimaLinha(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string linha, ultima;
    while (std::getline(in, linha))
        if (!linha.empty()) ultima = linha;
    return ultima;
}

bool emEscrita(const std::string& linha) {
    for (const char* k : {kQuitar, kCancelar, kNotaFiscal, kEditaConta, kNovaConta})
        if (linha.find("\tB\t") != std::string::npos &&
            linha.find(std::string("\t") + k + "\t") != std::string::npos)
            return true;
    return false;
}

struct Falha {
    std::string nome;
    std::int64_t ms = 0;                     // when it was over (lock released, server back...)
    std::vector<std::string> estacoes = {};  // the workstations it hit
    std::string detalhe = {};
};

// ----- One run -----

struct Rodada {
    int n = 0;
    double segundos = 0;
    std::vector<Estatistica> stats;
    std::vector<Resultado> invariantes;
    std::vector<Falha> falhas;
    std::vector<std::string> sobrevivencia;
    int reinicios = 0;  // workstation processes started again after giving up
    bool ok = true;
};

void travaLinhas(const std::string& banco, int segundos, Falha& f) {
    try {
        fb::Attachment a =
            fb::Attachment::attach(cp::test::fbClient(), banco, cp::test::serverAttachParams());
        fb::Transaction tr = a.startTransaction();
        const std::int64_t n = tr.execute(
            "update PARCELAS set NUMDOCUMENTO = NUMDOCUMENTO where DATAVENCIM between ? and ?",
            {fb::Date{2026, 1, 5}, fb::Date{2026, 1, 11}});
        f.detalhe = std::to_string(n) + " installments of the first week held for " +
                    std::to_string(segundos) + " s";
        std::this_thread::sleep_for(std::chrono::seconds(segundos));
        tr.rollback();
        f.ms = agoraMs();
    } catch (const std::exception& e) {
        f.detalhe += std::string(" (lock holder failed: ") + e.what() + ")";
    }
}

Rodada roda(int n, int segundos, const std::string& banco, const std::string& pasta,
            bool comFalhas) {
    Rodada r;
    r.n = n;
    std::vector<Processo> ps(n);
    const std::string largada = pasta + "/n" + std::to_string(n) + ".largada";
    fs::remove(largada);
    for (int i = 0; i < n; ++i) {
        char cod[12];
        std::snprintf(cod, sizeof cod, "%02d", (i + 1) % 100);
        ps[i].estacao = cod;
        ps[i].diario = pasta + "/n" + std::to_string(n) + "-" + cod + ".diario";
        fs::remove(ps[i].diario);
        inicia(ps[i], banco, 0, largada);
    }
    // The clock of the run starts once every workstation has started (read
    // its accounts and installments, built its list), or after two minutes.
    const std::int64_t esperaAte = agoraMs() + 120000;
    for (bool todas = false; !todas && agoraMs() < esperaAte;) {
        todas = true;
        for (const Processo& p : ps) {
            const std::string u = ultimaLinha(p.diario);
            todas = todas && (u.find("\tinicio\t") != std::string::npos ||
                              u.find("\tFIM\t") != std::string::npos);
        }
        if (!todas) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::int64_t inicio = agoraMs();
    const std::int64_t ate = inicio + segundos * 1000LL;
    {
        std::ofstream out(largada + ".new");
        out << ate << "\n";
    }
    fs::rename(largada + ".new", largada);
    auto quando = [&](double fracao) {
        return inicio + static_cast<std::int64_t>(fracao * segundos * 1000);
    };
    enum { kTrava, kMata, kEncerra, kReinicia, kNenhuma };
    const std::int64_t agenda[] = {quando(0.15), quando(0.30), quando(0.45), quando(0.65)};
    int proxima = comFalhas ? kTrava : kNenhuma;
    std::thread trava;
    Falha fTrava{"row lock held by another attachment"};
    std::set<pid_t> mortasPorNos;

    while (true) {
        // Workstations that ended early start again, as an operator starts
        // the program again.
        bool vivas = false;
        for (Processo& p : ps) {
            if (p.pid <= 0) continue;
            int status = 0;
            const pid_t w = ::waitpid(p.pid, &status, WNOHANG);
            if (w == 0) {
                vivas = true;
                continue;
            }
            const bool nossa = mortasPorNos.count(p.pid) > 0;
            p.pid = -1;
            const bool cedo = agoraMs() < ate - 1000;
            if (cedo && (nossa || (WIFEXITED(status) && WEXITSTATUS(status) != kSaidaFim))) {
                if (!nossa) ++r.reinicios;
                inicia(p, banco, ate, largada);
                vivas = true;
            }
        }
        if (!vivas && agoraMs() >= ate) break;
        if (!vivas && agoraMs() < ate) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        const std::int64_t agora = agoraMs();
        if (proxima != kNenhuma && agora >= agenda[proxima]) {
            if (proxima == kTrava) {
                fTrava.ms = agora;  // until the holder lets go
                for (auto& p : ps) fTrava.estacoes.push_back(p.estacao);
                const int dur = std::max(2, std::min(5, segundos / 10));
                trava = std::thread(travaLinhas, banco, dur, std::ref(fTrava));
            } else if (proxima == kMata) {
                Processo& alvo = ps[0];
                Falha f{"workstation killed in the middle of an action", 0, {alvo.estacao}};
                const std::int64_t limite = agoraMs() + 5000;
                while (agoraMs() < limite && !emEscrita(ultimaLinha(alvo.diario)))
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                const bool durante = emEscrita(ultimaLinha(alvo.diario));
                if (alvo.pid > 0) {
                    ::kill(alvo.pid, SIGKILL);
                    mortasPorNos.insert(alvo.pid);
                }
                f.ms = agoraMs();
                f.detalhe = std::string(durante ? "killed during a write: "
                                                : "no write caught in 5 s, killed anyway: ") +
                            ultimaLinha(alvo.diario).substr(0, 120) + "; started again";
                r.falhas.push_back(f);
            } else if (proxima == kEncerra) {
                Processo& alvo = ps[n > 1 ? 1 : 0];
                Falha f{"attachment ended by the administrator (DELETE FROM MON$ATTACHMENTS)",
                        0,
                        {alvo.estacao}};
                try {
                    fb::Attachment a = fb::Attachment::attach(cp::test::fbClient(), banco,
                                                              cp::test::serverAttachParams());
                    const std::int64_t k = a.execute(
                        "delete from MON$ATTACHMENTS where MON$REMOTE_PID = ? and "
                        "MON$ATTACHMENT_ID <> current_connection",
                        {std::int64_t{alvo.pid}});
                    f.detalhe = std::to_string(k) + " attachment(s) of process " +
                                std::to_string(alvo.pid) + " ended";
                } catch (const std::exception& e) {
                    f.detalhe = std::string("could not end it: ") + e.what();
                }
                f.ms = agoraMs();
                r.falhas.push_back(f);
            } else if (proxima == kReinicia) {
                Falha f{"server restarted"};
                for (auto& p : ps) f.estacoes.push_back(p.estacao);
                const auto t0 = Relogio::now();
                try {
                    cp::test::restartServer();
                    f.detalhe =
                        "down and back in " +
                        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           Relogio::now() - t0)
                                           .count()) +
                        " ms";
                } catch (const std::exception& e) {
                    f.detalhe = std::string("restart failed: ") + e.what();
                }
                f.ms = agoraMs();
                r.falhas.push_back(f);
            }
            ++proxima;
            if (proxima > kReinicia) proxima = kNenhuma;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (trava.joinable()) trava.join();
    if (comFalhas) r.falhas.insert(r.falhas.begin(), fTrava);
    // Actions per second over the run's own time; the tail (actions in flight
    // at the deadline, retries) adds actions but no time.
    r.segundos = static_cast<double>(ate - inicio) / 1000.0;

    Diarios diarios;
    for (const Processo& p : ps) diarios[p.estacao] = leDiario(p.diario);
    r.stats = estatisticas(diarios);

    // A fault was survived by a workstation when the same process reported
    // an action done after it.
    for (const Falha& f : r.falhas) {
        std::vector<std::string> nao;
        int sim = 0;
        for (const std::string& est : f.estacoes) {
            bool sobreviveu = false, reiniciou = false;
            for (const Evento& e : diarios[est]) {
                if (e.ms < f.ms) continue;
                if (e.tipo == "LIGA") reiniciou = true;
                if (e.tipo == "OK" && e.kind != "inicio" && !reiniciou) sobreviveu = true;
            }
            if (sobreviveu)
                ++sim;
            else
                nao.push_back(est + (reiniciou ? " (program started again)" : ""));
        }
        std::string linha = f.nome + ": " + f.detalhe + "; ";
        if (f.nome.rfind("workstation killed", 0) == 0)
            linha += "the killed workstation's work is checked by the invariants";
        else
            linha += std::to_string(sim) + " of " + std::to_string(f.estacoes.size()) +
                     " workstations went on in the same process" +
                     (nao.empty() ? "" : "; not survived by: " + [&] {
                         std::string s;
                         for (auto& x : nao) s += (s.empty() ? "" : ", ") + x;
                         return s;
                     }());
        r.sobrevivencia.push_back(linha);
    }

    fb::Attachment a =
        fb::Attachment::attach(cp::test::fbClient(), banco, cp::test::serverAttachParams());
    r.invariantes = verificaInvariantes(a, diarios);
    for (const Resultado& x : r.invariantes) r.ok = r.ok && x.ok;
    return r;
}

void imprime(const Rodada& r) {
    int total = 0;
    for (const Estatistica& s : r.stats)
        if (s.kind != "inicio") total += s.ok;
    std::printf("\n=== N = %d workstations, %.1f s: %d actions, %.1f actions/s ===\n", r.n,
                r.segundos, total, total / r.segundos);
    std::printf("%-11s %7s %6s %9s %9s %9s %8s\n", "action", "done", "failed", "p50 ms", "p95 ms",
                "max ms", "rows");
    for (const Estatistica& s : r.stats)
        std::printf("%-11s %7d %6d %9.1f %9.1f %9.1f %8.0f\n", s.kind.c_str(), s.ok, s.erros,
                    s.p50ms, s.p95ms, s.maxms, s.linhasMedia);
    if (!r.sobrevivencia.empty()) std::printf("faults:\n");
    for (const std::string& s : r.sobrevivencia) std::printf("  - %s\n", s.c_str());
    if (r.reinicios)
        std::printf(
            "  workstation processes that gave up (connection not re-established) and "
            "were started again: %d\n",
            r.reinicios);
    std::printf("invariants:\n");
    for (const Resultado& x : r.invariantes)
        std::printf("  [%s] %s: %s\n",
                    x.nome.rfind("observed", 0) == 0 ? " -- " : (x.ok ? " ok " : "FAIL"),
                    x.nome.c_str(), x.detalhe.c_str());
    std::fflush(stdout);
}

int coordena(int argc, char** argv) {
    const int segundos = std::stoi(arg(argc, argv, "--seconds", "60"));
    const int parcelas = std::stoi(arg(argc, argv, "--installments", "100000"));
    const bool comFalhas = !flag(argc, argv, "--no-faults");
    std::vector<int> ns;
    {
        std::stringstream ss(arg(argc, argv, "--n", "1,2,4,8,16"));
        for (std::string x; std::getline(ss, x, ',');) ns.push_back(std::stoi(x));
    }
    if (auto porque = cp::test::fbServerUnavailable()) {
        std::fprintf(stderr, "carga: %s\n", porque->c_str());
        return 2;
    }
    std::string pasta = arg(argc, argv, "--keep");
    if (pasta.empty()) pasta = cp::test::serverDataDir() + "/carga";
    fs::create_directories(pasta);

    cp::test::ServerDatabases dbs;
    const auto t0 = Relogio::now();
    semeia(dbs.shared(), parcelas);
    dbs.release();
    const std::string semente = dbs.sharedFile() + ".semente";
    fs::copy_file(dbs.sharedFile(), semente, fs::copy_options::overwrite_existing);
    std::printf("server %s; %d installments over %d accounts made in %.1f s; journals in %s\n",
                cp::test::serverHost().c_str(), parcelas, parcelas / 4,
                std::chrono::duration<double>(Relogio::now() - t0).count(), pasta.c_str());

    std::vector<Rodada> rodadas;
    bool ok = true;
    for (int n : ns) {
        // Every run starts from the same data.
        fs::copy_file(semente, dbs.sharedFile(), fs::copy_options::overwrite_existing);
        rodadas.push_back(roda(n, segundos, dbs.sharedConnect(), pasta, comFalhas));
        imprime(rodadas.back());
        ok = ok && rodadas.back().ok;
    }

    std::printf("\n=== summary ===\n%4s %10s %14s %14s %14s\n", "N", "actions/s", "list p95 ms",
                "list rows", "invariants");
    int maiorN = 0;
    for (const Rodada& r : rodadas) {
        int total = 0;
        double p95 = 0, linhas = 0;
        for (const Estatistica& s : r.stats) {
            if (s.kind != "inicio") total += s.ok;
            if (s.kind == kLista) {
                p95 = s.p95ms;
                linhas = s.linhasMedia;
            }
        }
        if (p95 < 500 && r.n > maiorN) maiorN = r.n;
        std::printf("%4d %10.1f %14.1f %14.0f %14s\n", r.n, total / r.segundos, p95, linhas,
                    r.ok ? "held" : "VIOLATED");
    }
    std::printf("largest N with the due-list rebuild's p95 under 0.5 s: %s\n",
                maiorN ? std::to_string(maiorN).c_str() : "none");
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace carga

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::signal(SIGPIPE, SIG_IGN);
    using namespace carga;
    if (!arg(argc, argv, "--estacao").empty()) {
        OpcoesEstacao o;
        o.estacao = arg(argc, argv, "--estacao");
        o.banco = arg(argc, argv, "--banco");
        o.diario = arg(argc, argv, "--diario");
        o.ateMs = std::stoll(arg(argc, argv, "--ate", "0"));
        o.largada = arg(argc, argv, "--largada");
        o.geracao = std::stoi(arg(argc, argv, "--geracao", "1"));
        o.inicioSemanas = kInicioSemanas;
        o.semanas = kSemanas;
        try {
            return rodaEstacao(o);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "workstation %s: %s\n", o.estacao.c_str(), e.what());
            return kSaidaErroInicio;
        }
    }
    try {
        return coordena(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "carga: %s\n", e.what());
        return 2;
    }
}
