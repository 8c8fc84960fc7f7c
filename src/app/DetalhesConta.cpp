#include "app/DetalhesConta.h"

#include <QLabel>
#include <QPushButton>
#include <utility>

#include "app/Form1.h"
#include "entry/GravaDetalhes.h"
#include "payables/ListaContas.h"
#include "shell/ButtonKey.h"
#include "shell/DataWidgets.h"
#include "shell/FocusChain.h"
#include "shell/Toolkit.h"
#include "suite/Modules.h"

namespace cp {
namespace {

// The account's move hook held back while the accounts are read and searched,
// so the installments are loaded once, for the account found; given back on
// every path.
class MovimentoAdiado {
  public:
    explicit MovimentoAdiado(RecordSet& rs) : rs_(rs), hook_(std::exchange(rs.afterScroll, {})) {}
    ~MovimentoAdiado() { rs_.afterScroll = std::move(hook_); }
    MovimentoAdiado(const MovimentoAdiado&) = delete;
    MovimentoAdiado& operator=(const MovimentoAdiado&) = delete;

  private:
    RecordSet& rs_;
    RecordSet::Event hook_;
};

// CODIGOCPR of the list's current row; 0 when the list shows no row or the
// column is empty.
std::int64_t contaDaLinhaAtual(RecordSet& lista) {
    if (!lista.active() || lista.isEmpty()) return 0;
    Field codigo = lista.field("CODIGOCPR");
    return codigo.isNull() ? 0 : codigo.asInteger();
}

}  // namespace

DetalhesConta::DetalhesConta(Form1& form) : form_(form) {}

void DetalhesConta::BitBtn11Click() {
    if (form_.listaVisivel()) {
        abre();
    } else {
        volta();
    }
}

void DetalhesConta::abre() {
    TDM& dm = *form_.DM;
    RecordSet& contas = dm.CONTASPR;

    // 1-3. Every payable account, in code order; the list row's account.
    contas.close();
    contas.setCommandText("Select " + form_.sessao.CamposCPR +
                          " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
    const std::int64_t codigo = contaDaLinhaAtual(dm.Query2);
    {
        MovimentoAdiado adiado(contas);
        contas.open();
        contas.findKey({Value(codigo)});  // not found: the first account stays current
    }

    // 4. The account and its installment in edit mode.
    if (contas.isEmpty()) {
        // No payable account at all: nothing to edit, and no installments
        // belong to the empty fields.
        dm.Parcelas.close();
    } else {
        if (contas.afterScroll) contas.afterScroll(contas);  // its installments and condition
        contas.edit();
        if (dm.Parcelas.active()) dm.Parcelas.edit();
    }

    // 5. The details view.
    mostraDetalhes();
}

void DetalhesConta::volta() {
    // What the focused field holds is written first; a refused text keeps
    // the details (the field showed why).
    if (!commitFocusedEditor(&form_)) return;
    TDM& dm = *form_.DM;
    gravaDetalhes(dm);
    // The list as its last statement reads it, first row current; the totals
    // keep their text until the list is next rebuilt.
    dm.Query2.open();
    mostraLista();
}

void DetalhesConta::mostraDetalhes() {
    ListaContas& lista = *form_.lista;
    // The focus leaves what is about to be hidden for the details button
    // ("Voltar"), as a click leaves it there, rather than passing through
    // the list's controls on its way.
    QWidget* foco = form_.focusWidget();
    const bool vaiSumir =
        foco && (foco == form_.BitBtn3 || foco == form_.BitBtn14 || foco == lista.DBGrid5 ||
                 lista.DBGrid5->isAncestorOf(foco) || lista.Panel10->isAncestorOf(foco));
    if (vaiSumir && isReachable(form_.BitBtn11)) form_.BitBtn11->setFocus(Qt::OtherFocusReason);
    lista.DBGrid5->hide();
    lista.PainelTotais->hide();
    lista.Panel10->hide();
    form_.DM->Query2.close();
    form_.BitBtn3->hide();
    form_.BitBtn11->setText(QStringLiteral("Voltar"));
    form_.BitBtn11->setGeometry(490, 8, 245, 24);
    setFontColor(form_.BitBtn11, kRed);
    updateButtonKeyTip(form_.BitBtn11);
    form_.BitBtn14->hide();
    keepFocusReachable(&form_, form_.BitBtn11);
}

void DetalhesConta::mostraLista() {
    ListaContas& lista = *form_.lista;
    form_.BitBtn11->setText(QStringLiteral("Detalhes da Conta"));
    form_.BitBtn11->setGeometry(341, 8, 159, 24);
    setFontColor(form_.BitBtn11, kGreen);
    updateButtonKeyTip(form_.BitBtn11);
    lista.DBGrid5->show();
    lista.PainelTotais->show();
    lista.Panel10->show();
    form_.BitBtn3->show();
    form_.BitBtn14->show();
    // A field left with the focus now lies under the list.
    keepFocusReachable(&form_, lista.DBGrid5);
}

}  // namespace cp
