#include "suite/ChaveConta.h"

#include <QString>
#include <algorithm>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "fb/Failure.h"
#include "fb/fb.h"
#include "suite/DonoDoBloqueio.h"
#include "suite/Environment.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"

namespace cp {

namespace {

// Engine codes of a lock that another transaction held: the statement is
// undone and may be run again. A deadlock proper (this transaction holds
// what the other one waits for) is not retried: it goes on to the caller.
constexpr std::intptr_t kDeadlock = 335544336;        // "deadlock", then the reason
constexpr std::intptr_t kLockConflict = 335544345;    // lock conflict on no wait transaction
constexpr std::intptr_t kUpdateConflict = 335544451;  // update conflicts with concurrent update

bool travaDeOutro(const fb::Error& e) {
    if (e.gdscode() == kLockConflict || e.gdscode() == kUpdateConflict) return true;
    return e.gdscode() == kDeadlock &&
           std::string_view(e.what()).find("update conflicts with concurrent update") !=
               std::string_view::npos;
}

// How many times the lock is asked for again after another writer took it
// first: far more than writers ever wait at once.
constexpr int kTentativasDaTrava = 1000;

// Whether the transaction that held the lock row still runs: the wait then
// ended by its time limit, not because the lock came free. A holder that
// cannot be looked up counts as still running.
bool aindaTravada(fb::Transaction& tr, const fb::Error& e) {
    const auto holder = e.numberOf(fb::kConcurrentTransaction);
    if (!holder) return false;
    try {
        return donoDaTransacao(tr, *holder).has_value();
    } catch (const fb::Error&) {
        return true;
    }
}

// Takes the lock row. In a read-committed transaction a writer that waited
// for another one gets an update conflict when the other commits; the lock
// is free then and is taken again. A writer whose wait ran out while the
// holder still runs gives up with the conflict, so the account stays
// pending and the operator is told, instead of waiting once more. When a lower work-area code
// appeared meanwhile, that row is locked as well, so every writer ends holding the same row.
// Returns false when ESTACOES has no row to lock.
bool travaContaNova(fb::Transaction& tr) {
    std::string travada;
    for (int tentativa = 1;; ++tentativa) {
        try {
            fb::Cursor c = tr.open(kTravaContaNova);
            if (!c.fetch()) return false;
            travada = c.asText(0);
        } catch (const fb::Error& e) {
            if (!travaDeOutro(e) || tentativa >= kTentativasDaTrava || aindaTravada(tr, e)) throw;
            continue;
        }
        fb::Cursor menor = tr.open("select min(ESTACAO) from ESTACOES");
        menor.fetch();
        if (menor.isNull(0) || menor.asText(0) == travada) return true;
    }
}

std::int64_t inteiro(const fb::Cursor& c, unsigned col) {
    return c.isNull(col) ? 0 : c.asInt64(col);
}

// The number a new account was given when started and the one it was
// written with, when the two differ.
struct Troca {
    std::int64_t de = 0, para = 0;
    // A write tried again (after a lost connection) starts from the number
    // the account was given in the attempt before: the number it was started
    // with, which its pending installments carry, is found here.
    std::map<std::int64_t, std::int64_t> inicialDe;
};

// After the account was written with another number than it was started
// with, the installments are selected again for the final number (once
// none of them is pending, so that nothing typed is dropped).
void acertaParcelasDaConta(TDM& dm) {
    RecordSet& conta = dm.CONTASPR;
    RecordSet& parcelas = dm.Parcelas;
    if (!conta.active() || conta.isEmpty() || !conta.afterScroll) return;
    if (!parcelas.active() || parcelas.changeCount() > 0 ||
        parcelas.state() != RecordSetState::Browse)
        return;
    const std::string sufixo = " CODIGOCPR = " + conta.field("CODIGOCPR").asString();
    const std::string& texto = parcelas.commandText();
    if (texto.size() >= sufixo.size() &&
        texto.compare(texto.size() - sufixo.size(), sufixo.size(), sufixo) == 0)
        return;
    conta.afterScroll(conta);
}

}  // namespace

std::int64_t reservaCodigoConta(fb::Transaction& tr, std::int64_t proposto) {
    travaContaNova(tr);
    if (proposto > 0) {
        fb::Cursor c = tr.open(
            "select 1 from RDB$DATABASE where exists (select 1 from CONTASPR where CODIGOCPR = ?) "
            "or exists (select 1 from PARCELAS where CODIGOCPR = ?)",
            {proposto, proposto});
        if (!c.fetch()) return proposto;
    }
    fb::Cursor c = tr.open(
        "select (select max(CODIGOCPR) from CONTASPR), (select max(CODIGOCPR) from PARCELAS) "
        "from RDB$DATABASE");
    c.fetch();
    return std::max(inteiro(c, 0), inteiro(c, 1)) + 1;
}

bool contaAindaNaoGravada(const RecordSet& conta) {
    if (conta.state() == RecordSetState::Insert) return true;
    for (const ChangeEntry& c : conta.changes())
        if (c.kind == ChangeKind::Insert) return true;
    return false;
}

void gravaContaAindaNaoGravada(RecordSet& conta) {
    if (!conta.active() || conta.isEmpty() || !contaAindaNaoGravada(conta)) return;
    if (conta.state() == RecordSetState::Browse) conta.edit();
    try {
        conta.post();
    } catch (...) {
        if (conta.state() == RecordSetState::Browse && !conta.isEmpty()) conta.edit();
        throw;
    }
    conta.edit();
}

void gravaEReleiaContas(TDM& dm, Environment& env) {
    RecordSet& contas = dm.CONTASPR;
    const std::string antes =
        contas.isEmpty() ? std::string() : contas.field("CODIGOCPR").asString();
    if (gravaEReleia(contas)) {
        acertaParcelasDaConta(dm);
        return;
    }
    if (contas.isEmpty()) {
        dm.FormasPG.close();
        dm.Parcelas.close();
        env.showMessage(QStringLiteral("A conta %1 não está mais entre as contas a pagar do "
                                       "banco de dados: foi excluída ou alterada em outra "
                                       "estação. Não há outra conta para mostrar.")
                            .arg(QString::fromStdString(antes)));
        return;
    }
    env.showMessage(QStringLiteral("A conta %1 não está mais entre as contas a pagar do banco "
                                   "de dados: foi excluída ou alterada em outra estação. A conta "
                                   "mostrada agora é a %2.")
                        .arg(QString::fromStdString(antes),
                             QString::fromStdString(contas.field("CODIGOCPR").asString())));
}

void instalaChaveConta(TDM& dm, Environment& env) {
    TDM* m = &dm;
    Environment* e = &env;
    auto troca = std::make_shared<Troca>();

    dm.CONTASPR.beforeApplyInsert = [troca](RecordSet& rs, fb::Transaction& tr,
                                            std::vector<Value>& valores) {
        const int col = rs.fieldIndex("CODIGOCPR");
        const auto* n = std::get_if<std::int64_t>(&valores.at(static_cast<std::size_t>(col)));
        const std::int64_t proposto = n ? *n : 0;
        std::int64_t inicial = proposto;
        if (auto it = troca->inicialDe.find(proposto); it != troca->inicialDe.end()) {
            inicial = it->second;
            troca->inicialDe.erase(it);
        }
        const std::int64_t final = reservaCodigoConta(tr, proposto);
        troca->de = inicial;
        troca->para = final;
        if (final != inicial) troca->inicialDe[final] = inicial;
        if (final != proposto) valores[static_cast<std::size_t>(col)] = final;
    };
    dm.CONTASPR.afterPost = [m, e](RecordSet&) {
        if (m->gravacaoConjunta) return;  // written with its installments
        gravaEReleiaContas(*m, *e);
    };

    // New installments of the account shown carry the number it had when
    // they were started; the account may have been written with another one.
    dm.Parcelas.beforeApplyInsert = [m, troca](RecordSet& rs, fb::Transaction& tr,
                                               std::vector<Value>& valores) {
        // Written together: the codes are counted on from the highest one
        // stored, read once in this transaction under the lock.
        if (m->gravacaoConjunta && m->contaCodigosParc) {
            if (!m->ultimoCodigoParc) {
                fb::Cursor c = tr.open("Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS");
                c.fetch();
                m->ultimoCodigoParc = inteiro(c, 0);
            }
            valores.at(static_cast<std::size_t>(rs.fieldIndex("CODIGOPARC"))) =
                ++*m->ultimoCodigoParc;
        }
        RecordSet& conta = m->CONTASPR;
        if (troca->de == troca->para || !conta.active() || conta.isEmpty() ||
            conta.field("CODIGOCPR").asInteger() != troca->para)
            return;
        Value& codigo = valores.at(static_cast<std::size_t>(rs.fieldIndex("CODIGOCPR")));
        if (codigo == Value{troca->de}) codigo = troca->para;
    };
    dm.Parcelas.afterPost = [m](RecordSet& rs) {
        if (m->gravacaoConjunta) return;  // written with its account
        gravaContaAindaNaoGravada(m->CONTASPR);
        gravaEReleia(rs);
        acertaParcelasDaConta(*m);
    };
}

GravacaoConjunta::GravacaoConjunta(TDM& dm) : dm_(dm), antes_(dm.gravacaoConjunta) {
    dm_.gravacaoConjunta = true;
}

GravacaoConjunta::~GravacaoConjunta() { dm_.gravacaoConjunta = antes_; }

void GravacaoConjunta::grava() {
    RecordSet& contas = dm_.CONTASPR;
    RecordSet& parcelas = dm_.Parcelas;
    std::vector<RecordSet*> juntos;
    // A set with nothing to write may stay in its edit.
    for (RecordSet* rs : {&contas, &parcelas})
        if (rs->active() && (rs->changeCount() > 0 || rs->state() == RecordSetState::Browse))
            juntos.push_back(rs);
    // Only what was written is read again, as its own write would.
    const bool contaAlterada = contas.active() && contas.changeCount() > 0;
    const bool parcelasAlteradas = parcelas.active() && parcelas.changeCount() > 0;
    bool parcelasNovas = false;
    if (parcelas.active())
        for (const ChangeEntry& c : parcelas.changes())
            parcelasNovas = parcelasNovas || c.kind == ChangeKind::Insert;
    // New installments take their codes in the write, one after the other,
    // from the highest code stored: read once, under the lock that every
    // writer of new accounts and installments together takes first.
    struct Contagem {
        TDM& dm;
        ~Contagem() {
            dm.contaCodigosParc = false;
            dm.ultimoCodigoParc.reset();
        }
    } contagem{dm_};
    auto inicio = [this, parcelasNovas](fb::Transaction& tr) {
        dm_.ultimoCodigoParc.reset();
        dm_.contaCodigosParc = parcelasNovas;
        if (parcelasNovas) travaContaNova(tr);
    };
    if (RecordSet::applyTogether(juntos, inicio) > 0) {
        const std::string texto = textoAlteracoesPendentes({&contas, &parcelas});
        std::string registro;
        for (RecordSet* rs : juntos) {
            for (const ChangeEntry& c : rs->changes())
                if (!c.serverText.empty())
                    registro += (registro.empty() ? "" : " | ") + c.serverText;
        }
        throw GravacaoPendente("Não foi possível gravar no banco de dados:\n" + texto +
                                   "\nNada foi gravado: a conta e as parcelas continuam "
                                   "pendentes e serão tentadas de novo na próxima gravação.",
                               registro);
    }
    // Written: read again as the posts' own writes read them.
    dm_.gravacaoConjunta = antes_;
    if (contaAlterada) gravaEReleiaContas(dm_, dm_.env);
    if (parcelasAlteradas) {
        gravaEReleia(parcelas);
        acertaParcelasDaConta(dm_);
    }
    dm_.gravacaoConjunta = true;
}

}  // namespace cp
