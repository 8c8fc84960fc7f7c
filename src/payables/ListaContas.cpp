// The list view's controls, the list statement with its totals, and the
// switch between the unpaid and the all-installments view.
#include "payables/ListaContas.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <utility>

#include "logic/ListaSql.h"
#include "payables/CobrancasDaLista.h"
#include "payables/ListaNfe.h"
#include "payables/SaidaLista.h"
#include "payables/VisaoLista.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/FocusChain.h"
#include "shell/JanelaPrincipal.h"
#include "shell/Toolkit.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"

namespace cp {

namespace {

QLabel* rotulo(QWidget* pai, const char* nome, const QString& texto, int px, bool negrito) {
    auto* l = new QLabel(texto, pai);
    l->setObjectName(QLatin1String(nome));
    l->setFont(suiteFont(QStringLiteral("MS Sans Serif"), px, negrito));
    setFontColor(l, kNavy);
    return l;
}

}  // namespace

ListaContas::ListaContas(JanelaPrincipal& form)
    : QObject(), form_(form), env_(form.env), sessao_(form.sessao), dm_(*form.DM), dm2_(*form.DM2) {
    montaGrade();
    montaBarraPeriodo();
    montaBarraTotais();
    Saida = new SaidaLista(*this, form);
    Cobrancas = new CobrancasDaLista(*this, form);
    Visao = new VisaoLista(*this, form);
    acrescentaImportacaoNfe(*this, form);  // at the end of the pop-up menu
}

ListaContas::~ListaContas() = default;

void ListaContas::montaGrade() {
    const auto c = Qt::AlignHCenter, l = Qt::AlignLeft, r = Qt::AlignRight;
    std::vector<GridColumn> colunas = {
        {QStringLiteral("Data Venc."), "DATAVENCIM", 70, c, c, false, {}},
        {QStringLiteral("Descrição"), "DESCRICAO", 220, l, l, true, {}},
        {QStringLiteral("Fornecedor"), "NOMECLIFOR", 128, l, l, true, {}},
        {QStringLiteral("N. Fiscal"), "NFISCAL", 60, l, l, false, {}},
        {QStringLiteral("Parc."), "NUMPARCELA", 36, c, c, true, {}},
        {QStringLiteral(" Valor R$ "), "VALORPARCELA", 80, r, r, false, {}},
        {QStringLiteral("Data Pgto."), "DATAPAGTO", 70, c, c, false, {}},
        {QStringLiteral("Val Pago R$"), "VALORPAGO", 86, r, r, false, {}},
        {QStringLiteral("N. Docum."), "NUMDOCUMENTO", 70, r, l, false, {}},
        {QStringLiteral("CODIGOCPR"), "CODIGOCPR", -1, r, l, false, {}},
    };
    DBGrid5 = new DBGrid(env_, dm_.Query2, std::move(colunas), form_.PainelVelmora);
    DBGrid5->setObjectName(QStringLiteral("DBGrid5"));
    DBGrid5->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 13));
    DBGrid5->setGeometry(4, 70, 791, 450);
    nameField(DBGrid5, QStringLiteral("Parcelas do período"));

    PopupMenu1 = new QMenu(DBGrid5);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Quitarestaconta1 = PopupMenu1->addAction(QStringLiteral("Quitar esta conta"));
    Quitarestaconta1->setObjectName(QStringLiteral("Quitarestaconta1"));
    Cancelarquitao1 = PopupMenu1->addAction(QStringLiteral("Cancelar quitação"));
    Cancelarquitao1->setObjectName(QStringLiteral("Cancelarquitao1"));
    DBGrid5->setPopupMenu(PopupMenu1);
    // Their keys work while the list has the focus; the menu shows them.
    for (auto [acao, tecla] : {std::pair{Quitarestaconta1, QKeySequence(Qt::Key_F9)},
                               std::pair{Cancelarquitao1, QKeySequence(Qt::CTRL | Qt::Key_F9)}}) {
        acao->setShortcut(tecla);
        acao->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        DBGrid5->addAction(acao);
    }
    connectGuarded(env_, Quitarestaconta1, &QAction::triggered, this,
                   [this] { Quitarestaconta1Click(); });
    connectGuarded(env_, Cancelarquitao1, &QAction::triggered, this,
                   [this] { Cancelarquitao1Click(); });
    // Only a settled installment has a settlement to undo: the command (and
    // its key) follows the current row.
    const auto conformeLinha = [this] { Cancelarquitao1->setEnabled(linhaQuitada()); };
    connect(PopupMenu1, &QMenu::aboutToShow, this, conformeLinha);
    connect(DBGrid5->dataModel(), &RecordSetModel::currentRowChanged, this, conformeLinha);
    connect(this, &ListaContas::listaMontada, this, conformeLinha);
    conformeLinha();

    // F5 builds the list again, wherever the focus is in the list view.
    Atualizar = new QAction(QStringLiteral("Atualizar a lista"), DBGrid5);
    Atualizar->setObjectName(QStringLiteral("AtualizarLista"));
    Atualizar->setShortcut(QKeySequence(Qt::Key_F5));
    Atualizar->setShortcutContext(Qt::WindowShortcut);
    DBGrid5->addAction(Atualizar);
    connectGuarded(env_, Atualizar, &QAction::triggered, this, [this] { AtualizaLista(); });
}

void ListaContas::AtualizaLista() {
    // Not under the login panel; a date being typed in the period bar is
    // taken as Enter would take it.
    if (!isReachable(DBGrid5) || !leaveFocusedEditor(&form_)) return;
    RecordSet& q = dm_.Query2;
    if (q.active()) gravaEReleia(q);  // a cell typed into the list is kept
    CarregaPeriodo();
}

void ListaContas::montaBarraTotais() {
    PainelTotais = new QFrame(form_.PainelVelmora);
    PainelTotais->setObjectName(QStringLiteral("PainelTotais"));
    PainelTotais->setFrameShape(QFrame::NoFrame);
    PainelTotais->setGeometry(47, 523, 699, 29);
    setFontColor(PainelTotais, kNavy);

    Label9 = rotulo(PainelTotais, "Label9", QStringLiteral("Total a pagar: "), 11, false);
    Label9->move(225, 8);
    Label9->adjustSize();
    Label2 = rotulo(PainelTotais, "Label2", QString(), 13, true);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setGeometry(299, 7, 94, 16);
    Label27 = rotulo(PainelTotais, "Label27", QStringLiteral("Total pago: "), 11, false);
    Label27->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label27->move(517, 8);
    Label27->adjustSize();
    Label15 = rotulo(PainelTotais, "Label15", QString(), 13, true);
    Label15->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label15->setGeometry(581, 5, 99, 16);
    // What the two amounts are, for the mouse and for screen readers.
    Label2->setToolTip(QStringLiteral("Soma das parcelas a pagar da lista"));
    Label15->setToolTip(QStringLiteral("Soma do que foi pago nas parcelas da lista"));
    nameAfterLabel(Label9, Label2);
    nameAfterLabel(Label27, Label15);
}

bool ListaContas::montadaComOPedido() const {
    const RecordSet& q = dm_.Query2;
    return q.active() && q.commandText() == sqlLista(sessao_.DataIniPeriodo, sessao_.DataFimPeriodo,
                                                     sessao_.FiltroAPagar);
}

void ListaContas::MontaQuery2() {
    RecordSet& q = dm_.Query2;
    q.close();
    q.setCommandText(
        sqlLista(sessao_.DataIniPeriodo, sessao_.DataFimPeriodo, sessao_.FiltroAPagar));
    q.open();

    // One pass over the rows as read, without moving the cursor row by row.
    const int colParcela = q.fieldIndex("VALORPARCELA");
    const int colPago = q.fieldIndex("VALORPAGO");
    TotaisLista totais;
    const int n = q.rowCount();
    for (int i = 0; i < n; ++i) {
        const Value& pago = q.valueAt(i, colPago);
        const Value& parcela = q.valueAt(i, colParcela);
        const auto* p = std::get_if<std::int64_t>(&pago);
        const auto* v = std::get_if<std::int64_t>(&parcela);
        totais.soma(v ? static_cast<double>(*v) / 100.0 : 0.0,
                    p ? static_cast<double>(*p) / 100.0 : 0.0);
    }
    totalAPagar_ = totais.aPagar;
    totalPago_ = totais.pago;
    mostraTotais();
    if (!q.isEmpty()) q.first();
    emit listaMontada();
}

// Each total keeps its right edge and its designed width, and grows to the
// left when its text needs more room, pushing its caption along, so a large
// amount is never cut.
void ListaContas::mostraTotais() {
    Label2->setText(textoTotal(totalAPagar_));
    Label15->setText(textoTotal(totalPago_));
    const auto ajusta = [](QLabel* legenda, QLabel* valor, int xLegenda, int xValor, int largura,
                           int direita) {
        const QSize precisa = valor->sizeHint();
        const int w = std::max(largura, precisa.width());
        const int xv = std::min(xValor, direita - w);
        valor->setGeometry(xv, valor->y(), w, std::max(16, precisa.height()));
        legenda->move(std::min(xLegenda, xv - legenda->width()), legenda->y());
    };
    // The total paid first: the total to pay must end before its caption.
    ajusta(Label27, Label15, 517, 581, 99, 581 + 99);
    ajusta(Label9, Label2, 225, 299, 94, std::min(299 + 94, Label27->x() - 8));
    Label2->repaint();
    Label15->repaint();
}

void ListaContas::BitBtn2Click() {
    if (BitBtn2->text() == QString::fromUtf8(kMostrarAPagar)) {
        form_.Label8->setText(QStringLiteral("Contas a Pagar"));
        BitBtn2->setText(QString::fromUtf8(kMostrarJaPagas));
        sessao_.FiltroAPagar = kFiltroAPagar;
    } else {
        form_.Label8->setText(QStringLiteral("Todas as Contas"));
        BitBtn2->setText(QString::fromUtf8(kMostrarAPagar));
        sessao_.FiltroAPagar.clear();
    }
    form_.Label8->adjustSize();
    MontaQuery2();
}

}  // namespace cp
