// A payment slip read into an installment of the account shown: Ctrl+B in
// the installment grid, or "Ler boleto / PIX..." of its pop-up menu, opens
// "Ler boleto ou PIX"; its OK writes the slip's amount and due date into the
// current installment (a new one when the grid is empty or stands on its
// blank new row), the payment means "Boleto" or "PIX", and keeps the slip
// with the installment, all in the one write of the installment.
//
// Before anything is written the operator is asked what only the operator
// can tell: which amount and due date to keep when the installment already
// has others, and whether a slip already kept with another installment is
// to be used again (default "Não"). Answering "Não" to the second leaves
// everything as it was and the dialog open.
#pragma once

#include <QObject>
#include <QStringList>

#include "suite/cobranca/Cobranca.h"

class QAction;

namespace cp {

class DBGrid;
class DialogoCobranca;
class JanelaPrincipal;

class CobrancaParcela : public QObject {
    Q_OBJECT
  public:
    // Adds the command to `grade` (the installment grid) and its pop-up
    // menu; lives as long as the grid.
    CobrancaParcela(JanelaPrincipal& form, DBGrid& grade);

    QAction* LerCobranca = nullptr;  // "Ler boleto / PIX..."  Ctrl+B

    // Opens the dialog (modal) on the account shown.
    void LerCobrancaClick();
    // The dialog's OK: true when the slip went into the installment (or the
    // write was tried and its failure reported: the installment holds it,
    // pending, as any refused write of the grid).
    bool gravaNaParcela(const CobrancaLida& c);

    // The payment means written for a slip: the entry of the grid's pick list
    // that spells "Boleto" or "PIX" (in any case), else that word.
    static QString meioDaCobranca(TipoCobranca tipo, const QStringList& formas);

  private:
    JanelaPrincipal& form_;
    DBGrid& grade_;
};

}  // namespace cp
