// Reading a one-page boleto received as a PDF, from the file on disk to the
// slip read, by each of the reader's two ways:
//
//   BM_PdfTexto    the linha digitável is in the page's text
//   BM_PdfBarras   the page holds only the barcode, as a picture (a scanned
//                  slip): the page is rendered and the barcode decoded
//
// The PDFs are written at start-up with Qt's PDF writer, as the tests write
// them. A boleto must be read in under 150 ms either way; the counter
// under_150ms is 1 when the mean time is.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <iostream>

#include "suite/cobranca/PdfCobranca.h"
#include "suite/cobranca/PdfsDeTeste.h"

namespace {

using namespace cp;
using Clock = std::chrono::steady_clock;

const QDate kHoje(2025, 6, 1);
const std::string kCodigoBarras = "34193113800001234561090000123456789012345670";
const std::string kLinha = "34191090080012345678290123456700311380000123456";

QTemporaryDir* pasta = nullptr;

QString caminho(const char* nome) { return pasta->filePath(QString::fromUtf8(nome)); }

void le(benchmark::State& state, const char* nome) {
    const QString arquivo = caminho(nome);
    double total = 0;
    for (auto _ : state) {
        const auto inicio = Clock::now();
        const LeituraCobranca l = lerCobrancaPdf(arquivo, kHoje);
        total += std::chrono::duration<double, std::milli>(Clock::now() - inicio).count();
        if (!l || l.cobranca->codigoBarras != kCodigoBarras) {
            state.SkipWithError(("not read: " + l.erro.toStdString()).c_str());
            return;
        }
        benchmark::DoNotOptimize(l);
    }
    const double media = total / double(state.iterations());
    state.counters["mean_ms"] = media;
    state.counters["under_150ms"] = media < 150 ? 1 : 0;
}

void BM_PdfTexto(benchmark::State& state) { le(state, "texto.pdf"); }
void BM_PdfBarras(benchmark::State& state) { le(state, "barras.pdf"); }

BENCHMARK(BM_PdfTexto)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PdfBarras)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    pasta = &dir;
    if (!test::escrevePdfBoleto(caminho("texto.pdf"), test::linhaImpressa(kLinha), {}) ||
        !test::escrevePdfBoleto(caminho("barras.pdf"), {}, kCodigoBarras)) {
        std::cerr << "the boleto PDFs could not be written in " << dir.path().toStdString() << "\n";
        return EXIT_FAILURE;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
