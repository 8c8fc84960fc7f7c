// Boletos received as PDFs, written here with Qt's PDF writer: the line in
// the text, the barcode only as a picture, neither, and files that are no
// boleto at all.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "suite/cobranca/PdfCobranca.h"
#include "suite/cobranca/PdfsDeTeste.h"

namespace cp::test {
namespace {

const QDate kHoje(2025, 6, 1);

// Itaú, due 10/07/2025 (factor 1138 after the reset), R$ 1.234,56; its line
// as the bank prints it. Both worked out apart from the reader.
const std::string kCodigoBarras = "34193113800001234561090000123456789012345670";
const std::string kLinha = "34191090080012345678290123456700311380000123456";

class PdfCobranca : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { garanteAplicacaoGrafica(); }

    QString caminho(const char* nome) const { return pasta_.filePath(QString::fromUtf8(nome)); }

    QTemporaryDir pasta_;
};

TEST_F(PdfCobranca, ReadsTheLineFromTheTextAndTheBarcodeFromThePicture) {
    ASSERT_TRUE(escrevePdfBoleto(caminho("texto.pdf"), linhaImpressa(kLinha), {}));
    ASSERT_TRUE(escrevePdfBoleto(caminho("barras.pdf"), {}, kCodigoBarras));
    for (const char* nome : {"texto.pdf", "barras.pdf"}) {
        const LeituraCobranca l = lerCobrancaPdf(caminho(nome), kHoje);
        ASSERT_TRUE(l) << nome << ": " << l.erro.toStdString();
        EXPECT_EQ(l.cobranca->codigoBarras, kCodigoBarras) << nome;
        EXPECT_EQ(l.cobranca->paraPagamento(), kLinha) << nome;
        EXPECT_EQ(l.cobranca->vencimento, QDate(2025, 7, 10)) << nome;
        EXPECT_EQ(l.cobranca->valorCentavos, 123456) << nome;
    }
}

TEST_F(PdfCobranca, ALineThatDoesNotCheckIsNamedWhenNoBarcodeSavesIt) {
    std::string errada = kLinha;
    errada[20] = '3';  // the digit of field 2 is 2
    ASSERT_TRUE(escrevePdfBoleto(caminho("errada.pdf"), linhaImpressa(errada), {}));
    EXPECT_EQ(lerCobrancaPdf(caminho("errada.pdf"), kHoje).erro,
              QStringLiteral("O PDF errada.pdf traz um código de boleto que não confere. O dígito "
                             "verificador do campo 2 da linha digitável não confere: esperado 2."));
    ASSERT_TRUE(escrevePdfBoleto(caminho("ambos.pdf"), linhaImpressa(errada), kCodigoBarras));
    EXPECT_EQ(lerCobrancaPdf(caminho("ambos.pdf"), kHoje).cobranca->paraPagamento(), kLinha);
    ASSERT_TRUE(
        escrevePdfBoleto(caminho("nada.pdf"), QStringLiteral("Pague em qualquer banco"), {}));
    EXPECT_EQ(lerCobrancaPdf(caminho("nada.pdf"), kHoje).erro,
              QStringLiteral("Não se achou no PDF nada.pdf a linha digitável nem o código de "
                             "barras de um boleto."));
}

TEST_F(PdfCobranca, RefusesWhatIsNoPdfOrTooLarge) {
    QFile texto(caminho("boleto.pdf"));
    ASSERT_TRUE(texto.open(QIODevice::WriteOnly));
    texto.write(QByteArray::fromStdString(kLinha));
    texto.close();
    EXPECT_EQ(lerCobrancaPdf(caminho("boleto.pdf"), kHoje).erro,
              QStringLiteral("O arquivo boleto.pdf não é um PDF que se possa ler."));

    ASSERT_TRUE(escrevePdfBoleto(caminho("grande.pdf"), linhaImpressa(kLinha), {}));
    QFile grande(caminho("grande.pdf"));
    ASSERT_TRUE(grande.resize(kMaiorPdfCobranca + 1));  // a readable PDF, only too large
    EXPECT_EQ(
        lerCobrancaPdf(caminho("grande.pdf"), kHoje).erro,
        QStringLiteral("O arquivo grande.pdf tem 20,0 MB; um boleto em PDF não passa de 20 MB."));
    EXPECT_EQ(lerCobrancaPdf(caminho("falta.pdf"), kHoje).erro,
              QStringLiteral("O arquivo falta.pdf não existe."));
}

}  // namespace
}  // namespace cp::test
