#include "suite/ContaImportada.h"

#include <utility>

#include "data/RecordSetImpl.h"
#include "fb/fb.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/NotasImportadas.h"

namespace cp {

struct GravacaoImportada::Estado {
    TDM* dm = nullptr;
    bool ativo = false;
    std::string chave;
    // Set by the account's write once it has stored the installments; the
    // write may still be undone with the account.
    bool escrito = false;
    // The installments waiting, kept when their set is closed before the
    // account was written (a later write of the account still takes them).
    std::vector<std::vector<Value>> guardadas;
    bool usaGuardadas = false;

    // The hooks found, called when no imported account waits.
    RecordSet::CompanionWrite companionAnterior;
    RecordSet::CompanionWrite escreveComAConta;  // set on the account while one waits
    RecordSet::Event contaAfterPost, contaBeforeClose, contaAfterScroll;
    RecordSet::Event parcelasAfterPost, parcelasAfterDelete, parcelasBeforeClose;
    RecordSet::ApplyInsertEvent parcelasBeforeApplyInsert;
};

namespace {

using Estado = GravacaoImportada::Estado;

bool emEdicao(const RecordSet& rs) {
    return rs.state() == RecordSetState::Edit || rs.state() == RecordSetState::Insert;
}

// The account has not reached the database: it is being inserted, or its
// first write is still pending in the log.
bool contaNaoGravada(const RecordSet& conta) {
    if (!conta.active()) return false;
    if (conta.state() == RecordSetState::Insert) return true;
    for (const ChangeEntry& c : conta.changes())
        if (c.kind == ChangeKind::Insert) return true;
    return false;
}

// Closes the installments without writing or naming what they hold.
void fechaSemGravar(RecordSet& parcelas) {
    if (!parcelas.active()) return;
    RecordSet::Event antes = std::exchange(parcelas.beforeClose, nullptr);
    parcelas.close();
    parcelas.beforeClose = std::move(antes);
}

// An installment being typed goes into the log with the others; a new row
// nobody typed into is dropped, as leaving the details drops it.
void incluiEdicao(RecordSet& parcelas) {
    if (!parcelas.active() || !emEdicao(parcelas)) return;
    const bool vazia = parcelas.state() == RecordSetState::Insert &&
                       parcelas.field("VALORPARCELA").isNull() &&
                       parcelas.field("DATAVENCIM").isNull();
    if (vazia || !parcelas.modified()) {
        parcelas.cancel();
        return;
    }
    parcelas.post();  // kept in the log: the account is being written
}

std::vector<std::vector<Value>> parcelasAguardando(RecordSet& parcelas) {
    std::vector<std::vector<Value>> linhas;
    for (const ChangeEntry& c : parcelas.changes())
        if (c.kind == ChangeKind::Insert) linhas.push_back(c.current);
    return linhas;
}

// Inside the account's write: its installments, numbered after the highest
// code stored now, under the account's final number; then its key.
void gravaComAConta(Estado& e, TDM& dm, fb::Transaction& tr, const ChangeEntry& conta) {
    RecordSet& parcelas = dm.Parcelas;
    std::vector<std::vector<Value>> linhas;
    if (parcelas.active() && !e.usaGuardadas) {
        // Written with the account by their own set, in this same
        // transaction ("Voltar", closing): only the key is left to write.
        if (!dm.gravacaoConjunta) {
            incluiEdicao(parcelas);
            linhas = parcelasAguardando(parcelas);
        }
    } else {
        linhas = e.guardadas;
    }
    const auto& cols = dm.CONTASPR;
    const Value& codigoConta =
        conta.current.at(static_cast<std::size_t>(cols.fieldIndex("CODIGOCPR")));
    const auto* codigo = std::get_if<std::int64_t>(&codigoConta);
    const Value& estacaoConta =
        conta.current.at(static_cast<std::size_t>(cols.fieldIndex("ESTACAO")));
    const auto* estacao = std::get_if<std::string>(&estacaoConta);
    if (!codigo || !estacao) return;  // refused by the account's own statement

    if (!linhas.empty()) {
        fb::Cursor c = tr.open("Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS");
        c.fetch();
        const std::int64_t maior = c.isNull(0) ? 0 : c.asInt64(0);
        c.close();
        const auto colParc = static_cast<std::size_t>(parcelas.fieldIndex("CODIGOPARC"));
        const auto colConta = static_cast<std::size_t>(parcelas.fieldIndex("CODIGOCPR"));
        std::int64_t proximo = maior;
        for (std::vector<Value>& v : linhas) {
            v.at(colParc) = ++proximo;
            v.at(colConta) = *codigo;
            ChangeEntry insercao;
            insercao.kind = ChangeKind::Insert;
            insercao.current = v;
            const RecordSet::Statement st = parcelas.statementFor(insercao);
            std::vector<fb::Value> params;
            params.reserve(st.params.size());
            for (std::size_t k = 0; k < st.params.size(); ++k)
                params.push_back(detail::toFb(
                    st.params[k],
                    parcelas.fields()[static_cast<std::size_t>(st.paramColumns[k])].type));
            tr.execute(st.sql, params);
        }
    }
    if (!e.chave.empty()) gravaChaveDaConta(tr, *codigo, *estacao, e.chave);
    e.escrito = true;
}

// Accounts typed by hand are written as before, without the write of the
// installments (and the savepoint it needs).
void esquece(Estado& e) {
    if (e.ativo) e.dm->CONTASPR.companionWrite = e.companionAnterior;
    e.ativo = false;
    e.escrito = false;
    e.chave.clear();
    e.guardadas.clear();
    e.usaGuardadas = false;
}

void chama(const RecordSet::Event& ev, RecordSet& rs) {
    if (ev) ev(rs);
}

}  // namespace

GravacaoImportada::GravacaoImportada(TDM& dm) : dm_(dm), estado_(std::make_shared<Estado>()) {
    Estado& e = *estado_;
    RecordSet& conta = dm.CONTASPR;
    RecordSet& parcelas = dm.Parcelas;
    e.companionAnterior = conta.companionWrite;
    e.contaAfterPost = conta.afterPost;
    e.contaBeforeClose = conta.beforeClose;
    e.contaAfterScroll = conta.afterScroll;
    e.parcelasAfterPost = parcelas.afterPost;
    e.parcelasAfterDelete = parcelas.afterDelete;
    e.parcelasBeforeClose = parcelas.beforeClose;
    e.parcelasBeforeApplyInsert = parcelas.beforeApplyInsert;

    std::weak_ptr<Estado> fraco = estado_;
    TDM* m = &dm;

    // Once the account is stored with its installments, they are read again
    // as stored (their final codes and the account's final number).
    auto conclui = [m](Estado& st) {
        esquece(st);
        fechaSemGravar(m->Parcelas);
        RecordSet& c = m->CONTASPR;
        if (c.active() && !c.isEmpty() && c.afterScroll) c.afterScroll(c);
    };

    e.dm = m;
    e.escreveComAConta = [fraco, m](fb::Transaction& tr, const ChangeEntry& entrada) {
        auto st = fraco.lock();
        if (st && st->companionAnterior) st->companionAnterior(tr, entrada);
        if (st && st->ativo && entrada.kind == ChangeKind::Insert)
            gravaComAConta(*st, *m, tr, entrada);
    };
    conta.afterPost = [fraco, m, conclui](RecordSet& rs) {
        auto st = fraco.lock();
        if (!st) return;
        if (!st->ativo) return chama(st->contaAfterPost, rs);
        st->escrito = false;
        try {
            chama(st->contaAfterPost, rs);
        } catch (...) {
            if (st->ativo && st->escrito && !contaNaoGravada(m->CONTASPR)) conclui(*st);
            throw;
        }
        if (st->ativo && st->escrito && !contaNaoGravada(m->CONTASPR)) conclui(*st);
    };
    conta.afterScroll = [fraco, m](RecordSet& rs) {
        auto st = fraco.lock();
        if (!st) return;
        // The account went away before it was written: its installments go
        // with it, unwritten and without a word, as the account does.
        if (st->ativo && !st->escrito && !contaNaoGravada(rs)) {
            fechaSemGravar(m->Parcelas);
            esquece(*st);
        }
        // Written together with its installments, and read again: the
        // import is done.
        if (st->ativo && st->escrito && !contaNaoGravada(rs)) esquece(*st);
        chama(st->contaAfterScroll, rs);
    };
    conta.beforeClose = [fraco](RecordSet& rs) {
        auto st = fraco.lock();
        if (!st) return;
        // The closing tries a pending write once more (with the installments,
        // through the write above); whatever it leaves is dropped with them.
        chama(st->contaBeforeClose, rs);
        esquece(*st);
    };

    parcelas.afterPost = [fraco, m](RecordSet& rs) {
        auto st = fraco.lock();
        if (!st) return;
        if (st->ativo && contaNaoGravada(m->CONTASPR)) return;  // waits for the account
        chama(st->parcelasAfterPost, rs);
    };
    parcelas.afterDelete = [fraco, m](RecordSet& rs) {
        auto st = fraco.lock();
        if (!st) return;
        if (st->ativo && contaNaoGravada(m->CONTASPR)) return;  // it never reached the database
        chama(st->parcelasAfterDelete, rs);
    };
    parcelas.beforeApplyInsert = [fraco, m](RecordSet& rs, fb::Transaction& tr,
                                            std::vector<Value>& valores) {
        auto st = fraco.lock();
        if (st && st->ativo && !m->gravacaoConjunta && contaNaoGravada(m->CONTASPR))
            throw DataError("a parcela só é gravada com a sua conta, que ainda não foi gravada");
        if (st && st->parcelasBeforeApplyInsert) st->parcelasBeforeApplyInsert(rs, tr, valores);
    };
    parcelas.beforeClose = [fraco, m](RecordSet& rs) {
        auto st = fraco.lock();
        if (!st) return;
        if (!st->ativo) return chama(st->parcelasBeforeClose, rs);
        // Nothing of these rows can be written without the account: they are
        // kept for the account's write, or were written by it.
        if (contaNaoGravada(m->CONTASPR)) {
            st->guardadas = parcelasAguardando(rs);
            st->usaGuardadas = true;
        } else {
            esquece(*st);
        }
    };
}

GravacaoImportada::~GravacaoImportada() {
    Estado& e = *estado_;
    if (e.ativo) fechaSemGravar(dm_.Parcelas);
    esquece(e);
    RecordSet& conta = dm_.CONTASPR;
    RecordSet& parcelas = dm_.Parcelas;
    conta.companionWrite = std::move(e.companionAnterior);
    conta.afterPost = std::move(e.contaAfterPost);
    conta.beforeClose = std::move(e.contaBeforeClose);
    conta.afterScroll = std::move(e.contaAfterScroll);
    parcelas.afterPost = std::move(e.parcelasAfterPost);
    parcelas.afterDelete = std::move(e.parcelasAfterDelete);
    parcelas.beforeClose = std::move(e.parcelasBeforeClose);
    parcelas.beforeApplyInsert = std::move(e.parcelasBeforeApplyInsert);
}

bool GravacaoImportada::aguardando() const { return estado_->ativo; }

void GravacaoImportada::preparaConta(const std::vector<ParcelaNfe>& lista, const std::string& meio,
                                     const std::string& contaBanco, const std::string& chave) {
    Estado& e = *estado_;
    RecordSet& conta = dm_.CONTASPR;
    RecordSet& parcelas = dm_.Parcelas;
    esquece(e);
    e.ativo = true;
    e.chave = chave;
    conta.companionWrite = e.escreveComAConta;
    try {
        std::int64_t numero = 0;
        for (const ParcelaNfe& p : lista) {
            ++numero;
            // The append reads the highest stored code, the same for every
            // row not yet written: the rows are numbered on from it here, and
            // again when they are written.
            parcelas.append();
            parcelas.field("CODIGOPARC").setAsInteger(dm_.sessao.MaiorCodigoParc + numero);
            parcelas.field("CODIGOCPR").setAsInteger(conta.field("CODIGOCPR").asInteger());
            parcelas.field("NATUREZA").setAsString(conta.field("NATUREZA").asString());
            parcelas.field("ESTACAO").setAsString(conta.field("ESTACAO").asString());
            parcelas.field("NUMPARCELA").setAsInteger(numero);
            parcelas.field("VALORPARCELA").setAsMoney(p.valor);
            parcelas.field("DATAVENCIM").setAsDate(p.vencimento);
            parcelas.field("CODIGOCTA").setAsString(contaBanco);
            parcelas.field("MEIO").setAsString(meio);
            parcelas.post();
        }
    } catch (...) {
        // Nothing half made: the rows made so far go.
        if (parcelas.active() && emEdicao(parcelas)) parcelas.cancel();
        fechaSemGravar(parcelas);
        esquece(e);
        if (conta.active() && !conta.isEmpty() && conta.afterScroll) conta.afterScroll(conta);
        throw;
    }
    if (parcelas.active() && !parcelas.isEmpty()) parcelas.first();
}

}  // namespace cp
