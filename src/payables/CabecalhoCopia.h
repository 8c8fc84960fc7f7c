// The head and foot of every paper and PDF copy this program makes (the due
// list's and the forecast's): the title, when it was made, two lines saying
// what it holds and for whom, a rule; and at the foot the suite's name and
// "página N de M".
#pragma once

#include <QDateTime>
#include <QString>

class QPaintDevice;

namespace cp {

class SuperficieCopia;

struct CabecalhoCopia {
    QString titulo;
    QDateTime emitidoEm;
    QString linha1;  // what the copy holds ("Período: ...    Exibição: ...")
    QString linha2;  // "Área de trabalho: ...    Operador: ..."
};

// "Área de trabalho: XX    Operador: NOME".
QString linhaAreaOperador(const QString& area, const QString& operador);

// Fonts and line heights of the head and foot on a device.
class PaginaCopia {
  public:
    // Measured on `medida` (the page's device, or one of its resolution);
    // `ponto`: device pixels per typographic point.
    PaginaCopia(QPaintDevice& medida, double largura, double altura, double ponto);

    // Paints the head; returns where the page's body begins.
    double cabecalho(SuperficieCopia& s, const CabecalhoCopia& c) const;
    void rodape(SuperficieCopia& s, int pagina, int paginas) const;
    // The height the foot takes at the bottom of the page.
    double alturaRodape() const { return linhaInfo_ + 4 * ponto_; }
    // Where the body begins, without painting.
    double topoCorpo() const { return linhaTitulo_ + 2 * linhaInfo_ + 4 * ponto_; }

  private:
    double largura_, altura_, ponto_;
    double linhaTitulo_ = 0, linhaInfo_ = 0;
};

}  // namespace cp
