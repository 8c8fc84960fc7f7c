// A copy's surface on a QPainter: the printer, the print preview's page
// images and the forecast's copies. Each text is laid out once per style
// (FormasTexto) and drawn from that layout wherever it recurs.
#pragma once

#include <array>

#include "payables/FormasTexto.h"
#include "payables/SuperficieCopia.h"

class QPainter;

namespace cp {

class SuperficiePintor final : public SuperficieCopia {
  public:
    // Measures on `medida`; paints with the painter given to pinta(), whose
    // device has the same resolution.
    explicit SuperficiePintor(QPaintDevice& medida);

    void pinta(QPainter* p) { p_ = p; }

    void texto(const QRectF& caixa, Qt::Alignment a, const QString& t, EstiloCopia e) override;
    void linha(QPointF de, QPointF ate, double espessura) override;
    void faixa(const QRectF& r, const QColor& cor) override;

  private:
    std::array<FormasTexto, 4> formas_;
    QPainter* p_ = nullptr;
};

}  // namespace cp
