// The dialog "Importar NF-e": one field, with the focus, for the path of the
// XML file the supplier sent or the 44-digit access key of its DANFE (typed,
// pasted or read by a scanner that types it); "Procurar..." picks the file;
// OK (also Enter) and Cancelar.
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;
class QPushButton;

namespace cp {

class DialogoNfe : public QDialog {
    Q_OBJECT
  public:
    explicit DialogoNfe(QWidget* parent = nullptr);

    // What the field holds, blanks around it removed.
    QString entrada() const;

    // Shows the dialog; the text given with OK, nullopt with Cancelar.
    static std::optional<QString> pede(QWidget* parent);

    QLineEdit* EditEntrada = nullptr;
    QPushButton* BotProcurar = nullptr;
    QPushButton* BotOk = nullptr;
    QPushButton* BotCancelar = nullptr;

  private:
    void procura();
};

}  // namespace cp
