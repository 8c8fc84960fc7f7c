// The period bar: the two date edits bound to the work area's period row,
// the keyboard path through them, Alt+P, and the button that widens the
// period around today and narrows it back.
//
// The period button has three captions: "Expandir" widens, "Fechar" restores
// the period saved when it was widened, and after a restore it reads "Abrir".
// A click on "Abrir" widens the period again (the caption says so), saving
// the period in force at that moment; it does not repeat the restore.
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "payables/ListaContas.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"
#include "shell/Toolkit.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"

namespace cp {

namespace {

bool ehEnter(const QKeyEvent& e) { return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter; }

QPushButton* botao(QWidget* pai, const char* nome, const QString& texto, const QRect& r) {
    auto* b = new QPushButton(texto, pai);
    b->setObjectName(QLatin1String(nome));
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

void ListaContas::montaBarraPeriodo() {
    Panel10 = new QFrame(form_.PainelVelmora);
    Panel10->setObjectName(QStringLiteral("Panel10"));
    Panel10->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel10->setLineWidth(1);
    Panel10->setGeometry(47, 35, 700, 32);

    DBEdit5 = new DBEdit(env_, dm2_.Periodo, "DATAINICIAL", Panel10);
    DBEdit5->setObjectName(QStringLiteral("DBEdit5"));
    DBEdit5->setGeometry(80, 6, 80, 21);
    DBEdit6 = new DBEdit(env_, dm2_.Periodo, "DATAFINAL", Panel10);
    DBEdit6->setObjectName(QStringLiteral("DBEdit6"));
    DBEdit6->setGeometry(187, 6, 80, 21);

    Label22 = new QLabel(QStringLiteral("&Período: "), Panel10);
    Label22->setObjectName(QStringLiteral("Label22"));
    Label22->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 13, true));
    setFontColor(Label22, kNavy);
    Label22->move(8, 6);
    Label22->adjustSize();
    Label24 = new QLabel(QStringLiteral("a"), Panel10);
    Label24->setObjectName(QStringLiteral("Label24"));
    Label24->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 11, true));
    setFontColor(Label24, kNavy);
    Label24->move(170, 7);
    Label24->adjustSize();

    BitBtn2 = botao(Panel10, "BitBtn2", QString::fromUtf8(kMostrarJaPagas), QRect(461, 5, 227, 23));
    setFontColor(BitBtn2, kNavy);
    BitBtn12 =
        botao(Panel10, "BitBtn12", QString::fromUtf8(kExpandirPeriodo), QRect(294, 5, 159, 23));
    BitBtn12->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 11));
    setFontColor(BitBtn12, kMaroon);

    // "&P" lies under the start-date edit. Alt+P belongs to the label
    // "&Período: ", whose buddy is the start date: two owners of one
    // mnemonic would make the key ambiguous, and then neither would act.
    Button1 = botao(Panel10, "Button1", QStringLiteral("&P"), QRect(97, 10, 16, 13));
    Button1->setShortcut(QKeySequence());
    Button1->stackUnder(DBEdit5);
    Label22->setBuddy(DBEdit5);
    nameField(DBEdit5, QStringLiteral("Período: data inicial"));
    nameField(DBEdit6, QStringLiteral("Período: data final"));
    BitBtn2->setToolTip(QStringLiteral("Alterna entre as parcelas a pagar e todas as do período"));
    BitBtn12->setToolTip(
        QStringLiteral("Amplia o período (dois anos atrás, dez à frente) e volta ao anterior"));
    Button1->setToolTip(QStringLiteral("Data inicial do período (Alt+P)"));
    Button1->setAccessibleName(QStringLiteral("Ir à data inicial do período"));

    QWidget::setTabOrder(DBEdit5, DBEdit6);
    QWidget::setTabOrder(DBEdit6, BitBtn2);
    QWidget::setTabOrder(BitBtn2, BitBtn12);
    QWidget::setTabOrder(BitBtn12, Button1);

    DBEdit5->onEnter = [this] { DBEdit5Enter(); };
    DBEdit6->onEnter = [this] { DBEdit6Enter(); };
    DBEdit5->onKeyPress = [this](QKeyEvent& e) { return DBEdit5KeyPress(e); };
    DBEdit6->onKeyPress = [this](QKeyEvent& e) { return DBEdit6KeyPress(e); };
    connectGuarded(env_, BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connectGuarded(env_, BitBtn12, &QPushButton::clicked, this, [this] { BitBtn12Click(); });
    connectGuarded(env_, Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void ListaContas::periodoNaSessao() {
    RecordSet& p = dm2_.Periodo;
    sessao_.DataIniPeriodo = p.field("DATAINICIAL").asDate();
    sessao_.DataFimPeriodo = p.field("DATAFINAL").asDate();
}

void ListaContas::CarregaPeriodo() {
    periodoNaSessao();
    if (BitBtn2->text() == QString::fromUtf8(kMostrarAPagar))
        sessao_.FiltroAPagar.clear();
    else
        sessao_.FiltroAPagar = kFiltroAPagar;
    MontaQuery2();
}

void ListaContas::DBEdit5Enter() { dm2_.Periodo.edit(); }

void ListaContas::DBEdit6Enter() { dm2_.Periodo.edit(); }

bool ListaContas::DBEdit5KeyPress(QKeyEvent& e) {
    if (!ehEnter(e)) return false;
    // The typed date is already in the row (not stored); the list follows it.
    form_.focusNext();
    CarregaPeriodo();
    return true;
}

bool ListaContas::DBEdit6KeyPress(QKeyEvent& e) {
    if (!ehEnter(e)) return false;
    dm2_.Periodo.post();
    CarregaPeriodo();
    DBGrid5->setFocus();
    return true;
}

void ListaContas::Button1Click() { DBEdit5->setFocus(); }

void ListaContas::BitBtn12Click() {
    if (BitBtn12->text() == QString::fromUtf8(kFecharPeriodo))
        fechaPeriodo();
    else
        expandePeriodo();
}

void ListaContas::expandePeriodo() {
    setFontColor(BitBtn12, kRed);
    BitBtn12->setText(QString::fromUtf8(kFecharPeriodo));
    RecordSet& p = dm2_.Periodo;
    periodoSalvoIni_ = p.field("DATAINICIAL").asDate();
    periodoSalvoFim_ = p.field("DATAFINAL").asDate();
    const QDate hoje = env_.today();
    p.edit();
    p.field("DATAINICIAL").setAsDate(hoje.addDays(-730));
    p.field("DATAFINAL").setAsDate(hoje.addDays(3650));
    p.post();
    periodoNaSessao();
    MontaQuery2();
}

void ListaContas::fechaPeriodo() {
    setFontColor(BitBtn12, kMaroon);
    BitBtn12->setText(QString::fromUtf8(kAbrirPeriodo));
    RecordSet& p = dm2_.Periodo;
    p.edit();
    p.field("DATAINICIAL").setAsDate(periodoSalvoIni_);
    p.field("DATAFINAL").setAsDate(periodoSalvoFim_);
    p.post();
    periodoNaSessao();
    MontaQuery2();
}

}  // namespace cp
