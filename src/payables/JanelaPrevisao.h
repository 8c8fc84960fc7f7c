// "Previsão de pagamentos" (Ctrl+G on the due list): a window of its own
// over every unpaid installment of the payable accounts, whatever the
// list's period. A bar per week for the next twelve weeks after a first bar
// of what is late, in R$ (a click on a bar sets the list's period to that
// week, as if typed in the period bar); the table by age and the same per
// supplier for the largest twenty; a month calendar with each day's sum
// (late days in red), where a click lists that day's installments. It
// prints and saves as PDF with the head and foot of the list's copies. Esc
// closes it.
#pragma once

#include <QDialog>
#include <functional>

#include "logic/Previsao.h"

class QCalendarWidget;
class QLabel;
class QPagedPaintDevice;
class QPushButton;
class QTableWidget;
class QTabWidget;

class QChartView;
class QStackedBarSeries;

namespace cp {

class JanelaPrincipal;
class ListaContas;
struct CabecalhoCopia;

class JanelaPrevisao : public QDialog {
    Q_OBJECT
  public:
    JanelaPrevisao(ListaContas& lista, JanelaPrincipal& form);
    ~JanelaPrevisao() override;

    // Reads the forecast again and shows it.
    void atualiza();
    const Previsao& previsao() const { return previsao_; }

    // A click on bar `i` (0: what is late; 1-12: the weeks): the due list's
    // period becomes those days, stored as the period bar stores it.
    void barraClicada(int i);
    // A click on a day of the calendar (an invalid date: the installments
    // without a due date or without an amount).
    void diaClicado(const QDate& dia);

    // Writes the forecast as PDF to `caminho`; false (after a message) when
    // it could not be written.
    bool gravaPdf(const QString& caminho);
    void imprime();
    void salvaPdf();
    // Asks where to save the PDF; empty when given up. Tests replace it.
    std::function<QString(const QString& sugestao)> perguntaArquivo;

    QLabel* LabelResumo = nullptr;
    QTabWidget* Abas = nullptr;
    QChartView* Grafico = nullptr;
    QStackedBarSeries* Barras = nullptr;
    QTableWidget* TabelaIdade = nullptr;
    QTableWidget* TabelaFornecedores = nullptr;
    QCalendarWidget* Calendario = nullptr;
    QLabel* LabelDia = nullptr;
    QTableWidget* TabelaDia = nullptr;
    QPushButton* BotSemVencimento = nullptr;
    QPushButton* BotImprimir = nullptr;
    QPushButton* BotPdf = nullptr;
    QPushButton* BotFechar = nullptr;

  private:
    void montaGrafico();
    void mostraGrafico();
    void mostraIdade();
    void mostraFornecedores();
    CabecalhoCopia cabecalho() const;

    ListaContas& lista_;
    JanelaPrincipal& form_;
    Previsao previsao_;
};

// Paints the forecast on paged `device`: the head, the weeks as bars and as
// a table, the ages, the suppliers, and the foot on every page.
void desenhaPrevisao(QPagedPaintDevice& device, const Previsao& p, const CabecalhoCopia& c);

}  // namespace cp
