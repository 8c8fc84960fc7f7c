// Start-up and the data grid.
//
// BM_PartidaAteAPrimeiraPintura: the real program, from process start to the
// first paint of its window after the activation, on a demonstration suite
// made by tools/mkdemo (embedded databases). Each iteration launches the
// executable with CP_QUIT_AFTER_FIRST_PAINT set, which ends it right after
// that paint, on the offscreen platform.
//
// BM_Grade100000Linhas: a data grid over 100,000 installments: moving the
// record set's cursor to a far row and painting the grid there.
//
// The executables are looked for beside this program's build folder
// (<build>/bench/startup_bench -> <build>/contas-pagar, <build>/mkdemo), or
// in $CP_BUILD_DIR.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "shell/DataWidgets.h"
#include "shell/DesktopEnvironment.h"
#include "suite/AcessoBanco.h"
#include "suite/Conexoes.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path pastaBuild() {
    if (const char* b = std::getenv("CP_BUILD_DIR"); b && *b) return b;
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path();
}

int executa(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> envs;
    for (char** e = environ; *e; ++e) envs.emplace_back(*e);
    envs.insert(envs.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> argv, envp;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : envs) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The demonstration suite and a copy of the program with its settings file.
struct SuiteDemo {
    QTemporaryDir dir;
    std::string programa, suite, erro;

    SuiteDemo() {
        const fs::path build = pastaBuild();
        const fs::path raiz = dir.path().toStdString();
        suite = (raiz / "brundelo").string();
        fs::create_directories(raiz / "bin");
        programa = (raiz / "bin" / "contas-pagar").string();
        std::error_code ec;
        fs::copy_file(build / "contas-pagar", programa, ec);
        if (ec) {
            erro = "sem " + (build / "contas-pagar").string();
            return;
        }
        // The work area belongs to the user the program will find.
        const std::string usuario = cp::DesktopEnvironment().osUserName().toStdString();
        if (executa({(build / "mkdemo").string(), suite, "--demo", "--user", usuario}, {}) != 0) {
            erro = "mkdemo falhou";
            return;
        }
        std::ofstream ini(raiz / "bin" / "BRUNDELO.INI", std::ios::binary);
        ini << "TEMPO PARA LOGOFF AUTOMATICO...................: 30\r\n";
    }
};

void BM_PartidaAteAPrimeiraPintura(benchmark::State& state) {
    static SuiteDemo demo;
    if (!demo.erro.empty()) {
        state.SkipWithError(demo.erro.c_str());
        return;
    }
    for (auto _ : state) {
        const int rc =
            executa({demo.programa}, {"QT_QPA_PLATFORM=offscreen", "CP_QUIT_AFTER_FIRST_PAINT=1",
                                      "BRUNDELO_HOME=" + demo.suite});
        if (rc != 0) {
            state.SkipWithError("o programa terminou com erro");
            return;
        }
    }
}
BENCHMARK(BM_PartidaAteAPrimeiraPintura)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);

void BM_Grade100000Linhas(benchmark::State& state) {
    cp::test::TestEnvironment env;
    cp::test::SuiteDatabases dbs(env.suiteDir());
    // 100,000 installments of one account: 100 x 1000 from two generated sets.
    dbs.shared().execute(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM) "
        "with recursive a (i) as (select 0 from rdb$database union all select i + 1 from a "
        "where i < 99), b (j) as (select 0 from rdb$database union all select j + 1 from b "
        "where j < 999) "
        "select a.i * 1000 + b.j + 1, 1, '01', a.i * 1000 + b.j + 1, 10.50 + b.j, "
        "dateadd(b.j day to date '2024-01-01') from a cross join b");
    dbs.release();
    cp::EstadoSessao sessao;
    cp::TDM dm(env, sessao);
    dm.SQLConnection1.setDatabase(dbs.sharedPath());
    fb::AttachParams p;
    p.password = cp::kSenhaSysdba;
    dm.SQLConnection1.setParams(p);
    dm.Parcelas.open();
    if (dm.Parcelas.recordCount() != 100000) {
        state.SkipWithError("a tabela não tem 100.000 parcelas");
        return;
    }
    cp::DBGrid grade(
        env, dm.Parcelas,
        {{QStringLiteral("Parc"), "NUMPARCELA", 40, Qt::AlignHCenter, Qt::AlignHCenter, true, {}},
         {QStringLiteral("Data Venc"),
          "DATAVENCIM",
          70,
          Qt::AlignHCenter,
          Qt::AlignLeft,
          false,
          {}},
         {QStringLiteral("Valor R$"),
          "VALORPARCELA",
          76,
          Qt::AlignRight,
          Qt::AlignLeft,
          false,
          {}}});
    grade.resize(690, 215);
    grade.show();
    std::mt19937 aleatorio(7);
    std::uniform_int_distribution<int> linha(0, 99999);
    for (auto _ : state) {
        dm.Parcelas.moveTo(linha(aleatorio));
        QPixmap quadro = grade.grab();
        benchmark::DoNotOptimize(quadro);
    }
    state.counters["linhas"] = dm.Parcelas.recordCount();
}
BENCHMARK(BM_Grade100000Linhas)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
