// Record-set engine speed on an embedded database of 100,000 installments:
// opening the record set against fetching the same rows straight from the
// wrapper's cursor, the memory the open rows take, and the nearest search.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QTemporaryDir>
#include <random>

#include "Memoria.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/TestEnvironment.h"

namespace {

constexpr int kRows = 100000;

const char* kParcelasText =
    "select CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, VALORPARCELA, DATAVENCIM, "
    "VALORPAGO, DATAPAGTO, COBRANCABANC, CODIGOCTA, NUMDOCUMENTO, DATAEMISSAODOC, MEIO, QAUT, "
    "NATUREZA from PARCELAS";

// One database for the whole run, filled once.
struct BenchData {
    cp::test::TestEnvironment env;
    std::string path;
    BenchData() {
        path = env.suiteDir().toStdString() + "bench/parcelas.bd";
        fb::Attachment a = cp::test::createDatabaseFromScript(path, "shared.sql");
        a.execute(
            "execute block as declare i integer = 1; begin "
            "while (i <= " +
            std::to_string(kRows) +
            ") do begin "
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, "
            "VALORPARCELA, DATAVENCIM, VALORPAGO, DATAPAGTO, CODIGOCTA, NUMDOCUMENTO, MEIO, QAUT, "
            "NATUREZA) values (:i, :i / 4 + 1, '01', 0, mod(:i, 4) + 1, (:i * 37) / 100.0, "
            "dateadd(mod(:i, 900) day to date '2024-01-01'), "
            "iif(mod(:i, 3) = 0, (:i * 37) / 100.0, null), "
            "iif(mod(:i, 3) = 0, dateadd(mod(:i, 900) day to date '2024-01-01'), null), "
            "'CONTA ' || mod(:i * 7919, 100003), :i, 'BOLETO', 'N', 'P'); "
            "i = i + 1; end end");
        a.detach();
    }
};

BenchData& data() {
    static BenchData d;
    return d;
}

struct Module {
    cp::EstadoSessao sessao;
    cp::TDM dm;
    Module() : dm(data().env, sessao) {
        dm.SQLConnection1.setClient(cp::test::fbClient());
        dm.SQLConnection1.setDatabase(data().path);
        dm.SQLConnection1.open();
    }
};

// The wrapper alone: every row fetched, no column read.
void BM_RawCursorFetch(benchmark::State& state) {
    Module m;
    for (auto _ : state) {
        fb::Transaction tr = m.dm.SQLConnection1.attachment().startTransaction();
        fb::Cursor c = tr.open(kParcelasText);
        int n = 0;
        while (c.fetch()) ++n;
        c.close();
        tr.commit();
        if (n != kRows) state.SkipWithError("wrong row count");
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_RawCursorFetch)->Unit(benchmark::kMillisecond)->Iterations(5);

// The wrapper with every column read as a typed value.
void BM_RawCursorFetchValues(benchmark::State& state) {
    Module m;
    for (auto _ : state) {
        fb::Transaction tr = m.dm.SQLConnection1.attachment().startTransaction();
        fb::Cursor c = tr.open(kParcelasText);
        const unsigned cols = static_cast<unsigned>(c.columns().size());
        while (c.fetch())
            for (unsigned i = 0; i < cols; ++i) benchmark::DoNotOptimize(c.value(i));
        c.close();
        tr.commit();
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_RawCursorFetchValues)->Unit(benchmark::kMillisecond)->Iterations(5);

// The record set: every row read into memory, then closed. "Cold" hands
// the freed memory back to the system before each open, so the open pays for
// fresh pages, and reports the resident memory the open rows added, per row.
// Without it the rows may reuse memory of the previous open, as the refresh
// after every post does.
void openRecordSet(benchmark::State& state, bool cold) {
    Module m;
    cp::RecordSet& rs = m.dm.Parcelas;
    double perRow = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (cold) malloc_trim(0);
        std::size_t before = residentBytes();
        state.ResumeTiming();
        rs.open();
        state.PauseTiming();
        perRow = (static_cast<double>(residentBytes()) - static_cast<double>(before)) / kRows;
        if (rs.recordCount() != kRows) state.SkipWithError("wrong row count");
        rs.close();
        state.ResumeTiming();
    }
    state.counters["rows"] = kRows;
    if (cold) state.counters["resident_bytes_per_row"] = perRow;
}

void BM_RecordSetOpen(benchmark::State& state) { openRecordSet(state, false); }
BENCHMARK(BM_RecordSetOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RecordSetOpenCold(benchmark::State& state) { openRecordSet(state, true); }
BENCHMARK(BM_RecordSetOpenCold)->Unit(benchmark::kMillisecond)->Iterations(5);

// Nearest search on 100,000 rows: integer order and text order.
void nearest(benchmark::State& state, const char* order, bool text) {
    Module m;
    cp::RecordSet& rs = m.dm.Parcelas;
    rs.setCommandText(std::string(kParcelasText) + " order by " + order);
    rs.open();
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> pick(1, kRows);
    std::int64_t found = 0;
    for (auto _ : state) {
        int k = pick(rng);
        cp::Value key = text ? cp::Value(std::string("CONTA ") + std::to_string(k))
                             : cp::Value(std::int64_t{k});
        found += rs.findNearest({key});
    }
    benchmark::DoNotOptimize(found);
    state.counters["rows"] = rs.recordCount();
}

void BM_FindNearestInteger(benchmark::State& state) { nearest(state, "CODIGOPARC", false); }
BENCHMARK(BM_FindNearestInteger)->Unit(benchmark::kMicrosecond);

void BM_FindNearestText(benchmark::State& state) { nearest(state, "CODIGOCTA", true); }
BENCHMARK(BM_FindNearestText)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
