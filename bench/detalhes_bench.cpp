// "Detalhes da Conta" and "Nova conta" on a database of 100,000 payable
// accounts, from the click to the first field ready, against a bare loop on
// the client's own interface reading the same re-select of the accounts.
//
//   BM_Detalhes_<db>   the details button on a listed installment: every
//                      payable account read again in code order, the
//                      account found, its installments and condition loaded,
//                      both put in edit mode, the view switched and laid out
//   BM_NovaConta_<db>  "Nova conta": the same opening, then the new account
//                      (the highest code read) with the focus in "Despesa"
//   BM_RawReSelect_<db>  the same re-select through the client's interface:
//                      prepare, open, fetchNext into the server's message,
//                      each column's bytes read into a plain buffer
//
// <db> is Embutido (embedded databases in a temporary suite directory) and,
// when the test server answers, Servidor (through the suite's aliases over
// loopback). At the end each action's time / raw time ratio is printed; the
// aim is at most 1.3. Counter "statements": what the server received for one
// action (server only: read from its trace in a run of its own after timing).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "RawClient.h"
#include "data/Modules.h"
#include "data/SessionState.h"
#include "entry/PainelConta.h"
#include "shell/DataWidgets.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"
#include "support/ProgramaEmTeste.h"
#include "support/Semeia.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace {

using namespace cp;
using namespace cp::test;

constexpr int kContas = 100000;
constexpr std::int64_t kContaListada = 50000;

void semeia(fb::Attachment& a, fb::Attachment& estacao, const std::string& usuario) {
    a.execute(
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, QDEPARCELAS) "
        "values (1, 'Dias Corridos', '30 DIAS', 1)");
    a.execute(
        "execute block as declare i integer = 1; begin "
        "while (i <= " +
        std::to_string(kContas) +
        ") do begin "
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, "
        "CONDPAGTO, NFISCAL, NOMECLIFOR, FONECLIFOR, ENDERECOCLIFOR, DATAREGISTRO, HORAREGISTRO, "
        "OBSERVACAO) values (:i, '01', 'P', 'MATERIA-PRIMA LOTE ' || :i, mod(:i, 9973) + 0.37, "
        "dateadd(mod(:i, 365) day to date '2023-01-01'), '30 DIAS', :i, 'DISTRIBUIDORA ' || "
        "mod(:i, 97), '(11) 5555-' || lpad(mod(:i, 10000), 4, '0'), 'RUA DAS FARMACIAS, ' || "
        ":i, date '2023-01-01', time '10:00:00', 'NOTA ' || :i); i = i + 1; end end");
    // One account in 1,000 has installments in March 2024, the list's period.
    a.execute(
        "execute block as declare i integer = 1000; begin "
        "while (i <= " +
        std::to_string(kContas) +
        ") do begin "
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM) values (:i, :i, '01', 1, 100.00, dateadd(mod(:i, 31) day to date "
        "'2024-03-01')); i = i + 1000; end end");
    a.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'B01', ?)",
              {usuario});
    estacao.execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-03-01', '2024-03-31')");
}

// The program in browser mode on one of the two kinds of database.
struct Suite : ProgramaEmTeste {
    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    std::unique_ptr<ServerDatabases> servidor;
    std::string banco;  // for the bare loop

    explicit Suite(bool noServidor) {
        usaLocaleDaSuite();
        QByteArray ini = linhaIni(kRotuloLogoff, "10");
        if (noServidor) {
            servidor = std::make_unique<ServerDatabases>("01");
            semeia(servidor->shared(), servidor->workstation(), env.osUserName().toStdString());
            servidor->release();
            banco = servidor->sharedConnect();
            ini = linhaIni(kRotuloIP, serverHost()) + ini;
        } else {
            dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
            semeia(dbs->shared(), dbs->workstation(), env.osUserName().toStdString());
            dbs->release();
            banco = dbs->sharedPath();
        }
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"), ini);
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");  // no login panel
        if (!inicia(env, env.suiteDir())) qFatal("start-up ended: no settings file");
        form->show();
        for (int i = 0; i < 10 && !form->activated(); ++i) QApplication::processEvents();
        if (!form->activationCompleted() || !env.messages.isEmpty())
            qFatal("start-up failed: %s", qPrintable(env.messages.join('\n')));
    }
    ~Suite() { encerra(); }

    // The list's current row on an installment of account 50,000.
    void linhaListada() {
        RecordSet& q = dm->Query2;
        const int col = q.fieldIndex("CODIGOCPR");
        for (int i = 0; i < q.rowCount(); ++i)
            if (q.valueAt(i, col) == Value(kContaListada)) q.moveTo(i);
    }
    void verifica(std::int64_t codigo, benchmark::State& state) {
        if (dm->CONTASPR.field("CODIGOCPR").asInteger() != codigo || !env.messages.isEmpty())
            state.SkipWithError("the account expected is not shown");
    }
    // Back to the list; a new account is dropped first, unwritten.
    void volta() {
        if (dm->CONTASPR.state() == RecordSetState::Insert) dm->CONTASPR.cancel();
        form->BitBtn11->click();
        QApplication::processEvents();
    }
};

template <bool noServidor>
Suite& suite() {
    static Suite s(noServidor);
    return s;
}

template <bool noServidor>
void detalhes(benchmark::State& state) {
    Suite& s = suite<noServidor>();
    for (auto _ : state) {
        state.PauseTiming();
        s.linhaListada();
        state.ResumeTiming();
        s.form->BitBtn11->click();
        QApplication::processEvents();  // the details laid out and painted
        state.PauseTiming();
        s.verifica(kContaListada, state);
        s.volta();
        state.ResumeTiming();
    }
    state.counters["rows"] = s.dm->CONTASPR.active() ? s.dm->CONTASPR.recordCount() : kContas;
    if constexpr (noServidor) {
        s.linhaListada();
        TraceSession trace;
        trace.start(s.banco);
        s.form->BitBtn11->click();
        state.counters["statements"] = static_cast<double>(trace.stop().size());
        s.volta();
    }
}

template <bool noServidor>
void novaConta(benchmark::State& state) {
    Suite& s = suite<noServidor>();
    for (auto _ : state) {
        state.PauseTiming();
        s.linhaListada();
        state.ResumeTiming();
        s.form->BitBtn14->click();
        QApplication::processEvents();
        state.PauseTiming();
        s.verifica(kContas + 1, state);
        if (QApplication::focusWidget() != s.form->conta->DBEdit10 && s.form->isActiveWindow())
            state.SkipWithError("the focus is not in Despesa");
        s.volta();
        state.ResumeTiming();
    }
    if constexpr (noServidor) {
        s.linhaListada();
        TraceSession trace;
        trace.start(s.banco);
        s.form->BitBtn14->click();
        state.counters["statements"] = static_cast<double>(trace.stop().size());
        s.volta();
    }
}

template <bool noServidor>
void rawReSelect(benchmark::State& state) {
    using namespace Firebird;
    Suite& s = suite<noServidor>();
    static Raw raw = loadRaw();
    IStatus* st = raw.master->getStatus();
    CheckStatusWrapper status(st);
    auto failed = [&] { return (status.getState() & IStatus::STATE_ERRORS) != 0; };
    IXpbBuilder* dpb = raw.util->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&status, isc_dpb_user_name, "sysdba");
    dpb->insertString(&status, isc_dpb_password, "vostremal");
    dpb->insertInt(&status, isc_dpb_sql_dialect, 3);
    IAttachment* att = raw.provider->attachDatabase(
        &status, s.banco.c_str(), dpb->getBufferLength(&status), dpb->getBuffer(&status));
    dpb->dispose();
    IXpbBuilder* tpb = raw.util->getXpbBuilder(&status, IXpbBuilder::TPB, nullptr, 0);
    tpb->insertTag(&status, isc_tpb_read);
    tpb->insertTag(&status, isc_tpb_read_committed);
    tpb->insertTag(&status, isc_tpb_rec_version);
    tpb->insertTag(&status, isc_tpb_wait);
    if (failed() || !att) {
        state.SkipWithError("raw attach failed");
        tpb->dispose();
        st->dispose();
        return;
    }
    const std::string sql = std::string("Select ") + kCamposCPR +
                            " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR";
    std::vector<unsigned char> buffer;
    std::int64_t count = 0;
    for (auto _ : state) {
        ITransaction* tra =
            att->startTransaction(&status, tpb->getBufferLength(&status), tpb->getBuffer(&status));
        IStatement* stmt =
            att->prepare(&status, tra, 0, sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA);
        IMessageMetadata* meta = stmt->getOutputMetadata(&status);
        const unsigned n = meta->getCount(&status);
        struct Col {
            unsigned type, offset, nullOffset, length;
        };
        std::vector<Col> cols(n);
        for (unsigned i = 0; i < n; ++i)
            cols[i] = {meta->getType(&status, i) & ~1u, meta->getOffset(&status, i),
                       meta->getNullOffset(&status, i), meta->getLength(&status, i)};
        buffer.resize(meta->getMessageLength(&status));
        IResultSet* rs = stmt->openCursor(&status, tra, nullptr, nullptr, meta, 0);
        count = 0;
        unsigned char valor[256];
        std::int64_t soma = 0;
        while (rs->fetchNext(&status, buffer.data()) == IStatus::RESULT_OK) {
            const unsigned char* b = buffer.data();
            for (const Col& c : cols) {
                std::int16_t null;
                std::memcpy(&null, b + c.nullOffset, 2);
                if (null) continue;
                unsigned len = c.length;
                const unsigned char* src = b + c.offset;
                if (c.type == SQL_VARYING) {
                    std::uint16_t l;
                    std::memcpy(&l, src, 2);
                    len = l;
                    src += 2;
                }
                std::memcpy(valor, src, std::min<unsigned>(len, sizeof valor));
                soma += valor[0];
            }
            ++count;
        }
        benchmark::DoNotOptimize(soma);
        rs->close(&status);
        meta->release();
        stmt->free(&status);
        tra->commit(&status);
        if (failed()) {
            state.SkipWithError("raw fetch failed");
            break;
        }
        if (count != kContas) state.SkipWithError("wrong row count");
    }
    tpb->dispose();
    att->detach(&status);
    st->dispose();
    state.counters["rows"] = static_cast<double>(count);
}

// Keeps each run's time per iteration so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times_[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* db : {"Embutido", "Servidor"}) {
            auto raw = times_.find(std::string("BM_RawReSelect_") + db);
            if (raw == times_.end() || raw->second <= 0) continue;
            for (const char* acao : {"BM_Detalhes_", "BM_NovaConta_"}) {
                auto t = times_.find(acao + std::string(db));
                if (t != times_.end())
                    std::printf("%s%s / raw re-select at %d accounts: %.3f\n", acao, db, kContas,
                                t->second / raw->second);
            }
        }
    }

  private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto registra = [](const char* nome, void (*fn)(benchmark::State&), int n) {
        benchmark::RegisterBenchmark(nome, fn)->Unit(benchmark::kMillisecond)->Iterations(n);
    };
    registra("BM_RawReSelect_Embutido", rawReSelect<false>, 10);
    registra("BM_Detalhes_Embutido", detalhes<false>, 10);
    registra("BM_NovaConta_Embutido", novaConta<false>, 10);
    // The server's databases only when a test server answers.
    if (!fbServerUnavailable()) {
        registra("BM_RawReSelect_Servidor", rawReSelect<true>, 5);
        registra("BM_Detalhes_Servidor", detalhes<true>, 5);
        registra("BM_NovaConta_Servidor", novaConta<true>, 5);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
