#include "suite/Persistencia.h"

#include <QFileInfo>
#include <QString>
#include <exception>
#include <string>
#include <vector>

#include "data/Cp1252.h"
#include "suite/ChaveConta.h"
#include "suite/Environment.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"

namespace cp {

namespace {

// ----- Texts for the operator -----

std::string utf8(const QString& s) { return s.toUtf8().toStdString(); }

std::string centavosTexto(std::int64_t v, int casas) {
    const bool negativo = v < 0;
    std::uint64_t m = negativo ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    std::uint64_t escala = 1;
    for (int i = 0; i < casas; ++i) escala *= 10;
    std::string frac = std::to_string(m % escala);
    frac.insert(0, static_cast<std::size_t>(casas) - frac.size(), '0');
    return (negativo ? "-" : "") + std::to_string(m / escala) + "." + frac;
}

// A value as the operator reads it in a message.
std::string valorTexto(const FieldDef& def, const Value& v) {
    if (isNull(v)) return "vazio";
    if (auto* s = std::get_if<std::string>(&v)) return "'" + utf8(fromCp1252(*s)) + "'";
    if (auto* d = std::get_if<QDate>(&v))
        return d->toString(QStringLiteral("dd/MM/yyyy")).toStdString();
    if (auto* t = std::get_if<TimeOfDay>(&v))
        return t->toQTime().toString(QStringLiteral("hh:mm:ss")).toStdString();
    if (auto* n = std::get_if<std::int64_t>(&v)) {
        if (def.type == FieldType::Money) return centavosTexto(*n, 2);
        if (def.type == FieldType::Decimal8) return centavosTexto(*n, 8);
        return std::to_string(*n);
    }
    return "?";
}

const char* operacaoTexto(ChangeKind k) {
    switch (k) {
        case ChangeKind::Insert:
            return "inclusão";
        case ChangeKind::Update:
            return "alteração";
        case ChangeKind::Delete:
            return "exclusão";
    }
    return "alteração";
}

// "alteração em PARCELAS (CODIGOCPR = 5, CODIGOPARC = 12)": the operation,
// the table written and the row's identity (its key columns, or every
// column with a value when the set has no key).
std::string descricaoAlteracao(const RecordSet& rs, const ChangeEntry& e) {
    const std::vector<Value>& vals = e.kind == ChangeKind::Insert ? e.current : e.original;
    const auto& defs = rs.fields();
    bool temChave = false;
    for (const auto& d : defs) temChave = temChave || d.key;
    std::string ident;
    for (std::size_t i = 0; i < defs.size() && i < vals.size(); ++i) {
        if (temChave ? !defs[i].key : isNull(vals[i])) continue;
        if (!ident.empty()) ident += ", ";
        ident += defs[i].name + " = " + valorTexto(defs[i], vals[i]);
    }
    const std::string tabela = rs.updateTable().empty() ? rs.name() : rs.updateTable();
    return std::string(operacaoTexto(e.kind)) + " em " + tabela + " (" + ident + ")";
}

bool marcadorPresente(const Environment& env) {
    return QFileInfo::exists(env.suiteFile(QStringLiteral("LIXO.TXT")));
}

void mostraSeMarcador(Environment& env, const std::string& texto) {
    if (marcadorPresente(env)) env.showMessage(QString::fromStdString(texto));
}

// The current row's column as the SQL text of the position query needs it:
// its decimal text, empty when the set stands on no row or the column is empty.
std::string textoDaColuna(RecordSet& rs, const char* coluna) {
    if (!rs.active() || rs.isEmpty()) return {};
    return rs.field(coluna).asString();
}

// ----- The due list's account column -----

// The list joins the installment with its account; the only account column
// the operator may type into is NFISCAL. Its change is written to the
// account, one row exactly, in the transaction that writes the installment
// columns of the same list row (PARCELAS, by key): the row lands whole or not
// at all, and a refused row stays pending with both parts.
void gravaNotaFiscalDaLista(fb::Transaction& tr, const RecordSet& lista, const ChangeEntry& e) {
    const int colNF = lista.fieldIndex("NFISCAL");
    const int colConta = lista.fieldIndex("CODIGOCPR_1");
    if (colNF < 0 || colConta < 0 || e.kind != ChangeKind::Update) return;
    if (e.current.at(colNF) == e.original.at(colNF)) return;
    fb::Value nf;
    if (auto* s = std::get_if<std::string>(&e.current.at(colNF))) nf = *s;
    fb::Value conta;
    if (auto* n = std::get_if<std::int64_t>(&e.original.at(colConta))) conta = *n;
    const std::int64_t n =
        tr.execute("Update CONTASPR set NFISCAL = ? where CODIGOCPR = ?", {nf, conta});
    if (n != 1)
        throw DataError(
            "a nota fiscal digitada na lista não pode ser gravada: a conta " +
            valorTexto(lista.fields()[colConta], e.original.at(colConta)) +
            (n == 0 ? " não existe mais" : " não é única (há mais de uma com esse código)"));
}

// Tries the pending changes of a set about to be closed once more; what still
// fails is dropped by the close, so the operator is told.
void avisaDescarteAoFechar(RecordSet& rs, Environment& env) {
    if (rs.changeCount() == 0) return;
    try {
        if (rs.applyUpdates() == 0) return;
    } catch (const std::exception&) {
        // The apply itself failed; the log is unchanged and named below.
    }
    const std::string texto = textoAlteracoesPendentes(rs);
    if (texto.empty()) return;
    env.showMessage(QString::fromUtf8(
        "As alterações abaixo não puderam ser gravadas no banco de dados e foram descartadas:\n" +
        texto));
}

}  // namespace

std::string textoAlteracoesPendentes(const RecordSet& rs) {
    std::string texto;
    for (const ChangeEntry& e : rs.changes()) {
        texto += "- " + descricaoAlteracao(rs, e);
        if (!e.error.empty()) texto += ": " + e.error;
        texto += "\n";
    }
    if (!texto.empty()) texto.pop_back();
    return texto;
}

std::string textoAlteracoesPendentes(std::initializer_list<const RecordSet*> sets) {
    std::string texto;
    for (const RecordSet* rs : sets) {
        const std::string t = rs->active() ? textoAlteracoesPendentes(*rs) : std::string();
        if (!t.empty()) texto += (texto.empty() ? "" : "\n") + t;
    }
    return texto;
}

std::string selectCondicaoPagto(std::string_view descricao) {
    std::string literal;
    for (char c : descricao) {
        literal += c;
        if (c == '\'') literal += '\'';
    }
    return "Select CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, CTABANCO, FORMAPAG, "
           "QAUT from FORMASPG where DESCRICAO = '" +
           literal + "'";
}

bool gravaEReleia(RecordSet& rs) {
    if (rs.applyUpdates() > 0) {
        std::string registro;
        bool semSaida = false;
        for (const ChangeEntry& e : rs.changes()) {
            if (!e.serverText.empty()) registro += (registro.empty() ? "" : " | ") + e.serverText;
            semSaida = semSaida || isFinal(e.failure);
        }
        GravacaoPendente erro(
            "Não foi possível gravar no banco de dados:\n" + textoAlteracoesPendentes(rs) +
                "\nA alteração continua pendente e será tentada de novo na próxima gravação.",
            registro);
        // A change that can never be written would block the set for good.
        if (semSaida)
            erro.ofereceSaida(kPerguntaDescartar, [&rs] {
                rs.discardFinalChanges();
                if (rs.changeCount() == 0) rs.refresh();
            });
        throw erro;
    }
    return rs.refresh();
}

void instalaPersistencia(TDM& dm, TDM2& dm2, EstadoSessao& sessao, Environment& env) {
    TDM* m = &dm;
    EstadoSessao* s = &sessao;
    Environment* e = &env;

    // ----- Accounts -----
    dm.CONTASPR.beforeInsert = [m, s, e](RecordSet&) {
        Query& q = m->SQLQuery1;
        q.close();
        q.setText("Select MaX(CODIGOCPR) as MaiorCodCPR from CONTASPR");
        q.open();
        s->MaiorCodigoCPR = q.asInteger("MaiorCodCPR");
        mostraSeMarcador(*e, "1) MAIOR CODIGOCPR: " + std::to_string(s->MaiorCodigoCPR));
    };
    dm.CONTASPR.afterInsert = [s, e](RecordSet& rs) {
        const std::int64_t novo = s->MaiorCodigoCPR + 1;
        mostraSeMarcador(*e, "2) NOVO CODIGOCPR: " + std::to_string(novo));
        const QTime agora = e->time();
        rs.field("CODIGOCPR").setAsInteger(novo);
        rs.field("ESTACAO").setAsString(s->Estacao.str());
        rs.field("NATUREZA").setAsString("P");
        rs.field("DATA").setAsDate(e->today());
        rs.field("DATAREGISTRO").setAsDate(e->today());
        rs.field("HORAREGISTRO").setAsTime(QTime(agora.hour(), agora.minute(), agora.second()));
    };
    dm.CONTASPR.afterScroll = [m, s](RecordSet& rs) {
        if (rs.isEmpty()) return;
        const std::string codigo = rs.field("CODIGOCPR").asString();
        if (!codigo.empty()) {
            m->Parcelas.close();
            m->Parcelas.setCommandText("Select " + s->CamposParcelas +
                                       " from PARCELAS where CODIGOCPR = " + codigo);
            m->Parcelas.open();
        }
        const std::string cond = rs.field("CONDPAGTO").asString();
        if (!cond.empty()) {
            m->FormasPG.close();
            m->FormasPG.setCommandText(selectCondicaoPagto(cond));
            m->FormasPG.open();
        }
    };
    dm.CONTASPR.beforeClose = [m, e](RecordSet& rs) {
        avisaDescarteAoFechar(rs, *e);
        m->FormasPG.close();
        m->Parcelas.close();
    };

    // ----- Installments -----
    dm.Parcelas.beforeInsert = [m, s, e](RecordSet& rs) {
        Query& q = m->SQLQuery1;
        q.close();
        q.setText("Select MaX(CODIGOPARC) as MaiorCodParc from PARCELAS");
        q.open();
        s->MaiorCodigoParc = q.asInteger("MaiorCodParc");
        q.close();

        // The position of the installment the set stands on (the condition
        // names one installment); anything failing here gives position 0.
        try {
            q.close();
            q.setText("Select MaX(NUMPARCELA) as MaiorNumParc from PARCELAS where CODIGOCPR=" +
                      textoDaColuna(rs, "CODIGOCPR") +
                      " and CODIGOPARC=" + textoDaColuna(rs, "CODIGOPARC"));
            mostraSeMarcador(*e, "3) " + q.text() + "\n");
            q.open();
            s->MaiorNumParcela = q.asInteger("MaiorNumParc");
        } catch (const std::exception&) {
            s->MaiorNumParcela = 0;
        }
        q.close();
    };
    dm.Parcelas.afterInsert = [m, s, e](RecordSet& rs) {
        mostraSeMarcador(
            *e, "4) NOVO CODIGOPARC E NUMPARC: " + std::to_string(s->MaiorCodigoParc + 1) + " / " +
                    std::to_string(s->MaiorNumParcela + 1));
        // Without a current account the column stays empty and the post is
        // refused for it.
        if (m->CONTASPR.active() && !m->CONTASPR.isEmpty())
            rs.field("CODIGOCPR").setAsInteger(m->CONTASPR.field("CODIGOCPR").asInteger());
        rs.field("CODIGOPARC").setAsInteger(s->MaiorCodigoParc + 1);
        rs.field("NUMPARCELA").setAsInteger(s->MaiorNumParcela + 1);
    };
    dm.Parcelas.afterDelete = [m](RecordSet& rs) {
        if (m->gravacaoConjunta) return;  // written with the rest of the action
        gravaEReleia(rs);
    };
    dm.Parcelas.onPostError = [e](RecordSet&, const DataError& err) {
        e->showMessage(QString::fromUtf8(err.what()));
    };
    dm.Parcelas.beforeClose = [e](RecordSet& rs) { avisaDescarteAoFechar(rs, *e); };

    // ----- Suppliers -----
    dm.Forneced.afterPost = [](RecordSet& rs) { gravaEReleia(rs); };
    dm.Forneced.afterDelete = [](RecordSet& rs) { gravaEReleia(rs); };
    dm.Forneced.beforeClose = [e](RecordSet& rs) { avisaDescarteAoFechar(rs, *e); };

    // ----- The due list -----
    dm.Query2.setUpdateTable("PARCELAS");
    dm.Query2.setUpdateMode(UpdateMode::Key);
    dm.Query2.beforeInsert = [](RecordSet&) {
        throw DataError(
            "Parcelas novas são lançadas nos detalhes da conta (\"Detalhes da Conta\" ou "
            "\"Nova conta\"), não na lista.");
    };
    dm.Query2.companionWrite = [m](fb::Transaction& tr, const ChangeEntry& e) {
        gravaNotaFiscalDaLista(tr, m->Query2, e);
    };
    dm.Query2.afterPost = [](RecordSet& rs) { gravaEReleia(rs); };
    dm.Query2.afterDelete = [](RecordSet& rs) { gravaEReleia(rs); };
    dm.Query2.beforeClose = [e](RecordSet& rs) { avisaDescarteAoFechar(rs, *e); };

    // ----- The list period -----
    dm2.Periodo.afterPost = [](RecordSet& rs) { gravaEReleia(rs); };
    dm2.Periodo.beforeClose = [e](RecordSet& rs) { avisaDescarteAoFechar(rs, *e); };

    // Writing accounts and installments: the number of a new account is
    // claimed when it is first written, and installments wait for it.
    instalaChaveConta(dm, env);
    // The payment slips go with their installments.
    dm.Cobrancas.instala(dm);
}

}  // namespace cp
