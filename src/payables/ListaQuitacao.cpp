// Settling an installment of the list and cancelling a settlement: one
// UPDATE of PARCELAS sent straight on the shared connection and committed at
// once, then the list's own pending changes are written, the list is read
// again and rebuilt.
#include "logic/ListaSql.h"
#include "payables/ListaContas.h"
#include "shell/DataWidgets.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"

namespace cp {

bool ListaContas::listaTemLinha(const QString& semLinha) {
    RecordSet& q = dm_.Query2;
    if (!q.active() || q.isEmpty()) {
        env_.showMessage(semLinha);
        return false;
    }
    // A cell being edited is stored first, so the row read is the row kept.
    q.post();
    if (q.isEmpty()) {
        env_.showMessage(semLinha);
        return false;
    }
    return true;
}

void ListaContas::depoisDaQuitacao() {
    RecordSet& q = dm_.Query2;
    if (q.active()) gravaEReleia(q);
    MontaQuery2();
}

void ListaContas::Quitarestaconta1Click() {
    if (!listaTemLinha(QStringLiteral("A lista não tem parcela para quitar."))) return;
    RecordSet& q = dm_.Query2;
    const std::int64_t parcela = q.field("NUMPARCELA").asInteger();
    const std::int64_t conta = q.field("CODIGOCPR").asInteger();
    const QDate vencimento = q.field("DATAVENCIM").asDate();
    const std::int64_t valor = q.field("VALORPARCELA").asMoney();
    if (!vencimento.isValid()) {
        env_.showMessage(QStringLiteral(
            "Esta parcela não tem data de vencimento, que seria a data do pagamento."));
        return;
    }
    dm_.SQLConnection1.execute(sqlQuitar(parcela, conta, vencimento, valor));
    depoisDaQuitacao();
}

bool ListaContas::linhaQuitada() const {
    RecordSet& q = dm_.Query2;
    if (!q.active() || q.isEmpty()) return false;
    if (!q.field("DATAPAGTO").isNull()) return true;
    return !q.field("VALORPAGO").isNull() && q.field("VALORPAGO").asMoney() != 0;
}

void ListaContas::Cancelarquitao1Click() {
    if (!listaTemLinha(QStringLiteral("A lista não tem parcela para cancelar a quitação."))) return;
    if (!linhaQuitada()) {
        env_.showMessage(
            QStringLiteral("Esta parcela não está quitada: não há quitação a cancelar."));
        return;
    }
    RecordSet& q = dm_.Query2;
    const std::int64_t parcela = q.field("NUMPARCELA").asInteger();
    const std::int64_t conta = q.field("CODIGOCPR").asInteger();
    dm_.SQLConnection1.execute(sqlCancelarQuitacao(parcela, conta));
    depoisDaQuitacao();
}

}  // namespace cp
