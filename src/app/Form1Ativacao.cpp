// The main window's activation: the steps that run once when it is first
// shown, in the suite's order, in the list mode or the single-account mode
// of the command line, and what is left usable when one of them fails.
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <optional>
#include <stdexcept>

#include "app/Form1.h"
#include "data/Cp1252.h"
#include "entry/PainelConta.h"
#include "logic/Configuracoes.h"
#include "payables/ListaContas.h"
#include "session/LoginSessao.h"
#include "shell/ButtonKey.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "suite/Modules.h"

namespace cp {
namespace {

// Windows-1252 bytes of an argument; nullopt when it holds a character that
// no stored text can hold (such an argument matches no account).
std::optional<std::string> bytesArgumento(const QStringList& args, qsizetype i) {
    if (i >= args.size()) return std::string();
    return toCp1252(args[i]);
}

std::string corta(std::string s, std::size_t n) {
    if (s.size() > n) s.resize(n);
    return s;
}

}  // namespace

void Form1::FormActivate() {
    activated_ = true;
    if (semServidor_) {
        activationFailed_ = true;
        ativacaoInterrompida();
        return;
    }
    if (guarded(env, [this] { passosAtivacao(); })) {
        activationCompleted_ = true;
    } else {
        activationFailed_ = true;
        ativacaoInterrompida();
    }
}

void Form1::passosAtivacao() {
    if (!DM || !DM2 || !lista || !conta || !login)
        throw std::logic_error("A janela foi ativada antes de os módulos de dados existirem.");
    TDM& dm = *DM;
    TDM2& dm2 = *DM2;

    // 1. Column lists of the selects.
    sessao.CamposFornecedor = kCamposFornecedor;
    sessao.CamposCPR = kCamposCPR;
    sessao.CamposParcelas = kCamposParcelas;

    // 2. The due list covers the account's fields.
    lista->DBGrid5->setGeometry(4, 70, 791, 450);

    // 3. Idle limit of the session resume.
    sessao.MinutosLogoff = MinutosDeLogoff(sessao.TempoLogoff.str());

    // 4. Payment conditions into the condition box.
    QStringList condicoes;
    dm.FormasPG.open();
    for (dm.FormasPG.first(); !dm.FormasPG.eof(); dm.FormasPG.next()) {
        condicoes << fromCp1252(dm.FormasPG.field("DESCRICAO").asString());
    }
    conta->DBComboBox1->setItems(condicoes);
    dm.FormasPG.close();

    // 5. The stored period.
    dm2.Periodo.open();
    const bool semPeriodo = dm2.Periodo.isEmpty();
    sessao.DataIniPeriodo = semPeriodo ? QDate() : dm2.Periodo.field("DATAINICIAL").asDate();
    sessao.DataFimPeriodo = semPeriodo ? QDate() : dm2.Periodo.field("DATAFINAL").asDate();

    // 6, 7.
    PainelVelmora->hide();
    dm.CONTASPR.setFiltered(true);

    if (argumentos.isEmpty()) {
        modoNavegador();
    } else {
        modoContaUnica();
    }

    // 10.
    PainelVelmora->show();

    // 11. Defaults for new installments.
    dm.FormaPad.open();
    if (!dm.FormaPad.isEmpty()) {
        sessao.ContaBancoPadrao = dm.FormaPad.field("CTAPADRAO").asString();
        sessao.MeioPagtoPadrao = dm.FormaPad.field("MEIOPADRAO").asString();
    } else {
        sessao.ContaBancoPadrao = "";
        sessao.MeioPagtoPadrao = "";
    }
    dm.FormaPad.close();

    // 12. Session resume or login.
    login->VerificaSessao();
}

void Form1::modoNavegador() {
    TDM& dm = *DM;
    lista->PainelTotais->show();
    lista->CarregaPeriodo();
    dm.Parcelas.open();
    sessao.FiltroAPagar = kFiltroAPagar;
    // The period's build just above has read this very statement a moment
    // ago, and opening the installments changes nothing it shows: its rows
    // stand instead of being fetched again.
    if (!lista->montadaComOPedido()) lista->MontaQuery2();
    // The accounts' own statement is read once with the payables filter on.
    dm.CONTASPR.open();
    dm.CONTASPR.setFilter("Natureza = 'P'");
    dm.CONTASPR.setFiltered(true);
    dm.CONTASPR.close();
    dm.CONTASPR.setCommandText("Select " + sessao.CamposCPR +
                               " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
    dm.CONTASPR.open();
    dm.CONTASPR.last();
}

std::string Form1::chaveNotaFiscal(const QStringList& args) {
    return args.isEmpty() ? std::string() : bytesArgumento(args, 0).value_or(std::string());
}

std::string Form1::chaveNomeFornecedor(const QStringList& args) {
    // Argument 2 cut to 60 characters, then a blank and each following
    // argument, cut to 60 after each step; the last step appends a blank and
    // the empty text, so two or more arguments give a key ending in a blank.
    if (args.size() < 2) return {};
    std::string chave = corta(bytesArgumento(args, 1).value_or(std::string()), 60);
    for (qsizetype i = 2; i <= args.size(); ++i)
        chave = corta(chave + " " + bytesArgumento(args, i).value_or(std::string()), 60);
    return chave;
}

void Form1::modoContaUnica() {
    TDM& dm = *DM;
    lista->PainelTotais->hide();
    dm.CONTASPR.close();
    dm.CONTASPR.setCommandText("Select " + sessao.CamposCPR +
                               " from CONTASPR where NATUREZA = 'P' order by NFISCAL, NOMECLIFOR");
    dm.CONTASPR.open();
    dm.CONTASPR.first();

    // Exact lookup on the search key NFISCAL, NOMECLIFOR, the values cut to
    // the columns' widths. Trailing blanks do not count in the comparison, so
    // the key's final blank still finds the supplier's name as stored.
    const bool representavel =
        argumentos.isEmpty() ||
        std::all_of(argumentos.begin(), argumentos.end(),
                    [](const QString& a) { return toCp1252(a).has_value(); });
    const std::string nota = corta(chaveNotaFiscal(argumentos), 16);
    const std::string nome = corta(chaveNomeFornecedor(argumentos), 40);
    const bool achou = representavel && dm.CONTASPR.findKey({Value(nota), Value(nome)});
    if (!achou) {
        // No such account: the window closes and the program ends once this
        // activation has run to its end.
        dm.CONTASPR.close();
        DM2->Periodo.close();
        close();
    }

    dm.Parcelas.open();
    sessao.FiltroAPagar = kFiltroAPagar;
    lista->MontaQuery2();

    BitBtn11->setText(QStringLiteral("Tabela de Despesas"));
    updateButtonKeyTip(BitBtn11);
    BitBtn11->setEnabled(false);
    lista->DBGrid5->hide();
    lista->Panel10->hide();
}

void Form1::ativacaoInterrompida() {
    // A step of the activation failed and the later ones (the session check
    // included) did not run: nobody has logged in and the data may be
    // unreachable. The window keeps only "Sair", which closes it.
    if (!PainelVelmora) return;
    PainelVelmora->show();
    for (QWidget* w : PainelVelmora->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != BitBtn3 && w != Label8) w->setEnabled(false);
    BitBtn3->show();
    BitBtn3->setEnabled(true);
    const bool loginVisivel = login && login->PainelLogin && login->PainelLogin->isVisible();
    if (!loginVisivel) {
        setCancelButton(BitBtn3);
        BitBtn3->setFocus();
    }
}

}  // namespace cp
