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
//
// <db> is Embutido (embedded databases in a temporary suite directory) and,
// when the test server answers, Servidor (through the suite's aliases over
// loopback). Counters:
//   raw_ms      mean time of the same re-select through the client's own
//               interface (prepare, open, fetchNext into the server's
//               message, each column's bytes copied out), run right after
//               each action so both see the same load of the machine
//   ratio       mean time of the action / raw_ms; the aim is at most 1.3
//   statements  what the server received for one action (server only: read
//               from its trace in a run of its own after timing)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "RawClient.h"
#include "entry/PainelConta.h"
#include "shell/DataWidgets.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"
#include "support/LocaleGuard.h"
#include "support/ProgramaEmTeste.h"
#include "support/Semeia.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace {

using namespace cp;
using namespace cp::test;
using Clock = std::chrono::steady_clock;

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

// The bare loop: one attachment to the same database, kept open; each call
// reads the whole re-select in a transaction of its own and returns its time.
class ReSelectBruto {
  public:
    explicit ReSelectBruto(const std::string& banco) : raw_(loadRaw()) {
        using namespace Firebird;
        st_ = raw_.master->getStatus();
        CheckStatusWrapper status(st_);
        IXpbBuilder* dpb = raw_.util->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&status, isc_dpb_user_name, "sysdba");
        dpb->insertString(&status, isc_dpb_password, "vostremal");
        dpb->insertInt(&status, isc_dpb_sql_dialect, 3);
        att_ = raw_.provider->attachDatabase(&status, banco.c_str(), dpb->getBufferLength(&status),
                                             dpb->getBuffer(&status));
        dpb->dispose();
        tpb_ = raw_.util->getXpbBuilder(&status, IXpbBuilder::TPB, nullptr, 0);
        tpb_->insertTag(&status, isc_tpb_read);
        tpb_->insertTag(&status, isc_tpb_read_committed);
        tpb_->insertTag(&status, isc_tpb_rec_version);
        tpb_->insertTag(&status, isc_tpb_wait);
        if ((status.getState() & IStatus::STATE_ERRORS) || !att_) qFatal("raw attach failed");
    }
    ~ReSelectBruto() {
        Firebird::CheckStatusWrapper status(st_);
        tpb_->dispose();
        att_->detach(&status);
        st_->dispose();
    }

    Clock::duration le() {
        using namespace Firebird;
        const auto t0 = Clock::now();
        CheckStatusWrapper status(st_);
        const std::string sql = std::string("Select ") + kCamposCPR +
                                " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR";
        ITransaction* tra = att_->startTransaction(&status, tpb_->getBufferLength(&status),
                                                   tpb_->getBuffer(&status));
        IStatement* stmt =
            att_->prepare(&status, tra, 0, sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA);
        IMessageMetadata* meta = stmt->getOutputMetadata(&status);
        const unsigned n = meta->getCount(&status);
        struct Col {
            unsigned type, offset, nullOffset, length;
        };
        std::vector<Col> cols(n);
        for (unsigned i = 0; i < n; ++i)
            cols[i] = {meta->getType(&status, i) & ~1u, meta->getOffset(&status, i),
                       meta->getNullOffset(&status, i), meta->getLength(&status, i)};
        buffer_.resize(meta->getMessageLength(&status));
        IResultSet* rs = stmt->openCursor(&status, tra, nullptr, nullptr, meta, 0);
        std::int64_t linhas = 0;
        unsigned char valor[256];
        std::int64_t soma = 0;
        while (rs->fetchNext(&status, buffer_.data()) == IStatus::RESULT_OK) {
            const unsigned char* b = buffer_.data();
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
            ++linhas;
        }
        benchmark::DoNotOptimize(soma);
        rs->close(&status);
        meta->release();
        stmt->free(&status);
        tra->commit(&status);
        if ((status.getState() & IStatus::STATE_ERRORS) || linhas != kContas)
            qFatal("raw fetch failed");
        return Clock::now() - t0;
    }

  private:
    Raw raw_;
    Firebird::IStatus* st_ = nullptr;
    Firebird::IAttachment* att_ = nullptr;
    Firebird::IXpbBuilder* tpb_ = nullptr;
    std::vector<unsigned char> buffer_;
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The program in browser mode on one of the two kinds of database.
struct Suite : ProgramaEmTeste {
    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    std::unique_ptr<ServerDatabases> servidor;
    std::string banco;  // for the bare loop

    LocaleGuard brasil;

    explicit Suite(bool noServidor) {
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

    // Runs one action on the list's row of account 50,000 and returns its
    // time; the bare re-select runs right after it, so both see the same load
    // of the machine.
    template <class Acao>
    double mede(Acao acao) {
        if (!bruto) bruto = std::make_unique<ReSelectBruto>(banco);
        linhaListada();
        const auto t0 = Clock::now();
        acao();
        QApplication::processEvents();  // the view laid out and painted
        const Clock::duration t = Clock::now() - t0;
        programa += t;
        bruto_ += bruto->le();
        return std::chrono::duration<double>(t).count();
    }
    void contadores(benchmark::State& state) {
        const double n = static_cast<double>(state.iterations());
        state.counters["raw_ms"] = ms(bruto_) / n;
        state.counters["ratio"] = ms(programa) / ms(bruto_);
        programa = bruto_ = {};
    }

    std::unique_ptr<ReSelectBruto> bruto;
    Clock::duration programa{}, bruto_{};

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
        state.SetIterationTime(s.mede([&] { s.form->BitBtn11->click(); }));
        s.verifica(kContaListada, state);
        s.volta();
    }
    s.contadores(state);
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
        state.SetIterationTime(s.mede([&] { s.form->BitBtn14->click(); }));
        s.verifica(kContas + 1, state);
        s.volta();
    }
    s.contadores(state);
    if constexpr (noServidor) {
        s.linhaListada();
        TraceSession trace;
        trace.start(s.banco);
        s.form->BitBtn14->click();
        state.counters["statements"] = static_cast<double>(trace.stop().size());
        s.volta();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto registra = [](const char* nome, void (*fn)(benchmark::State&), int n) {
        benchmark::RegisterBenchmark(nome, fn)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(n);
    };
    registra("BM_Detalhes_Embutido", detalhes<false>, 10);
    registra("BM_NovaConta_Embutido", novaConta<false>, 10);
    // The server's databases only when a test server answers.
    if (!fbServerUnavailable()) {
        registra("BM_Detalhes_Servidor", detalhes<true>, 5);
        registra("BM_NovaConta_Servidor", novaConta<true>, 5);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
