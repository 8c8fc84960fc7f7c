// Installment generation in the started program (one transaction: the lock
// of new rows, the highest key read once, the inserts, the set read again)
// against a bare client sending the same statements in the same run.
//
//   BM_Gera180_<db>        180 installments generated for an account without
//                          any (no deletes, 180 inserts)
//   BM_Substitui12_<db>    12 installments replaced by 12 (12 deletes, 12 inserts)
//
// <db> is Embutido (embedded databases in a temporary suite directory) and,
// when the test server is reachable, Servidor (its databases through the
// suite's aliases, over loopback). Counters:
//   ratio       mean time of the generation / mean time of the bare client
//   raw_ms      mean time of the bare client
//   statements  statements the server received for one generation (server
//               only: read from its trace, in a run of its own after timing)
//
// The shared table holds 10,000 installments of other accounts as well: the
// key queries read the highest key of the whole table, as the suite does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <memory>
#include <string>

#include "entry/GeraParcelas.h"
#include "suite/ChaveConta.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"
#include "support/ProgramaEmTeste.h"
#include "support/Semeia.h"
#include "support/TestEnvironment.h"

namespace {

using namespace cp;
using namespace cp::test;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kConta180 = 1, kConta12 = 2, kContaBruta = 3;

// The accounts, their conditions and the other accounts' installments; the
// work area bound to the test user, the installment defaults and a period
// with no installments (the due list the program opens on stays empty).
void semeia(fb::Attachment& a, fb::Attachment& estacao, const TestEnvironment& env) {
    a.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'BRUNDELO01', ?)",
              {env.osUserName().toStdString()});
    a.execute(
        "insert into FORMAPAD (TIPOFORMA, MEIOPADRAO, CTAPADRAO) "
        "values ('PADRAO', 'BOLETO', '12345-6')");
    a.execute(
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS) values "
        "(1, 'Dia Fixo', 'MENSAL 180', '1+', 180)");
    a.execute(
        "insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS) values "
        "(2, 'Dias Corridos', '12 VEZES', '30,60,90,120,150,180,210,240,270,300,330,360', 12)");
    a.execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, VALORTOTAL, DATA, CONDPAGTO) values "
        "(1, '01', 'P', 18000.00, '2025-01-31', 'MENSAL 180')");
    a.execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, VALORTOTAL, DATA, CONDPAGTO) values "
        "(2, '01', 'P', 1234.56, '2025-01-15', '12 VEZES')");
    a.execute(
        "execute block as declare i integer = 1; begin "
        "while (i <= 10000) do begin "
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM) values (:i, 1000 + :i / 10, '01', mod(:i, 10) + 1, 99.90, "
        "dateadd(mod(:i, 700) day to date '2024-01-01')); i = i + 1; end end");
    a.execute(
        "execute block as declare i integer = 1; begin "
        "while (i <= 12) do begin "
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA) "
        "values (20000 + :i, 2, '01', :i, 1.00); i = i + 1; end end");
    estacao.execute(
        "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2030-01-01', '2030-01-31')");
}

// The program started as its entry starts it, in browser mode, on the suite
// of `env`; the account's record sets as the entry panel works on them.
struct Programa : ProgramaEmTeste {
    TestEnvironment& env;

    explicit Programa(TestEnvironment& e) : env(e) {
        if (!inicia(env, env.suiteDir())) qFatal("start-up ended: no settings file");
        if (!ativa() || !env.messages.isEmpty())
            qFatal("start-up failed: %s", qPrintable(env.messages.join('\n')));
    }
    ~Programa() { encerra(); }

    // Makes `conta` current (its installments and condition load with it).
    void conta(std::int64_t codigo) {
        if (dm->CONTASPR.state() != RecordSetState::Browse) dm->CONTASPR.cancel();
        if (!dm->CONTASPR.findKey({Value(codigo)})) qFatal("no account %lld", (long long)codigo);
        dm->CONTASPR.edit();
    }
    // One generation, as leaving a changed condition field runs it.
    void gera() {
        form->sessao.CondPagtoAnterior = "";
        if (!GeraParcelas(*dm, form->sessao, env) || !env.messages.isEmpty())
            qFatal("generation failed: %s", qPrintable(env.messages.join('\n')));
    }
};

// A generation through the bare client, with the statements the program
// needs: in one transaction the lock of new rows, the highest key, the
// inserts (one statement prepared once, every value a parameter) and the
// account's installments read again.
void geraBruto(fb::Attachment& a, int n) {
    fb::Transaction tr = a.startTransaction();
    tr.execute(kTravaContaNova);
    fb::Cursor maior = tr.open("Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS");
    maior.fetch();
    const std::int64_t primeiro = maior.isNull(0) ? 1 : maior.asInt64(0) + 1;
    maior.close();
    fb::Statement insere = tr.prepare(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, CODIGOCTA, MEIO, NATUREZA) values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < n; ++i) {
        insere.execute({primeiro + i, kContaBruta, std::string("01"), std::int64_t{i + 1},
                        fb::Decimal{10000, 2}, fb::Date{2025, 1 + i % 12, 15},
                        std::string("12345-6"), std::string("BOLETO"), std::string("P")});
    }
    fb::Cursor relidas = tr.open("select * from PARCELAS where CODIGOCPR = ?", {kContaBruta});
    while (relidas.fetch()) {
    }
    relidas.close();
    tr.commit();
}

// The same writes through the bare client: each row its own committed
// transaction, every value a parameter.
void insereBruto(fb::Attachment& a, std::int64_t primeiro, int n) {
    for (int i = 0; i < n; ++i) {
        fb::Transaction tr = a.startTransaction();
        tr.execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
            "DATAVENCIM, CODIGOCTA, MEIO, NATUREZA) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {primeiro + i, kContaBruta, std::string("01"), std::int64_t{i + 1},
             fb::Decimal{10000, 2}, fb::Date{2025, 1 + i % 12, 15}, std::string("12345-6"),
             std::string("BOLETO"), std::string("P")});
        tr.commit();
    }
}
void excluiBruto(fb::Attachment& a, std::int64_t primeiro, int n) {
    for (int i = 0; i < n; ++i) {
        fb::Transaction tr = a.startTransaction();
        tr.execute("delete from PARCELAS where CODIGOPARC = ? and CODIGOCPR = ?",
                   {primeiro + i, kContaBruta});
        tr.commit();
    }
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The two databases: embedded files made once in the suite directory, or
// the server's, named by the settings file. The marker file skips the login.
struct Embutido {
    TestEnvironment env;
    SuiteDatabases dbs{env.suiteDir()};
    Embutido() {
        semeia(dbs.shared(), dbs.workstation(), env);
        dbs.release();
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"), linhaIni(kRotuloLogoff, "10"));
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");
    }
    std::string banco() const { return dbs.sharedPath(); }
    fb::AttachParams params() const { return testAttachParams(); }
    static constexpr bool servidor = false;
};
struct Servidor {
    TestEnvironment env;
    ServerDatabases server;
    Servidor() {
        semeia(server.shared(), server.workstation(), env);
        server.release();
        suiteNoServidor(env, serverHost());
    }
    std::string banco() const { return server.sharedConnect(); }
    fb::AttachParams params() const { return serverAttachParams(); }
    static constexpr bool servidor = true;
};

template <class Banco>
Banco& banco() {
    static Banco b;
    return b;
}

template <class Banco>
void conta180(benchmark::State& state) {
    Banco& b = banco<Banco>();
    Programa p(b.env);
    fb::Attachment a = fb::Attachment::attach(fbClient(), b.banco(), b.params());
    p.conta(kConta180);
    Clock::duration programa{};
    for (auto _ : state) {
        state.PauseTiming();
        a.execute("delete from PARCELAS where CODIGOCPR = ?", {kConta180});
        p.dm->Parcelas.refresh();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        p.gera();
        programa += Clock::now() - t0;
    }
    if (p.dm->Parcelas.recordCount() != 180) qFatal("expected 180 installments");

    Clock::duration bruto{};
    for (std::int64_t i = 0; i < state.iterations(); ++i) {
        const auto t0 = Clock::now();
        geraBruto(a, 180);
        bruto += Clock::now() - t0;
        a.execute("delete from PARCELAS where CODIGOCPR = ?", {kContaBruta});
    }
    state.counters["raw_ms"] = ms(bruto) / static_cast<double>(state.iterations());
    state.counters["ratio"] = ms(programa) / ms(bruto);

    if constexpr (Banco::servidor) {
        a.execute("delete from PARCELAS where CODIGOCPR = ?", {kConta180});
        p.dm->Parcelas.refresh();
        TraceSession trace;
        trace.start(b.banco());
        p.gera();
        state.counters["statements"] = static_cast<double>(trace.stop().size());
    }
}

template <class Banco>
void substitui12(benchmark::State& state) {
    Banco& b = banco<Banco>();
    Programa p(b.env);
    fb::Attachment a = fb::Attachment::attach(fbClient(), b.banco(), b.params());
    p.conta(kConta12);
    Clock::duration programa{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        p.gera();
        programa += Clock::now() - t0;
    }
    if (p.dm->Parcelas.recordCount() != 12) qFatal("expected 12 installments");

    insereBruto(a, 60000, 12);
    Clock::duration bruto{};
    for (std::int64_t i = 0; i < state.iterations(); ++i) {
        const auto t0 = Clock::now();
        excluiBruto(a, 60000, 12);
        insereBruto(a, 60000, 12);
        bruto += Clock::now() - t0;
    }
    a.execute("delete from PARCELAS where CODIGOCPR = ?", {kContaBruta});
    state.counters["raw_ms"] = ms(bruto) / static_cast<double>(state.iterations());
    state.counters["ratio"] = ms(programa) / ms(bruto);

    if constexpr (Banco::servidor) {
        TraceSession trace;
        trace.start(b.banco());
        p.gera();
        state.counters["statements"] = static_cast<double>(trace.stop().size());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RegisterBenchmark("BM_Gera180_Embutido", conta180<Embutido>)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("BM_Substitui12_Embutido", substitui12<Embutido>)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(30);
    // The server's databases only when a test server answers.
    if (!fbServerUnavailable()) {
        benchmark::RegisterBenchmark("BM_Gera180_Servidor", conta180<Servidor>)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
        benchmark::RegisterBenchmark("BM_Substitui12_Servidor", substitui12<Servidor>)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
