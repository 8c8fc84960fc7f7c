// A lookup panel: a title bar, a one-column list over a record set, and a
// hint line with its "Enter" and "Esc" buttons. Enter and Esc typed in the
// list confirm and cancel, like the buttons. The panel only shows and
// reports; what confirming and cancelling do is up to its owner (Procuras).
#pragma once

#include <QFrame>
#include <QString>
#include <functional>
#include <string>

#include "suite/Environment.h"

class QLabel;
class QPushButton;

namespace cp {

class RecordSet;
class DBGrid;

class PainelProcura : public QFrame {
    Q_OBJECT
  public:
    struct Desenho {
        const char* nomePainel;
        const char* nomeTitulo;
        QString titulo;
        const char* nomeGrade;
        std::string coluna;  // the record set's column the list shows
        QString tituloColuna;
        QRect geometriaGrade;
        const char* nomeDica;
        int topoDica;
        const char* nomeEnter;
        const char* nomeEsc;
        int topoBotoes;
        QString fonteBotoes;  // family of the buttons' bold 13-pixel font
    };

    // The working geometry given each time a panel opens.
    static constexpr QRect kGeometriaAberta{417, 35, 331, 477};
    static QString textoDica();

    PainelProcura(Environment& env, RecordSet& lista, const Desenho& desenho, QWidget* parent);

    // Shows the panel with its working geometry over its siblings and gives
    // the focus to the list.
    void abre();

    std::function<void()> onConfirma;  // "Enter": the button, or Enter in the list
    std::function<void()> onCancela;   // "Esc": the button, or Esc in the list

    QLabel* Titulo = nullptr;
    DBGrid* Grade = nullptr;
    QLabel* Dica = nullptr;
    QPushButton* BotEnter = nullptr;
    QPushButton* BotEsc = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    Environment& env_;
};

}  // namespace cp
