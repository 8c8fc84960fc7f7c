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
#include "Rodada.h"
#include "Verificacao.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"

namespace carga {
namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

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
