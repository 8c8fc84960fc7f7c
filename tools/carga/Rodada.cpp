#include "Rodada.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Estacao.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"

extern char** environ;

namespace carga {
namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

std::int64_t agoraMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
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

}  // namespace

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

}  // namespace carga
