// The payables browser's list view: the grid of the installments due in the
// period with its pop-up menu of settlement commands, the period bar above
// it and the totals bar under it. Built inside the main window's account
// panel over the due list (Query2) and the period (Periodo) of the data
// modules; the main window drives it at start-up and when the details view
// opens and closes.
//
// Handlers, one file each: ListaContas.cpp (building, the list and its
// totals, the switch of view), ListaPeriodo.cpp (the period bar),
// ListaQuitacao.cpp (settling and cancelling a settlement).
#pragma once

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QString>
#include <cstdint>

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;

namespace cp {

class CobrancasDaLista;
class DBEdit;
class DBGrid;
class Environment;
class JanelaPrincipal;
class SaidaLista;
class VisaoLista;
class TDM;
class TDM2;
struct EstadoSessao;

// Captions of the view button and the period button.
inline const char* const kMostrarJaPagas = "Mostrar também as contas JÁ PAGAS";
inline const char* const kMostrarAPagar = "Mostrar apenas as contas A PAGAR";
inline const char* const kExpandirPeriodo = "<---   Expandir Período";
inline const char* const kFecharPeriodo = "<---   Fechar Período";
inline const char* const kAbrirPeriodo = "<---   Abrir Período";

class ListaContas : public QObject {
    Q_OBJECT
  public:
    // Builds the controls inside form.PainelVelmora; form.DM and form.DM2
    // must exist.
    explicit ListaContas(JanelaPrincipal& form);
    ~ListaContas() override;

    // ----- The list and its totals -----
    // Rebuilds the list statement from the period and the payment filter of
    // the session, re-reads the list, recomputes and shows both totals and
    // leaves the first row current.
    void MontaQuery2();
    // True when the list's last build read the statement that the session's
    // period and view give now.
    bool montadaComOPedido() const;
    // The view button: unpaid only <-> all installments of the period.
    void BitBtn2Click();
    double totalAPagar() const { return totalAPagar_; }
    double totalPago() const { return totalPago_; }

    // ----- The period bar -----
    // Copies the period row (posted or not) into the session, takes the
    // payment filter from the view button's caption and rebuilds the list.
    void CarregaPeriodo();
    void DBEdit5Enter();  // focus on a date edit: the period row goes into edit
    void DBEdit6Enter();
    // Enter in the start date: on to the end date and rebuild, not stored.
    // True when the key was taken.
    bool DBEdit5KeyPress(QKeyEvent& e);
    // Enter in the end date: store the period, rebuild, focus on the list.
    bool DBEdit6KeyPress(QKeyEvent& e);
    void Button1Click();  // Alt+P: focus on the start date
    // Widens the period to today-730 .. today+3650 and back.
    void BitBtn12Click();

    // ----- Settlement (the list's pop-up menu, F9 and Ctrl+F9) -----
    void Quitarestaconta1Click();  // paid on its due date, full amount
    void Cancelarquitao1Click();   // back to open: no payment date, no paid amount
    // True when the list's current row is settled: it has a payment date or
    // an amount paid.
    bool linhaQuitada() const;
    // F5: what was typed in the list is written, and the list is built again
    // from the period and the view in force (CarregaPeriodo).
    void AtualizaLista();

    // ----- Controls -----
    DBGrid* DBGrid5 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Quitarestaconta1 = nullptr;
    QAction* Cancelarquitao1 = nullptr;  // enabled only on a settled row
    QAction* Atualizar = nullptr;        // F5
    // Print preview, printing, PDF and spreadsheet copies of the list, at the
    // end of the pop-up menu.
    SaidaLista* Saida = nullptr;
    // The payment slips of the rows: copying one, the mark of the rows.
    CobrancasDaLista* Cobrancas = nullptr;
    // Overdue marks, search bar (Ctrl+F), sorting by a column title, the
    // layout that follows the window, and the forecast (Ctrl+G).
    VisaoLista* Visao = nullptr;

    QFrame* Panel10 = nullptr;
    QLabel* Label22 = nullptr;
    DBEdit* DBEdit5 = nullptr;
    QLabel* Label24 = nullptr;
    DBEdit* DBEdit6 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn12 = nullptr;
    QPushButton* Button1 = nullptr;

    QFrame* PainelTotais = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label27 = nullptr;
    QLabel* Label15 = nullptr;

  signals:
    // MontaQuery2 has rebuilt the list and its totals.
    void listaMontada();

  private:
    void montaGrade();
    void montaBarraPeriodo();
    void montaBarraTotais();
    void mostraTotais();
    void expandePeriodo();
    void fechaPeriodo();
    void periodoNaSessao();
    void depoisDaQuitacao();
    bool listaTemLinha(const QString& semLinha);

    JanelaPrincipal& form_;
    Environment& env_;
    EstadoSessao& sessao_;
    TDM& dm_;
    TDM2& dm2_;

    double totalAPagar_ = 0;
    double totalPago_ = 0;
    // The period as it stood when it was last widened (empty dates stay
    // empty). Kept as dates, so restoring it cannot misread a text.
    QDate periodoSalvoIni_;
    QDate periodoSalvoFim_;
};

}  // namespace cp
