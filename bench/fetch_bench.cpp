// Fetching installment rows: the client wrapper (every column read into a
// typed value) side by side with a plain loop on the client's own interface
// over the same output message. At the end the wrapper/raw time ratio is
// printed for each row count; the aim is at most 1.2 at 100,000 rows.
//
// The rows are made once per run in an embedded database in a temporary
// folder.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "RawClient.h"
#include "fb/fb.h"
#include "support/FbDatabases.h"

namespace {

constexpr int kRows = 100000;

const char* const kQuery =
    "select first %d CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, DATAVENCIM, "
    "VALORPAGO, DATAPAGTO, CODIGOCTA, NUMDOCUMENTO, MEIO, QAUT from PARCELAS";

std::string queryFor(int rows) {
    char text[512];
    std::snprintf(text, sizeof text, kQuery, rows);
    return text;
}

std::string gDatabase;

void makeRows(const std::string& path) {
    fb::Attachment db = cp::test::createDatabaseFromScript(path, "shared.sql");
    fb::Transaction t = db.startTransaction();
    fb::Statement insert = t.prepare(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, VALORPAGO, DATAPAGTO, CODIGOCTA, NUMDOCUMENTO, MEIO, QAUT) "
        "values (?, ?, '01', ?, ?, ?, ?, ?, ?, ?, ?, 'N')");
    for (int i = 1; i <= kRows; ++i) {
        const bool paid = i % 3 == 0;
        fb::Date due{2024, 1 + i % 12, 1 + i % 28};
        insert.execute({std::int64_t{i}, std::int64_t{i / 4 + 1}, std::int64_t{i % 4 + 1},
                        fb::Decimal{12345 + i, 2}, due,
                        paid ? fb::Value{fb::Decimal{12345 + i, 2}} : fb::Value{},
                        paid ? fb::Value{due} : fb::Value{},
                        std::string("0001-") + std::to_string(i % 7), std::int64_t{900000 + i},
                        std::string(i % 2 ? "BOLETO" : "CHEQUE")});
    }
    t.commit();
}

void BM_WrapperFetch(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    fb::Attachment db =
        fb::Attachment::attach(cp::test::fbClient(), gDatabase, cp::test::testAttachParams());
    const std::string sql = queryFor(rows);
    std::vector<fb::Value> row;
    for (auto _ : state) {
        fb::Transaction t = db.startTransaction();
        fb::Cursor c = t.open(sql);
        const unsigned n = static_cast<unsigned>(c.columns().size());
        row.resize(n);
        std::int64_t count = 0;
        while (c.fetch()) {
            for (unsigned i = 0; i < n; ++i) row[i] = c.value(i);
            benchmark::DoNotOptimize(row.data());
            ++count;
        }
        c.close();
        t.commit();
        if (count != rows) state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

// The same work written straight against the client's interface: prepare,
// open, fetchNext into the server's own message, each column read from its
// offset into a plain variable.
void BM_RawFetch(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    RawSession raw(gDatabase, true);
    if (raw.failed()) {
        state.SkipWithError("raw attach failed");
        return;
    }
    const std::string sql = queryFor(rows);
    for (auto _ : state) {
        const std::int64_t count = raw.fetchAll(sql);
        if (count < 0) {
            state.SkipWithError("raw fetch failed");
            break;
        }
        if (count != rows) state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

BENCHMARK(BM_WrapperFetch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFetch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    gDatabase = dir.filePath("fetch.fdb").toStdString();
    makeRows(gDatabase);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(
        {{"BM_WrapperFetch/10000", "BM_RawFetch/10000", "wrapper / raw at 10000 rows"},
         {"BM_WrapperFetch/100000", "BM_RawFetch/100000", "wrapper / raw at 100000 rows"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
