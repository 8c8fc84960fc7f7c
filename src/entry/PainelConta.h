// The account's entry fields and its installment grid, inside the account
// panel of the main window: what the details view and the single-account
// mode show. The fields are bound to the current account (CONTASPR) and the
// grid to its installments (Parcelas); Enter moves from field to field in
// tab order. The supplier and chart-of-accounts lookups and the installment
// generation hook into the fields' callbacks.
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

    // Focus entering the account panel from outside: refills the pick lists
    // of the installment grid (bank accounts and payment means).
    void PainelVelmoraEnter();
    // Focus leaving the account panel: the current installment and the
    // account are posted and go on being edited; failures are not reported
    // here.
    void PainelVelmoraExit();
    void DBGrid4Enter();  // the current column becomes "Data Venc"
    void DBGrid4Exit();   // posts the current installment; a failure is not reported here
    void DBEdit2Enter();  // an empty "Descrição" takes the text of "Despesa"
    // Entering the condition field notes the account's condition; leaving it
    // (in the details, not while the due list is shown) loads the condition
    // and generates the installments when needed. After a generation the
    // focus goes to the installments, on "Forma Pagto".
    void DBComboBox1Enter();
    void DBComboBox1Exit();

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
};

}  // namespace cp
