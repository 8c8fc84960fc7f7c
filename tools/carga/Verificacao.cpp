#include "Verificacao.h"

#include <algorithm>
#include <set>

namespace carga {

namespace {

// One write to a target as the journals tell it: reported done, or of
// unknown outcome (failed, or its process killed in the middle).
struct Escrita {
    bool certa = false;
    std::string valor;
    std::string estacao;
};

// The writes of each group of kinds, by target, in the order each
// workstation made them (a target belongs to one workstation).
using Historico = std::map<std::string, std::vector<Escrita>>;

struct Historicos {
    Historico quitacao;  // "cpr/numparc" -> Q or C
    Historico numdoc;    // "cpr/codparc" -> number
    Historico nfConta;   // "cpr" -> number
    Historico obs;       // "cpr" -> text
    Historico nova;      // marker -> "cpr/parcelas" ("" when not known)
};

Historico* grupo(Historicos& h, const std::string& kind) {
    if (kind == kQuitar || kind == kCancelar) return &h.quitacao;
    if (kind == kNotaFiscal) return &h.numdoc;
    if (kind == kEditaConta) return &h.obs;
    if (kind == kNovaConta) return &h.nova;
    return nullptr;
}

void anota(Historicos& h, const std::string& estacao, const std::string& kind,
           const std::string& alvo, bool certa, const std::string& valor) {
    Historico* g = grupo(h, kind);
    if (!g || alvo.empty()) return;
    (*g)[alvo].push_back({certa, valor, estacao});
    if (kind == kNotaFiscal)
        h.nfConta[alvo.substr(0, alvo.find('/'))].push_back({certa, valor, estacao});
}

Historicos historicos(const Diarios& diarios) {
    Historicos h;
    for (const auto& [estacao, eventos] : diarios) {
        std::map<std::string, Evento> abertos;  // writes begun and not ended, by seq
        auto fechaProcesso = [&] {
            for (const auto& [seq, b] : abertos) anota(h, estacao, b.kind, b.alvo, false, b.valor);
            abertos.clear();
        };
        for (const Evento& e : eventos) {
            if (e.tipo == "LIGA") {
                fechaProcesso();
            } else if (e.tipo == "B") {
                abertos[e.seq] = e;
            } else if (e.tipo == "OK" || e.tipo == "ERR") {
                auto b = abertos.find(e.seq);
                if (b == abertos.end()) continue;  // a list rebuild, or failed before any write
                const Evento inicio = b->second;
                abertos.erase(b);
                anota(h, estacao, inicio.kind, inicio.alvo, e.tipo == "OK",
                      e.tipo == "OK" ? e.valor : inicio.valor);
            }
        }
        fechaProcesso();
    }
    return h;
}

// The values the database may hold for a target: the last one reported
// done, and any of unknown outcome after it. Empty when none was reported
// done (the target may then hold anything).
std::set<std::string> aceitaveis(const std::vector<Escrita>& ws) {
    std::set<std::string> out;
    for (const Escrita& w : ws) {
        if (w.certa) out.clear();
        if (w.certa || !out.empty()) out.insert(w.valor);
    }
    return out;
}

std::int64_t conta(fb::Attachment& a, const std::string& sql,
                   const std::vector<fb::Value>& p = {}) {
    fb::Transaction tr = a.startTransaction();
    fb::Cursor c = tr.open(sql, p);
    std::int64_t n = c.fetch() ? c.asInt64(0) : 0;
    c.close();
    tr.commit();
    return n;
}

std::string junta(const std::vector<std::string>& xs, std::size_t max = 5) {
    std::string out;
    for (std::size_t i = 0; i < xs.size() && i < max; ++i) out += (i ? "; " : "") + xs[i];
    if (xs.size() > max) out += "; ... (" + std::to_string(xs.size()) + " in all)";
    return out;
}

// The installments of the condition the workstations give their new
// accounts ("30/60/90").
constexpr std::int64_t kParcelasDaCondicao = 3;

std::pair<std::int64_t, std::int64_t> par(const std::string& alvo) {
    const auto b = alvo.find('/');
    return {std::stoll(alvo.substr(0, b)), std::stoll(alvo.substr(b + 1))};
}

}  // namespace

std::vector<Resultado> verificaInvariantes(fb::Attachment& a, const Diarios& diarios) {
    std::vector<Resultado> out;
    const Historicos h = historicos(diarios);
    fb::Transaction tr = a.startTransaction();

    {
        Resultado r{"no two accounts share a CODIGOCPR"};
        const std::int64_t n =
            conta(a,
                  "select count(*) from (select CODIGOCPR from CONTASPR group by CODIGOCPR "
                  "having count(*) > 1)");
        r.ok = n == 0;
        r.detalhe = std::to_string(n) + " codes held by more than one account";
        out.push_back(r);
    }
    {
        Resultado r{"every installment belongs to an existing account"};
        const std::int64_t n =
            conta(a,
                  "select count(*) from PARCELAS p where not exists (select 1 from CONTASPR c "
                  "where c.CODIGOCPR = p.CODIGOCPR)");
        r.ok = n == 0;
        r.detalhe = std::to_string(n) + " installments without an account";
        out.push_back(r);
    }
    {
        Resultado r{"every installment belongs to the workstation that created it"};
        const std::int64_t n =
            conta(a,
                  "select count(*) from PARCELAS p join CONTASPR c on c.CODIGOCPR = p.CODIGOCPR "
                  "where c.ESTACAO is distinct from p.ESTACAO");
        std::vector<std::string> erros;
        for (const auto& [marca, ws] : h.nova) {
            for (const Escrita& w : ws) {
                if (!w.certa) continue;
                const std::int64_t alheias =
                    conta(a,
                          "select count(*) from CONTASPR c join PARCELAS p on p.CODIGOCPR = "
                          "c.CODIGOCPR where c.DESCRICAO = ? and p.ESTACAO is distinct from ?",
                          {marca, w.estacao});
                if (alheias)
                    erros.push_back(marca + ": " + std::to_string(alheias) + " of another");
            }
        }
        r.ok = n == 0 && erros.empty();
        r.detalhe = std::to_string(n) + " installments under an account of another workstation" +
                    (erros.empty() ? "" : "; " + junta(erros));
        out.push_back(r);
    }
    {
        Resultado r{"every settlement reported done is in the database"};
        std::vector<std::string> erros;
        int verificadas = 0;
        for (const auto& [alvo, ws] : h.quitacao) {
            const std::set<std::string> ok = aceitaveis(ws);
            if (ok.empty()) continue;
            ++verificadas;
            const auto [cpr, num] = par(alvo);
            fb::Cursor c = tr.open(
                "select DATAPAGTO, VALORPAGO, DATAVENCIM, VALORPARCELA from PARCELAS where "
                "CODIGOCPR = ? and NUMPARCELA = ?",
                {cpr, num});
            std::string estado;
            int linhas = 0;
            while (c.fetch()) {
                ++linhas;
                std::string e = "X";
                if (!c.isNull(0) && !c.isNull(1) && c.asDate(0) == c.asDate(2) &&
                    c.asInt64(1) == c.asInt64(3))
                    e = "Q";
                else if (c.isNull(0) && c.isNull(1))
                    e = "C";  // open again: neither a payment date nor an amount paid
                estado = estado.empty() || estado == e ? e : "X";
            }
            c.close();
            if (linhas == 0) estado = "missing";
            if (!ok.count(estado))
                erros.push_back(alvo + " is " + estado + ", reported " + *ok.rbegin());
        }
        r.ok = erros.empty();
        r.detalhe = std::to_string(verificadas) + " installments checked" +
                    (erros.empty() ? "" : "; " + junta(erros));
        out.push_back(r);
    }
    {
        Resultado r{"nothing reported as saved is missing"};
        std::vector<std::string> erros;
        int verificados = 0;
        // Document numbers typed in the list, and the invoice numbers of the
        // same rows: both halves of a row or neither.
        for (const auto& [alvo, ws] : h.numdoc) {
            const std::set<std::string> ok = aceitaveis(ws);
            if (ok.empty()) continue;
            ++verificados;
            const auto [cpr, parc] = par(alvo);
            fb::Cursor c =
                tr.open("select NUMDOCUMENTO from PARCELAS where CODIGOCPR = ? and CODIGOPARC = ?",
                        {cpr, parc});
            const std::string v = c.fetch() ? (c.isNull(0) ? "" : c.asText(0)) : "missing";
            c.close();
            if (!ok.count(v)) erros.push_back("installment " + alvo + " NUMDOCUMENTO " + v);
        }
        for (const auto& [cpr, ws] : h.nfConta) {
            const std::set<std::string> ok = aceitaveis(ws);
            fb::Cursor c =
                tr.open("select NFISCAL from CONTASPR where CODIGOCPR = ?", {std::stoll(cpr)});
            const std::string v = c.fetch() ? (c.isNull(0) ? "" : c.asText(0)) : "missing";
            c.close();
            if (!ok.empty()) {
                ++verificados;
                if (!ok.count(v)) erros.push_back("account " + cpr + " NFISCAL " + v);
            }
            // The invoice number stored must have its installment's half.
            bool daCarga = false;
            for (const Escrita& w : ws) daCarga = daCarga || w.valor == v;
            if (daCarga && conta(a,
                                 "select count(*) from PARCELAS where CODIGOCPR = ? and "
                                 "NUMDOCUMENTO = ?",
                                 {std::stoll(cpr), std::stoll(v)}) == 0)
                erros.push_back("account " + cpr + " has NFISCAL " + v +
                                " without the installment written with it");
        }
        for (const auto& [cpr, ws] : h.obs) {
            const std::set<std::string> ok = aceitaveis(ws);
            if (ok.empty()) continue;
            ++verificados;
            fb::Cursor c =
                tr.open("select OBSERVACAO from CONTASPR where CODIGOCPR = ?", {std::stoll(cpr)});
            std::string v = "missing";
            while (c.fetch()) v = c.isNull(0) ? "" : c.asText(0);
            c.close();
            if (!ok.count(v)) erros.push_back("account " + cpr + " OBSERVACAO '" + v + "'");
        }
        r.ok = erros.empty();
        r.detalhe = std::to_string(verificados) + " saved changes checked" +
                    (erros.empty() ? "" : "; " + junta(erros));
        out.push_back(r);
    }
    {
        // A generation is one transaction, after its new account is
        // written: an account reported saved has every installment of its
        // condition, in its own work area, whatever failed around it.
        Resultado r{"every new account reported saved has all its installments"};
        std::vector<std::string> erros;
        int verificadas = 0;
        for (const auto& [marca, ws] : h.nova) {
            for (const Escrita& w : ws) {
                if (!w.certa) continue;
                ++verificadas;
                const auto [cpr, parcelas] = par(w.valor);
                const std::int64_t contas =
                    conta(a,
                          "select count(*) from CONTASPR where DESCRICAO = ? and CODIGOCPR = ? "
                          "and ESTACAO = ?",
                          {marca, cpr, w.estacao});
                const std::int64_t suas =
                    conta(a, "select count(*) from PARCELAS where CODIGOCPR = ? and ESTACAO = ?",
                          {cpr, w.estacao});
                if (contas != 1 || suas != parcelas || parcelas != kParcelasDaCondicao)
                    erros.push_back("new account " + marca + " (" + w.valor +
                                    "): " + std::to_string(contas) + " account rows, " +
                                    std::to_string(suas) + " installments");
            }
        }
        r.ok = erros.empty();
        r.detalhe = std::to_string(verificadas) + " new accounts checked" +
                    (erros.empty() ? "" : "; " + junta(erros));
        out.push_back(r);
    }
    {
        // Not an invariant: an entry that failed keeps its account pending,
        // and a later write of the accounts may store it without
        // installments (the operator was told they were not generated).
        Resultado r{"observed: new accounts left without all their installments"};
        const std::int64_t n =
            conta(a,
                  "select count(*) from CONTASPR c where c.DESCRICAO starting with 'CARGA ' and "
                  "(select count(*) from PARCELAS p where p.CODIGOCPR = c.CODIGOCPR) <> ?",
                  {kParcelasDaCondicao});
        r.detalhe = std::to_string(n) + " of " +
                    std::to_string(conta(a,
                                         "select count(*) from CONTASPR where DESCRICAO "
                                         "starting with 'CARGA '")) +
                    " new accounts (interrupted or failed entries)";
        out.push_back(r);
    }
    tr.commit();
    return out;
}

std::vector<Estatistica> estatisticas(const Diarios& diarios) {
    std::map<std::string, std::vector<double>> tempos;
    std::map<std::string, int> erros;
    std::map<std::string, double> linhas;
    for (const auto& [estacao, eventos] : diarios) {
        for (const Evento& e : eventos) {
            if (e.tipo == "OK") {
                tempos[e.kind].push_back(static_cast<double>(e.micros) / 1000.0);
                if (e.kind == kLista) linhas[e.kind] += std::atof(e.valor.c_str());
            } else if (e.tipo == "ERR") {
                ++erros[e.kind];
                tempos[e.kind];
            }
        }
    }
    std::vector<Estatistica> out;
    for (auto& [kind, ts] : tempos) {
        Estatistica s;
        s.kind = kind;
        s.ok = static_cast<int>(ts.size());
        s.erros = erros[kind];
        if (!ts.empty()) {
            std::sort(ts.begin(), ts.end());
            auto pct = [&ts](double p) {
                return ts[std::min(ts.size() - 1,
                                   static_cast<std::size_t>(p * (ts.size() - 1) + 0.5))];
            };
            s.p50ms = pct(0.5);
            s.p95ms = pct(0.95);
            s.maxms = ts.back();
            s.linhasMedia = linhas[kind] / static_cast<double>(ts.size());
        }
        out.push_back(s);
    }
    return out;
}

}  // namespace carga
