// Fetching installment rows: the client wrapper (every column read into a
// typed value) side by side with a plain loop on the client's own interface
// over the same output message. At the end the wrapper/raw time ratio is
// printed for each row count; the aim is at most 1.2 at 100,000 rows.
//
// The rows are made once per run in an embedded database in a temporary
// folder.
#include <benchmark/benchmark.h>

#include "RawClient.h"
#include <dlfcn.h>
#include <firebird/Interface.h>

#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "data/Connection.h"
#include "data/fb/fb.h"
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
    using namespace Firebird;
    const int rows = static_cast<int>(state.range(0));
    static Raw raw = loadRaw();
    IStatus* st = raw.master->getStatus();
    CheckStatusWrapper status(st);
    auto failed = [&] { return (status.getState() & IStatus::STATE_ERRORS) != 0; };

    IXpbBuilder* dpb = raw.util->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&status, isc_dpb_user_name, "sysdba");
    dpb->insertString(&status, isc_dpb_password, cp::kSenhaSysdba);
    dpb->insertInt(&status, isc_dpb_sql_dialect, 3);
    IAttachment* att = raw.provider->attachDatabase(
        &status, gDatabase.c_str(), dpb->getBufferLength(&status), dpb->getBuffer(&status));
    dpb->dispose();
    IXpbBuilder* tpb = raw.util->getXpbBuilder(&status, IXpbBuilder::TPB, nullptr, 0);
    tpb->insertTag(&status, isc_tpb_write);
    tpb->insertTag(&status, isc_tpb_read_committed);
    tpb->insertTag(&status, isc_tpb_rec_version);
    tpb->insertTag(&status, isc_tpb_wait);
    if (failed() || !att) {
        state.SkipWithError("raw attach failed");
        tpb->dispose();
        st->dispose();
        return;
    }
    const std::string sql = queryFor(rows);
    std::vector<unsigned char> buffer;

    for (auto _ : state) {
        ITransaction* tra =
            att->startTransaction(&status, tpb->getBufferLength(&status), tpb->getBuffer(&status));
        IStatement* stmt =
            att->prepare(&status, tra, 0, sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA);
        IMessageMetadata* meta = stmt->getOutputMetadata(&status);
        const unsigned n = meta->getCount(&status);
        struct Col {
            unsigned type, offset, nullOffset;
        };
        std::vector<Col> cols(n);
        for (unsigned i = 0; i < n; ++i)
            cols[i] = {meta->getType(&status, i) & ~1u, meta->getOffset(&status, i),
                       meta->getNullOffset(&status, i)};
        buffer.resize(meta->getMessageLength(&status));
        IResultSet* rs = stmt->openCursor(&status, tra, nullptr, nullptr, meta, 0);
        std::int64_t count = 0;
        std::int64_t ints = 0;
        std::string text;
        while (rs->fetchNext(&status, buffer.data()) == IStatus::RESULT_OK) {
            const unsigned char* b = buffer.data();
            for (const Col& c : cols) {
                std::int16_t null;
                std::memcpy(&null, b + c.nullOffset, 2);
                if (null) continue;
                switch (c.type) {
                    case SQL_LONG: {
                        std::int32_t v;
                        std::memcpy(&v, b + c.offset, 4);
                        ints += v;
                        break;
                    }
                    case SQL_INT64: {
                        std::int64_t v;
                        std::memcpy(&v, b + c.offset, 8);
                        ints += v;
                        break;
                    }
                    case SQL_TYPE_DATE: {
                        ISC_DATE v;
                        std::memcpy(&v, b + c.offset, 4);
                        ints += v;
                        break;
                    }
                    case SQL_VARYING: {
                        std::uint16_t len;
                        std::memcpy(&len, b + c.offset, 2);
                        text.assign(reinterpret_cast<const char*>(b + c.offset + 2), len);
                        benchmark::DoNotOptimize(text.data());
                        break;
                    }
                    default:
                        break;
                }
            }
            ++count;
        }
        benchmark::DoNotOptimize(ints);
        rs->close(&status);
        meta->release();
        stmt->free(&status);
        tra->commit(&status);
        if (failed()) {
            state.SkipWithError("raw fetch failed");
            break;
        }
        if (count != rows) state.SkipWithError("wrong row count");
    }
    tpb->dispose();
    att->detach(&status);
    st->dispose();
    state.SetItemsProcessed(state.iterations() * rows);
}

BENCHMARK(BM_WrapperFetch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFetch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* rows : {"10000", "100000"}) {
            auto w = times_.find(std::string("BM_WrapperFetch/") + rows);
            auto r = times_.find(std::string("BM_RawFetch/") + rows);
            if (w != times_.end() && r != times_.end() && r->second > 0)
                std::printf("wrapper / raw at %s rows: %.3f\n", rows, w->second / r->second);
        }
    }

  private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    gDatabase = dir.filePath("fetch.fdb").toStdString();
    makeRows(gDatabase);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
