// The due list on a large period, against the bare client wrapper reading
// the same rows; and a settlement on a list of 1,000 rows.
//
//   BM_MontaQuery2_100k     statement, fetch into the record set, both totals,
//                           the grid's model reset and layout done
//   BM_CursorFetch_100k     the same statement through a bare wrapper cursor,
//                           every column of every row read as a typed value
//   BM_Quitar_1000          "Quitar esta conta" on a 1,000-row list: UPDATE,
//                           re-read of the list, rebuild with totals
//   BM_CancelarQuitacao_1000  the same for "Cancelar quitação"
//   BM_MemoriaLista_100k    the resident memory the list's 100,000 rows take
//                           in the record set, per row, against the bytes of
//                           the statement's output message (a row as the
//                           client's interface hands it over)
//   BM_Partida_100k         the program started in browser mode on that
//                           period (window, modules, activation: the unpaid
//                           view of 100,000 rows built); its end is not timed
//   BM_RawPartida_100k      attach on the client's own interface and fetch
//                           the list's statement, every column read
//   BM_RawPartidaLeituras_100k  the same with the start's other large read:
//                           the installments' own set on its default text,
//                           the whole table, which the activation opens
//                           before the accounts' set narrows it to one account
//
// The databases are embedded, created once in a temporary suite directory.
// What each action sends to the server, statement by statement, is checked
// by the server tests (ListaServidorTest), which read the server's trace.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <memory>

#include "Memoria.h"
#include "RawClient.h"
#include "app/Form1.h"
#include "logic/ListaSql.h"
#include "payables/ListaContas.h"
#include "shell/DataWidgets.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/ProgramaEmTeste.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace {

using namespace cp;
using namespace cp::test;

constexpr int kParcelasGrandes = 100000;
constexpr int kParcelasPequenas = 1000;
const QDate kIniGrande(2024, 1, 1), kFimGrande(2024, 12, 31);
const QDate kIniPequeno(2030, 1, 1), kFimPequeno(2030, 12, 31);

// One suite with both periods: 100,000 installments in 2024 over 1,000
// accounts, 1,000 more in 2030; created at the first use.
struct Suite : ProgramaEmTeste {
    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    ListaContas* lista = nullptr;

    Suite() {
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        fb::Attachment& a = dbs->shared();
        a.execute(
            "execute block as declare i integer = 1; begin "
            "while (i <= 1000) do begin "
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, NOMECLIFOR, NFISCAL) "
            "values (:i, '01', 'P', 'MATERIA-PRIMA LOTE ' || :i, 'DISTRIBUIDORA ' || mod(:i, 37), "
            ":i); i = i + 1; end end");
        a.execute(
            "execute block as declare i integer = 1; begin "
            "while (i <= 100000) do begin "
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
            "DATAVENCIM, NUMDOCUMENTO) values (:i, mod(:i, 1000) + 1, '01', :i / 1000 + 1, "
            "mod(:i, 9973) + 0.37, dateadd(mod(:i, 366) day to date '2024-01-01'), :i); "
            "i = i + 1; end end");
        a.execute(
            "execute block as declare i integer = 1; begin "
            "while (i <= 1000) do begin "
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
            "DATAVENCIM) values (200000 + :i, :i, '01', 1001, 10.50, "
            "dateadd(mod(:i, 365) day to date '2030-01-01')); i = i + 1; end end");
        a.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'B01', ?)",
                  {env.osUserName().toStdString()});
        dbs->workstation().execute(
            "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-01-01', '2024-12-31')");
        dbs->release();
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                           "TEMPO PARA LOGOFF AUTOMATICO...................: 10\r\n");
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");  // no login panel

        // The program's start in browser mode, as its entry runs it.
        if (!inicia(env, env.suiteDir())) qFatal("start-up ended: no settings file");
        lista = form->lista.get();
        if (!ativa() || !env.messages.isEmpty())
            qFatal("start-up failed: %s", qPrintable(env.messages.join('\n')));
        lista->BitBtn2Click();  // all installments
    }
    ~Suite() { encerra(); }

    void periodo(const QDate& ini, const QDate& fim) {
        form->sessao.DataIniPeriodo = ini;
        form->sessao.DataFimPeriodo = fim;
    }
};

Suite& suite() {
    static Suite s;
    return s;
}

void BM_MontaQuery2_100k(benchmark::State& state) {
    Suite& s = suite();
    s.periodo(kIniGrande, kFimGrande);
    for (auto _ : state) {
        s.lista->MontaQuery2();
        QApplication::processEvents();  // the grid lays itself out for the new rows
        benchmark::DoNotOptimize(s.lista->DBGrid5->model()->rowCount());
    }
    state.counters["rows"] = s.dm->Query2.rowCount();
    state.SetItemsProcessed(state.iterations() * s.dm->Query2.rowCount());
}

void BM_CursorFetch_100k(benchmark::State& state) {
    Suite& s = suite();
    fb::Attachment a = fb::Attachment::attach(fbClient(), s.dbs->sharedPath(), testAttachParams());
    const std::string sql = sqlLista(kIniGrande, kFimGrande, "");
    std::int64_t linhas = 0;
    for (auto _ : state) {
        fb::Transaction tr = a.startTransaction();
        fb::Cursor c = tr.open(sql);
        const unsigned n = static_cast<unsigned>(c.columns().size());
        linhas = 0;
        while (c.fetch()) {
            for (unsigned i = 0; i < n; ++i) benchmark::DoNotOptimize(c.value(i));
            ++linhas;
        }
        c.close();
        tr.commit();
    }
    state.counters["rows"] = static_cast<double>(linhas);
    state.SetItemsProcessed(state.iterations() * linhas);
}

void BM_Quitar_1000(benchmark::State& state) {
    Suite& s = suite();
    s.periodo(kIniPequeno, kFimPequeno);
    s.lista->MontaQuery2();
    for (auto _ : state) s.lista->Quitarestaconta1Click();
    state.counters["rows"] = s.dm->Query2.rowCount();
}

void BM_CancelarQuitacao_1000(benchmark::State& state) {
    Suite& s = suite();
    s.periodo(kIniPequeno, kFimPequeno);
    s.lista->MontaQuery2();
    for (auto _ : state) s.lista->Cancelarquitao1Click();
    state.counters["rows"] = s.dm->Query2.rowCount();
}

void BM_MemoriaLista_100k(benchmark::State& state) {
    Suite& s = suite();
    s.periodo(kIniGrande, kFimGrande);
    RawSession raw(s.dbs->sharedPath(), false);
    raw.fetchAll(sqlLista(kIniGrande, kFimGrande, s.form->sessao.FiltroAPagar));
    double porLinha = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.dm->Query2.close();
        QApplication::processEvents();
        malloc_trim(0);
        const std::size_t antes = residentBytes();
        state.ResumeTiming();
        s.lista->MontaQuery2();
        state.PauseTiming();
        porLinha = (static_cast<double>(residentBytes()) - static_cast<double>(antes)) /
                   s.dm->Query2.rowCount();
        state.ResumeTiming();
    }
    state.counters["bytes_por_linha"] = porLinha;
    state.counters["mensagem_bytes"] = static_cast<double>(raw.messageLength());
    state.counters["razao"] = porLinha / static_cast<double>(raw.messageLength());
}

void BM_Partida_100k(benchmark::State& state) {
    Suite& s = suite();
    int linhas = 0;
    for (auto _ : state) {
        ProgramaEmTeste p;
        if (!p.inicia(s.env, s.env.suiteDir()) || !p.ativa()) {
            state.SkipWithError("start-up failed");
            break;
        }
        linhas = p.dm->Query2.rowCount();
        state.PauseTiming();  // the start ends with the list shown; the end is not timed
        p.encerra();
        state.ResumeTiming();
    }
    state.counters["rows"] = linhas;
}

void BM_RawPartida_100k(benchmark::State& state) {
    Suite& s = suite();
    const std::string sql = sqlLista(kIniGrande, kFimGrande, kFiltroAPagar);
    std::int64_t linhas = 0;
    for (auto _ : state) {
        auto raw = std::make_unique<RawSession>(s.dbs->sharedPath(), false);
        linhas = raw->fetchAll(sql);
        state.PauseTiming();
        raw.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(linhas);
}

BENCHMARK(BM_MontaQuery2_100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CursorFetch_100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Quitar_1000)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CancelarQuitacao_1000)->Unit(benchmark::kMillisecond)->Iterations(20);
void BM_RawPartidaLeituras_100k(benchmark::State& state) {
    Suite& s = suite();
    std::string parcelas;
    {
        ProgramaEmTeste p;  // the set's text as the modules are made, before the activation
        if (!p.inicia(s.env, s.env.suiteDir())) {
            state.SkipWithError("start-up failed");
            return;
        }
        parcelas = p.dm->Parcelas.commandText();
        p.encerra();
    }
    const std::string sql = sqlLista(kIniGrande, kFimGrande, kFiltroAPagar);
    for (auto _ : state) {
        auto raw = std::make_unique<RawSession>(s.dbs->sharedPath(), false);
        benchmark::DoNotOptimize(raw->fetchAll(sql));
        benchmark::DoNotOptimize(raw->fetchAll(parcelas));
        state.PauseTiming();
        raw.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_MemoriaLista_100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawPartida_100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RawPartidaLeituras_100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Partida_100k)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter({
        {"BM_MontaQuery2_100k/iterations:5", "BM_CursorFetch_100k/iterations:5",
         "list build / wrapper fetch"},
        {"BM_Partida_100k/iterations:5", "BM_RawPartida_100k/iterations:5",
         "start with 100,000 rows / raw attach and fetch"},
        {"BM_Partida_100k/iterations:5", "BM_RawPartidaLeituras_100k/iterations:5",
         "start with 100,000 rows / raw attach and the same two large reads"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
