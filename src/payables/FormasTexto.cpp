#include "payables/FormasTexto.h"

#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace cp {

namespace {

// Past this many distinct texts the forms are laid out afresh: a column of
// numbers that never repeat would otherwise keep every one of them.
constexpr std::size_t kLimite = 20000;

}  // namespace

FormasTexto::FormasTexto(const QFont& fonte, QPaintDevice* device)
    : fonte_(fonte), device_(device), medida_(fonte, device) {}

FormasTexto::Forma FormasTexto::compoe(const QString& t) const {
    QTextLayout layout(t, fonte_, device_);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    QTextLine linha = layout.createLine();
    Forma f;
    if (linha.isValid()) {
        linha.setNumColumns(t.size() + 1);  // one line, never broken
        linha.setPosition(QPointF(0, -linha.ascent()));
        f.largura = linha.naturalTextWidth();
    }
    layout.endLayout();
    f.glifos = layout.glyphRuns();
    // Glyphs on whole device pixels: at a printer's resolution the
    // difference cannot be seen, and a PDF page says each position in a few
    // digits instead of seven decimals.
    for (QGlyphRun& g : f.glifos) {
        QList<QPointF> p = g.positions();
        for (QPointF& q : p) q = QPointF(std::round(q.x()), std::round(q.y()));
        g.setPositions(p);
    }
    return f;
}

const FormasTexto::Forma& FormasTexto::cabendo(const QString& t, double caixa) {
    if (inteiras_.size() >= kLimite) inteiras_.clear();
    auto it = inteiras_.find(t);
    if (it == inteiras_.end()) it = inteiras_.emplace(t, compoe(t)).first;
    if (it->second.largura <= caixa) return it->second;

    if (cortadas_.size() >= kLimite) cortadas_.clear();
    const QString chave = t + QChar(0) + QString::number(qRound(caixa * 16));
    auto c = cortadas_.find(chave);
    if (c == cortadas_.end())
        c = cortadas_.emplace(chave, compoe(medida_.elidedText(t, Qt::ElideRight, caixa))).first;
    return c->second;
}

void FormasTexto::desenha(QPainter& p, QPointF base, const Forma& f) {
    base = QPointF(std::round(base.x()), std::round(base.y()));
    for (const QGlyphRun& g : f.glifos) p.drawGlyphRun(base, g);
}

}  // namespace cp
