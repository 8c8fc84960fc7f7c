// Texts of one font laid out once and drawn as often as they recur: a
// supplier's name repeated on thousands of rows of a copy is shaped a single
// time, and a cell is drawn with the very layout its width was measured on.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QString>
#include <unordered_map>

class QPainter;
class QPaintDevice;

namespace cp {

class FormasTexto {
  public:
    struct Forma {
        QList<QGlyphRun> glifos;  // placed on a baseline at y = 0
        double largura = 0;
    };

    // Lays texts out in `fonte` at the resolution of `device`.
    FormasTexto(const QFont& fonte, QPaintDevice* device);

    // `t` as it fits in `caixa` device pixels: whole, or cut with "…". The
    // reference holds until the next call.
    const Forma& cabendo(const QString& t, double caixa);

    // Draws `f` with the start of its baseline at `base`.
    static void desenha(QPainter& p, QPointF base, const Forma& f);

  private:
    Forma compoe(const QString& t) const;

    QFont fonte_;
    QPaintDevice* device_;
    QFontMetricsF medida_;
    std::unordered_map<QString, Forma> inteiras_;
    std::unordered_map<QString, Forma> cortadas_;  // by text and box, for the few that overflow
};

}  // namespace cp
