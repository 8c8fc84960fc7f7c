// Where a page of a paper or PDF copy is painted: texts in the copies' four
// styles, each within its box and cut with "…" when it does not fit, rules
// and grey bands. The layout of a copy is the same whatever paints it; the
// screen's and the printer's painter is one surface, the PDF file's writer
// another.
//
// Coordinates are device pixels of the page's printable area, from its top
// left, at the resolution of the device the copy was measured on.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>

class QPaintDevice;

namespace cp {

enum class EstiloCopia : int { Corpo, Negrito, Titulo, Info };

// The copies' fonts: the body in 8 points, plain and bold; the title in 14
// points bold; the head's and foot's lines in 9 points.
QFont fonteCopia(EstiloCopia e);

class SuperficieCopia {
  public:
    virtual ~SuperficieCopia();

    // `t` in style `e` within `caixa`: aligned left, right or centred,
    // centred vertically, cut with "…" when wider than the box.
    virtual void texto(const QRectF& caixa, Qt::Alignment a, const QString& t, EstiloCopia e) = 0;
    virtual void linha(QPointF de, QPointF ate, double espessura) = 0;
    virtual void faixa(const QRectF& r, const QColor& cor) = 0;

  protected:
    explicit SuperficieCopia(QPaintDevice& medida);
    // Where a text `largura` wide begins its baseline in `caixa`.
    QPointF origem(const QRectF& caixa, Qt::Alignment a, double largura, EstiloCopia e) const;

  private:
    std::array<QFontMetricsF, 4> metricas_;  // of each style, on the device measured on
};

}  // namespace cp
