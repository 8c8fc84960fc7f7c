// The window's function keys: F2 "Nova conta", F3 "Detalhes da Conta" /
// "Voltar" (each named in its button's tip), and F1, a short window listing
// every key of the screen in view (the login, the due list or the account's
// details). The list's own keys (F5, F9, Ctrl+F9) belong to the list.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;

namespace cp {

class Form1;

class TeclasJanela : public QObject {
    Q_OBJECT
  public:
    // The buttons and the screens of `form` exist.
    explicit TeclasJanela(Form1& form);

    // F1: the keys of the screen in view, in a window of their own that Esc
    // or "Fechar" closes.
    void mostraAjuda();
    // The text of that window for the screen in view (rich text).
    QString textoAjuda() const;
    QDialog* janelaAjuda() const { return ajuda_; }

    QAction* Ajuda = nullptr;  // F1

  private:
    Form1& form_;
    QPointer<QDialog> ajuda_;
};

}  // namespace cp
