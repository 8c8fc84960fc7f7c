// Where the main window offers the import of an NF-e: Ctrl+I anywhere in the
// account panel (the due list and the entry fields), the list's pop-up item
// (through the window's importaNfe), and an XML file dropped on the window.
// None of them works while the login panel or a lookup panel is open, or
// once the window's activation failed.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QShortcut;

namespace cp {

class Form1;
class ImportaNfe;

class ImportacaoNaJanela : public QObject {
    Q_OBJECT
  public:
    // The window's panels and lookups exist.
    explicit ImportacaoNaJanela(Form1& form);
    ~ImportacaoNaJanela() override;

    // The dialog, then the import.
    void pede();
    // The file dropped (or given) is imported as if typed in the dialog.
    void importaArquivo(const QString& caminho);
    // True when the window can start a new account now.
    bool disponivel() const;

    std::unique_ptr<ImportaNfe> importacao;
    QShortcut* AtalhoImportar = nullptr;  // Ctrl+I

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    Form1& form_;
};

}  // namespace cp
