#include "payables/PdfLista.h"

#include <hpdf.h>

#include <QIODevice>
#include <QPageLayout>
#include <QPaintDevice>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/Cp1252.h"
#include "payables/ImpressaoLista.h"
#include "payables/RelatorioLista.h"
#include "payables/SuperficieCopia.h"

namespace cp {

namespace {

// The layout's device pixels per inch, a printer's.
constexpr int kResolucao = 1200;
constexpr unsigned char kReticencias = 0x85;  // "…" in Windows-1252 and WinAnsi

// A page that is only measured: its size and resolution, for the fonts'
// line metrics and the copy's layout.
class MedidaPagina final : public QPaintDevice {
  public:
    explicit MedidaPagina(const QPageLayout& layout)
        : tamanho_(layout.paintRectPixels(kResolucao).size()),
          mm_(layout.paintRect(QPageLayout::Millimeter).size()) {}
    QPaintEngine* paintEngine() const override { return nullptr; }

  protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return tamanho_.width();
            case PdmHeight:
                return tamanho_.height();
            case PdmWidthMM:
                return qRound(mm_.width());
            case PdmHeightMM:
                return qRound(mm_.height());
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return kResolucao;
            case PdmNumColors:
                return 256;
            case PdmDepth:
                return 8;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

  private:
    QSize tamanho_;
    QSizeF mm_;
};

// The suite's texts are Windows-1252 already; a character it cannot hold
// (none comes from the database) is printed as "?".
std::string winAnsi(const QString& t) {
    if (auto b = toCp1252(t)) return std::move(*b);
    std::string out;
    for (QChar c : t) out.push_back(toCp1252(QString(c)).value_or("?").front());
    return out;
}

// One libharu document, freed on every path. libharu reports its errors to
// a handler; the first one is kept and turned into an exception by confere().
class Documento {
  public:
    Documento() : doc_(HPDF_New(&Documento::falha, this)) {
        if (!doc_) throw std::runtime_error("Não houve memória para gerar o PDF da lista.");
    }
    ~Documento() { HPDF_Free(doc_); }
    Documento(const Documento&) = delete;
    Documento& operator=(const Documento&) = delete;

    HPDF_Doc doc() const { return doc_; }

    void confere() const {
        if (erro_ == 0) return;
        throw std::runtime_error(
            QStringLiteral("O PDF da lista não pôde ser gerado (erro %1/%2 do gerador de PDF).")
                .arg(QString::number(erro_, 16).toUpper(), QString::number(detalhe_))
                .toStdString());
    }

  private:
    static void HPDF_STDCALL falha(HPDF_STATUS erro, HPDF_STATUS detalhe, void* dados) {
        auto* self = static_cast<Documento*>(dados);
        // The end of the finished file, read back, is not a failure.
        if (erro == HPDF_STREAM_EOF || self->erro_ != 0) return;
        self->erro_ = erro;
        self->detalhe_ = detalhe;
    }

    HPDF_Doc doc_;
    HPDF_STATUS erro_ = 0, detalhe_ = 0;
};

// The copy's surface on libharu's pages. Texts are written one operation a
// cell, measured on the standard fonts' own widths (no shaping: these fonts
// have neither ligatures nor kerning here).
class SuperficiePdf final : public SuperficieCopia {
  public:
    SuperficiePdf(Documento& d, MedidaPagina& medida, const QPageLayout& layout)
        : SuperficieCopia(medida), d_(d) {
        const QRectF folha = layout.fullRectPoints();
        const QRectF area = layout.paintRect(QPageLayout::Point);
        larguraFolha_ = static_cast<HPDF_REAL>(folha.width());
        alturaFolha_ = static_cast<HPDF_REAL>(folha.height());
        esquerda_ = area.left();
        topo_ = folha.height() - area.top();
        fontes_[0] = HPDF_GetFont(d.doc(), "Helvetica", "WinAnsiEncoding");
        fontes_[1] = HPDF_GetFont(d.doc(), "Helvetica-Bold", "WinAnsiEncoding");
        d.confere();
        for (int f = 0; f < 2; ++f)
            for (int b = 0; b < 256; ++b) {
                const HPDF_BYTE c = static_cast<HPDF_BYTE>(b);
                larguras_[f][b] = HPDF_Font_TextWidth(fontes_[f], &c, 1).width;
            }
        for (int e = 0; e < 4; ++e) {
            const QFont f = fonteCopia(static_cast<EstiloCopia>(e));
            estilos_[e] = {f.bold() ? 1 : 0, static_cast<HPDF_REAL>(f.pointSizeF())};
        }
    }

    void novaPagina() {
        if (pagina_) fechaTexto();
        pagina_ = HPDF_AddPage(d_.doc());
        d_.confere();
        HPDF_Page_SetWidth(pagina_, larguraFolha_);
        HPDF_Page_SetHeight(pagina_, alturaFolha_);
        emTexto_ = false;
        fonte_ = -1;
        tamanho_ = 0;
    }

    void fimDaPagina() {
        fechaTexto();
        d_.confere();
    }

    void texto(const QRectF& caixa, Qt::Alignment a, const QString& t, EstiloCopia e) override {
        if (t.isEmpty()) return;
        const Estilo& s = estilos_[static_cast<int>(e)];
        std::string b = winAnsi(t);
        const double largura = medeCorta(b, s, caixa.width() * kPonto);
        if (b.empty()) return;
        const QPointF o = origem(caixa, a, largura / kPonto, e);
        abreTexto();
        if (fonte_ != s.fonte || tamanho_ != s.tamanho) {
            HPDF_Page_SetFontAndSize(pagina_, fontes_[s.fonte], s.tamanho);
            fonte_ = s.fonte;
            tamanho_ = s.tamanho;
        }
        HPDF_Page_TextOut(pagina_, x(o.x()), y(o.y()), b.c_str());
    }

    void linha(QPointF de, QPointF ate, double espessura) override {
        fechaTexto();
        HPDF_Page_SetLineWidth(pagina_, static_cast<HPDF_REAL>(espessura * kPonto));
        HPDF_Page_MoveTo(pagina_, x(de.x()), y(de.y()));
        HPDF_Page_LineTo(pagina_, x(ate.x()), y(ate.y()));
        HPDF_Page_Stroke(pagina_);
    }

    void faixa(const QRectF& r, const QColor& cor) override {
        fechaTexto();
        HPDF_Page_SetRGBFill(pagina_, static_cast<HPDF_REAL>(cor.redF()),
                             static_cast<HPDF_REAL>(cor.greenF()),
                             static_cast<HPDF_REAL>(cor.blueF()));
        HPDF_Page_Rectangle(pagina_, x(r.left()), y(r.bottom()),
                            static_cast<HPDF_REAL>(r.width() * kPonto),
                            static_cast<HPDF_REAL>(r.height() * kPonto));
        HPDF_Page_Fill(pagina_);
        HPDF_Page_SetGrayFill(pagina_, 0);  // texts are painted with the fill colour
    }

  private:
    // Points per device pixel of the layout.
    static constexpr double kPonto = 72.0 / kResolucao;

    struct Estilo {
        int fonte = 0;  // 0 plain, 1 bold
        HPDF_REAL tamanho = 8;
    };

    HPDF_REAL x(double px) const { return static_cast<HPDF_REAL>(esquerda_ + px * kPonto); }
    HPDF_REAL y(double px) const { return static_cast<HPDF_REAL>(topo_ - px * kPonto); }

    // The width of `b` in points; cut with "…" to fit in `caixa` points.
    double medeCorta(std::string& b, const Estilo& s, double caixa) const {
        const auto& w = larguras_[s.fonte];
        const double escala = s.tamanho / 1000.0;
        double total = 0;
        for (unsigned char c : b) total += w[c];
        if (total * escala <= caixa) return total * escala;
        const double limite = caixa / escala - w[kReticencias];
        if (limite < 0) {  // not even "…" fits
            b.clear();
            return 0;
        }
        double soma = 0;
        std::size_t cabe = 0;
        while (cabe < b.size() && soma + w[static_cast<unsigned char>(b[cabe])] <= limite)
            soma += w[static_cast<unsigned char>(b[cabe++])];
        b.resize(cabe);
        b.push_back(static_cast<char>(kReticencias));
        return (soma + w[kReticencias]) * escala;
    }

    void abreTexto() {
        if (emTexto_) return;
        HPDF_Page_BeginText(pagina_);
        emTexto_ = true;
    }
    void fechaTexto() {
        if (!emTexto_) return;
        HPDF_Page_EndText(pagina_);
        emTexto_ = false;
    }

    Documento& d_;
    HPDF_Page pagina_ = nullptr;
    std::array<HPDF_Font, 2> fontes_{};
    std::array<std::array<double, 256>, 2> larguras_{};  // thousandths of the font size
    std::array<Estilo, 4> estilos_{};
    HPDF_REAL larguraFolha_ = 0, alturaFolha_ = 0;  // the sheet, in points
    double esquerda_ = 0, topo_ = 0;
    bool emTexto_ = false;
    int fonte_ = -1;
    HPDF_REAL tamanho_ = 0;
};

}  // namespace

bool escrevePdfLista(QIODevice& saida, const RelatorioLista& r, Progresso& progresso) {
    const QPageLayout layout = paginaDaCopia();
    MedidaPagina medida(layout);
    CopiaLista copia(r, medida);

    Documento d;
    HPDF_SetCompressionMode(d.doc(), HPDF_COMP_ALL);
    HPDF_SetInfoAttr(d.doc(), HPDF_INFO_TITLE, winAnsi(r.titulo).c_str());
    HPDF_SetInfoAttr(d.doc(), HPDF_INFO_CREATOR, "Contas a Pagar");
    d.confere();
    SuperficiePdf s(d, medida, layout);
    // Compressing the pages when the file is made takes about a third of
    // the time: half as much again as the pages.
    const bool inteira = percorrePaginas(
        copia, progresso,
        [&](int pg) {
            s.novaPagina();
            copia.desenhaPagina(s, pg);
            s.fimDaPagina();
        },
        copia.linhas() / 2);
    if (!inteira) return false;

    if (HPDF_SaveToStream(d.doc()) != HPDF_OK) d.confere();
    d.confere();
    std::vector<HPDF_BYTE> bloco(1 << 16);
    for (;;) {
        HPDF_UINT32 n = static_cast<HPDF_UINT32>(bloco.size());
        const HPDF_STATUS st = HPDF_ReadFromStream(d.doc(), bloco.data(), &n);
        if (n > 0 && saida.write(reinterpret_cast<const char*>(bloco.data()), n) != n)
            throw std::runtime_error(
                QStringLiteral("O arquivo não pôde ser gravado: %1").arg(saida.errorString())
                    .toStdString());
        if (st == HPDF_STREAM_EOF) break;
        d.confere();
        if (st != HPDF_OK || n == 0) break;
    }
    progresso.feito = progresso.total.load();
    if (progresso.aCadaPasso) progresso.aCadaPasso();
    return true;
}

}  // namespace cp
