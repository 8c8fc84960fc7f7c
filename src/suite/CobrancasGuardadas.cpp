#include "suite/CobrancasGuardadas.h"

#include <utility>

#include "data/Connection.h"
#include "data/RecordSet.h"
#include "fb/fb.h"
#include "suite/Modules.h"
#include "suite/TabelasProprias.h"

namespace cp {

namespace {

const char kDdl[] =
    "CREATE TABLE CP_COBRANCAS ("
    " CODIGOPARC INTEGER NOT NULL,"
    " CODIGOCPR INTEGER NOT NULL,"
    " TIPO VARCHAR(1) NOT NULL,"
    " LINHA VARCHAR(512) NOT NULL,"
    " ESTACAO VARCHAR(2),"
    " DATAREGISTRO DATE,"
    " CONSTRAINT PK_CP_COBRANCAS PRIMARY KEY (CODIGOPARC, CODIGOCPR))";
const char kIndiceLinha[] = "CREATE INDEX CP_COBRANCAS_LINHA ON CP_COBRANCAS (LINHA)";

const char kExiste[] = "select 1 from RDB$RELATIONS where RDB$RELATION_NAME = 'CP_COBRANCAS'";
const char kExclui[] = "delete from CP_COBRANCAS where CODIGOPARC = ? and CODIGOCPR = ?";
const char kMove[] =
    "update CP_COBRANCAS set CODIGOPARC = ?, CODIGOCPR = ? where CODIGOPARC = ? and CODIGOCPR = ?";
const char kGrava[] =
    "update or insert into CP_COBRANCAS (CODIGOPARC, CODIGOCPR, TIPO, LINHA, ESTACAO, "
    "DATAREGISTRO) values (?, ?, ?, ?, ?, ?) matching (CODIGOPARC, CODIGOCPR)";

fb::Date dataFb(const QDate& d) { return fb::Date{d.year(), d.month(), d.day()}; }

// The installment's key in one set of a change's values; nullopt when a
// part of it is empty (a row that was never a stored installment).
struct Chave {
    std::int64_t parc = 0, cpr = 0;
    bool operator==(const Chave&) const = default;
};
std::optional<Chave> chaveEm(const RecordSet& rs, const std::vector<Value>& valores) {
    const int p = rs.fieldIndex("CODIGOPARC"), c = rs.fieldIndex("CODIGOCPR");
    if (p < 0 || c < 0 || valores.size() <= std::size_t(std::max(p, c))) return std::nullopt;
    const auto* parc = std::get_if<std::int64_t>(&valores[std::size_t(p)]);
    const auto* cpr = std::get_if<std::int64_t>(&valores[std::size_t(c)]);
    if (!parc || !cpr) return std::nullopt;
    return Chave{*parc, *cpr};
}

CobrancaGuardada leLinha(const fb::Cursor& c) {
    CobrancaGuardada g;
    g.codigoParc = c.asInt64(0);
    g.codigoCpr = c.asInt64(1);
    g.tipo = tipoDaLetra(c.asText(2)).value_or(TipoCobranca::Boleto);
    g.linha = c.asText(3);
    return g;
}

// Chains a companion write after the one a set already has.
void acrescenta(RecordSet& rs, RecordSet::CompanionWrite mais) {
    RecordSet::CompanionWrite antes = std::move(rs.companionWrite);
    if (!antes) {
        rs.companionWrite = std::move(mais);
        return;
    }
    rs.companionWrite = [antes = std::move(antes), mais = std::move(mais)](fb::Transaction& tr,
                                                                           const ChangeEntry& e) {
        antes(tr, e);
        mais(tr, e);
    };
}

}  // namespace

char letraDoTipo(TipoCobranca tipo) {
    switch (tipo) {
        case TipoCobranca::Arrecadacao:
            return 'A';
        case TipoCobranca::Pix:
            return 'P';
        case TipoCobranca::Boleto:
            break;
    }
    return 'B';
}

std::optional<TipoCobranca> tipoDaLetra(std::string_view letra) {
    if (letra == "B") return TipoCobranca::Boleto;
    if (letra == "A") return TipoCobranca::Arrecadacao;
    if (letra == "P") return TipoCobranca::Pix;
    return std::nullopt;
}

std::string linhaImpressa(TipoCobranca tipo, const std::string& l) {
    if (tipo == TipoCobranca::Boleto && l.size() == 47) {
        return l.substr(0, 5) + "." + l.substr(5, 5) + " " + l.substr(10, 5) + "." +
               l.substr(15, 6) + " " + l.substr(21, 5) + "." + l.substr(26, 6) + " " +
               l.substr(32, 1) + " " + l.substr(33);
    }
    if (tipo == TipoCobranca::Arrecadacao && l.size() == 48) {
        std::string out;
        for (std::size_t b = 0; b < 4; ++b) {
            if (b) out += ' ';
            out += l.substr(b * 12, 11) + "-" + l.substr(b * 12 + 11, 1);
        }
        return out;
    }
    return l;
}

void CobrancasGuardadas::instala(TDM& dm) {
    RecordSet* parcelas = &dm.Parcelas;
    RecordSet* lista = &dm.Query2;
    acrescenta(dm.Parcelas, [this, parcelas](fb::Transaction& tr, const ChangeEntry& e) {
        acompanha(tr, *parcelas, e);
    });
    acrescenta(dm.Query2, [this, lista](fb::Transaction& tr, const ChangeEntry& e) {
        acompanha(tr, *lista, e);
    });
    // Whatever ends the installment's pending write (written, cancelled,
    // discarded, another account shown) ends the slip waiting for it.
    dm.Parcelas.addObserver([this, parcelas](const RecordSetNotice& n) {
        if (n.kind == RecordSetNotice::Reset || n.kind == RecordSetNotice::StateChanged)
            esqueceSeGravada(*parcelas);
    });
}

void CobrancasGuardadas::esqueceSeGravada(const RecordSet& parcelas) {
    if (!pendente_) return;
    if (parcelas.active() && parcelas.state() != RecordSetState::Browse) return;
    for (const ChangeEntry& e : parcelas.changes()) {
        const auto k = chaveEm(parcelas, e.kind == ChangeKind::Delete ? e.original : e.current);
        if (k && k->parc == pendente_->codigoParc) return;
    }
    pendente_.reset();
}

void CobrancasGuardadas::guardaComParcela(CobrancaGuardada cobranca, std::string estacao,
                                          QDate registro) {
    pendente_ = std::move(cobranca);
    estacao_ = std::move(estacao);
    registro_ = registro;
}

void CobrancasGuardadas::garanteTabela() {
    if (existe_) return;
    cp::garanteTabela(conexao_, kTabelaCobrancas, kDdl, {kIndiceLinha});
    existe_ = true;
}

bool CobrancasGuardadas::tabelaExiste() {
    if (!existe_) existe_ = cp::tabelaExiste(conexao_, kTabelaCobrancas);
    return existe_;
}

bool CobrancasGuardadas::existeNa(fb::Transaction& tr) {
    if (existe_) return true;
    if (ausenteNa_ == tr.serial()) return false;
    fb::Cursor c = tr.open(kExiste);
    existe_ = c.fetch();
    c.close();
    if (!existe_) ausenteNa_ = tr.serial();
    return existe_;
}

void CobrancasGuardadas::acompanha(fb::Transaction& tr, const RecordSet& rs, const ChangeEntry& e) {
    const std::optional<Chave> antes = chaveEm(rs, e.original);
    const std::optional<Chave> depois = chaveEm(rs, e.current);
    const bool comCobranca = e.kind != ChangeKind::Delete && pendente_ && depois &&
                             depois->parc == pendente_->codigoParc;
    // An installment edited in place, its key unchanged: nothing of its slip
    // changes, and no statement is spent on it.
    if (e.kind == ChangeKind::Update && !comCobranca && antes == depois) return;
    if (!existeNa(tr)) {
        if (comCobranca)
            throw DataError("a tabela dos boletos guardados (CP_COBRANCAS) não existe mais");
        return;
    }
    switch (e.kind) {
        case ChangeKind::Delete:
            if (antes) tr.execute(kExclui, {antes->parc, antes->cpr});
            break;
        case ChangeKind::Insert:
            // A key taken again after another program deleted its installment.
            if (depois) tr.execute(kExclui, {depois->parc, depois->cpr});
            break;
        case ChangeKind::Update:
            if (antes && depois && antes != depois) {
                tr.execute(kExclui, {depois->parc, depois->cpr});
                tr.execute(kMove, {depois->parc, depois->cpr, antes->parc, antes->cpr});
            }
            break;
    }
    if (comCobranca) {
        const std::string tipo(1, letraDoTipo(pendente_->tipo));
        tr.execute(kGrava, {depois->parc, depois->cpr, tipo, pendente_->linha,
                            estacao_.empty() ? fb::Value{} : fb::Value{estacao_},
                            registro_.isValid() ? fb::Value{dataFb(registro_)} : fb::Value{}});
    }
}

std::optional<CobrancaGuardada> CobrancasGuardadas::daParcela(std::int64_t codigoParc,
                                                              std::int64_t codigoCpr) {
    if (!tabelaExiste()) return std::nullopt;
    return conexao_.run([&](fb::Attachment& a) -> std::optional<CobrancaGuardada> {
        fb::Transaction tr = a.startTransaction();
        fb::Cursor c = tr.open(
            "select CODIGOPARC, CODIGOCPR, TIPO, LINHA from CP_COBRANCAS where CODIGOPARC = ? and "
            "CODIGOCPR = ?",
            {codigoParc, codigoCpr});
        std::optional<CobrancaGuardada> g;
        if (c.fetch()) g = leLinha(c);
        c.close();
        tr.commit();
        return g;
    });
}

std::vector<ParcelaComCobranca> CobrancasGuardadas::parcelasCom(const std::string& linha) {
    std::vector<ParcelaComCobranca> out;
    if (!tabelaExiste()) return out;
    conexao_.run([&](fb::Attachment& a) {
        out.clear();
        fb::Transaction tr = a.startTransaction();
        fb::Cursor c = tr.open(
            "select C.CODIGOPARC, C.CODIGOCPR, A.NUMPARCELA from CP_COBRANCAS C join PARCELAS A "
            "on A.CODIGOPARC = C.CODIGOPARC and A.CODIGOCPR = C.CODIGOCPR where C.LINHA = ? "
            "order by C.CODIGOCPR, A.NUMPARCELA",
            {linha});
        while (c.fetch()) out.push_back({c.asInt64(0), c.asInt64(1), c.asInt64(2)});
        c.close();
        tr.commit();
    });
    return out;
}

std::vector<CobrancaGuardada> CobrancasGuardadas::vencendoEntre(const QDate& de, const QDate& ate) {
    std::vector<CobrancaGuardada> out;
    if (!de.isValid() || !ate.isValid() || !tabelaExiste()) return out;
    conexao_.run([&](fb::Attachment& a) {
        out.clear();
        fb::Transaction tr = a.startTransaction();
        fb::Cursor c = tr.open(
            "select C.CODIGOPARC, C.CODIGOCPR, C.TIPO, C.LINHA from CP_COBRANCAS C join PARCELAS "
            "A on A.CODIGOPARC = C.CODIGOPARC and A.CODIGOCPR = C.CODIGOCPR where A.DATAVENCIM "
            "between ? and ?",
            {dataFb(de), dataFb(ate)});
        while (c.fetch()) out.push_back(leLinha(c));
        c.close();
        tr.commit();
    });
    return out;
}

}  // namespace cp
