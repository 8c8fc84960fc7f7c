// The due list on paper: the pages the printer, the print preview and the
// PDF file receive. Each page has the list's title, period and view, the
// work area, the operator and when the copy was made at its head, and
// "página N de M" at its foot. The rows follow in the list's order, each
// due date closed by its subtotal (to pay and paid); then the subtotals per
// supplier and the two totals exactly as the list shows them.
//
// The layout is made once for a page size and resolution and painted on a
// surface (SuperficieCopia): Qt's painter for the printer and the preview,
// the PDF writer (PdfLista) for the file. Neither touches a widget, so a PDF
// or a printer copy may be painted off the window's thread.
#pragma once

#include <QSizeF>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPageLayout;
class QPaintDevice;
class QPainter;

namespace cp {

struct Progresso;
struct RelatorioLista;
class SuperficieCopia;
class SuperficiePintor;

// A4 landscape with 10 mm margins, the page the copy is laid out for.
QPageLayout paginaDaCopia();
// Gives `device` that page.
void preparaPagina(QPagedPaintDevice& device);

// The copy laid out for a page size and resolution, painted a page at a
// time: the preview paints only the pages it shows.
class CopiaLista {
  public:
    // Lays `r` out on pages of `pagina` (its size and resolution); `r` must
    // outlive the copy.
    CopiaLista(const RelatorioLista& r, QPaintDevice& pagina);
    ~CopiaLista();
    CopiaLista(const CopiaLista&) = delete;
    CopiaLista& operator=(const CopiaLista&) = delete;

    int paginas() const;
    // The copy's lines, and how many of them pages 0 to `pagina` hold.
    int linhas() const;
    int linhasAte(int pagina) const;
    // The page in device pixels.
    QSizeF tamanho() const;

    // Paints page `pagina` (from 0) with `p`, whose device has the page's
    // resolution; the painter's transform places and scales the page.
    void desenhaPagina(QPainter& p, int pagina);
    // Paints page `pagina` on a surface measured at the page's resolution.
    void desenhaPagina(SuperficieCopia& s, int pagina);

  private:
    class Desenho;
    std::unique_ptr<Desenho> d_;
    QPaintDevice& medida_;
    std::unique_ptr<SuperficiePintor> pintor_;  // texts laid out once for every page painted
};

// Calls `pagina` for each page of `copia` in turn (from 0), reporting the
// lines done to `progresso` after each; false when cancelled through it.
// `depois`: the work that remains once the pages are painted, in lines, so
// that the progress is not full before the copy is.
bool percorrePaginas(const CopiaLista& copia, Progresso& progresso,
                     const std::function<void(int)>& pagina, int depois = 0);

// Paints the whole copy on `device` (a new page per page). False when
// cancelled through `progresso`; throws std::runtime_error when the device
// cannot be painted on (a file that cannot be written).
bool desenhaRelatorio(QPagedPaintDevice& device, const RelatorioLista& r, Progresso& progresso);

}  // namespace cp
