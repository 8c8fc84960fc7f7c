#include "payables/ImpressaoLista.h"

#include <QFont>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "data/Cp1252.h"
#include "data/Formats.h"
#include "logic/ListaSql.h"
#include "payables/CabecalhoCopia.h"
#include "payables/RelatorioLista.h"

namespace cp {

namespace {

enum class Item : std::uint8_t {
    Linha,
    SubtotalDia,
    SemLinhas,
    Branco,
    TituloFornecedores,
    CabecalhoFornecedores,
    Fornecedor,
    TotalAPagar,
    TotalPago,
};

struct Entrada {
    Item tipo;
    int indice;  // the row or the subtotal
};

struct Coluna {
    const char16_t* titulo;
    double peso;  // share of the page width
    Qt::Alignment alinhamento;
};

constexpr Qt::Alignment kC = Qt::AlignHCenter, kE = Qt::AlignLeft, kD = Qt::AlignRight;

// The list's columns, in the grid's order and alignment.
const Coluna kColunas[] = {
    {u"Data Venc.", 62, kC}, {u"Descrição", 205, kE},  {u"Fornecedor", 170, kE},
    {u"N. Fiscal", 62, kE},  {u"Parc.", 34, kC},       {u"Valor R$", 74, kD},
    {u"Data Pgto.", 62, kC}, {u"Val Pago R$", 74, kD}, {u"N. Docum.", 60, kD},
    {u"CODIGOCPR", 62, kD},
};
constexpr int kNumColunas = sizeof kColunas / sizeof kColunas[0];
constexpr int kColParc = 4, kColValor = 5, kColPagoEm = 6, kColPago = 7;

// The supplier subtotals use the first columns' room in four columns.
const Coluna kColunasFornecedor[] = {
    {u"Fornecedor", 330, kE},
    {u"Parcelas", 60, kD},
    {u"A pagar R$", 110, kD},
    {u"Pago R$", 110, kD},
};
constexpr int kNumColunasFornecedor = 4;

QString valorImpresso(std::optional<std::int64_t> centavos) {
    if (!centavos) return {};
    return fromCp1252(formatScaled("#,##0.00", *centavos, 2));
}

QString inteiroImpresso(std::optional<std::int64_t> v) {
    return v ? QString::number(*v) : QString();
}

QString parcelas(int n) {
    return n == 1 ? QStringLiteral("1 parcela") : QStringLiteral("%1 parcelas").arg(n);
}

class Desenho {
  public:
    Desenho(QPagedPaintDevice& device, const RelatorioLista& r)
        : device_(device), r_(r), porDia_(subtotaisPorVencimento(r.linhas)) {
        if (!r.linhas.empty()) porFornecedor_ = subtotaisPorFornecedor(r.linhas);
        montaEntradas();
    }

    bool desenha(Progresso& progresso) {
        QPainter p;
        if (!p.begin(&device_))
            throw std::runtime_error("O arquivo ou a impressora não aceitou a cópia da lista.");
        p_ = &p;
        medidas();
        PaginaCopia pagina(p, largura_, altura_, pt(1));
        pagina_ = &pagina;
        const int total = static_cast<int>(entradas_.size());
        const int paginas = std::max(1, (total + porPagina_ - 1) / porPagina_);
        progresso.total = total;
        for (int pg = 0; pg < paginas; ++pg) {
            if (progresso.cancelado) {
                // A printer drops the job instead of printing what was painted.
                if (auto* impressora = dynamic_cast<QPrinter*>(&device_)) impressora->abort();
                p.end();
                return false;
            }
            if (pg > 0 && !device_.newPage())
                throw std::runtime_error("O arquivo ou a impressora não aceitou uma nova página.");
            const int de = pg * porPagina_, ate = std::min(total, de + porPagina_);
            cabecalho(de < ate ? entradas_[static_cast<std::size_t>(de)].tipo : Item::SemLinhas);
            for (int i = de; i < ate; ++i)
                entrada(entradas_[static_cast<std::size_t>(i)], topoCorpo_ + (i - de) * linha_);
            rodape(pg + 1, paginas);
            progresso.feito = ate;
            if (progresso.aCadaPasso) progresso.aCadaPasso();
        }
        if (!p.end()) throw std::runtime_error("A cópia da lista não pôde ser concluída.");
        return true;
    }

  private:
    void montaEntradas() {
        const int n = static_cast<int>(r_.linhas.size());
        entradas_.reserve(static_cast<std::size_t>(n) + porDia_.size() + porFornecedor_.size() + 8);
        std::size_t dia = 0;
        for (int i = 0; i < n; ++i) {
            entradas_.push_back({Item::Linha, i});
            const bool fimDoDia =
                i + 1 == n || r_.linhas[static_cast<std::size_t>(i + 1)].vencimento !=
                                  r_.linhas[static_cast<std::size_t>(i)].vencimento;
            if (fimDoDia) entradas_.push_back({Item::SubtotalDia, static_cast<int>(dia++)});
        }
        if (n == 0) entradas_.push_back({Item::SemLinhas, 0});
        if (!porFornecedor_.empty()) {
            entradas_.push_back({Item::Branco, 0});
            entradas_.push_back({Item::TituloFornecedores, 0});
            entradas_.push_back({Item::CabecalhoFornecedores, 0});
            for (int i = 0; i < static_cast<int>(porFornecedor_.size()); ++i)
                entradas_.push_back({Item::Fornecedor, i});
        }
        entradas_.push_back({Item::Branco, 0});
        entradas_.push_back({Item::TotalAPagar, 0});
        entradas_.push_back({Item::TotalPago, 0});
    }

    double pt(double pontos) const { return pontos * device_.logicalDpiY() / 72.0; }

    void medidas() {
        largura_ = device_.width();
        altura_ = device_.height();
        corpo_ = QFont(QStringLiteral("Arial"));
        corpo_.setPointSizeF(8);
        negrito_ = corpo_;
        negrito_.setBold(true);
        medidaCorpo_ = QFontMetricsF(corpo_, &device_);
        medidaNegrito_ = QFontMetricsF(negrito_, &device_);
        linha_ = medidaCorpo_.height() * 1.3;
        {
            // The body begins under the shared head, its column titles first.
            PaginaCopia pagina(*p_, largura_, altura_, pt(1));
            topoCorpo_ = pagina.topoCorpo() + linha_ + pt(2);
            rodape_ = pagina.alturaRodape();
        }
        porPagina_ = std::max(1, static_cast<int>((altura_ - topoCorpo_ - rodape_) / linha_));
        posicoes(kColunas, kNumColunas, 1.0, colunas_);
        posicoes(kColunasFornecedor, kNumColunasFornecedor, 0.62, colunasFornecedor_);
    }

    // Left edges of the columns (and the right edge last) over `fracao` of
    // the page width.
    void posicoes(const Coluna* c, int n, double fracao, std::vector<double>& x) const {
        double soma = 0;
        for (int i = 0; i < n; ++i) soma += c[i].peso;
        x.assign(1, 0.0);
        for (int i = 0; i < n; ++i) x.push_back(x.back() + c[i].peso / soma * largura_ * fracao);
    }

    // One cell: the text within [x0, x1] on the line at y, cut with "…" when
    // it does not fit. Placed from the font's measures rather than laid out
    // in a box, which keeps a long list quick to paint.
    void texto(double x0, double x1, double y, Qt::Alignment a, const QString& t) {
        if (t.isEmpty()) return;
        const QFontMetricsF& fm = p_->font().bold() ? medidaNegrito_ : medidaCorpo_;
        const double folga = pt(2), caixa = x1 - x0 - 2 * folga;
        double w = fm.horizontalAdvance(t);
        QString cabe;
        if (w > caixa) {
            cabe = fm.elidedText(t, Qt::ElideRight, caixa);
            w = fm.horizontalAdvance(cabe);
        }
        double x = x0 + folga;
        if (a & Qt::AlignRight)
            x = x1 - folga - w;
        else if (a & Qt::AlignHCenter)
            x = x0 + (x1 - x0 - w) / 2;
        const double base = y + (linha_ - fm.height()) / 2 + fm.ascent();
        p_->drawText(QPointF(x, base), cabe.isNull() ? t : cabe);
    }

    void cabecalho(Item primeira) {
        QPainter& p = *p_;
        double y = pagina_->cabecalho({r_.titulo, r_.emitidoEm,
                                       QStringLiteral("Período: %1 a %2    Exibição: %3")
                                           .arg(dataCompleta(r_.inicio), dataCompleta(r_.fim),
                                                textoExibicao(r_.apenasAPagar)),
                                       linhaAreaOperador(r_.areaTrabalho, r_.operador)});

        const bool lista =
            primeira == Item::Linha || primeira == Item::SubtotalDia || primeira == Item::SemLinhas;
        const bool fornecedores = primeira == Item::Fornecedor;
        if (!lista && !fornecedores) return;
        p.setFont(negrito_);
        const auto& x = lista ? colunas_ : colunasFornecedor_;
        const Coluna* c = lista ? kColunas : kColunasFornecedor;
        const int n = lista ? kNumColunas : kNumColunasFornecedor;
        for (int i = 0; i < n; ++i)
            texto(x[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(i) + 1], y,
                  c[i].alinhamento, QString::fromUtf16(c[i].titulo));
        p.setPen(QPen(Qt::black, pt(0.4)));
        p.drawLine(QPointF(0, y + linha_), QPointF(x.back(), y + linha_));
    }

    void rodape(int pagina, int paginas) { pagina_->rodape(pagina, paginas); }

    double x(int col) const { return colunas_[static_cast<std::size_t>(col)]; }

    void entrada(const Entrada& e, double y) {
        QPainter& p = *p_;
        p.setPen(Qt::black);
        switch (e.tipo) {
            case Item::Linha: {
                const LinhaLista& l = r_.linhas[static_cast<std::size_t>(e.indice)];
                p.setFont(corpo_);
                const QString v[kNumColunas] = {
                    dataCompleta(l.vencimento),      fromCp1252(l.descricao),
                    fromCp1252(l.fornecedor),        fromCp1252(l.notaFiscal),
                    inteiroImpresso(l.numParcela),   valorImpresso(l.valorParcela),
                    dataCompleta(l.pagoEm),          valorImpresso(l.valorPago),
                    inteiroImpresso(l.numDocumento), inteiroImpresso(l.codigoCPR),
                };
                for (int i = 0; i < kNumColunas; ++i)
                    texto(x(i), x(i + 1), y, kColunas[i].alinhamento, v[i]);
                break;
            }
            case Item::SubtotalDia: {
                const Subtotal& s = porDia_[static_cast<std::size_t>(e.indice)];
                p.fillRect(QRectF(0, y, colunas_.back(), linha_), QColor(0xEE, 0xEE, 0xEE));
                p.setFont(negrito_);
                texto(x(1), x(kColParc), y, kE,
                      QStringLiteral("Subtotal de %1 (%2)")
                          .arg(dataCompleta(s.vencimento), parcelas(s.parcelas)));
                texto(x(kColParc - 1), x(kColValor + 1), y, kD,
                      QStringLiteral("A pagar: ") + valorImpresso(s.aPagar));
                texto(x(kColPagoEm), x(kColPago + 1), y, kD,
                      QStringLiteral("Pago: ") + valorImpresso(s.pago));
                break;
            }
            case Item::SemLinhas:
                p.setFont(corpo_);
                texto(0, largura_, y, kE, QStringLiteral("Nenhuma parcela nesta lista."));
                break;
            case Item::Branco:
                break;
            case Item::TituloFornecedores:
                p.setFont(negrito_);
                texto(0, largura_, y, kE, QStringLiteral("Subtotais por fornecedor"));
                break;
            case Item::CabecalhoFornecedores: {
                p.setFont(negrito_);
                const auto& xf = colunasFornecedor_;
                for (int i = 0; i < kNumColunasFornecedor; ++i)
                    texto(xf[static_cast<std::size_t>(i)], xf[static_cast<std::size_t>(i) + 1], y,
                          kColunasFornecedor[i].alinhamento,
                          QString::fromUtf16(kColunasFornecedor[i].titulo));
                p.setPen(QPen(Qt::black, pt(0.4)));
                p.drawLine(QPointF(0, y + linha_), QPointF(xf.back(), y + linha_));
                break;
            }
            case Item::Fornecedor: {
                const Subtotal& s = porFornecedor_[static_cast<std::size_t>(e.indice)];
                p.setFont(corpo_);
                const auto& xf = colunasFornecedor_;
                const QString v[kNumColunasFornecedor] = {
                    fromCp1252(s.fornecedor), QString::number(s.parcelas), valorImpresso(s.aPagar),
                    valorImpresso(s.pago)};
                for (int i = 0; i < kNumColunasFornecedor; ++i)
                    texto(xf[static_cast<std::size_t>(i)], xf[static_cast<std::size_t>(i) + 1], y,
                          kColunasFornecedor[i].alinhamento, v[i]);
                break;
            }
            case Item::TotalAPagar:
                p.setFont(negrito_);
                texto(0, largura_, y, kE,
                      QStringLiteral("Total a pagar: ") + textoTotal(r_.totalAPagar));
                break;
            case Item::TotalPago:
                p.setFont(negrito_);
                texto(0, largura_, y, kE,
                      QStringLiteral("Total pago: ") + textoTotal(r_.totalPago));
                break;
        }
    }

    QPagedPaintDevice& device_;
    const RelatorioLista& r_;
    std::vector<Subtotal> porDia_;
    std::vector<Subtotal> porFornecedor_;
    std::vector<Entrada> entradas_;

    QPainter* p_ = nullptr;
    PaginaCopia* pagina_ = nullptr;
    QFont corpo_, negrito_;
    QFontMetricsF medidaCorpo_{QFont()}, medidaNegrito_{QFont()};
    double largura_ = 0, altura_ = 0;
    double linha_ = 0;
    double topoCorpo_ = 0, rodape_ = 0;
    int porPagina_ = 1;
    std::vector<double> colunas_, colunasFornecedor_;
};

}  // namespace

void preparaPagina(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

bool desenhaRelatorio(QPagedPaintDevice& device, const RelatorioLista& r, Progresso& progresso) {
    Desenho d(device, r);
    return d.desenha(progresso);
}

}  // namespace cp
