// Copies of a due list of 100,000 installments, against a plain fetch of the
// same rows on the client's own interface in the same run.
//
//   BM_ExportaCsv_100k       copy of the list as shown + the spreadsheet file
//                            written under a temporary name and renamed
//   BM_ExportaCsvFundo_100k  the same as the operator runs it: on its own
//                            thread, the window's event loop waiting for the end
//   BM_SalvaPdf_100k         copy of the list + the PDF file
//   BM_SalvaPdf_2000         a month's list (2,000 of those rows) as a PDF file
//   BM_Previa_100k           the print preview of the same list opened, its
//                            first pages painted
//   BM_RawFetch_100k         the list statement fetched through the client's
//                            interface, every column read from the message
//
// Each reports "pico_MB": how far the process's peak resident memory rose
// above its size before the benchmark (the peak is reset first). At the end
// the ratios of the copies to the raw fetch are printed.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "RawClient.h"
#include "app/Form1.h"
#include "data/Connection.h"
#include "logic/ListaSql.h"
#include "payables/ExportaLista.h"
#include "payables/ImpressaoLista.h"
#include "payables/ListaContas.h"
#include "payables/PdfLista.h"
#include "payables/RelatorioLista.h"
#include "payables/SaidaLista.h"
#include "shell/PagePreview.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/ProgramaEmTeste.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace {

using namespace cp;
using namespace cp::test;

const QDate kIni(2024, 1, 1), kFim(2024, 12, 31);

// 100,000 installments of 2024 over 1,000 accounts of 37 suppliers, every
// fifth one paid; the program started on them in the all-installments view.
struct Suite : ProgramaEmTeste {
    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    ListaContas* lista = nullptr;
    QTemporaryDir saida;

    Suite() {
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        fb::Attachment& a = dbs->shared();
        a.execute(
            "execute block as declare i integer = 1; begin while (i <= 1000) do begin "
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, NOMECLIFOR, NFISCAL) "
            "values (:i, '01', 'P', 'MATERIA-PRIMA LOTE ' || :i, 'DISTRIBUIDORA ' || mod(:i, 37), "
            ":i); i = i + 1; end end");
        a.execute(
            "execute block as declare i integer = 1; begin while (i <= 100000) do begin "
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
            "DATAVENCIM, NUMDOCUMENTO, VALORPAGO, DATAPAGTO) values (:i, mod(:i, 1000) + 1, '01', "
            ":i / 1000 + 1, mod(:i, 9973) + 0.37, dateadd(mod(:i, 366) day to date '2024-01-01'), "
            ":i, iif(mod(:i, 5) = 0, mod(:i, 9973) + 0.37, null), "
            "iif(mod(:i, 5) = 0, date '2024-06-30', null)); i = i + 1; end end");
        a.execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'B01', ?)",
                  {env.osUserName().toStdString()});
        dbs->workstation().execute(
            "insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2024-01-01', '2024-12-31')");
        dbs->release();
        env.writeSuiteFile(QStringLiteral("BRUNDELO.INI"),
                           "TEMPO PARA LOGOFF AUTOMATICO...................: 10\r\n");
        env.writeSuiteFile(QStringLiteral("SaltaCP.db"), "");
        if (!inicia(env, env.suiteDir())) qFatal("start-up ended: no settings file");
        lista = form->lista.get();
        if (!ativa() || !env.messages.isEmpty())
            qFatal("start-up failed: %s", qPrintable(env.messages.join('\n')));
        lista->BitBtn2Click();  // all installments
        if (dm->Query2.rowCount() != 100000) qFatal("the list has the wrong number of rows");
    }
    ~Suite() { encerra(); }
};

// Made at first use and ended before the application object.
std::unique_ptr<Suite> gSuite;
Suite& suite() {
    if (!gSuite) gSuite = std::make_unique<Suite>();
    return *gSuite;
}

// ----- Peak memory -----

long statusKb(const char* campo) {
    std::ifstream f("/proc/self/status");
    std::string linha;
    const std::size_t n = std::strlen(campo);
    while (std::getline(f, linha))
        if (linha.compare(0, n, campo) == 0) return std::atol(linha.c_str() + n + 1);
    return 0;
}

class Pico {
  public:
    Pico() {
        malloc_trim(0);  // memory freed earlier is given back, so it is not reused unseen
        std::ofstream("/proc/self/clear_refs") << "5";  // peak back to the present size
        antes_ = statusKb("VmRSS");
    }
    double mb() const { return static_cast<double>(statusKb("VmHWM") - antes_) / 1024.0; }

  private:
    long antes_;
};

void BM_ExportaCsv_100k(benchmark::State& state) {
    Suite& s = suite();
    const QString caminho = s.saida.filePath(QStringLiteral("lista.csv"));
    Pico pico;
    for (auto _ : state) {
        const RelatorioLista r = s.lista->Saida->copia();
        Progresso p;
        QSaveFile f(caminho);
        if (!f.open(QIODevice::WriteOnly) || !escreveCsv(f, r, p) || !f.commit())
            state.SkipWithError("the file was not written");
    }
    state.counters["pico_MB"] = pico.mb();
    state.counters["arquivo_MB"] = static_cast<double>(QFile(caminho).size()) / 1048576.0;
    state.SetItemsProcessed(state.iterations() * 100000);
}

void BM_ExportaCsvFundo_100k(benchmark::State& state) {
    Suite& s = suite();
    const QString caminho = s.saida.filePath(QStringLiteral("fundo.csv"));
    Pico pico;
    for (auto _ : state) {
        QEventLoop espera;
        bool gravada = false;
        auto c = QObject::connect(s.lista->Saida, &SaidaLista::terminou,
                                  [&](bool ok) { gravada = ok, espera.quit(); });
        s.lista->Saida->gravaPlanilha(caminho);
        espera.exec();
        QObject::disconnect(c);
        if (!gravada) state.SkipWithError("the file was not written");
    }
    state.counters["pico_MB"] = pico.mb();
    state.SetItemsProcessed(state.iterations() * 100000);
}

// The copy `r` as a PDF file under `caminho`, as the program writes it.
bool gravaPdf(const RelatorioLista& r, const QString& caminho) {
    Progresso p;
    QSaveFile f(caminho);
    if (!f.open(QIODevice::WriteOnly)) return false;
    return escrevePdfLista(f, r, p) && f.commit();
}

void BM_SalvaPdf_100k(benchmark::State& state) {
    Suite& s = suite();
    const QString caminho = s.saida.filePath(QStringLiteral("lista.pdf"));
    Pico pico;
    for (auto _ : state)
        if (!gravaPdf(s.lista->Saida->copia(), caminho))
            state.SkipWithError("the file was not written");
    state.counters["pico_MB"] = pico.mb();
    state.counters["arquivo_MB"] = static_cast<double>(QFile(caminho).size()) / 1048576.0;
    state.SetItemsProcessed(state.iterations() * 100000);
}

// A month's list: the first 2,000 rows of the same copy, as a PDF file.
void BM_SalvaPdf_2000(benchmark::State& state) {
    Suite& s = suite();
    RelatorioLista r = s.lista->Saida->copia();
    r.linhas.resize(2000);
    const QString caminho = s.saida.filePath(QStringLiteral("mes.pdf"));
    for (auto _ : state)
        if (!gravaPdf(r, caminho)) state.SkipWithError("the file was not written");
    state.SetItemsProcessed(state.iterations() * 2000);
}

// The print preview as the operator opens it (Ctrl+P): the copy of the list
// taken, laid out for the printer's page, and the pages the window shows
// painted.
void BM_Previa_100k(benchmark::State& state) {
    Suite& s = suite();
    Pico pico;
    for (auto _ : state) {
        s.lista->Saida->visualizaImpressao();
        PagePreview* previa = s.lista->Saida->previa();
        if (!previa) {
            state.SkipWithError("no preview");
            break;
        }
        QApplication::processEvents();
        previa->grab();
        state.counters["paginas"] = previa->pageCount();
        state.counters["pintadas"] = previa->paintedPages();
        previa->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["pico_MB"] = pico.mb();
    state.SetItemsProcessed(state.iterations() * 100000);
}

// The list statement on the client's interface (the benchmarks' shared raw
// fetch: prepare, open, fetchNext into the server's own message).
void BM_RawFetch_100k(benchmark::State& state) {
    Suite& s = suite();
    RawSession raw(s.dbs->sharedPath(), false);
    if (raw.failed()) {
        state.SkipWithError("raw attach failed");
        return;
    }
    const std::string sql = sqlLista(kIni, kFim, "");
    Pico pico;
    for (auto _ : state)
        if (raw.fetchAll(sql) != 100000) state.SkipWithError("wrong row count");
    state.counters["pico_MB"] = pico.mb();
    state.SetItemsProcessed(state.iterations() * 100000);
}

BENCHMARK(BM_RawFetch_100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExportaCsv_100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExportaCsvFundo_100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SalvaPdf_100k)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SalvaPdf_2000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Previa_100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const std::string raw = "BM_RawFetch_100k/iterations:5";
    RatioReporter reporter({
        {"BM_ExportaCsv_100k/iterations:5", raw, "CSV / raw fetch"},
        {"BM_ExportaCsvFundo_100k/iterations:5", raw, "CSV in the background / raw fetch"},
        {"BM_SalvaPdf_100k/iterations:2", raw, "PDF / raw fetch"},
        {"BM_Previa_100k/iterations:3", raw, "print preview / raw fetch"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    gSuite.reset();
    return 0;
}
