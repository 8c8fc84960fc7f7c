#include "payables/VisaoLista.h"

#include <QAction>
#include <QBrush>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <algorithm>

#include "data/Cp1252.h"
#include "logic/Previsao.h"
#include "payables/BarraBusca.h"
#include "payables/JanelaPrevisao.h"
#include "payables/ListaContas.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"
#include "shell/SortFilterRows.h"
#include "shell/Toolkit.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"

namespace cp {

namespace {

// The list's places at the window's first-start size.
const QRect kGrade(4, 70, 791, 450);
const QRect kTotais(47, 523, 699, 29);

// Unpaid as the list reads it: neither a payment date nor an amount paid.
bool emAberto(const RecordSet& q, int linha, int colPagto, int colPago) {
    return std::holds_alternative<std::monostate>(q.valueAt(linha, colPagto)) &&
           std::holds_alternative<std::monostate>(q.valueAt(linha, colPago));
}

}  // namespace

VisaoLista::VisaoLista(ListaContas& lista, JanelaPrincipal& form)
    : QObject(&lista), lista_(lista), form_(form) {
    DBGrid* grade = lista_.DBGrid5;
    linhas_ = new SortFilterRows(grade->dataModel(), this);
    linhas_->rowRole = [this](int linha, int papel) { return marca(linha, papel); };
    grade->setRowView(linhas_);
    busca_ = std::make_unique<BarraBusca>(form_.env, *grade, *linhas_, form_.PainelVelmora);
    connect(busca_.get(), &BarraBusca::abriuOuFechou, this, [this] { dispoe(); });

    LabelVencidas = new QLabel(lista_.PainelTotais);
    LabelVencidas->setObjectName(QStringLiteral("LabelVencidas"));
    LabelVencidas->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 11, true));
    setFontColor(LabelVencidas, kRed);
    LabelVencidas->setGeometry(0, 7, 200, 16);

    auto* procurar = new QAction(QStringLiteral("Procurar na lista"), grade);
    procurar->setObjectName(QStringLiteral("ProcurarNaLista"));
    procurar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    procurar->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grade->addAction(procurar);
    busca_->Barra->addAction(procurar);
    connectGuarded(form_.env, procurar, &QAction::triggered, this, [this] { busca_->abre(); });

    lista_.PopupMenu1->addSeparator();
    Previsao = lista_.PopupMenu1->addAction(QStringLiteral("Previsão de pagamentos..."));
    Previsao->setObjectName(QStringLiteral("PrevisaoPagamentos"));
    Previsao->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    Previsao->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grade->addAction(Previsao);
    busca_->Barra->addAction(Previsao);
    connectGuarded(form_.env, Previsao, &QAction::triggered, this, [this] { abrePrevisao(); });

    connect(&lista_, &ListaContas::listaMontada, this, &VisaoLista::listaMontada);
    connect(grade->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!restaurando_) guardaLarguras();
    });
    form_.PainelVelmora->installEventFilter(this);
    restauraLarguras();
    dispoe();
}

VisaoLista::~VisaoLista() {
    if (previsao_) delete previsao_.data();
}

JanelaPrevisao* VisaoLista::janelaPrevisao() const { return previsao_.data(); }

QString VisaoLista::chaveLarguras() const {
    const QString area = fromCp1252(form_.sessao.Estacao.str()).trimmed();
    return QStringLiteral("ListaContas/area-%1/larguras")
        .arg(area.isEmpty() ? QStringLiteral("nenhuma") : area);
}

// The workstation's own settings file (not the shared database): each work
// area used on this computer keeps the widths its operator gave the list.
void VisaoLista::restauraLarguras() {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("BRUNDELO"),
                QStringLiteral("ContasPagar"));
    const QStringList larguras = s.value(chaveLarguras()).toStringList();
    DBGrid* grade = lista_.DBGrid5;
    restaurando_ = true;
    for (int c = 0; c < larguras.size() && c < grade->dataModel()->columnCount(); ++c) {
        bool ok = false;
        const int w = larguras[c].toInt(&ok);
        if (ok && w >= 8 && w <= 2000) grade->setColumnWidth(c, w);
    }
    restaurando_ = false;
}

void VisaoLista::guardaLarguras() {
    DBGrid* grade = lista_.DBGrid5;
    QStringList larguras;
    for (int c = 0; c < grade->dataModel()->columnCount(); ++c)
        larguras << QString::number(grade->columnWidth(c));
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("BRUNDELO"),
                QStringLiteral("ContasPagar"));
    s.setValue(chaveLarguras(), larguras);
}

bool VisaoLista::eventFilter(QObject* watched, QEvent* e) {
    if (watched == form_.PainelVelmora && e->type() == QEvent::Resize) dispoe();
    return QObject::eventFilter(watched, e);
}

void VisaoLista::dispoe() {
    // What the window grew by since its first-start size; at that size the
    // list stands exactly where it always has.
    const QSize desenho = form_.areaDesenhada();
    const QSize agora = form_.PainelVelmora->size();
    const int dw = desenho.isValid() ? std::max(0, agora.width() - desenho.width()) : 0;
    const int dh = desenho.isValid() ? std::max(0, agora.height() - desenho.height()) : 0;
    QRect grade = kGrade.adjusted(0, 0, dw, dh);
    if (busca_->aberta()) {
        busca_->Barra->setGeometry(grade.x(), grade.y(), grade.width(), BarraBusca::kAltura);
        grade.setTop(grade.top() + BarraBusca::kAltura + 2);
        grade.setBottom(grade.bottom() - BarraBusca::kAlturaSoma);
        busca_->LabelSomaEncontradas->setGeometry(grade.x(), grade.bottom() + 1, grade.width() - 4,
                                                  BarraBusca::kAlturaSoma - 1);
    }
    lista_.DBGrid5->setGeometry(grade);
    lista_.PainelTotais->move(kTotais.x() + dw, kTotais.y() + dh);
}

void VisaoLista::listaMontada() {
    // A rebuild gives back the list's own order.
    lista_.DBGrid5->clearSort();
    contaVencidas();
}

void VisaoLista::contaVencidas() {
    const RecordSet& q = lista_.DBGrid5->recordSet();
    vencidas_ = 0;
    somaVencidas_ = 0;
    SomaPrevisao soma;
    if (q.active()) {
        const QDate hoje = form_.env.today();
        const int colVenc = q.fieldIndex("DATAVENCIM"), colValor = q.fieldIndex("VALORPARCELA");
        const int colPagto = q.fieldIndex("DATAPAGTO"), colPago = q.fieldIndex("VALORPAGO");
        for (int r = 0; r < q.rowCount(); ++r) {
            const Value venc = q.valueAt(r, colVenc);
            const auto* d = std::get_if<QDate>(&venc);
            if (!d || !(*d < hoje) || !emAberto(q, r, colPagto, colPago)) continue;
            const Value v = q.valueAt(r, colValor);
            const auto* c = std::get_if<std::int64_t>(&v);
            soma.soma({1, c ? 0 : 1, c ? *c : 0});
        }
    }
    vencidas_ = soma.parcelas;
    somaVencidas_ = soma.centavos;
    if (vencidas_ == 0) {
        LabelVencidas->clear();
    } else {
        LabelVencidas->setText((vencidas_ == 1
                                    ? QStringLiteral("1 parcela vencida: ")
                                    : QStringLiteral("%1 parcelas vencidas: ").arg(vencidas_)) +
                               QString::fromStdString(textoCentavos(somaVencidas_)));
    }
    // Up to the caption of the total to pay, which may have moved left for a
    // large amount.
    LabelVencidas->setFixedWidth(std::max(0, lista_.Label9->x() - 6));
    LabelVencidas->setToolTip(LabelVencidas->text());
}

QVariant VisaoLista::marca(int linha, int papel) const {
    if (papel != Qt::ForegroundRole && papel != Qt::FontRole) return {};
    const RecordSet& q = lista_.DBGrid5->recordSet();
    if (!q.active() || linha < 0 || linha >= q.rowCount()) return {};
    const Value venc = q.valueAt(linha, q.fieldIndex("DATAVENCIM"));
    const auto* d = std::get_if<QDate>(&venc);
    if (!d) return {};
    const QDate hoje = form_.env.today();
    if (papel == Qt::FontRole) {
        if (*d != hoje) return {};
        QFont f = lista_.DBGrid5->font();
        f.setBold(true);
        return f;
    }
    if (*d < hoje && emAberto(q, linha, q.fieldIndex("DATAPAGTO"), q.fieldIndex("VALORPAGO")))
        return QBrush(kRed);
    return {};
}

void VisaoLista::abrePrevisao() {
    if (!form_.DM) return;
    if (!previsao_) previsao_ = new JanelaPrevisao(lista_, form_);
    previsao_->atualiza();
    previsao_->show();
    previsao_->raise();
    previsao_->activateWindow();
}

}  // namespace cp
