#include "entry/PainelProcura.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/Toolkit.h"

namespace cp {
namespace {

constexpr int kAlturaTitulo = 24;

void runGuarded(Environment& env, const std::function<void()>& fn) {
    if (fn) guarded(env, fn);
}

}  // namespace

QString PainelProcura::textoDica() {
    const QString lacuna(16, QLatin1Char(' '));
    return QStringLiteral("Tecle") + lacuna + QStringLiteral("p/ confirmar ou") + lacuna +
           QStringLiteral("p/ cancelar");
}

PainelProcura::PainelProcura(Environment& env, RecordSet& lista, const Desenho& d, QWidget* parent)
    : QFrame(parent), env_(env) {
    setObjectName(QString::fromLatin1(d.nomePainel));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette fundo = palette();
    fundo.setColor(QPalette::Window, QApplication::palette().color(QPalette::ToolTipBase));
    setPalette(fundo);
    // Designed small and hidden; it takes its working size when it opens.
    setGeometry(kGeometriaAberta.x(), kGeometriaAberta.y(), 33, 33);
    hide();

    Titulo = new QLabel(d.titulo, this);
    Titulo->setObjectName(QString::fromLatin1(d.nomeTitulo));
    Titulo->setAlignment(Qt::AlignCenter);
    Titulo->setFont(suiteFont(QStringLiteral("Arial"), 13, true));
    Titulo->setAutoFillBackground(true);
    QPalette barra = Titulo->palette();
    barra.setColor(QPalette::Window, kNavy);
    Titulo->setPalette(barra);
    setFontColor(Titulo, kWhite);

    std::vector<GridColumn> colunas = {
        {d.tituloColuna, d.coluna, -1, Qt::AlignLeft, Qt::AlignLeft, true, {}}};
    Grade = new DBGrid(env, lista, std::move(colunas), this);
    Grade->setObjectName(QString::fromLatin1(d.nomeGrade));
    Grade->setGeometry(d.geometriaGrade);
    Grade->setGridReadOnly(true);
    Grade->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The list's only column: Times New Roman 13 pixels, navy; titles Arial 11.
    Grade->setFont(suiteFont(QStringLiteral("Times New Roman"), 13));
    setFontColor(Grade, kNavy);
    Grade->horizontalHeader()->setFont(suiteFont(QStringLiteral("Arial"), 11));
    Grade->horizontalHeader()->setStretchLastSection(true);
    Grade->installEventFilter(this);

    Dica = new QLabel(textoDica(), this);
    Dica->setObjectName(QString::fromLatin1(d.nomeDica));
    // Whole-pixel advances, as the suite's screens are drawn: the blanks then
    // leave the two buttons their gaps.
    QFont fonteDica = suiteFont(QStringLiteral("Arial"), 13);
    fonteDica.setHintingPreference(QFont::PreferFullHinting);
    Dica->setFont(fonteDica);
    setFontColor(Dica, kNavy);
    // 308 wide, or as wide as its text if this typeface draws it wider.
    Dica->setGeometry(11, d.topoDica, std::max(308, Dica->sizeHint().width()), 16);

    auto botao = [&](const char* nome, const QString& texto, int esquerda) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(QString::fromLatin1(nome));
        b->setFont(suiteFont(d.fonteBotoes, 13, true));
        setFontColor(b, kMaroon);
        b->setGeometry(esquerda, d.topoBotoes, 51, 22);
        b->setAutoDefault(false);
        return b;
    };
    BotEnter = botao(d.nomeEnter, QStringLiteral("Enter"), 48);
    BotEsc = botao(d.nomeEsc, QStringLiteral("Esc"), 199);
    BotEnter->setToolTip(QStringLiteral("Escolher o item marcado (Enter)"));
    BotEsc->setToolTip(QStringLiteral("Desistir da procura (Esc)"));
    nameField(Grade, d.titulo);
    connectGuarded(env, BotEnter, &QPushButton::clicked, this, [this] {
        if (onConfirma) onConfirma();
    });
    connectGuarded(env, BotEsc, &QPushButton::clicked, this, [this] {
        if (onCancela) onCancela();
    });
    QWidget::setTabOrder(Grade, BotEnter);
    QWidget::setTabOrder(BotEnter, BotEsc);
}

void PainelProcura::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    // The title bar lies along the top, inside the bevel.
    const QRect dentro = contentsRect();
    Titulo->setGeometry(dentro.x(), dentro.y(), dentro.width(), kAlturaTitulo);
}

void PainelProcura::abre() {
    setGeometry(kGeometriaAberta);
    raise();
    show();
    Grade->setFocus(Qt::OtherFocusReason);
}

bool PainelProcura::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Grade && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            runGuarded(env_, onConfirma);
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            runGuarded(env_, onCancela);
            return true;
        }
    }
    return QFrame::eventFilter(watched, e);
}

}  // namespace cp
