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

#include <QApplication>
#include <memory>

#include "RawClient.h"
#include "entry/PainelConta.h"
#include "entry/PainelProcura.h"
#include "entry/Procura.h"
#include "entry/Procuras.h"
#include "shell/DataWidgets.h"
#include "suite/Conexoes.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"
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
        if (!ativa() || !env.messages.isEmpty())
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
    Suite& s = suite();
    RawSession raw(s.dbs->sharedPath(), false);
    if (raw.failed()) {
        state.SkipWithError("raw attach failed");
        return;
    }
    const std::string sql = sqlFornecedores(kCamposFornecedor);
    std::int64_t count = 0;
    for (auto _ : state) {
        count = raw.fetchAll(sql);
        if (count < 0) {
            state.SkipWithError("raw fetch failed");
            break;
        }
        if (count != kFornecedores) state.SkipWithError("wrong row count");
    }
    state.counters["rows"] = static_cast<double>(count);
}

BENCHMARK(BM_ProcuraFornecedor_50k)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RawFetch_50k)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(
        {{"BM_ProcuraFornecedor_50k/iterations:10", "BM_RawFetch_50k/iterations:10",
          "supplier check / raw fetch at " + std::to_string(kFornecedores) + " suppliers"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
