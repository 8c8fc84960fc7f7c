#include "entry/GravaDetalhes.h"

#include <string_view>

#include "suite/ChaveConta.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"

namespace cp {
namespace {

bool emEdicao(const RecordSet& rs) {
    return rs.state() == RecordSetState::Edit || rs.state() == RecordSetState::Insert;
}

// True when every column of the row being inserted is empty except `dadas`,
// the ones its insert filled.
bool soValoresDoInsert(const RecordSet& rs, std::initializer_list<std::string_view> dadas) {
    if (rs.state() != RecordSetState::Insert) return false;
    for (int i = 0; i < rs.fieldCount(); ++i) {
        const std::string& nome = rs.fields()[static_cast<std::size_t>(i)].name;
        bool dada = false;
        for (std::string_view d : dadas) dada = dada || nome == d;
        if (!dada && !isNull(rs.valueAt(rs.currentRow(), i))) return false;
    }
    return true;
}

// A new account that holds only what its insert gave it.
bool contaSemDigitacao(const RecordSet& conta) {
    return soValoresDoInsert(
        conta, {"CODIGOCPR", "ESTACAO", "NATUREZA", "DATA", "DATAREGISTRO", "HORAREGISTRO"});
}

bool porGravar(const RecordSet& rs) {
    if (!rs.active()) return false;
    if (rs.changeCount() > 0) return true;
    return emEdicao(rs) && rs.modified();
}

}  // namespace

bool parcelaSemDigitacao(const RecordSet& parcelas) {
    return soValoresDoInsert(parcelas, {"CODIGOCPR", "CODIGOPARC", "NUMPARCELA"});
}

bool detalhesPorGravar(const TDM& dm) {
    const bool conta = porGravar(dm.CONTASPR) &&
                       !(dm.CONTASPR.changeCount() == 0 && contaSemDigitacao(dm.CONTASPR));
    const bool parcela = porGravar(dm.Parcelas) &&
                         !(dm.Parcelas.changeCount() == 0 && parcelaSemDigitacao(dm.Parcelas));
    return conta || parcela;
}

void gravaDetalhes(TDM& dm) {
    // The account and its installment are one action: both are posted with
    // their writes held, then written together.
    GravacaoConjunta conjunta(dm);
    RecordSet& conta = dm.CONTASPR;
    RecordSet& parcelas = dm.Parcelas;
    try {
        if (conta.active() && porGravar(conta)) {
            if (!emEdicao(conta)) conta.edit();
            conta.post();
        }
        if (parcelas.active() && emEdicao(parcelas)) {
            if (!parcelaSemDigitacao(parcelas) && porGravar(parcelas))
                parcelas.post();
            else
                parcelas.cancel();
        }
        // Written at most twice: a first failure (a number taken meanwhile,
        // a lock that ended) is tried once more; a second goes on to the
        // caller with everything still pending.
        try {
            conjunta.grava();
        } catch (const std::exception&) {
            conjunta.grava();
        }
    } catch (const std::exception&) {
        // The account stays being edited, as the operator left it.
        if (conta.active() && !conta.isEmpty() && !emEdicao(conta)) conta.edit();
        throw;
    }
    if (conta.active()) conta.cancel();  // out of edit mode; nothing is left unwritten
}

void descartaDetalhes(TDM& dm) {
    if (dm.Parcelas.active()) dm.Parcelas.cancel();
    if (dm.CONTASPR.active()) dm.CONTASPR.cancel();
}

}  // namespace cp
