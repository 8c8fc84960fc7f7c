#include "payables/CabecalhoCopia.h"

#include <QFontMetricsF>
#include <QPainter>

#include "payables/RelatorioLista.h"

namespace cp {

QString linhaAreaOperador(const QString& area, const QString& operador) {
    return QStringLiteral("Área de trabalho: %1    Operador: %2").arg(area, operador);
}

PaginaCopia::PaginaCopia(QPaintDevice& medida, double largura, double altura, double ponto)
    : largura_(largura), altura_(altura), ponto_(ponto) {
    info_ = QFont(QStringLiteral("Arial"));
    info_.setPointSizeF(9);
    titulo_ = info_;
    titulo_.setPointSizeF(14);
    titulo_.setBold(true);
    linhaInfo_ = QFontMetricsF(info_, &medida).height() * 1.3;
    linhaTitulo_ = QFontMetricsF(titulo_, &medida).height() * 1.2;
}

double PaginaCopia::cabecalho(QPainter& p, const CabecalhoCopia& c) const {
    p.setPen(Qt::black);
    p.setFont(titulo_);
    p.drawText(QRectF(0, 0, largura_, linhaTitulo_), Qt::AlignLeft | Qt::AlignVCenter, c.titulo);
    p.setFont(info_);
    p.drawText(QRectF(0, 0, largura_, linhaTitulo_), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Emitido em %1 às %2")
                   .arg(dataCompleta(c.emitidoEm.date()),
                        c.emitidoEm.time().toString(QStringLiteral("HH:mm"))));
    double y = linhaTitulo_;
    p.drawText(QRectF(0, y, largura_, linhaInfo_), Qt::AlignLeft | Qt::AlignVCenter, c.linha1);
    y += linhaInfo_;
    p.drawText(QRectF(0, y, largura_, linhaInfo_), Qt::AlignLeft | Qt::AlignVCenter, c.linha2);
    y += linhaInfo_ + 2 * ponto_;
    p.setPen(QPen(Qt::black, 0.8 * ponto_));
    p.drawLine(QPointF(0, y), QPointF(largura_, y));
    return y + 2 * ponto_;
}

void PaginaCopia::rodape(QPainter& p, int pagina, int paginas) const {
    const double y = altura_ - linhaInfo_;
    p.setPen(QPen(Qt::black, 0.4 * ponto_));
    p.drawLine(QPointF(0, y - 2 * ponto_), QPointF(largura_, y - 2 * ponto_));
    p.setFont(info_);
    p.drawText(QRectF(0, y, largura_, linhaInfo_), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("BRUNDELO - Financeiro"));
    p.drawText(QRectF(0, y, largura_, linhaInfo_), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("página %1 de %2").arg(pagina).arg(paginas));
}

}  // namespace cp
