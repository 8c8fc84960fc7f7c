#include "entry/GravaDetalhes.h"

#include <functional>
#include <string_view>

#include "entry/GravaConta.h"
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

// A post, and when it fails, edit mode and one more post; the second
// failure goes on with the row back in edit mode, its change still pending.
void postaAteDuasVezes(RecordSet& rs, const std::function<void()>& posta) {
    try {
        posta();
    } catch (const std::exception&) {
        try {
            posta();
        } catch (const std::exception&) {
            if (rs.active() && !rs.isEmpty() && !emEdicao(rs)) rs.edit();
            throw;
        }
    }
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
    RecordSet& conta = dm.CONTASPR;
    if (conta.active()) {
        if (porGravar(conta)) {
            // Through the account's own write point, which takes a new
            // account's number; editing goes on there and ends here.
            postaAteDuasVezes(conta, [&] {
                if (!emEdicao(conta)) conta.edit();
                gravaContaESegueEditando(conta);
            });
        }
        conta.cancel();  // out of edit mode; nothing is left unwritten
    }

    RecordSet& parcelas = dm.Parcelas;
    if (!parcelas.active()) return;
    if (parcelaSemDigitacao(parcelas)) {
        parcelas.cancel();
        if (parcelas.changeCount() == 0) return;
    }
    if (!porGravar(parcelas)) {
        parcelas.cancel();
        return;
    }
    postaAteDuasVezes(parcelas, [&] {
        if (emEdicao(parcelas)) {
            parcelas.post();
        } else {
            // Changes an earlier write left pending: written again.
            gravaEReleia(parcelas);
        }
    });
}

void descartaDetalhes(TDM& dm) {
    if (dm.Parcelas.active()) dm.Parcelas.cancel();
    if (dm.CONTASPR.active()) dm.CONTASPR.cancel();
}

}  // namespace cp
