#include "entry/GeraParcelas.h"

#include <QString>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "data/Cp1252.h"
#include "entry/ParcelasCalculo.h"
#include "shell/ErrorHandler.h"
#include "suite/ChaveConta.h"
#include "suite/Environment.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"

namespace cp {

namespace {

// The condition row that FormasPG holds (an empty set, or none loaded yet,
// is the empty condition: no kind, no installments).
struct Condicao {
    std::string descricao, tipo, dias, ctaBanco, formaPag, qaut;
    std::int32_t quantidade = 0;
    std::int64_t taxa1 = 0;  // cents of a percent
};

Condicao leCondicao(RecordSet& formasPG) {
    Condicao c;
    if (!formasPG.active() || formasPG.isEmpty()) return c;
    c.descricao = formasPG.field("DESCRICAO").asString();
    c.tipo = formasPG.field("TIPO").asString();
    c.dias = formasPG.field("DIAS").asString();
    c.quantidade = static_cast<std::int32_t>(formasPG.field("QDEPARCELAS").asInteger());
    c.taxa1 = formasPG.field("TAXA1").asMoney();
    c.ctaBanco = formasPG.field("CTABANCO").asString();
    c.formaPag = formasPG.field("FORMAPAG").asString();
    c.qaut = upperAZ(formasPG.field("QAUT").asString()).substr(0, 1);
    return c;
}

void copiaParaSessao(const Condicao& c, EstadoSessao& s) {
    s.TipoCondicao = c.tipo;
    s.DiasCondicao = c.dias;
    s.QdeParcelasCondicao = c.quantidade;
}

QString aspas(const std::string& cp1252) {
    return QStringLiteral("\"") + fromCp1252(cp1252) + QStringLiteral("\"");
}

// Why a write of the installments failed: the changes the database refused,
// with its reasons, or the error itself.
QString motivo(const TDM& dm, const std::exception& e) {
    const std::string pendentes = textoAlteracoesPendentes({&dm.CONTASPR, &dm.Parcelas});
    return pendentes.empty() ? errorText(e) : QString::fromStdString(pendentes);
}

// Reads the account's installments again, dropping whatever the database did
// not take, so the record set shows exactly what the database holds. The
// dropped changes are not tried again on the way: the operator's message
// names them. Returns the error of the re-read, empty when it worked.
QString releParcelas(RecordSet& parcelas) {
    RecordSet::Event antesDeFechar = std::exchange(parcelas.beforeClose, nullptr);
    QString erro;
    try {
        parcelas.close();
        parcelas.open();
    } catch (const std::exception& e) {
        erro = errorText(e);
    }
    parcelas.beforeClose = std::move(antesDeFechar);
    return erro;
}

QString situacaoDaGrade(const QString& erroReleitura) {
    if (erroReleitura.isEmpty())
        return QStringLiteral("A grade mostra as parcelas que o banco de dados tem agora.");
    return QStringLiteral("As parcelas não puderam ser lidas de novo do banco de dados: ") +
           erroReleitura;
}

// Empties the account's installment list, one delete at a time.
void excluiParcelas(RecordSet& parcelas) {
    if (!parcelas.active()) return;
    parcelas.first();
    while (!parcelas.isEmpty()) parcelas.remove();
}

// While a generation makes its rows, a new installment takes the next code
// after the one before it instead of asking the database each time: nothing
// of the generation is stored yet, and the write gives the final codes,
// counted on from the highest one stored then. The position the persistence
// rules give is overwritten by the generation.
class ChavesContadas {
  public:
    ChavesContadas(TDM& dm, EstadoSessao& s)
        : parcelas_(dm.Parcelas), antes_(std::exchange(dm.Parcelas.beforeInsert, nullptr)) {
        EstadoSessao* sessao = &s;
        parcelas_.beforeInsert = [sessao, ultimo = s.MaiorCodigoParc](RecordSet&) mutable {
            sessao->MaiorCodigoParc = ultimo++;
            sessao->MaiorNumParcela = 0;
        };
    }
    ~ChavesContadas() { parcelas_.beforeInsert = std::move(antes_); }
    ChavesContadas(const ChavesContadas&) = delete;
    ChavesContadas& operator=(const ChavesContadas&) = delete;

  private:
    RecordSet& parcelas_;
    RecordSet::Event antes_;
};

// Appends, fills and posts installment `numero`.
void gravaParcela(TDM& dm, EstadoSessao& s, const Condicao& c, const PlanoParcelas& plano,
                  int numero) {
    RecordSet& conta = dm.CONTASPR;
    RecordSet& parcelas = dm.Parcelas;
    const QDate& vencimento = plano.vencimentos.at(static_cast<std::size_t>(numero - 1));
    parcelas.append();
    parcelas.field("CODIGOCPR").setAsInteger(conta.field("CODIGOCPR").asInteger());
    parcelas.field("NATUREZA").setAsString(conta.field("NATUREZA").asString());
    parcelas.field("ESTACAO").setAsString(conta.field("ESTACAO").asString());
    parcelas.field("NUMPARCELA").setAsInteger(numero);
    parcelas.field("VALORPARCELA").setAsMoney(plano.valor);
    parcelas.field("DATAVENCIM").setAsDate(vencimento);
    parcelas.field("CODIGOCTA")
        .setAsString(c.ctaBanco.empty() ? s.ContaBancoPadrao.str() : c.ctaBanco);
    parcelas.field("MEIO").setAsString(c.formaPag.empty() ? s.MeioPagtoPadrao.str() : c.formaPag);
    if (c.qaut == "S") {
        parcelas.field("DATAPAGTO").setAsDate(vencimento);
        parcelas.field("VALORPAGO").setAsMoney(plano.valor);
        parcelas.field("QAUT").setAsString("S");
    }
    parcelas.post();
}

}  // namespace

void entraCondicaoPagto(TDM& dm, EstadoSessao& s) {
    RecordSet& conta = dm.CONTASPR;
    if (!conta.active() || conta.isEmpty()) return;
    s.CondPagtoAnterior = conta.field("CONDPAGTO").asString();
}

SaidaCondicao saiCondicaoPagto(TDM& dm, EstadoSessao& s, Environment& env) {
    RecordSet& conta = dm.CONTASPR;
    if (!conta.active() || conta.isEmpty()) return SaidaCondicao::Mantida;
    const std::string condPagto = conta.field("CONDPAGTO").asString();
    // No condition named: the installments stay as they are.
    if (condPagto.empty()) return SaidaCondicao::Mantida;
    dm.FormasPG.close();
    dm.FormasPG.setCommandText(selectCondicaoPagto(condPagto));
    dm.FormasPG.open();
    if (dm.FormasPG.isEmpty()) {
        env.showMessage(QStringLiteral("A condição de pagamento \"%1\" não está cadastrada.")
                            .arg(fromCp1252(condPagto)));
        return SaidaCondicao::NaoCadastrada;
    }
    copiaParaSessao(leCondicao(dm.FormasPG), s);
    if (dm.Parcelas.recordCount() == s.QdeParcelasCondicao &&
        condPagto == s.CondPagtoAnterior.str())
        return SaidaCondicao::Mantida;
    return GeraParcelas(dm, s, env) ? SaidaCondicao::Gerada : SaidaCondicao::Mantida;
}

void gravaContaNova(TDM& dm) {
    RecordSet& conta = dm.CONTASPR;
    if (conta.state() != RecordSetState::Insert) return;
    // The post writes the account (persistence), which takes its key there.
    try {
        conta.post();
    } catch (...) {
        // Whatever was not written stays pending; editing goes on.
        if (conta.state() == RecordSetState::Browse) conta.edit();
        throw;
    }
    conta.edit();
}

bool GeraParcelas(TDM& dm, EstadoSessao& s, Environment& env) {
    RecordSet& conta = dm.CONTASPR;
    RecordSet& parcelas = dm.Parcelas;
    if (!conta.active() || conta.isEmpty()) return false;

    const Condicao c = leCondicao(dm.FormasPG);
    copiaParaSessao(c, s);
    const std::string condPagto = conta.field("CONDPAGTO").asString();
    const int quantidade = s.QdeParcelasCondicao;
    if (parcelas.recordCount() == quantidade && condPagto == s.CondPagtoAnterior.str())
        return false;  // the installments already fit the condition

    // One pass of arg(): a "%" in the name stays as typed.
    const QString nome = aspas(c.descricao.empty() ? condPagto : c.descricao);
    const QString semAlteracao = QStringLiteral(" As parcelas da conta não foram alteradas.");
    if (quantidade > kMaxParcelas) {
        env.showMessage(QStringLiteral("A condição de pagamento %1 tem %2 parcelas, e uma geração "
                                       "faz no máximo %3.")
                            .arg(nome, QString::number(quantidade), QString::number(kMaxParcelas)) +
                        semAlteracao);
        return false;
    }
    const PlanoParcelas plano =
        planejaParcelas(s.TipoCondicao.str(), s.DiasCondicao.str(), quantidade, c.taxa1,
                        conta.field("VALORTOTAL").asMoney(), conta.field("DATA").asDate());
    if (plano.itensDias > kMaxParcelas) {
        env.showMessage(
            QStringLiteral("A condição de pagamento %1 tem %2 prazos no campo "
                           "\"Dias\", e uma geração lê no máximo %3.")
                .arg(nome, QString::number(plano.itensDias), QString::number(kMaxParcelas)) +
            semAlteracao);
        return false;
    }

    for (const std::string& item : plano.recusados) env.showMessage(msgDiasNaoConvertido(item));

    // A new account is written first: its number is claimed, and the
    // installments shown are then those stored under it (under the number
    // it was started with there may be another workstation's).
    const bool contaEmEdicao = conta.state() != RecordSetState::Browse;
    try {
        gravaContaNova(dm);
    } catch (const std::exception& e) {
        env.showMessage(
            QStringLiteral("A conta não pôde ser gravada, e sem ela as parcelas não são "
                           "geradas:\n") +
            errorText(e) + QStringLiteral("\nAs parcelas da conta não foram alteradas."));
        return false;
    }
    // The old installments go and the new ones come in one transaction: a
    // failure leaves nothing of it. The grid follows the set once, when it
    // has been read again, not at every installment.
    std::optional<RecordSet::NoticesHeld> gradeQuieta(std::in_place, parcelas);
    GravacaoConjunta juntos(dm);
    try {
        excluiParcelas(parcelas);
        {
            ChavesContadas contadas(dm, s);
            for (int i = 1; i <= quantidade; ++i) gravaParcela(dm, s, c, plano, i);
        }
        // A new account goes with them; an account already stored keeps
        // its edit open, as before the generation.
        if (conta.state() == RecordSetState::Edit && contaAindaNaoGravada(conta)) conta.post();
        juntos.grava();
    } catch (const std::exception& e) {
        if (parcelas.active() && parcelas.state() != RecordSetState::Browse) parcelas.cancel();
        const QString porque = motivo(dm, e);
        const QString grade = situacaoDaGrade(releParcelas(parcelas));
        gradeQuieta.reset();
        if (contaEmEdicao && conta.active() && !conta.isEmpty() &&
            conta.state() == RecordSetState::Browse)
            conta.edit();
        env.showMessage(QStringLiteral("As parcelas não foram geradas:\n") + porque +
                        QStringLiteral("\nNada da geração foi gravado. ") + grade);
        return false;
    }
    gradeQuieta.reset();
    if (contaEmEdicao && conta.active() && !conta.isEmpty() &&
        conta.state() == RecordSetState::Browse)
        conta.edit();

    if (parcelas.active() && !parcelas.isEmpty()) parcelas.first();
    s.CondPagtoAnterior = condPagto;
    return true;
}

}  // namespace cp
