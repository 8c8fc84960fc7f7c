// The account's entry fields and its installment grid, inside the account
// panel of the main window: what the details view and the single-account
// mode show. The fields are bound to the current account (CONTASPR) and the
// grid to its installments (Parcelas); Enter moves from field to field in
// tab order. "Nova conta" starts a new account in the details view.
//
// Where the other steps of the entry hook in (each field's BoundCallbacks):
// - "Despesa" (DBEdit10) and "Fornecedor" (DBEdit12) entering and leaving,
//   and leaving the condition's count display (DBEdit14): the supplier and
//   chart-of-accounts lookups (Procuras), which set those callbacks;
// - entering and leaving "Condição de Pagto" (DBComboBox1): the condition and
//   the installment generation (GeraParcelas), through DBComboBox1Enter and
//   DBComboBox1Exit below.
#pragma once

#include <QStringList>

class QLabel;

namespace cp {

class JanelaPrincipal;
class DBEdit;
class DBComboBox;
class DBGrid;
class DBText;

class PainelConta {
  public:
    // Builds the fields inside form.PainelVelmora; the data modules exist.
    explicit PainelConta(JanelaPrincipal& form);

    // "Nova conta": the details view's opening steps, then a new account (its
    // number and initial values from the insert rule, no installments) with
    // the focus in "Despesa". In the single-account mode the details button
    // stays disabled, so the new account is left only by closing the window.
    void BitBtn14Click();

    // Focus entering the account panel from outside: refills the pick lists
    // of the installment grid (bank accounts and payment means).
    void PainelVelmoraEnter();
    // Focus leaving the account panel: the current installment and the
    // account are posted and go on being edited; failures are not reported
    // here.
    void PainelVelmoraExit();
    void DBGrid4Enter();  // the current column becomes "Data Venc"
    // Posts the current installment; a failure is not reported here. A new
    // row nobody typed into is not posted.
    void DBGrid4Exit();
    void DBEdit2Enter();  // an empty "Descrição" takes the text of "Despesa"
    // Entering the condition field notes the account's condition; leaving it
    // (in the details, not while the due list is shown) loads the condition
    // and generates the installments when needed. After a generation the
    // focus goes to the installments, on "Forma Pagto".
    void DBComboBox1Enter();
    void DBComboBox1Exit();
    // True when the condition last left is not registered: the account then
    // has no installments of it, and the window does not close over it.
    bool condicaoNaoCadastrada() const { return condicaoNaoCadastrada_; }

    // Grid columns of the two pick lists.
    static constexpr int kColunaFormaPagto = 3;
    static constexpr int kColunaNumConta = 4;
    // The payment means offered until the first refill.
    static QStringList formasPagtoIniciais();

    QLabel* Label11 = nullptr;  // "Despesa"
    DBEdit* DBEdit10 = nullptr;
    QLabel* Label3 = nullptr;  // "Descrição"
    DBEdit* DBEdit2 = nullptr;
    QLabel* Label12 = nullptr;  // "Valor em R$"
    DBEdit* DBEdit11 = nullptr;
    QLabel* Label13 = nullptr;  // "Fornecedor"
    DBEdit* DBEdit12 = nullptr;
    QLabel* Label16 = nullptr;  // "Data"
    DBEdit* DBEdit15 = nullptr;
    QLabel* Label23 = nullptr;  // "Nº Nota Fiscal"
    DBEdit* DBEdit18 = nullptr;
    QLabel* Label14 = nullptr;  // "Condição de Pagto"
    DBComboBox* DBComboBox1 = nullptr;
    DBEdit* DBEdit14 = nullptr;  // installments of the loaded condition (display)
    QLabel* Panel3 = nullptr;    // "parcelas  -->   "
    DBEdit* DBEdit16 = nullptr;  // kind of the loaded condition (display)
    DBGrid* DBGrid4 = nullptr;   // the installments
    QLabel* Label4 = nullptr;    // "Codigo da Conta:"
    DBText* DBText1 = nullptr;   // CODIGOCPR

  private:
    QLabel* rotulo(const char* name, const QString& text, int editTop, int editHeight);

    JanelaPrincipal& form_;
    bool condicaoNaoCadastrada_ = false;
};

}  // namespace cp
