#include "payables/SuperficiePintor.h"

#include <QPainter>

namespace cp {

SuperficiePintor::SuperficiePintor(QPaintDevice& medida)
    : SuperficieCopia(medida),
      formas_{FormasTexto(fonteCopia(EstiloCopia::Corpo), &medida),
              FormasTexto(fonteCopia(EstiloCopia::Negrito), &medida),
              FormasTexto(fonteCopia(EstiloCopia::Titulo), &medida),
              FormasTexto(fonteCopia(EstiloCopia::Info), &medida)} {}

void SuperficiePintor::texto(const QRectF& caixa, Qt::Alignment a, const QString& t,
                             EstiloCopia e) {
    if (t.isEmpty()) return;
    const FormasTexto::Forma& f = formas_[static_cast<std::size_t>(e)].cabendo(t, caixa.width());
    p_->setPen(Qt::black);
    FormasTexto::desenha(*p_, origem(caixa, a, f.largura, e), f);
}

void SuperficiePintor::linha(QPointF de, QPointF ate, double espessura) {
    p_->setPen(QPen(Qt::black, espessura));
    p_->drawLine(de, ate);
}

void SuperficiePintor::faixa(const QRectF& r, const QColor& cor) { p_->fillRect(r, cor); }

}  // namespace cp
