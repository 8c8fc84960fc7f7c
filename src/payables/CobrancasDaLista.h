// The payment slips of the due list: on the day a bill is paid the operator
// copies, from the list's pop-up menu, the boleto's line ("Copiar linha
// digitável") or the PIX code ("Copiar código PIX") of the current row and
// pastes it into the bank's site. The clipboard gets it as the bank takes
// it: the 47 or 48 digits without separators, the PIX code as received.
//
// Rows whose installment keeps a slip are marked in the row indicator at the
// left of the list, with the line as the tip of the mark and of the row; the
// list's columns stay as they are. The slips are read each time the list is
// read, with a statement of their own (the list's statement is the suite's).
#pragma once

#include <QObject>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "suite/CobrancasGuardadas.h"

class QAction;

namespace cp {

class JanelaPrincipal;
class ListaContas;
class TDM;
class LinhaLista;

class CobrancasDaLista : public QObject {
    Q_OBJECT
  public:
    // Adds the copy command to the list's pop-up menu, after the settlement
    // commands, and the mark to the list's row indicator.
    CobrancasDaLista(ListaContas& lista, JanelaPrincipal& form);
    ~CobrancasDaLista() override;

    // "Copiar linha digitável" / "Copiar código PIX"; disabled on a row
    // without a slip.
    QAction* CopiarCobranca = nullptr;
    void CopiarCobrancaClick();

    // The slip of the list's visible row `linha` as read with the list;
    // nullptr when it has none.
    const CobrancaGuardada* daLinha(int linha) const;
    // The tip of a row with a slip.
    static QString dica(const CobrancaGuardada& g);

    // Reads the slips of the list's rows again.
    void releia();
    // A copy of the list (its rows in list order) gets each row's slip line,
    // as printed.
    void preencheCopia(std::vector<LinhaLista>& linhas) const;

  private:
    void preparaMenu();

    ListaContas& lista_;
    JanelaPrincipal& form_;
    TDM& dm_;
    std::map<std::pair<std::int64_t, std::int64_t>, CobrancaGuardada> porChave_;
    int observador_ = -1;
};

}  // namespace cp
