// The supplier check on a table of 50,000 suppliers, against a plain loop on
// the client's own interface reading the same statement.
//
//   BM_ProcuraFornecedor_50k  leaving "Fornecedor" with the first letters of a
//                             name: the supplier list opened (every row read
//                             and kept in trade-name order), positioned on the
//                             nearest name, and the lookup panel shown over the
//                             account's fields with its list laid out
//   BM_RawFetch_50k           the same statement through the client's
//                             interface: prepare, open, fetchNext into the
//                             server's message, each column read into a plain
//                             variable
//
// At the end the check / raw time ratio is printed; the aim is at most 1.3.
// The databases are embedded, created once in a temporary suite directory.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <firebird/Interface.h>

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "RawClient.h"
#include "data/Conexoes.h"
#include "data/Modules.h"
#include "data/Persistencia.h"
#include "data/SessionState.h"
#include "entry/PainelConta.h"
#include "entry/PainelProcura.h"
#include "entry/Procura.h"
#include "entry/Procuras.h"
#include "shell/DataWidgets.h"
#include "support/FbDatabases.h"
#include "support/ProgramaEmTeste.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace {

using namespace cp;
using namespace cp::test;

constexpr int kFornecedores = 50000;

// The suite with 50,000 suppliers (their four-character codes in base 36,
// since CODIGO holds four characters) and one account, opened in the
// single-account window (the account's fields shown).
struct Suite : ProgramaEmTeste {
    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;

    Suite() {
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        fb::Attachment& a = dbs->shared();
        a.execute(
            "execute block as declare i integer = 1; "
            "declare d varchar(36) = '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ'; begin "
            "while (i <= " +
            std::to_string(kFornecedores) +
            ") do begin "
            "insert into FORNECED (CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, "
            "CIDADE, ESTADO, TEL, FAX, E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO) values "
            "(substring(:d from mod(:i / 46656, 36) + 1 for 1) || "
            "substring(:d from mod(:i / 1296, 36) + 1 for 1) || "
            "substring(:d from mod(:i / 36, 36) + 1 for 1) || "
            "substring(:d from mod(:i, 36) + 1 for 1), "
            "'FORNECEDOR DE INSUMOS ' || :i || ' LTDA', "
            "'FORNECEDOR ' || lpad(mod(:i * 7919, 50000), 5, '0') || ' ' || :i, "
            "'RUA DAS FARMACIAS, ' || :i, 'SALA ' || mod(:i, 40), '01310-100', 'SAO PAULO', "
            "'SP', '(11) 5555-' || lpad(mod(:i, 10000), 4, '0'), '(11) 5555-0000', "
            "'contato' || :i || '@fornecedor.com.br', 'www.fornecedor' || :i || '.com.br', "
            "'12.345.678/0001-' || lpad(mod(:i, 100), 2, '0'), '123.456.789.' || mod(:i, 1000), "
            "'9876' || :i, 30); i = i + 1; end end");
        a.execute(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, NFISCAL, NOMECLIFOR) "
            "values (1, '01', 'P', 'Frascos', '123', 'VIDRARIA')");
        a.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'B01', ?)",
                  {env.osUserName().toStdString()});
        dbs->release();
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                           "TEMPO PARA LOGOFF AUTOMATICO...................: 10\r\n");
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");  // no login panel

        inicia(env, env.suiteDir(), QStringList{"123", "VIDRARIA"});
        form->show();
        for (int i = 0; i < 10 && !form->activated(); ++i) QApplication::processEvents();
        if (!form->activationCompleted() || !env.messages.isEmpty())
            qFatal("start-up failed: %s", qPrintable(env.messages.join('\n')));
    }
    ~Suite() { encerra(); }
};

Suite& suite() {
    static Suite s;
    return s;
}

void BM_ProcuraFornecedor_50k(benchmark::State& state) {
    Suite& s = suite();
    Procuras& p = *s.form->procuras;
    s.form->conta->DBEdit12->setText(QStringLiteral("FORNECEDOR 250"));
    for (auto _ : state) {
        p.ProcuraFornecedor();
        QApplication::processEvents();  // the panel and its list lay themselves out
        state.PauseTiming();
        if (!p.PainelForProcura->isVisible() || !s.env.messages.isEmpty()) {
            state.SkipWithError("the lookup panel did not open");
            break;
        }
        p.CancelaFornecedor();
        s.form->conta->DBEdit12->setText(QStringLiteral("FORNECEDOR 250"));
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = kFornecedores;
}

void BM_RawFetch_50k(benchmark::State& state) {
    using namespace Firebird;
    Suite& s = suite();
    static Raw raw = loadRaw();
    IStatus* st = raw.master->getStatus();
    CheckStatusWrapper status(st);
    auto failed = [&] { return (status.getState() & IStatus::STATE_ERRORS) != 0; };

    IXpbBuilder* dpb = raw.util->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&status, isc_dpb_user_name, "sysdba");
    dpb->insertString(&status, isc_dpb_password, kSenhaSysdba);
    dpb->insertInt(&status, isc_dpb_sql_dialect, 3);
    IAttachment* att =
        raw.provider->attachDatabase(&status, s.dbs->sharedPath().c_str(),
                                     dpb->getBufferLength(&status), dpb->getBuffer(&status));
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
    const std::string sql = sqlFornecedores(kCamposFornecedor);
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
            unsigned type, offset, nullOffset;
        };
        std::vector<Col> cols(n);
        for (unsigned i = 0; i < n; ++i)
            cols[i] = {meta->getType(&status, i) & ~1u, meta->getOffset(&status, i),
                       meta->getNullOffset(&status, i)};
        buffer.resize(meta->getMessageLength(&status));
        IResultSet* rs = stmt->openCursor(&status, tra, nullptr, nullptr, meta, 0);
        count = 0;
        std::int64_t ints = 0;
        std::string text;
        while (rs->fetchNext(&status, buffer.data()) == IStatus::RESULT_OK) {
            const unsigned char* b = buffer.data();
            for (const Col& c : cols) {
                std::int16_t null;
                std::memcpy(&null, b + c.nullOffset, 2);
                if (null) continue;
                if (c.type == SQL_LONG) {
                    std::int32_t v;
                    std::memcpy(&v, b + c.offset, 4);
                    ints += v;
                } else if (c.type == SQL_VARYING) {
                    std::uint16_t len;
                    std::memcpy(&len, b + c.offset, 2);
                    text.assign(reinterpret_cast<const char*>(b + c.offset + 2), len);
                    benchmark::DoNotOptimize(text.data());
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
        if (count != kFornecedores) state.SkipWithError("wrong row count");
    }
    tpb->dispose();
    att->detach(&status);
    st->dispose();
    state.counters["rows"] = static_cast<double>(count);
}

BENCHMARK(BM_ProcuraFornecedor_50k)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RawFetch_50k)->Unit(benchmark::kMillisecond)->Iterations(10);

// Keeps each run's time per iteration so the ratio can be printed at the end.
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
        auto c = times_.find("BM_ProcuraFornecedor_50k/iterations:10");
        auto r = times_.find("BM_RawFetch_50k/iterations:10");
        if (c != times_.end() && r != times_.end() && r->second > 0)
            std::printf("supplier check / raw fetch at %d suppliers: %.3f\n", kFornecedores,
                        c->second / r->second);
    }

  private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
