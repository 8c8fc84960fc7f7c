#include "entry/Procuras.h"

#include "data/Cp1252.h"
#include "entry/GravaConta.h"
#include "entry/PainelConta.h"
#include "entry/PainelProcura.h"
#include "entry/Procura.h"
#include "shell/DataWidgets.h"
#include "shell/JanelaPrincipal.h"
#include "suite/Modules.h"

namespace cp {
namespace {

// A focus move of the lookups: only to a field that can take it; a failure
// is ignored.
void focaSePuder(QWidget* w) {
    if (w && w->isVisible() && w->isEnabled()) w->setFocus(Qt::OtherFocusReason);
}

std::string textoDoCampo(const QLineEdit* campo) {
    return toCp1252(campo->text()).value_or(std::string());
}

}  // namespace

Procuras::Procuras(JanelaPrincipal& form, PainelConta& conta) : form_(form), conta_(conta) {
    TDM& dm = *form.DM;
    Environment& env = form.env;

    PainelForProcura = new PainelProcura(
        env, dm.Forneced,
        {"PainelForProcura", "Panel4", QStringLiteral("Relação de Fornecedores"), "GradeFornecedor",
         "NOMEFANTASIA", QStringLiteral("Nome do Fornecedor"), QRect(25, 37, 277, 398), "Label17",
         445, "BotForEnter", "BotForCancProc", 444, QStringLiteral("Times New Roman")},
        form.centralWidget());
    PainelForProcura->onConfirma = [this] { ConfirmaFornecedor(); };
    PainelForProcura->onCancela = [this] { CancelaFornecedor(); };

    PainelPlanoProcura = new PainelProcura(
        env, dm.PlanoCT,
        {"PainelPlanoProcura", "Panel5", QStringLiteral("Plano de Contas"), "GradePlanoCT",
         "DESCRICAO", QStringLiteral("Descrição da Conta"), QRect(27, 37, 277, 397), "Label1", 441,
         "BotPlanoEnter", "BotPlanoCancProc", 440, QStringLiteral("Arial")},
        form.PainelVelmora);
    PainelPlanoProcura->onConfirma = [this] { ConfirmaPlano(); };
    PainelPlanoProcura->onCancela = [this] { CancelaPlano(); };

    conta_.DBEdit10->onEnter = [this] { DBEdit10Enter(); };
    conta_.DBEdit10->onExit = [this] { DBEdit10Exit(); };
    conta_.DBEdit12->onEnter = [this] { DBEdit12Enter(); };
    conta_.DBEdit12->onExit = [this] { DBEdit12Exit(); };
    conta_.DBEdit14->onExit = [this] { DBEdit14Exit(); };
}

Procuras::~Procuras() {
    // The widgets go with the window, after this object.
    for (DBEdit* e : {conta_.DBEdit10, conta_.DBEdit12, conta_.DBEdit14}) {
        e->onEnter = nullptr;
        e->onExit = nullptr;
    }
    for (PainelProcura* p : {PainelForProcura, PainelPlanoProcura}) {
        p->onConfirma = nullptr;
        p->onCancela = nullptr;
    }
}

std::string Procuras::contaAtual() const {
    RecordSet& conta = form_.DM->CONTASPR;
    if (!conta.active() || conta.isEmpty()) return {};
    // A new account not written yet is told apart from the stored one that
    // had its number before.
    return (conta.state() == RecordSetState::Insert ? "novo:" : "") +
           conta.field("CODIGOCPR").asString();
}

std::string Procuras::textoDaEntrada(const std::string& anterior, const std::string& conta) const {
    // Noted for another account (the field was entered before a new account
    // was started in it): this account had nothing there.
    return conta == contaAtual() ? anterior : std::string();
}

bool Procuras::ativo() const {
    if (form_.activationFailed()) return false;
    // The due list lies over the fields: no account is being entered there.
    return !form_.listaVisivel();
}

// ----- Field hooks -----

void Procuras::DBEdit10Enter() {
    if (!ativo()) return;
    descricaoAnterior_ = textoAnterior(form_.DM->CONTASPR.field("DESCRICAO").asString());
    contaDaDescricao_ = contaAtual();
}

void Procuras::DBEdit10Exit() {
    voltando_ = conta_.DBEdit10->leftBackwards();
    if (ativo()) ProcuraPlano();
    voltando_ = false;
}

void Procuras::DBEdit12Enter() {
    if (!ativo()) return;
    fornecedorAnterior_ = textoAnterior(form_.DM->CONTASPR.field("NOMECLIFOR").asString());
    contaDoFornecedor_ = contaAtual();
}

void Procuras::DBEdit12Exit() {
    voltando_ = conta_.DBEdit12->leftBackwards();
    if (ativo()) ProcuraFornecedor();
    voltando_ = false;
}

void Procuras::DBEdit14Exit() {
    if (ativo()) ProcuraFornecedor();
}

void Procuras::segue(QWidget* proximo) {
    // Going back with Shift+Tab, the focus stays where the operator sent it.
    if (!voltando_) focaSePuder(proximo);
}

// ----- Panels -----

void Procuras::abrePainel(PainelProcura& painel) {
    painel.abre();
    // A check run again while a panel is open keeps the roles from before it.
    QPushButton* atual = form_.cancelButton();
    if (atual != PainelForProcura->BotEsc && atual != PainelPlanoProcura->BotEsc)
        cancelAnterior_ = atual;
    form_.setDefaultButton(painel.BotEnter);
    form_.setCancelButton(painel.BotEsc);
}

void Procuras::fechaPainel(PainelProcura& painel) {
    painel.hide();
    // The other panel, if it is still open, takes the roles back.
    PainelProcura& outro = &painel == PainelForProcura ? *PainelPlanoProcura : *PainelForProcura;
    if (outro.isVisible()) {
        form_.setDefaultButton(outro.BotEnter);
        form_.setCancelButton(outro.BotEsc);
        return;
    }
    form_.setDefaultButton(nullptr);
    if (form_.cancelButton() == painel.BotEsc) form_.setCancelButton(cancelAnterior_);
}

// ----- Suppliers -----

void Procuras::ProcuraFornecedor() {
    TDM& dm = *form_.DM;
    const std::string digitado = textoDoCampo(conta_.DBEdit12);
    if (digitado.empty()) {
        segue(conta_.DBEdit15);
        return;
    }
    RecordSet& fornecedores = dm.Forneced;
    fornecedores.close();
    fornecedores.setCommandText(sqlFornecedores(form_.sessao.CamposFornecedor));
    fornecedores.open();
    switch (posicionaNoNome(fornecedores, "NOMEFANTASIA", digitado)) {
        case Achado::Aproximado:
            // The focus leaving the account panel writes the account.
            abrePainel(*PainelForProcura);
            return;
        case Achado::Repetido:
            return;  // nothing taken over; the list stays open until the next check
        case Achado::Unico:
            break;
    }
    RecordSet& conta = dm.CONTASPR;
    conta.edit();
    copiaFornecedor(fornecedores, conta, Escolha::Direta);
    gravaContaESegueEditando(conta);
    fornecedores.close();
    segue(conta_.DBEdit15);
}

void Procuras::ConfirmaFornecedor() {
    TDM& dm = *form_.DM;
    RecordSet& fornecedores = dm.Forneced;
    // Nothing to take from an empty list; the panel stays until Esc.
    if (!fornecedores.active() || fornecedores.isEmpty()) return;
    // The supplier is taken as stored: it is not written back.
    RecordSet& conta = dm.CONTASPR;
    conta.edit();
    copiaFornecedor(fornecedores, conta, Escolha::NaLista);
    gravaContaESegueEditando(conta);
    focaSePuder(conta_.DBEdit15);
    fechaPainel(*PainelForProcura);
    fornecedores.close();
}

void Procuras::CancelaFornecedor() {
    TDM& dm = *form_.DM;
    RecordSet& conta = dm.CONTASPR;
    conta.edit();
    conta.field("NOMECLIFOR").setAsString(textoDaEntrada(fornecedorAnterior_, contaDoFornecedor_));
    gravaContaESegueEditando(conta);
    focaSePuder(conta_.DBEdit15);
    fechaPainel(*PainelForProcura);
    dm.Forneced.close();
}

// ----- Chart of accounts -----

void Procuras::ProcuraPlano() {
    TDM& dm = *form_.DM;
    const std::string digitado = textoDoCampo(conta_.DBEdit10);
    if (digitado.empty()) {
        segue(conta_.DBEdit2);
        return;
    }
    RecordSet& plano = dm.PlanoCT;
    // A list left open by a shared description is used as it is.
    if (!plano.active()) plano.open();
    switch (posicionaNoNome(plano, "DESCRICAO", digitado)) {
        case Achado::Aproximado:
            // Inside the account panel: nothing is written here.
            abrePainel(*PainelPlanoProcura);
            return;
        case Achado::Repetido:
            return;
        case Achado::Unico:
            break;
    }
    RecordSet& conta = dm.CONTASPR;
    conta.edit();
    copiaPlano(plano, conta, Escolha::Direta);
    gravaContaESegueEditando(conta);
    plano.close();
    segue(conta_.DBEdit2);
}

void Procuras::ConfirmaPlano() {
    TDM& dm = *form_.DM;
    RecordSet& plano = dm.PlanoCT;
    if (!plano.active() || plano.isEmpty()) return;
    RecordSet& conta = dm.CONTASPR;
    conta.edit();
    copiaPlano(plano, conta, Escolha::NaLista);
    gravaContaESegueEditando(conta);
    focaSePuder(conta_.DBEdit2);
    fechaPainel(*PainelPlanoProcura);
    plano.close();
}

void Procuras::CancelaPlano() {
    TDM& dm = *form_.DM;
    RecordSet& conta = dm.CONTASPR;
    conta.edit();
    conta.field("DESCRICAO").setAsString(textoDaEntrada(descricaoAnterior_, contaDaDescricao_));
    gravaContaESegueEditando(conta);
    focaSePuder(conta_.DBEdit2);
    fechaPainel(*PainelPlanoProcura);
    dm.PlanoCT.close();
}

}  // namespace cp
