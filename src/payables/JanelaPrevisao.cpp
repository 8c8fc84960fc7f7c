#include "payables/JanelaPrevisao.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCalendarWidget>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedBarSeries>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "data/Cp1252.h"
#include "payables/CabecalhoCopia.h"
#include "payables/ImpressaoLista.h"
#include "payables/ListaContas.h"
#include "payables/RelatorioLista.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"
#include "shell/Toolkit.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"

namespace cp {

namespace {

QString dinheiro(std::int64_t c) { return QString::fromStdString(textoCentavos(c)); }

QString dataCurta(const QDate& d) { return d.toString(QStringLiteral("dd/MM")); }

QTableWidgetItem* celula(const QString& t, Qt::Alignment a = Qt::AlignLeft) {
    auto* i = new QTableWidgetItem(t);
    i->setTextAlignment(a | Qt::AlignVCenter);
    i->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return i;
}

QTableWidget* tabela(QWidget* pai, const char* nome, const QStringList& titulos) {
    auto* t = new QTableWidget(0, static_cast<int>(titulos.size()), pai);
    t->setObjectName(QLatin1String(nome));
    t->setHorizontalHeaderLabels(titulos);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(20);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setWordWrap(false);
    return t;
}

// "3 parcelas (1 sem valor)".
QString contagem(const SomaPrevisao& s) {
    QString t = QString::number(s.parcelas);
    if (s.semValor > 0) t += QStringLiteral(" (%1 sem valor)").arg(s.semValor);
    return t;
}

// The calendar: under each day's number the sum due on it; late days red.
class CalendarioPrevisao : public QCalendarWidget {
  public:
    CalendarioPrevisao(const Previsao& p, QWidget* pai) : QCalendarWidget(pai), p_(p) {
        setGridVisible(true);
        setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    }

  protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override {
        const SomaPrevisao s = p_.doDia(date);
        if (s.parcelas == 0) {
            QCalendarWidget::paintCell(painter, rect, date);
            return;
        }
        painter->save();
        const bool atrasado = date < p_.hoje;
        painter->fillRect(rect.adjusted(1, 1, -1, -1), date == selectedDate()
                                                           ? QColor(0xCC, 0xDD, 0xFF)
                                                       : atrasado ? QColor(0xFF, 0xE4, 0xE4)
                                                                  : QColor(0xEE, 0xF2, 0xFF));
        painter->setPen(atrasado ? kRed : kNavy);
        QFont f = painter->font();
        f.setBold(true);
        painter->setFont(f);
        painter->drawText(rect.adjusted(3, 1, -3, 0), Qt::AlignTop | Qt::AlignRight,
                          QString::number(date.day()));
        f.setBold(false);
        f.setPointSizeF(f.pointSizeF() * 0.8);
        painter->setFont(f);
        painter->drawText(rect.adjusted(2, 0, -2, -2), Qt::AlignBottom | Qt::AlignHCenter,
                          QLocale().toString(static_cast<double>(s.centavos) / 100.0, 'f', 2));
        painter->restore();
    }

  private:
    const Previsao& p_;
};

// A round step for the amount axis: 1, 2 or 5 times a power of ten.
double passoRedondo(double maximo) {
    if (maximo <= 0) return 1;
    const double bruto = maximo / 5;
    const double pot = std::pow(10.0, std::floor(std::log10(bruto)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (bruto <= m * pot) return m * pot;
    return 10 * pot;
}

}  // namespace

JanelaPrevisao::JanelaPrevisao(ListaContas& lista, JanelaPrincipal& form)
    : QDialog(&form), lista_(lista), form_(form) {
    setObjectName(QStringLiteral("JanelaPrevisao"));
    setWindowTitle(QStringLiteral("Previsão de pagamentos"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setModal(false);
    resize(940, 620);

    auto* todo = new QVBoxLayout(this);
    LabelResumo = new QLabel(this);
    LabelResumo->setObjectName(QStringLiteral("LabelResumo"));
    LabelResumo->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 13, true));
    setFontColor(LabelResumo, kNavy);
    todo->addWidget(LabelResumo);

    Abas = new QTabWidget(this);
    Abas->setObjectName(QStringLiteral("Abas"));
    todo->addWidget(Abas, 1);

    auto* semanas = new QWidget(Abas);
    auto* ls = new QHBoxLayout(semanas);
    montaGrafico();
    Grafico->setParent(semanas);
    ls->addWidget(Grafico, 3);
    TabelaIdade =
        tabela(semanas, "TabelaIdade",
               {QStringLiteral("Idade"), QStringLiteral("Parcelas"), QStringLiteral("Soma")});
    TabelaIdade->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    TabelaIdade->setColumnWidth(1, 110);
    TabelaIdade->setColumnWidth(2, 150);
    ls->addWidget(TabelaIdade, 2);
    Abas->addTab(semanas, QStringLiteral("Por semana e por idade"));

    QStringList titulos{QStringLiteral("Fornecedor"), QStringLiteral("Total")};
    for (int f = 0; f < kFaixas; ++f) titulos << QString::fromUtf8(nomeFaixa(f));
    TabelaFornecedores = tabela(Abas, "TabelaFornecedores", titulos);
    TabelaFornecedores->setColumnWidth(0, 200);
    for (int c = 1; c < titulos.size(); ++c) TabelaFornecedores->setColumnWidth(c, 130);
    Abas->addTab(TabelaFornecedores, QStringLiteral("Por fornecedor (os 20 maiores)"));

    auto* cal = new QWidget(Abas);
    auto* lc = new QHBoxLayout(cal);
    Calendario = new CalendarioPrevisao(previsao_, cal);
    Calendario->setObjectName(QStringLiteral("Calendario"));
    lc->addWidget(Calendario, 3);
    auto* direita = new QVBoxLayout;
    LabelDia = new QLabel(cal);
    LabelDia->setObjectName(QStringLiteral("LabelDia"));
    setFontColor(LabelDia, kNavy);
    direita->addWidget(LabelDia);
    TabelaDia = tabela(
        cal, "TabelaDia",
        {QStringLiteral("Vencimento"), QStringLiteral("Fornecedor"), QStringLiteral("Descrição"),
         QStringLiteral("N. Fiscal"), QStringLiteral("Parc."), QStringLiteral("Valor R$")});
    direita->addWidget(TabelaDia, 1);
    BotSemVencimento = new QPushButton(QStringLiteral("Sem vencimento ou sem valor"), cal);
    BotSemVencimento->setObjectName(QStringLiteral("BotSemVencimento"));
    BotSemVencimento->setAutoDefault(false);
    direita->addWidget(BotSemVencimento);
    lc->addLayout(direita, 4);
    Abas->addTab(cal, QStringLiteral("Calendário"));

    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    const auto botao = [this, botoes](const char* nome, const QString& texto) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(QLatin1String(nome));
        b->setAutoDefault(false);
        botoes->addWidget(b);
        return b;
    };
    BotImprimir = botao("BotImprimir", QStringLiteral("Imprimir..."));
    BotPdf = botao("BotPdf", QStringLiteral("Salvar em PDF..."));
    BotFechar = botao("BotFechar", QStringLiteral("Fechar"));
    todo->addLayout(botoes);

    Environment& env = form_.env;
    connect(Calendario, &QCalendarWidget::clicked, this,
            [this, &env](QDate d) { guarded(env, [&] { diaClicado(d); }); });
    connectGuarded(env, BotSemVencimento, &QPushButton::clicked, this,
                   [this] { diaClicado(QDate()); });
    connectGuarded(env, BotImprimir, &QPushButton::clicked, this, [this] { imprime(); });
    connectGuarded(env, BotPdf, &QPushButton::clicked, this, [this] { salvaPdf(); });
    connect(BotFechar, &QPushButton::clicked, this, &QDialog::close);
    connect(Barras, &QStackedBarSeries::clicked, this,
            [this, &env](int i, QBarSet*) { guarded(env, [&] { barraClicada(i); }); });

    perguntaArquivo = [this](const QString& sugestao) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Salvar a previsão em PDF"),
                                            sugestao, QStringLiteral("Documento PDF (*.pdf)"));
    };
}

JanelaPrevisao::~JanelaPrevisao() = default;

void JanelaPrevisao::montaGrafico() {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("A pagar por semana"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    Barras = new QStackedBarSeries;
    Barras->setObjectName(QStringLiteral("Barras"));
    chart->addSeries(Barras);
    Grafico = new QChartView(chart);
    Grafico->setObjectName(QStringLiteral("Grafico"));
    Grafico->setRenderHint(QPainter::Antialiasing);
    Grafico->setToolTip(QStringLiteral("Clique numa barra para ver essa semana na lista"));
}

void JanelaPrevisao::atualiza() {
    previsao_ = lePrevisao(form_.DM->SQLConnection1, form_.env.today());
    const Previsao& p = previsao_;
    LabelResumo->setText(
        QStringLiteral("A pagar: %1 em %2 parcelas    Vencidas: %3 em %4 parcelas    Hoje: %5")
            .arg(dinheiro(p.total.centavos))
            .arg(p.total.parcelas)
            .arg(dinheiro(p.vencidas.centavos))
            .arg(p.vencidas.parcelas)
            .arg(dataCompleta(p.hoje)));
    mostraGrafico();
    mostraIdade();
    mostraFornecedores();
    Calendario->setSelectedDate(p.hoje);
    Calendario->update();
    diaClicado(p.hoje);
}

void JanelaPrevisao::mostraGrafico() {
    QChart* chart = Grafico->chart();
    Barras->clear();
    for (QAbstractAxis* a : chart->axes()) {
        chart->removeAxis(a);
        delete a;
    }
    auto* atraso = new QBarSet(QStringLiteral("Vencidas"));
    auto* futuro = new QBarSet(QStringLiteral("A vencer"));
    atraso->setColor(kRed);
    futuro->setColor(QColor(0x30, 0x50, 0xA0));
    QStringList categorias{QStringLiteral("Vencidas")};
    double maximo = static_cast<double>(previsao_.vencidas.centavos) / 100.0;
    *atraso << maximo;
    *futuro << 0.0;
    for (int i = 0; i < kSemanasPrevisao; ++i) {
        const double v =
            static_cast<double>(previsao_.semanas[static_cast<size_t>(i)].centavos) / 100.0;
        *atraso << 0.0;
        *futuro << v;
        maximo = std::max(maximo, v);
        categorias << dataCurta(previsao_.inicioSemana(i));
    }
    Barras->append(atraso);
    Barras->append(futuro);

    auto* eixoX = new QBarCategoryAxis;
    eixoX->append(categorias);
    eixoX->setTitleText(QStringLiteral("semana a partir de"));
    chart->addAxis(eixoX, Qt::AlignBottom);
    Barras->attachAxis(eixoX);

    // The amounts in R$, with the locale's grouping.
    auto* eixoY = new QCategoryAxis;
    eixoY->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const double passo = passoRedondo(maximo);
    const int passos = std::max(1, static_cast<int>(std::ceil(maximo / passo)));
    eixoY->setStartValue(0);
    for (int k = 0; k <= passos; ++k)
        eixoY->append(QStringLiteral("R$ ") + QLocale().toString(k * passo, 'f', 0), k * passo);
    eixoY->setRange(0, passos * passo);
    chart->addAxis(eixoY, Qt::AlignLeft);
    Barras->attachAxis(eixoY);
}

void JanelaPrevisao::mostraIdade() {
    const Previsao& p = previsao_;
    TabelaIdade->setRowCount(0);
    const auto linha = [this](const QString& nome, const SomaPrevisao& s, bool vermelha) {
        const int r = TabelaIdade->rowCount();
        TabelaIdade->insertRow(r);
        TabelaIdade->setItem(r, 0, celula(nome));
        TabelaIdade->setItem(r, 1, celula(contagem(s), Qt::AlignRight));
        TabelaIdade->setItem(r, 2, celula(dinheiro(s.centavos), Qt::AlignRight));
        if (vermelha)
            for (int c = 0; c < 3; ++c) TabelaIdade->item(r, c)->setForeground(kRed);
    };
    for (int f = 0; f < kFaixas; ++f)
        linha(QString::fromUtf8(nomeFaixa(f)), p.faixas[static_cast<size_t>(f)],
              f <= VencidasMais90 && p.faixas[static_cast<size_t>(f)].parcelas > 0);
    linha(QStringLiteral("Sem valor (contadas acima, sem soma)"), p.semValor, false);
    linha(QStringLiteral("Total a pagar"), p.total, false);
    QFont negrito = TabelaIdade->font();
    negrito.setBold(true);
    for (int c = 0; c < 3; ++c) TabelaIdade->item(TabelaIdade->rowCount() - 1, c)->setFont(negrito);
}

void JanelaPrevisao::mostraFornecedores() {
    const Previsao& p = previsao_;
    TabelaFornecedores->setRowCount(static_cast<int>(p.fornecedores.size()));
    for (int r = 0; r < static_cast<int>(p.fornecedores.size()); ++r) {
        const FornecedorPrevisto& f = p.fornecedores[static_cast<size_t>(r)];
        const QString nome =
            f.nome.empty() ? QStringLiteral("(sem fornecedor)") : fromCp1252(f.nome);
        TabelaFornecedores->setItem(r, 0, celula(nome));
        TabelaFornecedores->setItem(
            r, 1,
            celula(QStringLiteral("%1 (%2)").arg(dinheiro(f.total.centavos), contagem(f.total)),
                   Qt::AlignRight));
        for (int c = 0; c < kFaixas; ++c) {
            const SomaPrevisao& s = f.faixas[static_cast<size_t>(c)];
            auto* i = celula(s.parcelas == 0
                                 ? QString()
                                 : QStringLiteral("%1 (%2)").arg(dinheiro(s.centavos), contagem(s)),
                             Qt::AlignRight);
            if (c <= VencidasMais90) i->setForeground(kRed);
            TabelaFornecedores->setItem(r, c + 2, i);
        }
    }
}

void JanelaPrevisao::diaClicado(const QDate& dia) {
    const std::vector<ParcelaPrevista> ps = leParcelasDoDia(form_.DM->SQLConnection1, dia);
    std::int64_t soma = 0;
    TabelaDia->setRowCount(static_cast<int>(ps.size()));
    for (int r = 0; r < static_cast<int>(ps.size()); ++r) {
        const ParcelaPrevista& p = ps[static_cast<size_t>(r)];
        if (p.valor) soma += *p.valor;
        const bool atrasada = p.vencimento.isValid() && p.vencimento < previsao_.hoje;
        const QString v[] = {
            p.vencimento.isValid() ? dataCompleta(p.vencimento) : QStringLiteral("sem vencimento"),
            fromCp1252(p.fornecedor),
            fromCp1252(p.descricao),
            fromCp1252(p.notaFiscal),
            p.numParcela ? QString::number(*p.numParcela) : QString(),
            p.valor ? valorVirgula(p.valor) : QStringLiteral("sem valor")};
        for (int c = 0; c < 6; ++c) {
            auto* i = celula(v[c], c == 5 ? Qt::AlignRight : Qt::AlignLeft);
            if (atrasada) i->setForeground(kRed);
            TabelaDia->setItem(r, c, i);
        }
    }
    TabelaDia->resizeColumnsToContents();
    const QString quando = dia.isValid() ? QStringLiteral("Vencem em %1").arg(dataCompleta(dia))
                                         : QStringLiteral("Sem vencimento ou sem valor");
    LabelDia->setText(
        QStringLiteral("%1: %2 parcela(s), %3").arg(quando).arg(ps.size()).arg(dinheiro(soma)));
}

void JanelaPrevisao::barraClicada(int i) {
    QDate ini, fim;
    if (i == 0) {
        if (!previsao_.primeiraVencida.isValid()) return;  // nothing late
        ini = previsao_.primeiraVencida;
        fim = previsao_.hoje.addDays(-1);
    } else if (i >= 1 && i <= kSemanasPrevisao) {
        ini = previsao_.inicioSemana(i - 1);
        fim = previsao_.fimSemana(i - 1);
    } else {
        return;
    }
    if (!form_.listaVisivel()) {
        form_.env.showMessage(
            QStringLiteral("Volte à lista de contas para ver as parcelas desta semana."));
        return;
    }
    // As the period bar does it: the row edited, stored, and the list built.
    RecordSet& p = form_.DM2->Periodo;
    if (p.state() == RecordSetState::Browse || p.state() == RecordSetState::Inactive) p.edit();
    p.field("DATAINICIAL").setAsDate(ini);
    p.field("DATAFINAL").setAsDate(fim);
    p.post();
    lista_.CarregaPeriodo();
}

CabecalhoCopia JanelaPrevisao::cabecalho() const {
    const EstadoSessao& s = form_.sessao;
    return {windowTitle(), form_.env.now(),
            QStringLiteral("Parcelas a pagar de todos os períodos, em %1")
                .arg(dataCompleta(previsao_.hoje)),
            linhaAreaOperador(fromCp1252(s.Estacao.str()), fromCp1252(s.NomeUsuario.str()))};
}

bool JanelaPrevisao::gravaPdf(const QString& caminho) {
    QSaveFile f(caminho);
    QString erro;
    if (f.open(QIODevice::WriteOnly)) {
        {
            QPdfWriter pdf(&f);
            pdf.setTitle(windowTitle());
            pdf.setCreator(QStringLiteral("Contas a Pagar"));
            preparaPagina(pdf);
            desenhaPrevisao(pdf, previsao_, cabecalho());
        }
        if (f.commit()) {
            form_.mostraArquivoGravado(QStringLiteral("A previsão foi salva em PDF"), caminho);
            return true;
        }
    }
    form_.env.showMessage(QStringLiteral("A previsão não pôde ser gravada em %1: %2")
                              .arg(QDir::toNativeSeparators(caminho), f.errorString()));
    return false;
}

void JanelaPrevisao::salvaPdf() {
    QString pasta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (pasta.isEmpty()) pasta = QDir::homePath();
    QString caminho = perguntaArquivo(
        QDir(pasta).filePath(QStringLiteral("Previsão de pagamentos %1.pdf")
                                 .arg(previsao_.hoje.toString(QStringLiteral("dd-MM-yyyy")))));
    if (caminho.isEmpty()) return;
    if (QFileInfo(caminho).suffix().isEmpty()) caminho += QStringLiteral(".pdf");
    gravaPdf(caminho);
}

void JanelaPrevisao::imprime() {
    QPrinter impressora(QPrinter::HighResolution);
    preparaPagina(impressora);
    QPrintDialog dialogo(&impressora, this);
    dialogo.setWindowTitle(QStringLiteral("Imprimir a previsão"));
    if (dialogo.exec() != QDialog::Accepted) return;
    desenhaPrevisao(impressora, previsao_, cabecalho());
}

}  // namespace cp
