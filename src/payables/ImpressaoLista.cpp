#include "payables/ImpressaoLista.h"

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
#include "payables/SuperficiePintor.h"
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

}  // namespace

class CopiaLista::Desenho {
  public:
    Desenho(const RelatorioLista& r, QPaintDevice& medida)
        : r_(r),
          porDia_(subtotaisPorVencimento(r.linhas)),
          ponto_(medida.logicalDpiY() / 72.0),
          largura_(medida.width()),
          altura_(medida.height()),
          pagina_(medida, largura_, altura_, ponto_) {
        if (!r.linhas.empty()) porFornecedor_ = subtotaisPorFornecedor(r.linhas);
        montaEntradas();
        linha_ = QFontMetricsF(fonteCopia(EstiloCopia::Corpo), &medida).height() * 1.3;
        // The body begins under the shared head, its column titles first.
        topoCorpo_ = pagina_.topoCorpo() + linha_ + pt(2);
        porPagina_ =
            std::max(1, static_cast<int>((altura_ - topoCorpo_ - pagina_.alturaRodape()) / linha_));
        posicoes(kColunas, kNumColunas, 1.0, colunas_);
        posicoes(kColunasFornecedor, kNumColunasFornecedor, 0.62, colunasFornecedor_);
    }

    int entradas() const { return static_cast<int>(entradas_.size()); }
    int paginas() const { return std::max(1, (entradas() + porPagina_ - 1) / porPagina_); }
    int entradasAte(int pg) const { return std::min(entradas(), (pg + 1) * porPagina_); }
    QSizeF tamanho() const { return {largura_, altura_}; }

    void pagina(SuperficieCopia& s, int pg) {
        s_ = &s;
        const int de = pg * porPagina_, ate = entradasAte(pg);
        cabecalho(de < ate ? entradas_[static_cast<std::size_t>(de)].tipo : Item::SemLinhas);
        for (int i = de; i < ate; ++i)
            entrada(entradas_[static_cast<std::size_t>(i)], topoCorpo_ + (i - de) * linha_);
        pagina_.rodape(s, pg + 1, paginas());
        s_ = nullptr;
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

    double pt(double pontos) const { return pontos * ponto_; }

    // Left edges of the columns (and the right edge last) over `fracao` of
    // the page width.
    void posicoes(const Coluna* c, int n, double fracao, std::vector<double>& x) const {
        double soma = 0;
        for (int i = 0; i < n; ++i) soma += c[i].peso;
        x.assign(1, 0.0);
        for (int i = 0; i < n; ++i) x.push_back(x.back() + c[i].peso / soma * largura_ * fracao);
    }

    // One cell: the text within [x0, x1] on the line at y, cut with "…" when
    // it does not fit.
    void texto(double x0, double x1, double y, Qt::Alignment a, const QString& t,
               bool negrito = false) {
        const double folga = pt(2);
        s_->texto(QRectF(x0 + folga, y, x1 - x0 - 2 * folga, linha_), a, t,
                  negrito ? EstiloCopia::Negrito : EstiloCopia::Corpo);
    }

    void cabecalho(Item primeira) {
        double y = pagina_.cabecalho(*s_, {r_.titulo, r_.emitidoEm,
                                         QStringLiteral("Período: %1 a %2    Exibição: %3")
                                             .arg(dataCompleta(r_.inicio), dataCompleta(r_.fim),
                                                  textoExibicao(r_.apenasAPagar)),
                                         linhaAreaOperador(r_.areaTrabalho, r_.operador)});

        const bool lista =
            primeira == Item::Linha || primeira == Item::SubtotalDia || primeira == Item::SemLinhas;
        const bool fornecedores = primeira == Item::Fornecedor;
        if (!lista && !fornecedores) return;
        const auto& x = lista ? colunas_ : colunasFornecedor_;
        const Coluna* c = lista ? kColunas : kColunasFornecedor;
        const int n = lista ? kNumColunas : kNumColunasFornecedor;
        for (int i = 0; i < n; ++i)
            texto(x[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(i) + 1], y,
                  c[i].alinhamento, QString::fromUtf16(c[i].titulo), true);
        s_->linha(QPointF(0, y + linha_), QPointF(x.back(), y + linha_), pt(0.4));
    }

    double x(int col) const { return colunas_[static_cast<std::size_t>(col)]; }

    void entrada(const Entrada& e, double y) {
        switch (e.tipo) {
            case Item::Linha: {
                const LinhaLista& l = r_.linhas[static_cast<std::size_t>(e.indice)];
                const QString v[kNumColunas] = {
                    dataCompleta(l.vencimento),      fromCp1252(l.descricao()),
                    fromCp1252(l.fornecedor()),        fromCp1252(l.notaFiscal()),
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
                s_->faixa(QRectF(0, y, colunas_.back(), linha_), QColor(0xEE, 0xEE, 0xEE));
                texto(x(1), x(kColParc), y, kE,
                      QStringLiteral("Subtotal de %1 (%2)")
                          .arg(dataCompleta(s.vencimento), parcelas(s.parcelas)),
                      true);
                texto(x(kColParc - 1), x(kColValor + 1), y, kD,
                      QStringLiteral("A pagar: ") + valorImpresso(s.aPagar), true);
                texto(x(kColPagoEm), x(kColPago + 1), y, kD,
                      QStringLiteral("Pago: ") + valorImpresso(s.pago), true);
                break;
            }
            case Item::SemLinhas:
                texto(0, largura_, y, kE, QStringLiteral("Nenhuma parcela nesta lista."));
                break;
            case Item::Branco:
                break;
            case Item::TituloFornecedores:
                texto(0, largura_, y, kE, QStringLiteral("Subtotais por fornecedor"), true);
                break;
            case Item::CabecalhoFornecedores: {
                const auto& xf = colunasFornecedor_;
                for (int i = 0; i < kNumColunasFornecedor; ++i)
                    texto(xf[static_cast<std::size_t>(i)], xf[static_cast<std::size_t>(i) + 1], y,
                          kColunasFornecedor[i].alinhamento,
                          QString::fromUtf16(kColunasFornecedor[i].titulo), true);
                s_->linha(QPointF(0, y + linha_), QPointF(xf.back(), y + linha_), pt(0.4));
                break;
            }
            case Item::Fornecedor: {
                const Subtotal& s = porFornecedor_[static_cast<std::size_t>(e.indice)];
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
                texto(0, largura_, y, kE,
                      QStringLiteral("Total a pagar: ") + textoTotal(r_.totalAPagar), true);
                break;
            case Item::TotalPago:
                texto(0, largura_, y, kE, QStringLiteral("Total pago: ") + textoTotal(r_.totalPago),
                      true);
                break;
        }
    }

    const RelatorioLista& r_;
    std::vector<Subtotal> porDia_;
    std::vector<Subtotal> porFornecedor_;
    std::vector<Entrada> entradas_;

    double ponto_;
    double largura_, altura_;
    PaginaCopia pagina_;
    SuperficieCopia* s_ = nullptr;
    double linha_ = 0;
    double topoCorpo_ = 0;
    int porPagina_ = 1;
    std::vector<double> colunas_, colunasFornecedor_;
};

CopiaLista::CopiaLista(const RelatorioLista& r, QPaintDevice& pagina)
    : d_(std::make_unique<Desenho>(r, pagina)), medida_(pagina) {}

CopiaLista::~CopiaLista() = default;

int CopiaLista::paginas() const { return d_->paginas(); }
int CopiaLista::linhas() const { return d_->entradas(); }
int CopiaLista::linhasAte(int pagina) const { return d_->entradasAte(pagina); }
QSizeF CopiaLista::tamanho() const { return d_->tamanho(); }
void CopiaLista::desenhaPagina(SuperficieCopia& s, int pagina) { d_->pagina(s, pagina); }

void CopiaLista::desenhaPagina(QPainter& p, int pagina) {
    if (!pintor_) pintor_ = std::make_unique<SuperficiePintor>(medida_);
    pintor_->pinta(&p);
    d_->pagina(*pintor_, pagina);
    pintor_->pinta(nullptr);
}

bool percorrePaginas(const CopiaLista& copia, Progresso& progresso,
                     const std::function<void(int)>& pagina, int depois) {
    const int paginas = copia.paginas();
    progresso.total = copia.linhas() + depois;
    for (int pg = 0; pg < paginas; ++pg) {
        if (progresso.cancelado) return false;
        pagina(pg);
        progresso.feito = copia.linhasAte(pg);
        if (progresso.aCadaPasso) progresso.aCadaPasso();
    }
    return true;
}

QPageLayout paginaDaCopia() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

void preparaPagina(QPagedPaintDevice& device) { device.setPageLayout(paginaDaCopia()); }

bool desenhaRelatorio(QPagedPaintDevice& device, const RelatorioLista& r, Progresso& progresso) {
    CopiaLista copia(r, device);
    QPainter p;
    if (!p.begin(&device))
        throw std::runtime_error("O arquivo ou a impressora não aceitou a cópia da lista.");
    const bool inteira = percorrePaginas(copia, progresso, [&](int pg) {
        if (pg > 0 && !device.newPage())
            throw std::runtime_error("O arquivo ou a impressora não aceitou uma nova página.");
        copia.desenhaPagina(p, pg);
    });
    if (!inteira) {
        // A printer drops the job instead of printing what was painted.
        if (auto* impressora = dynamic_cast<QPrinter*>(&device)) impressora->abort();
        p.end();
        return false;
    }
    if (!p.end()) throw std::runtime_error("A cópia da lista não pôde ser concluída.");
    return true;
}

}  // namespace cp
