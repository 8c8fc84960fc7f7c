#include "Estacao.h"

#include <unistd.h>

#include <QDateTime>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "Diario.h"
#include "entry/GeraParcelas.h"
#include "fb/fb.h"
#include "logic/ListaSql.h"
#include "suite/AcessoBanco.h"
#include "suite/Environment.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"

namespace carga {

using namespace cp;

namespace {

using Relogio = std::chrono::steady_clock;

std::int64_t agoraMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The condition every new account of the harness is entered with.
constexpr const char* kCondicao = "30/60/90";

// A workstation has no one to close its message boxes: the messages are kept
// for the journal.
class AmbienteCarga : public Environment {
  public:
    void showMessage(const QString& text) override { mensagens.push_back(text.toStdString()); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    QString suiteDir() const override { return QStringLiteral("/nonexistent-suite/"); }
    QString osUserName() const override { return QStringLiteral("carga"); }
    std::vector<std::string> mensagens;
};

// The action failed in a way the operator was told of (a message box of the
// program, not an exception).
struct FalhaRelatada : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Estacao {
  public:
    explicit Estacao(const OpcoesEstacao& o)
        : o_(o), diario_(o.diario), dm_(env_, s_), dm2_(env_, s_), rng_(std::random_device{}()) {
        s_.Estacao = o.estacao;
        s_.CamposCPR = kCamposCPR;
        s_.CamposParcelas = kCamposParcelas;
        s_.CamposFornecedor = kCamposFornecedor;
        s_.ContaBancoPadrao = "0001";
        s_.MeioPagtoPadrao = "BOLETO";
        s_.FiltroAPagar = "";  // the all-installments view: the list keeps its size
        dm_.SQLConnection1.setDatabase(o.banco);
        dm_.SQLConnection1.setParams(parametrosSuite(""));
        instalaPersistencia(dm_, dm2_, s_, env_);
    }

    int roda();

  private:
    // ----- What the screens do -----
    void escolheSemana();
    void montaQuery2();
    void abreContas();
    void voltaParaLista();
    int linhaPropria();

    // ----- Actions: each returns its journal value; the target is set before the write -----
    std::string lista();
    std::string quitar(bool cancelar);
    std::string notaFiscal();
    std::string editaConta();
    std::string novaConta();

    bool executa(const char* kind);
    void arruma();
    void leContasProprias();
    std::string proximoNumero() {
        return std::to_string(std::stoi(o_.estacao) * 100000000LL + o_.geracao * 1000000LL + ++n_);
    }

    OpcoesEstacao o_;
    Diario diario_;
    AmbienteCarga env_;
    EstadoSessao s_;
    TDM dm_;
    TDM2 dm2_;
    std::mt19937 rng_;
    std::set<std::int64_t> minhas_;
    std::string alvo_;
    const char* feito_ = kLista;  // the kind actually run (a write with no row of its own lists)
    std::int64_t n_ = 0;
    int seq_ = 0;
};

void Estacao::escolheSemana() {
    const int semana = std::uniform_int_distribution<int>(0, o_.semanas - 1)(rng_);
    s_.DataIniPeriodo = o_.inicioSemanas.addDays(7 * semana);
    s_.DataFimPeriodo = s_.DataIniPeriodo.addDays(6);
}

// MontaQuery2 as the list view runs it: the statement, every row read, the
// two totals in one pass, the first row current.
void Estacao::montaQuery2() {
    RecordSet& q = dm_.Query2;
    q.close();
    q.setCommandText(sqlLista(s_.DataIniPeriodo, s_.DataFimPeriodo, s_.FiltroAPagar));
    q.open();
    const int colParcela = q.fieldIndex("VALORPARCELA");
    const int colPago = q.fieldIndex("VALORPAGO");
    TotaisLista totais;
    for (int i = 0; i < q.rowCount(); ++i) {
        const Value pago = q.valueAt(i, colPago);
        const Value parcela = q.valueAt(i, colParcela);
        const auto* p = std::get_if<std::int64_t>(&pago);
        const auto* v = std::get_if<std::int64_t>(&parcela);
        totais.soma(v ? static_cast<double>(*v) / 100.0 : 0.0,
                    p ? static_cast<double>(*p) / 100.0 : 0.0);
    }
    if (!q.isEmpty()) q.first();
}

// Opening the details view (and "Nova conta"): every payable account, in code
// order; the list is closed.
void Estacao::abreContas() {
    dm_.CONTASPR.close();
    dm_.CONTASPR.setCommandText("Select " + s_.CamposCPR +
                                " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
    dm_.CONTASPR.open();
    dm_.Query2.close();
}

// "Voltar": the account and its current installment posted, the list opened
// again with its last statement.
void Estacao::voltaParaLista() {
    dm_.CONTASPR.post();
    dm_.Parcelas.post();
    dm_.Query2.open();
}

// A row of the list whose account is this workstation's; -1 when none.
int Estacao::linhaPropria() {
    RecordSet& q = dm_.Query2;
    if (!q.active() || q.isEmpty()) return -1;
    const int col = q.fieldIndex("CODIGOCPR");
    std::vector<int> linhas;
    for (int i = 0; i < q.rowCount(); ++i) {
        const Value v = q.valueAt(i, col);
        if (auto* n = std::get_if<std::int64_t>(&v); n && minhas_.count(*n)) linhas.push_back(i);
    }
    if (linhas.empty()) return -1;
    return linhas[std::uniform_int_distribution<std::size_t>(0, linhas.size() - 1)(rng_)];
}

std::string Estacao::lista() {
    feito_ = kLista;
    escolheSemana();
    alvo_ = s_.DataIniPeriodo.toString(Qt::ISODate).toStdString();
    montaQuery2();
    return std::to_string(dm_.Query2.rowCount());
}

std::string Estacao::quitar(bool cancelar) {
    RecordSet& q = dm_.Query2;
    const int linha = linhaPropria();
    if (linha < 0) return lista();
    q.moveTo(linha);
    const std::int64_t parcela = q.field("NUMPARCELA").asInteger();
    const std::int64_t conta = q.field("CODIGOCPR").asInteger();
    const QDate vencimento = q.field("DATAVENCIM").asDate();
    const std::int64_t valor = q.field("VALORPARCELA").asMoney();
    alvo_ = std::to_string(conta) + "/" + std::to_string(parcela);
    diario_.linha(
        {"B", std::to_string(seq_), cancelar ? kCancelar : kQuitar, alvo_, cancelar ? "C" : "Q"});
    dm_.SQLConnection1.execute(cancelar ? sqlCancelarQuitacao(parcela, conta)
                                        : sqlQuitar(parcela, conta, vencimento, valor));
    if (q.active()) gravaEReleia(q);
    montaQuery2();
    return cancelar ? "C" : "Q";
}

std::string Estacao::notaFiscal() {
    RecordSet& q = dm_.Query2;
    const int linha = linhaPropria();
    if (linha < 0) return lista();
    q.moveTo(linha);
    const std::string numero = proximoNumero();
    alvo_ = q.field("CODIGOCPR").asString() + "/" + q.field("CODIGOPARC").asString();
    diario_.linha({"B", std::to_string(seq_), kNotaFiscal, alvo_, numero});
    q.edit();
    q.field("NFISCAL").setAsString(numero);
    q.field("NUMDOCUMENTO").setAsInteger(std::stoll(numero));
    q.post();
    return numero;
}

std::string Estacao::editaConta() {
    const int linha = linhaPropria();
    if (linha < 0) return lista();
    dm_.Query2.moveTo(linha);
    const std::int64_t conta = dm_.Query2.field("CODIGOCPR").asInteger();
    const std::string obs = "OBS " + proximoNumero();
    alvo_ = std::to_string(conta);
    diario_.linha({"B", std::to_string(seq_), kEditaConta, alvo_, obs});
    abreContas();
    if (!dm_.CONTASPR.findKey({Value(conta)}))
        throw FalhaRelatada("a conta " + alvo_ + " não foi encontrada");
    dm_.CONTASPR.edit();
    if (!dm_.Parcelas.isEmpty()) dm_.Parcelas.edit();
    dm_.CONTASPR.field("OBSERVACAO").setAsString(obs);
    voltaParaLista();
    return obs;
}

std::string Estacao::novaConta() {
    const std::string marca = "CARGA " + proximoNumero();
    alvo_ = marca;
    diario_.linha({"B", std::to_string(seq_), kNovaConta, alvo_, ""});
    abreContas();
    RecordSet& conta = dm_.CONTASPR;
    conta.append();
    conta.field("DESCRICAO").setAsString(marca);
    conta.field("NOMECLIFOR").setAsString("FORNECEDOR " + o_.estacao);
    conta.field("VALORTOTAL")
        .setAsMoney(std::uniform_int_distribution<std::int64_t>(1000, 900000)(rng_));
    entraCondicaoPagto(dm_, s_);
    conta.field("CONDPAGTO").setAsString(kCondicao);
    const std::size_t antes = env_.mensagens.size();
    const bool gerou = saiCondicaoPagto(dm_, s_, env_) == SaidaCondicao::Gerada;
    if (!gerou || env_.mensagens.size() > antes) {
        std::string texto = gerou ? "" : "as parcelas não foram geradas";
        for (std::size_t i = antes; i < env_.mensagens.size(); ++i)
            texto += (texto.empty() ? "" : "; ") + env_.mensagens[i];
        throw FalhaRelatada(texto);
    }
    const std::int64_t codigo = conta.field("CODIGOCPR").asInteger();
    const int parcelas = dm_.Parcelas.recordCount();
    minhas_.insert(codigo);
    voltaParaLista();
    return std::to_string(codigo) + "/" + std::to_string(parcelas);
}

// After a failure: edits left open are dropped, as the operator escapes out
// of them; the change logs stay as the program keeps them.
void Estacao::arruma() {
    for (RecordSet* rs : {&dm_.Query2, &dm_.Parcelas, &dm_.CONTASPR}) {
        try {
            if (rs->state() == RecordSetState::Edit || rs->state() == RecordSetState::Insert)
                rs->cancel();
        } catch (const std::exception&) {
        }
    }
}

void Estacao::leContasProprias() {
    fb::Transaction tr = dm_.SQLConnection1.attachment().startTransaction();
    fb::Cursor c = tr.open("select CODIGOCPR from CONTASPR where ESTACAO = ?", {o_.estacao});
    while (c.fetch()) minhas_.insert(c.asInt64(0));
    c.close();
    tr.commit();
}

// Runs one action of `kind`; a lost connection is retried the way an
// operator retries once the program has reconnected. False when the
// connection never came back.
bool Estacao::executa(const char* kind) {
    static const int esperasMs[] = {500, 1000, 2000, 3000, 4000};
    for (int tentativa = 0;; ++tentativa) {
        ++seq_;
        alvo_.clear();
        feito_ = kind;
        const std::string kindTexto = kind;
        const bool escrita = kindTexto != kLista;
        if (!escrita) diario_.linha({"B", std::to_string(seq_), kind, ""});
        const auto inicio = Relogio::now();
        const std::size_t antes = env_.mensagens.size();
        auto micros = [&inicio] {
            return std::to_string(
                std::chrono::duration_cast<std::chrono::microseconds>(Relogio::now() - inicio)
                    .count());
        };
        try {
            std::string valor;
            if (kindTexto == kLista)
                valor = lista();
            else if (kindTexto == kQuitar)
                valor = quitar(false);
            else if (kindTexto == kCancelar)
                valor = quitar(true);
            else if (kindTexto == kNotaFiscal)
                valor = notaFiscal();
            else if (kindTexto == kEditaConta)
                valor = editaConta();
            else
                valor = novaConta();
            diario_.linha({"OK", std::to_string(seq_), feito_, alvo_, micros(), valor});
            for (std::size_t i = antes; i < env_.mensagens.size(); ++i)
                diario_.linha({"MSG", env_.mensagens[i]});
            return true;
        } catch (const std::exception& e) {
            const bool perdida = conexaoPerdida(e);
            diario_.linha({"ERR", std::to_string(seq_), feito_, alvo_, micros(),
                           perdida ? "1" : "0", e.what()});
            for (std::size_t i = antes; i < env_.mensagens.size(); ++i)
                diario_.linha({"MSG", env_.mensagens[i]});
            arruma();
            if (!perdida) return true;
            if (tentativa >= static_cast<int>(std::size(esperasMs))) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(esperasMs[tentativa]));
        }
    }
}

int Estacao::roda() {
    diario_.linha({"LIGA", std::to_string(::getpid())});
    // The program's start: the accounts and (its default text) every
    // installment read once, the list built.
    try {
        const auto inicio = Relogio::now();
        leContasProprias();
        dm_.Parcelas.open();
        abreContas();
        escolheSemana();
        montaQuery2();
        diario_.linha({"OK", "0", "inicio", "",
                       std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(
                                          Relogio::now() - inicio)
                                          .count()),
                       ""});
    } catch (const std::exception& e) {
        diario_.linha({"ERR", "0", "inicio", "", "0", conexaoPerdida(e) ? "1" : "0", e.what()});
        diario_.linha({"FIM", "não iniciou"});
        return kSaidaErroInicio;
    }
    while (o_.ateMs == 0) {
        std::ifstream in(o_.largada);
        std::int64_t ate = 0;
        if (in >> ate)
            o_.ateMs = ate;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // The mix of an operator's day, by weight.
    const std::vector<std::pair<const char*, int>> mix = {{kLista, 30},      {kQuitar, 20},
                                                          {kCancelar, 15},   {kNotaFiscal, 10},
                                                          {kEditaConta, 10}, {kNovaConta, 15}};
    std::vector<int> pesos;
    for (const auto& [k, p] : mix) pesos.push_back(p);
    std::discrete_distribution<std::size_t> escolhe(pesos.begin(), pesos.end());
    while (agoraMs() < o_.ateMs) {
        if (!executa(mix[escolhe(rng_)].first)) {
            diario_.linha({"FIM", "conexão perdida e não restabelecida"});
            return kSaidaSemConexao;
        }
    }
    diario_.linha({"FIM", "prazo"});
    return kSaidaFim;
}

}  // namespace

bool conexaoPerdida(const std::exception& e) {
    static const std::intptr_t codigos[] = {335544721, 335544722, 335544726, 335544727,
                                            335544741, 335544856, 335544528};
    if (auto* f = dynamic_cast<const fb::Error*>(&e))
        if (std::find(std::begin(codigos), std::end(codigos), f->gdscode()) != std::end(codigos))
            return true;
    std::string t = e.what();
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* s :
         {"connection shutdown", "error reading data from the connection",
          "error writing data to the connection", "unable to complete network", "connection lost",
          "database shutdown", "failed to establish a connection", "comunicar com o servidor",
          "a conexão com o banco de dados",
          // the server coming back after a restart
          "error occurred during login", "connection rejected by remote"})
        if (t.find(s) != std::string::npos) return true;
    return false;
}

int rodaEstacao(const OpcoesEstacao& o) {
    Estacao e(o);
    return e.roda();
}

}  // namespace carga
