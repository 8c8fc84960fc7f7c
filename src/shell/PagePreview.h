// A print preview that paints only the pages it shows: a copy of a hundred
// thousand rows opens at once and holds a handful of page images, not every
// page recorded. Pages stand one under another on a grey ground, at a zoom
// the operator sets (fit to the width, the whole page, larger, smaller); the
// keyboard pages through them (Page Up / Page Down, Ctrl+Home / Ctrl+End),
// "Imprimir..." (Ctrl+P) asks for the printer and Esc closes. Pages are
// shown in grey levels, as the program's copies are printed.
#pragma once

#include <QDialog>
#include <QSizeF>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QSpinBox;

namespace cp {

class PagePreview : public QDialog {
    Q_OBJECT
  public:
    struct Pages {
        int count = 1;
        QSizeF size;                                // a page in the device's pixels
        double dpiX = 72;                           // the device's resolution: a page is painted
        double dpiY = 72;                           // with fonts measured as on the device
        std::function<void(QPainter&, int)> paint;  // page n, from 0, in device pixels
    };

    PagePreview(Pages pages, QWidget* parent);
    ~PagePreview() override;

    QAction* Imprimir = nullptr;  // "Imprimir..."  Ctrl+P

    int pageCount() const;
    int currentPage() const;  // from 0: the page at the top of the view
    void goToPage(int page);
    double zoom() const;  // screen pixels per device pixel
    void setZoom(double zoom);
    void fitWidth();
    void fitPage();
    // Pages painted since the preview opened (each painted page is kept
    // only while it may be shown again).
    int paintedPages() const;

  signals:
    void printRequested();

  private:
    class Sheets;
    void pageShown(int page);
    Sheets* sheets_ = nullptr;
    QSpinBox* pagina_ = nullptr;
    QLabel* total_ = nullptr;
};

}  // namespace cp
