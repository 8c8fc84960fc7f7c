#include "payables/BarraBusca.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "logic/ListaSql.h"
#include "logic/Previsao.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/Toolkit.h"

namespace cp {

namespace {

QString parcelas(int n) {
    return n == 1 ? QStringLiteral("1 parcela") : QStringLiteral("%1 parcelas").arg(n);
}

QString dinheiro(std::int64_t centavos) { return QString::fromStdString(textoCentavos(centavos)); }

}  // namespace

BarraBusca::BarraBusca(Environment& env, DBGrid& grade, SortFilterRows& linhas, QWidget* pai)
    : QObject(), env_(env), grade_(grade), linhas_(linhas) {
    Barra = new QFrame(pai);
    Barra->setObjectName(QStringLiteral("BarraBusca"));
    Barra->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* l = new QHBoxLayout(Barra);
    l->setContentsMargins(6, 1, 4, 1);
    auto* rotulo = new QLabel(QStringLiteral("&Procurar:"), Barra);
    rotulo->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 13, true));
    setFontColor(rotulo, kNavy);
    EditBusca = new QLineEdit(Barra);
    EditBusca->setObjectName(QStringLiteral("EditBusca"));
    EditBusca->setPlaceholderText(
        QStringLiteral("fornecedor, descrição, nota fiscal ou valor (Esc fecha)"));
    EditBusca->setClearButtonEnabled(true);
    nameAfterLabel(rotulo, EditBusca);
    // The edit's own clear button: named and explained.
    if (auto* limpar = EditBusca->findChild<QAction*>(QStringLiteral("_q_qlineeditclearaction"))) {
        limpar->setText(QStringLiteral("Limpar a busca"));
        limpar->setToolTip(QStringLiteral("Limpar a busca"));
    }
    LabelEncontradas = new QLabel(Barra);
    LabelEncontradas->setObjectName(QStringLiteral("LabelEncontradas"));
    setFontColor(LabelEncontradas, kNavy);
    LabelEncontradas->setMinimumWidth(190);
    BotFechaBusca = new QToolButton(Barra);
    BotFechaBusca->setObjectName(QStringLiteral("BotFechaBusca"));
    BotFechaBusca->setText(QStringLiteral("×"));
    BotFechaBusca->setToolTip(QStringLiteral("Fechar a busca (Esc)"));
    BotFechaBusca->setAutoRaise(true);
    l->addWidget(rotulo);
    l->addWidget(EditBusca, 1);
    l->addWidget(LabelEncontradas);
    l->addWidget(BotFechaBusca);
    Barra->hide();

    LabelSomaEncontradas = new QLabel(pai);
    LabelSomaEncontradas->setObjectName(QStringLiteral("LabelSomaEncontradas"));
    LabelSomaEncontradas->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 13, true));
    setFontColor(LabelSomaEncontradas, kNavy);
    LabelSomaEncontradas->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelSomaEncontradas->hide();

    EditBusca->installEventFilter(this);
    grade_.installEventFilter(this);
    connect(EditBusca, &QLineEdit::textChanged, this,
            [this](const QString& t) { guarded(env_, [&] { procura(t); }); });
    connect(BotFechaBusca, &QToolButton::clicked, this, [this] { fecha(); });
    connect(&linhas_, &SortFilterRows::rowsRecomputed, this, [this] { mostraEncontradas(); });
}

BarraBusca::~BarraBusca() {
    if (linhas_.rowFilter() == this) linhas_.setRowFilter(nullptr);
}

bool BarraBusca::aberta() const { return !Barra->isHidden(); }

void BarraBusca::abre() {
    if (!aberta()) {
        busca_.defineTexto(EditBusca->text());
        linhas_.setRowFilter(this);
        Barra->show();
        LabelSomaEncontradas->show();
        emit abriuOuFechou();
    }
    EditBusca->setFocus();
    EditBusca->selectAll();
}

void BarraBusca::fecha() {
    if (!aberta()) return;
    Barra->hide();
    LabelSomaEncontradas->hide();
    linhas_.setRowFilter(nullptr);
    emit abriuOuFechou();
    grade_.setFocus();
}

void BarraBusca::procura(const QString& texto) {
    if (EditBusca->text() != texto) {
        EditBusca->setText(texto);  // comes back here through textChanged
        return;
    }
    busca_.defineTexto(texto);
    if (linhas_.rowFilter() == this) linhas_.refilter();
}

void BarraBusca::prepare(const RecordSet& set) { busca_.prepara(set); }

bool BarraBusca::accepts(int row) const { return busca_.aceita(row); }

void BarraBusca::mostraEncontradas() {
    RecordSet& q = grade_.recordSet();
    TotaisListaDe<std::int64_t> totais;
    encontradas_ = 0;
    if (q.active()) {
        const int colParcela = q.fieldIndex("VALORPARCELA");
        const int colPago = q.fieldIndex("VALORPAGO");
        for (const int r : linhas_.shownRows()) {
            const Value pago = q.valueAt(r, colPago);
            const Value parcela = q.valueAt(r, colParcela);
            const auto* p = std::get_if<std::int64_t>(&pago);
            const auto* v = std::get_if<std::int64_t>(&parcela);
            totais.soma(v ? *v : 0, p ? *p : 0);
        }
        encontradas_ = static_cast<int>(linhas_.shownRows().size());
    }
    aPagar_ = totais.aPagar;
    pago_ = totais.pago;
    if (!aberta()) return;
    if (busca_.vazia()) {
        LabelEncontradas->setText(parcelas(encontradas_) + QStringLiteral(" na lista"));
    } else if (encontradas_ == 0) {
        LabelEncontradas->setText(QStringLiteral("Nenhuma parcela encontrada"));
    } else {
        LabelEncontradas->setText(
            encontradas_ == 1 ? QStringLiteral("1 parcela encontrada")
                              : QStringLiteral("%1 parcelas encontradas").arg(encontradas_));
    }
    LabelSomaEncontradas->setText(
        QStringLiteral("Soma das parcelas encontradas:  a pagar %1    pago %2")
            .arg(dinheiro(aPagar_), dinheiro(pago_)));
}

bool BarraBusca::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape &&
        aberta()) {
        if (watched == EditBusca) {
            fecha();
            return true;
        }
        // On the grid (a cell editor takes its own keys) Esc first gives up
        // an edit of the row; with none, it
        // closes the search.
        if (watched == &grade_) {
            const RecordSetState s = grade_.recordSet().state();
            if (s != RecordSetState::Edit && s != RecordSetState::Insert) {
                fecha();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, e);
}

}  // namespace cp
