#include "payables/SuperficieCopia.h"

namespace cp {

QFont fonteCopia(EstiloCopia e) {
    QFont f(QStringLiteral("Arial"));
    switch (e) {
        case EstiloCopia::Corpo:
            f.setPointSizeF(8);
            break;
        case EstiloCopia::Negrito:
            f.setPointSizeF(8);
            f.setBold(true);
            break;
        case EstiloCopia::Titulo:
            f.setPointSizeF(14);
            f.setBold(true);
            break;
        case EstiloCopia::Info:
            f.setPointSizeF(9);
            break;
    }
    return f;
}

SuperficieCopia::SuperficieCopia(QPaintDevice& medida)
    : metricas_{QFontMetricsF(fonteCopia(EstiloCopia::Corpo), &medida),
                QFontMetricsF(fonteCopia(EstiloCopia::Negrito), &medida),
                QFontMetricsF(fonteCopia(EstiloCopia::Titulo), &medida),
                QFontMetricsF(fonteCopia(EstiloCopia::Info), &medida)} {}

SuperficieCopia::~SuperficieCopia() = default;

QPointF SuperficieCopia::origem(const QRectF& caixa, Qt::Alignment a, double largura,
                                EstiloCopia e) const {
    double x = caixa.left();
    if (a & Qt::AlignRight)
        x = caixa.right() - largura;
    else if (a & Qt::AlignHCenter)
        x = caixa.left() + (caixa.width() - largura) / 2;
    const QFontMetricsF& fm = metricas_[static_cast<std::size_t>(e)];
    return {x, caixa.top() + (caixa.height() - fm.height()) / 2 + fm.ascent()};
}

}  // namespace cp
