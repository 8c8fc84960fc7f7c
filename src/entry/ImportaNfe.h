// A bill from its NF-e. The operator gives the XML file the supplier sent,
// or the access key printed on the DANFE; the import does what "Nova conta"
// does and fills the new account with what the invoice says: its number,
// date and total, its supplier (looked up by CNPJ in the suite's suppliers,
// taken as the lookup panel takes one), and its installments as the
// supplier scheduled them. The entry panel then shows it with the focus in
// "Despesa", and the account is written as a typed one is, at its first
// write, together with its installments and the access key (ContaImportada).
// A key alone gives the number and the supplier; the rest is typed.
//
// The same invoice recorded twice is named before it happens: before an
// imported account is shown, and when "Nº Nota Fiscal" is left after a
// change in an account whose supplier is known. Whatever is refused is said
// in Portuguese, and nothing is written.
#pragma once

#include <QString>
#include <memory>
#include <string>

namespace cp {

class GravacaoImportada;
class JanelaPrincipal;
class PainelConta;

class ImportaNfe {
  public:
    // Hooks "Nº Nota Fiscal" of the entry panel; the persistence rules are
    // installed.
    ImportaNfe(JanelaPrincipal& form, PainelConta& conta);
    ~ImportaNfe();
    ImportaNfe(const ImportaNfe&) = delete;
    ImportaNfe& operator=(const ImportaNfe&) = delete;

    // Ctrl+I and "Importar NF-e...": the dialog, then the import.
    void pedeEImporta();

    // Imports the file at the path `entrada`, or the access key it holds
    // (blanks and dots ignored). True when the new account is shown.
    bool importa(const QString& entrada);

    // True while an imported account waits for its first write.
    bool aguardando() const;

    void DBEdit18Enter();  // notes the invoice number
    void DBEdit18Exit();   // the same invoice of the same supplier in another account

  private:
    struct Nota;
    bool confirmaRepetida(const Nota& nota);
    bool ativo() const;

    JanelaPrincipal& form_;
    PainelConta& conta_;
    std::unique_ptr<GravacaoImportada> gravacao_;
    std::string nfiscalAoEntrar_;
};

}  // namespace cp
