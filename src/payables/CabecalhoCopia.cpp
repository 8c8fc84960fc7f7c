#include "payables/CabecalhoCopia.h"

#include <QFontMetricsF>

#include "payables/RelatorioLista.h"
#include "payables/SuperficieCopia.h"

namespace cp {

QString linhaAreaOperador(const QString& area, const QString& operador) {
    return QStringLiteral("Área de trabalho: %1    Operador: %2").arg(area, operador);
}

PaginaCopia::PaginaCopia(QPaintDevice& medida, double largura, double altura, double ponto)
    : largura_(largura), altura_(altura), ponto_(ponto) {
    linhaInfo_ = QFontMetricsF(fonteCopia(EstiloCopia::Info), &medida).height() * 1.3;
    linhaTitulo_ = QFontMetricsF(fonteCopia(EstiloCopia::Titulo), &medida).height() * 1.2;
}

double PaginaCopia::cabecalho(SuperficieCopia& s, const CabecalhoCopia& c) const {
    constexpr Qt::Alignment kEsquerda = Qt::AlignLeft | Qt::AlignVCenter;
    constexpr Qt::Alignment kDireita = Qt::AlignRight | Qt::AlignVCenter;
    const QRectF topo(0, 0, largura_, linhaTitulo_);
    s.texto(topo, kEsquerda, c.titulo, EstiloCopia::Titulo);
    s.texto(topo, kDireita,
            QStringLiteral("Emitido em %1 às %2")
                .arg(dataCompleta(c.emitidoEm.date()),
                     c.emitidoEm.time().toString(QStringLiteral("HH:mm"))),
            EstiloCopia::Info);
    double y = linhaTitulo_;
    s.texto(QRectF(0, y, largura_, linhaInfo_), kEsquerda, c.linha1, EstiloCopia::Info);
    y += linhaInfo_;
    s.texto(QRectF(0, y, largura_, linhaInfo_), kEsquerda, c.linha2, EstiloCopia::Info);
    y += linhaInfo_ + 2 * ponto_;
    s.linha(QPointF(0, y), QPointF(largura_, y), 0.8 * ponto_);
    return y + 2 * ponto_;
}

void PaginaCopia::rodape(SuperficieCopia& s, int pagina, int paginas) const {
    const double y = altura_ - linhaInfo_;
    s.linha(QPointF(0, y - 2 * ponto_), QPointF(largura_, y - 2 * ponto_), 0.4 * ponto_);
    const QRectF pe(0, y, largura_, linhaInfo_);
    s.texto(pe, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("BRUNDELO - Financeiro"),
            EstiloCopia::Info);
    s.texto(pe, Qt::AlignRight | Qt::AlignVCenter,
            QStringLiteral("página %1 de %2").arg(pagina).arg(paginas), EstiloCopia::Info);
}

}  // namespace cp
