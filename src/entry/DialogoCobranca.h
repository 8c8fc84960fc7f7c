// "Ler boleto ou PIX": one field that takes, typed, pasted or from a barcode
// scanner that types, a boleto's linha digitável or barcode, a collection
// slip's line or barcode, or a PIX "copia e cola" code; and "Abrir PDF..."
// for a boleto received as a PDF file. Under the field it shows at once what
// was read (bank, due date, amount; for PIX the receiver, city and key) or
// what is wrong with it. OK hands the slip read to `aoConfirmar`, which
// stores it; the dialog closes only when that says it is done.
#pragma once

#include <QDate>
#include <QDialog>
#include <QString>
#include <functional>

#include "suite/cobranca/Cobranca.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace cp {

class Environment;

class DialogoCobranca : public QDialog {
    Q_OBJECT
  public:
    DialogoCobranca(Environment& env, QWidget* parent = nullptr);

    QLineEdit* EditCodigo = nullptr;
    QPushButton* BotPdf = nullptr;   // "Abrir PDF..."
    QLabel* LabelLeitura = nullptr;  // what was read, or what is wrong
    QPushButton* BotOk = nullptr;
    QPushButton* BotCancelar = nullptr;

    // The last reading, of the field or of a PDF.
    const LeituraCobranca& leitura() const { return leitura_; }

    // Reads the PDF at `caminho` and shows it; the field then holds its line.
    void lePdf(const QString& caminho);

    // The file of "Abrir PDF..." (empty: given up). Tests replace it.
    std::function<QString()> perguntaPdf;
    // OK with a slip read: stores it; true when done (the dialog closes).
    std::function<bool(const CobrancaLida&)> aoConfirmar;

    // What the dialog shows of a slip read.
    static QString descricao(const CobrancaLida& c);

  private:
    void leCampo();
    void mostra();
    void BotPdfClick();
    void BotOkClick();

    Environment& env_;
    LeituraCobranca leitura_;
    bool campoVazio_ = true;
};

// An amount as the operator reads it: "R$ 1.234,56" (the locale's
// separators).
QString valorEmReais(std::int64_t centavos);

}  // namespace cp
