#include "payables/CobrancasDaLista.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QToolTip>

#include "data/Cp1252.h"
#include "payables/ListaContas.h"
#include "payables/RelatorioLista.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"
#include "suite/Modules.h"

namespace cp {

namespace {

std::optional<std::int64_t> inteiro(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    return std::nullopt;
}

bool tipoPix(const CobrancaGuardada& g) { return g.tipo == TipoCobranca::Pix; }

// The list's row indicator, with a green mark on the rows that keep a slip
// and the slip's line as the mark's tip. It measures as the grid's own
// indicator does.
class IndicadorComCobranca : public QHeaderView {
  public:
    IndicadorComCobranca(const CobrancasDaLista& cobrancas, QWidget* pai)
        : QHeaderView(Qt::Vertical, pai), cobrancas_(cobrancas) {
        setObjectName(QStringLiteral("IndicadorComCobranca"));
        setSectionsClickable(true);
        setHighlightSections(true);
        setSectionResizeMode(QHeaderView::Fixed);
        setDefaultSectionSize(18);
        setMinimumSectionSize(12);
        setFixedWidth(12);
    }

  protected:
    void paintSection(QPainter* p, const QRect& r, int linha) const override {
        QHeaderView::paintSection(p, r, linha);
        if (!cobrancas_.daLinha(linha)) return;
        p->save();
        // The style leaves a clip of its own behind; the mark covers the
        // section, the current row's arrow showing through.
        p->setClipRect(r);
        p->fillRect(r.adjusted(1, 1, -1, -1), QColor(0x00, 0x80, 0x00, 0x70));
        p->restore();
    }

    bool viewportEvent(QEvent* e) override {
        if (e->type() == QEvent::ToolTip) {
            auto* h = static_cast<QHelpEvent*>(e);
            if (const CobrancaGuardada* g = cobrancas_.daLinha(logicalIndexAt(h->pos()))) {
                QToolTip::showText(h->globalPos(), CobrancasDaLista::dica(*g), viewport());
                return true;
            }
        }
        return QHeaderView::viewportEvent(e);
    }

  private:
    const CobrancasDaLista& cobrancas_;
};

// The same tip anywhere on a row with a slip.
class DicaDaLinha : public QObject {
  public:
    DicaDaLinha(const CobrancasDaLista& cobrancas, DBGrid& grade)
        : QObject(&grade), cobrancas_(cobrancas), grade_(grade) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::ToolTip) return false;
        auto* h = static_cast<QHelpEvent*>(e);
        const CobrancaGuardada* g = cobrancas_.daLinha(grade_.rowAt(h->pos().y()));
        if (!g) return false;
        QToolTip::showText(h->globalPos(), CobrancasDaLista::dica(*g), grade_.viewport());
        return true;
    }

  private:
    const CobrancasDaLista& cobrancas_;
    DBGrid& grade_;
};

}  // namespace

CobrancasDaLista::CobrancasDaLista(ListaContas& lista, JanelaPrincipal& form)
    : QObject(&lista), lista_(lista), form_(form), dm_(*form.DM) {
    DBGrid& grade = *lista_.DBGrid5;
    grade.setVerticalHeader(new IndicadorComCobranca(*this, &grade));
    grade.viewport()->installEventFilter(new DicaDaLinha(*this, grade));
    preparaMenu();
    observador_ = dm_.Query2.addObserver([this](const RecordSetNotice& n) {
        if (n.kind == RecordSetNotice::Reset) releia();
    });
    releia();
}

CobrancasDaLista::~CobrancasDaLista() { dm_.Query2.removeObserver(observador_); }

void CobrancasDaLista::preparaMenu() {
    QMenu* menu = lista_.PopupMenu1;
    CopiarCobranca = new QAction(QStringLiteral("Copiar linha digitável"), menu);
    CopiarCobranca->setObjectName(QStringLiteral("CopiarCobranca"));
    // After the settlement commands, before the copies of the list.
    const QList<QAction*> acoes = menu->actions();
    const qsizetype depois = acoes.indexOf(lista_.Cancelarquitao1);
    QAction* antesDe = depois >= 0 && depois + 1 < acoes.size() ? acoes[depois + 1] : nullptr;
    QAction* separador = new QAction(menu);
    separador->setSeparator(true);
    menu->insertAction(antesDe, separador);
    menu->insertAction(antesDe, CopiarCobranca);
    connectGuarded(form_.env, CopiarCobranca, &QAction::triggered, this,
                   [this] { CopiarCobrancaClick(); });
    connect(menu, &QMenu::aboutToShow, this, [this] {
        const RecordSet& q = dm_.Query2;
        const CobrancaGuardada* g = q.active() ? daLinha(q.currentRow()) : nullptr;
        CopiarCobranca->setText(g && tipoPix(*g) ? QStringLiteral("Copiar código PIX")
                                                 : QStringLiteral("Copiar linha digitável"));
        CopiarCobranca->setEnabled(g != nullptr);
    });
}

QString CobrancasDaLista::dica(const CobrancaGuardada& g) {
    const QString linha = fromCp1252(linhaImpressa(g.tipo, g.linha));
    switch (g.tipo) {
        case TipoCobranca::Pix:
            return QStringLiteral("PIX: ") + linha;
        case TipoCobranca::Arrecadacao:
            return QStringLiteral("Arrecadação: ") + linha;
        case TipoCobranca::Boleto:
            break;
    }
    return QStringLiteral("Boleto: ") + linha;
}

const CobrancaGuardada* CobrancasDaLista::daLinha(int linha) const {
    const RecordSet& q = dm_.Query2;
    if (porChave_.empty() || !q.active() || linha < 0 || linha >= q.rowCount()) return nullptr;
    const auto parc = inteiro(q.valueAt(linha, q.fieldIndex("CODIGOPARC")));
    const auto cpr = inteiro(q.valueAt(linha, q.fieldIndex("CODIGOCPR")));
    if (!parc || !cpr) return nullptr;
    const auto it = porChave_.find({*parc, *cpr});
    return it == porChave_.end() ? nullptr : &it->second;
}

void CobrancasDaLista::releia() {
    porChave_.clear();
    const RecordSet& q = dm_.Query2;
    if (!q.active() || q.isEmpty()) return;
    // The due dates the list spans: the slips are read for those.
    const int venc = q.fieldIndex("DATAVENCIM");
    QDate de, ate;
    for (int i = 0; i < q.rowCount(); ++i) {
        const Value v = q.valueAt(i, venc);
        const auto* d = std::get_if<QDate>(&v);
        if (!d || !d->isValid()) continue;
        if (!de.isValid() || *d < de) de = *d;
        if (!ate.isValid() || *d > ate) ate = *d;
    }
    try {
        for (CobrancaGuardada& g : dm_.Cobrancas.vencendoEntre(de, ate))
            porChave_.emplace(std::make_pair(g.codigoParc, g.codigoCpr), std::move(g));
    } catch (const std::exception& e) {
        // The list itself is read; only its marks are missing.
        reportError(form_.env, QStringLiteral("Os boletos e códigos PIX guardados das parcelas "
                                              "não puderam ser lidos:\n") +
                                   errorText(e));
    }
    lista_.DBGrid5->verticalHeader()->viewport()->update();
}

void CobrancasDaLista::preencheCopia(std::vector<LinhaLista>& linhas) const {
    for (std::size_t i = 0; i < linhas.size(); ++i)
        if (const CobrancaGuardada* g = daLinha(static_cast<int>(i)))
            linhas[i].defineCobranca(linhaImpressa(g->tipo, g->linha));
}

void CobrancasDaLista::CopiarCobrancaClick() {
    RecordSet& q = dm_.Query2;
    if (!q.active() || q.isEmpty()) return;
    const std::int64_t parc = q.field("CODIGOPARC").asInteger();
    const std::int64_t cpr = q.field("CODIGOCPR").asInteger();
    const QString qual =
        QStringLiteral("parcela %1 da conta %2")
            .arg(QString::fromStdString(q.field("NUMPARCELA").asString()), QString::number(cpr));
    // Read again: another workstation may have changed it since the list.
    const std::optional<CobrancaGuardada> g = dm_.Cobrancas.daParcela(parc, cpr);
    if (!g) {
        porChave_.erase({parc, cpr});
        lista_.DBGrid5->verticalHeader()->viewport()->update();
        form_.env.showMessage(
            QStringLiteral("A %1 não tem boleto nem código PIX guardado.").arg(qual));
        return;
    }
    porChave_[{parc, cpr}] = *g;
    QGuiApplication::clipboard()->setText(fromCp1252(g->linha));
    form_.mostraSituacao(tipoPix(*g) ? QStringLiteral("Código PIX da %1 copiado.").arg(qual)
                                     : QStringLiteral("Linha digitável da %1 copiada.").arg(qual));
}

}  // namespace cp
