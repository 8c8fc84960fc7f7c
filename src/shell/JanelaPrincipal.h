// What the screens see of the main window: its account panel and top
// buttons, the data modules and the session, the Esc and Enter roles, the
// tab step, and the state of its activation. The screens (login, account
// entry, due list) build their controls inside it and ask it, not one
// another, for what they need from another screen.
#pragma once

#include <QMainWindow>

#include "suite/Environment.h"
#include "suite/EstadoSessao.h"

class QLabel;
class QPushButton;

namespace cp {

class TDM;
class TDM2;

class JanelaPrincipal : public QMainWindow {
    Q_OBJECT
  public:
    // `sessao` is the program's session state, owned by the program's
    // start-up (it outlives the window and the data modules).
    JanelaPrincipal(Environment& env, EstadoSessao& sessao, QWidget* parent = nullptr);
    ~JanelaPrincipal() override;

    // Esc role (cancel button) and Enter role (default button), switched at
    // run time; nullptr takes the role away.
    void setCancelButton(QPushButton* b);
    QPushButton* cancelButton() const { return cancelButton_; }
    void setDefaultButton(QPushButton* b);
    // Moves the focus to the next control in tab order, as Tab does.
    void focusNext();
    // A short word for the operator in the window's status bar ("Linha
    // digitável copiada."), gone after a few seconds. The bar appears with
    // the first word; nothing of the panel lies so low.
    void mostraSituacao(const QString& texto);
    // A file the program has just written, named in the status bar
    // ("A lista foi salva em PDF: /home/.../Contas a Pagar.pdf") with the
    // button "Abrir a pasta", which shows its folder; it stays until the
    // next file.
    void mostraArquivoGravado(const QString& oQue, const QString& caminho);
    QLabel* situacaoArquivo() const { return situacaoArquivo_; }
    QPushButton* botaoAbrirPasta() const { return botaoAbrirPasta_; }

    // The due list's grid, where the operator lands after the login when the
    // current account has no payment condition; nullptr while there is none.
    virtual QWidget* gradeDaLista() const { return nullptr; }
    // True while the due list is shown over the entry fields (the list view).
    bool listaVisivel() const {
        QWidget* grade = gradeDaLista();
        return grade && !grade->isHidden();
    }

    // The details view's opening steps: every payable account read again, the
    // account of the due list's current row made current and put in edit mode
    // with its installment, the list's controls hidden. "Nova conta" starts
    // from there. A database error goes on to the caller.
    virtual void abreDetalhes();

    // "Importar NF-e": the dialog that turns a supplier's NF-e into a new
    // account. A window without the entry panel has nothing to import into.
    virtual void importaNfe() {}

    bool activated() const { return activated_; }
    // False when an activation step failed and the window was left with only
    // "Sair" usable.
    bool activationCompleted() const { return activationCompleted_; }
    // True once an activation step failed: the screens then leave the
    // database alone (their focus steps do nothing) until the window closes.
    bool activationFailed() const { return activationFailed_; }

    // The client area at the window's first-start size: the list's layout
    // is designed for it and grows from it when the window grows.
    QSize areaDesenhada() const { return areaDesenhada_; }

    Environment& env;
    EstadoSessao& sessao;
    TDM* DM = nullptr;
    TDM2* DM2 = nullptr;

    // Controls of the window, named as the suite names them.
    QWidget* PainelVelmora = nullptr;  // the account panel; fills the window
    QLabel* Label8 = nullptr;          // "Contas a Pagar" / "Todas as Contas"
    QPushButton* BitBtn14 = nullptr;   // "Nova conta"
    QPushButton* BitBtn11 = nullptr;   // "Detalhes da Conta"
    QPushButton* BitBtn3 = nullptr;    // "Sair"

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    // Tab, Shift+Tab and Enter pass over the controls that are hidden,
    // disabled or covered by another one (shell/FocusChain.h).
    bool focusNextPrevChild(bool next) override;

    bool activated_ = false;
    bool activationCompleted_ = false;
    bool activationFailed_ = false;
    QSize areaDesenhada_;

  private:
    QPushButton* cancelButton_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
    QLabel* situacaoArquivo_ = nullptr;
    QPushButton* botaoAbrirPasta_ = nullptr;
    QString pastaGravada_;
};

}  // namespace cp
