// The supplier and chart-of-accounts lookups of the account's entry fields.
// Leaving "Despesa" checks the typed text against the chart of accounts
// (PLANOCT, by description), leaving "Fornecedor" against the suppliers
// (FORNECED, by trade name). A name found exactly once is taken over at once
// with what it brings; a shared name is left as typed; any other text opens a
// lookup panel on the nearest name, where Enter takes the entry chosen and
// Esc gives the field back the text it had when it was entered. Whatever is
// taken over or given back is written to the account, which goes on being
// edited.
//
// The supplier panel lies outside the account panel, so opening it writes the
// account (the account panel's exit step); the chart panel lies inside it.
// Both lists are read from the database at each check, so entries added at
// other workstations show at the next one.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <string>

namespace cp {

class JanelaPrincipal;
class PainelConta;
class PainelProcura;

class Procuras {
  public:
    // Builds both panels and hooks the fields of the account panel; the
    // window's account panel exists.
    Procuras(JanelaPrincipal& form, PainelConta& conta);
    ~Procuras();
    Procuras(const Procuras&) = delete;
    Procuras& operator=(const Procuras&) = delete;

    // Field hooks.
    void DBEdit10Enter();  // saves the description for the chart lookup
    void DBEdit10Exit();   // chart-of-accounts check
    void DBEdit12Enter();  // saves the supplier's name for the supplier lookup
    void DBEdit12Exit();   // supplier check
    void DBEdit14Exit();   // supplier check

    void ProcuraFornecedor();
    void ConfirmaFornecedor();
    void CancelaFornecedor();
    void ProcuraPlano();
    void ConfirmaPlano();
    void CancelaPlano();

    // The account's description and supplier name as they were when their
    // fields were last entered (at most 40 characters, Windows-1252).
    const std::string& DescricaoAnterior() const { return descricaoAnterior_; }
    const std::string& FornecedorAnterior() const { return fornecedorAnterior_; }

    PainelProcura* PainelForProcura = nullptr;    // suppliers, outside the account panel
    PainelProcura* PainelPlanoProcura = nullptr;  // chart of accounts, inside it

  private:
    // The focus on to the field after the one checked, unless the operator
    // left that one going back.
    void segue(QWidget* proximo);
    void abrePainel(PainelProcura& painel);
    void fechaPainel(PainelProcura& painel);
    bool ativo() const;
    // The account the fields stand on, as the texts noted on entering are
    // tied to it; and the noted text when it is still that account's.
    std::string contaAtual() const;
    std::string textoDaEntrada(const std::string& anterior, const std::string& conta) const;

    JanelaPrincipal& form_;
    PainelConta& conta_;
    std::string descricaoAnterior_;
    std::string fornecedorAnterior_;
    std::string contaDaDescricao_;
    std::string contaDoFornecedor_;
    QPointer<QPushButton> cancelAnterior_;  // the window's Esc button before a panel opened
    bool voltando_ = false;                 // the field checked was left with Shift+Tab
};

}  // namespace cp
