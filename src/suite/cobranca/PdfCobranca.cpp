#include "suite/cobranca/PdfCobranca.h"

#include <ZXing/ReadBarcode.h>
#include <poppler-qt6.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace cp {

namespace {

// Pages looked at: a boleto is one page, a booklet of them (carnê) a few; a
// long document is not a slip and is not read to its end. Rendering costs
// tens of milliseconds a page, so only the first pages are rendered.
constexpr int kPaginasNoTexto = 20;
constexpr int kPaginasDesenhadas = 3;

// 200 dpi puts two to three pixels under the narrowest bar of a boleto's
// barcode (0.25 mm and up), enough for the decoder, and renders an A4 page
// in a few tens of milliseconds. A barcode printed finer than that is tried
// again at 300 dpi.
constexpr double kResolucoes[] = {200.0, 300.0};

QString nomeDoArquivo(const QString& caminho) { return QFileInfo(caminho).fileName(); }

// The printed shapes of the lines: a boleto's "AAAAA.AAAAA BBBBB.BBBBBB
// CCCCC.CCCCCC D EEEEEEEEEEEEEE" and a collection slip's four blocks
// "NNNNNNNNNNN-D", with or without their separators.
const QRegularExpression& formasDaLinha() {
    static const QRegularExpression re(QStringLiteral(
        "(?<![0-9])(?:"
        "[0-9]{5}[.\\s]*[0-9]{5}\\s*[0-9]{5}[.\\s]*[0-9]{6}\\s*[0-9]{5}[.\\s]*[0-9]{6}\\s*[0-9]\\s*"
        "[0-9]{14}"
        "|(?:[0-9]{11}[-\\s]*[0-9]\\s*){3}[0-9]{11}[-\\s]*[0-9]"
        ")(?![0-9])"));
    return re;
}

struct Busca {
    std::optional<LeituraCobranca> lida;
    QString primeiroErro;  // of something shaped like a line that did not check
};

void procuraNoTexto(const QString& texto, const QDate& hoje, Busca& busca) {
    const QRegularExpression& re = formasDaLinha();
    qsizetype de = 0;
    while (!busca.lida) {
        const QRegularExpressionMatch m = re.match(texto, de);
        if (!m.hasMatch()) return;
        LeituraCobranca l = lerCobranca(m.captured().toStdString(), hoje);
        if (l && l.cobranca->tipo != TipoCobranca::Pix) {
            busca.lida = std::move(l);
        } else if (busca.primeiroErro.isEmpty()) {
            busca.primeiroErro = l.erro;
        }
        // A shape taken too early (a number just before the line) must not
        // hide the line itself.
        de = m.capturedStart() + 1;
    }
}

void procuraNaImagem(const QImage& pagina, const QDate& hoje, Busca& busca) {
    const QImage cinza = pagina.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView imagem(cinza.constBits(), cinza.width(), cinza.height(),
                                  ZXing::ImageFormat::Lum, int(cinza.bytesPerLine()));
    ZXing::DecodeHints dicas;
    dicas.setFormats(ZXing::BarcodeFormat::ITF);
    dicas.setTryHarder(true);
    dicas.setTryRotate(true);
    dicas.setTryDownscale(false);
    for (const ZXing::Result& r : ZXing::ReadBarcodes(imagem, dicas)) {
        if (!r.isValid()) continue;
        const ZXing::ByteArray& bytes = r.bytes();
        const std::string digitos(bytes.begin(), bytes.end());
        if (digitos.size() != 44) continue;
        LeituraCobranca l = lerCobranca(digitos, hoje);
        if (l) {
            busca.lida = std::move(l);
            return;
        }
        if (busca.primeiroErro.isEmpty()) busca.primeiroErro = l.erro;
    }
}

}  // namespace

LeituraCobranca lerCobrancaPdf(const QString& caminho, const QDate& hoje) {
    const QString nome = nomeDoArquivo(caminho);
    const QFileInfo info(caminho);
    if (!info.isFile()) {
        return LeituraCobranca::falha(QStringLiteral("O arquivo %1 não existe.").arg(nome));
    }
    // One arg() for all: a file's name may itself hold "%2".
    const QString limite = QString::number(kMaiorPdfCobranca / (1024 * 1024));
    if (info.size() > kMaiorPdfCobranca) {
        const QString tamanho = QLocale(QLocale::Portuguese, QLocale::Brazil)
                                    .toString(double(info.size()) / (1024 * 1024), 'f', 1);
        return LeituraCobranca::falha(
            QStringLiteral("O arquivo %1 tem %2 MB; um boleto em PDF não passa de %3 MB.")
                .arg(nome, tamanho, limite));
    }
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly)) {
        return LeituraCobranca::falha(QStringLiteral("O arquivo %1 não pôde ser aberto: %2.")
                                          .arg(nome, arquivo.errorString()));
    }
    // Read whole and checked again: the file may have grown since it was measured.
    const QByteArray conteudo = arquivo.read(kMaiorPdfCobranca + 1);
    if (conteudo.size() > kMaiorPdfCobranca) {
        return LeituraCobranca::falha(
            QStringLiteral("O arquivo %1 passa de %2 MB; um boleto em PDF não passa disso.")
                .arg(nome, limite));
    }
    const std::unique_ptr<Poppler::Document> documento = Poppler::Document::loadFromData(conteudo);
    if (!documento) {
        return LeituraCobranca::falha(
            QStringLiteral("O arquivo %1 não é um PDF que se possa ler.").arg(nome));
    }
    if (documento->isLocked()) {
        return LeituraCobranca::falha(
            QStringLiteral("O PDF %1 é protegido por senha e não pode ser lido.").arg(nome));
    }
    const int paginas = documento->numPages();
    if (paginas <= 0) {
        return LeituraCobranca::falha(QStringLiteral("O PDF %1 não tem páginas.").arg(nome));
    }

    Busca busca;
    for (int i = 0; i < std::min(paginas, kPaginasNoTexto) && !busca.lida; ++i) {
        if (const std::unique_ptr<Poppler::Page> pagina = documento->page(i))
            procuraNoTexto(pagina->text(QRectF()), hoje, busca);
    }
    for (const double dpi : kResolucoes) {
        for (int i = 0; i < std::min(paginas, kPaginasDesenhadas) && !busca.lida; ++i) {
            if (const std::unique_ptr<Poppler::Page> pagina = documento->page(i))
                procuraNaImagem(pagina->renderToImage(dpi, dpi), hoje, busca);
        }
    }
    if (busca.lida) return std::move(*busca.lida);
    if (!busca.primeiroErro.isEmpty()) {
        return LeituraCobranca::falha(
            QStringLiteral("O PDF %1 traz um código de boleto que não confere. %2")
                .arg(nome, busca.primeiroErro));
    }
    return LeituraCobranca::falha(
        QStringLiteral("Não se achou no PDF %1 a linha digitável nem o código de barras de um "
                       "boleto.")
            .arg(nome));
}

}  // namespace cp
