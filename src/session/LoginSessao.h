// The login panel of the main window and the session check that ends the
// window's activation. The check resumes the suite's current session (or
// obeys the SaltaCP.db marker) without a login; otherwise the panel covers
// the window until a user of USUARIOS gives a name and password whose
// scrambled forms are stored there and whose access text lets them in.
// The file part of the check lives in Sessao.h.
#pragma once

#include <QObject>
#include <string>

class QChar;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace cp {

class JanelaPrincipal;

class LoginSessao : public QObject {
    Q_OBJECT
  public:
    // Builds the panel, hidden, inside the window's client area.
    explicit LoginSessao(JanelaPrincipal& form);
    ~LoginSessao() override;

    // The session check, the last step of the window's activation: resumes
    // the session (panel hidden, caption unchanged) or shows the login panel.
    void VerificaSessao();
    // The access text of the user named in LOGON.LLF, or the empty text when
    // that user may not resume.
    std::string VerificaLogonGravado();
    // Checks the name and password typed in the panel.
    void ValidaLogin();

    // Key handlers: setting `key` to the null character swallows it.
    void EditNomeKeyPress(QChar& key);    // Enter: on to the next control
    void EditSenhaUKeyPress(QChar& key);  // Enter: ValidaLogin
    void EditNomeExit();                  // the name in upper case (a to z only)
    void BotOkSenhaClick();
    void BotCancSenhaClick();  // "Cancela" (or Esc): closes the window

    // "  Contas a Pagar  -  Usuário: "<NomeUsuario>"   Estação: <Estacao>"
    void MostraUsuarioNoTitulo();

    QWidget* PainelLogin = nullptr;
    QFrame* BevelCaixa = nullptr;   // frames the whole box
    QFrame* BevelCampos = nullptr;  // frames the name and password
    QLabel* Panel48 = nullptr;      // "Identificação do Usuário"
    QLabel* Label429 = nullptr;     // "Nome"
    QLineEdit* EditNome = nullptr;
    QLabel* Label430 = nullptr;  // "Senha"
    QLineEdit* EditSenhaU = nullptr;
    QPushButton* BotOkSenha = nullptr;
    QPushButton* BotCancSenha = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void montaPainel();
    void mostraPainel();
    // After a login or a resume: the due list gets the focus when the current
    // account has no payment condition and the list is shown.
    void focoNaListaSeContaSemCondicao();
    void liberaAtalhos();

    QObject* bloqueio_ = nullptr;  // keeps the window's shortcuts off while the panel is up

    JanelaPrincipal& form_;
};

}  // namespace cp
