// The details view of the account panel: one button ("Detalhes da Conta" /
// "Voltar") opens the account behind the due list's current installment in
// the entry fields, ready for editing, and goes back to the list. "Nova
// conta" opens the same view by the same steps before it starts a new
// account, and going back from it is always the return step here.
#pragma once

namespace cp {

class Form1;

class DetalhesConta {
  public:
    explicit DetalhesConta(Form1& form);

    // The details button: opens the details while the due list is shown,
    // otherwise goes back to the list.
    void BitBtn11Click();

    // Every payable account read again in code order; the account of the
    // list's current row becomes current (the first one when none has that
    // code) and is put in edit mode with its installment; the list's
    // controls, "Sair" and "Nova conta" are hidden, the list is closed and the
    // details button becomes the red "Voltar". A database error stops the
    // step where it arose and goes on to the caller.
    void abre();

    // The account and its installment are written (each posted at most
    // twice); the list is read again with its last statement, its totals as
    // they were, and its controls come back. A write refused twice goes on to
    // the caller, with the details still shown and the account still being
    // edited.
    void volta();

  private:
    void mostraDetalhes();
    void mostraLista();

    Form1& form_;
};

}  // namespace cp
