// Boleto PDFs for the tests and the benchmark, written with Qt's own PDF
// writer on an A4 page as a bank's site prints them: the receipt at the top,
// the ficha de compensação below with the linha digitável and the barcode.
// The barcode is a picture (Interleaved 2 of 5 from zxing-cpp's writer) at
// FEBRABAN's size, 103 mm by 13 mm: with the line left out of the text, the
// page is what a scanned slip gives the reader.
#pragma once

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <string>

namespace cp::test {

// QPainter on a PDF needs the GUI application (fonts); the offscreen
// platform serves where there is no display.
inline void garanteAplicacaoGrafica() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char nome[] = "cobranca";
    static char* argv[] = {nome, nullptr};
    static QGuiApplication aplicacao(argc, argv);
}

// The bars of the 44 digits, `largura` pixels to a narrow bar, with the quiet
// zones of ten narrow bars the readers need on each side.
inline QImage imagemItf(const std::string& digitos, int largura = 3) {
    const ZXing::BitMatrix barras =
        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::ITF).setMargin(10).encode(digitos, 0, 1);
    QImage imagem(barras.width() * largura, 40, QImage::Format_Grayscale8);
    imagem.fill(Qt::white);
    for (int x = 0; x < imagem.width(); ++x) {
        if (!barras.get(x / largura, 0)) continue;
        for (int y = 0; y < imagem.height(); ++y) imagem.scanLine(y)[x] = 0;
    }
    return imagem;
}

// "AAAAA.AAAAA BBBBB.BBBBBB CCCCC.CCCCCC D EEEEEEEEEEEEEE"
inline QString linhaImpressa(const std::string& l) {
    const QString s = QString::fromStdString(l);
    return s.mid(0, 5) + '.' + s.mid(5, 5) + ' ' + s.mid(10, 5) + '.' + s.mid(15, 6) + ' ' +
           s.mid(21, 5) + '.' + s.mid(26, 6) + ' ' + s.mid(32, 1) + ' ' + s.mid(33);
}

// A one-page boleto: `linha` (any text, empty for none) printed at the head
// of the ficha, and the barcode of `codigoBarras` (none when empty).
inline bool escrevePdfBoleto(const QString& caminho, const QString& linha,
                             const std::string& codigoBarras) {
    garanteAplicacaoGrafica();
    QPdfWriter pdf(caminho);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(300);
    QPainter p;
    if (!p.begin(&pdf)) return false;
    const double mm = 300 / 25.4;
    QFont fonte(QStringLiteral("DejaVu Sans"));
    fonte.setPointSizeF(9);
    p.setFont(fonte);
    p.drawText(QPointF(10 * mm, 20 * mm), QStringLiteral("Recibo do Pagador - Banco Itaú"));
    p.drawText(QPointF(10 * mm, 27 * mm), QStringLiteral("Beneficiário: Farmácia Exemplo Ltda"));
    p.drawText(QPointF(10 * mm, 34 * mm),
               QStringLiteral("Vencimento 10/07/2025   Valor R$ 1.234,56"));
    p.drawLine(QPointF(10 * mm, 180 * mm), QPointF(200 * mm, 180 * mm));
    p.drawText(QPointF(10 * mm, 188 * mm), QStringLiteral("341-7"));
    if (!linha.isEmpty()) {
        fonte.setPointSizeF(11);
        p.setFont(fonte);
        p.drawText(QPointF(40 * mm, 188 * mm), linha);
    }
    fonte.setPointSizeF(8);
    p.setFont(fonte);
    p.drawText(QPointF(10 * mm, 196 * mm), QStringLiteral("Local de pagamento: em qualquer banco"));
    p.drawText(QPointF(150 * mm, 262 * mm), QStringLiteral("Ficha de Compensação"));
    if (!codigoBarras.empty()) {
        const QImage barras = imagemItf(codigoBarras);
        // 103 mm for the bars themselves; the quiet zones are extra.
        const double larguraBarras = 103 * mm * barras.width() / (barras.width() - 20 * 3);
        p.drawImage(QRectF(8 * mm, 245 * mm, larguraBarras, 13 * mm), barras);
    }
    return p.end();
}

}  // namespace cp::test
