// The search bar of the due list (Ctrl+F): above the grid, it narrows the
// rows shown to those whose supplier, description, invoice number or amount
// hold what is typed, says how many were found, and a line under the grid
// gives their sum; the totals keep meaning the whole list. Esc (or its close
// button) closes it and every row is shown again. The record set and its
// statement stay as they are: only the grid's view of them is narrowed.
#pragma once

#include <QObject>
#include <cstdint>

#include "logic/BuscaLista.h"
#include "shell/SortFilterRows.h"

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;

namespace cp {

class DBGrid;
class Environment;

class BarraBusca : public QObject, public SortFilterRows::RowFilter {
    Q_OBJECT
  public:
    // Built inside `pai` (the account panel), over `grade` and its row view.
    BarraBusca(Environment& env, DBGrid& grade, SortFilterRows& linhas, QWidget* pai);
    ~BarraBusca() override;

    void abre();   // shows the bar, focus in its text
    void fecha();  // hides it, every row shown, focus back on the grid
    bool aberta() const;
    // The text searched for, as if typed.
    void procura(const QString& texto);

    // The rows found and their sums (to pay and paid, as the totals count a
    // row), in exact cents.
    int encontradas() const { return encontradas_; }
    std::int64_t aPagarEncontradas() const { return aPagar_; }
    std::int64_t pagoEncontradas() const { return pago_; }

    QFrame* Barra = nullptr;
    QLineEdit* EditBusca = nullptr;
    QLabel* LabelEncontradas = nullptr;
    QToolButton* BotFechaBusca = nullptr;
    QLabel* LabelSomaEncontradas = nullptr;  // the line under the grid

    // The bar's height and that of the line under the grid.
    static constexpr int kAltura = 26;
    static constexpr int kAlturaSoma = 18;

    // SortFilterRows::RowFilter
    void prepare(const RecordSet& set) override;
    bool accepts(int row) const override;

  signals:
    void abriuOuFechou();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void mostraEncontradas();

    Environment& env_;
    DBGrid& grade_;
    SortFilterRows& linhas_;
    BuscaLista busca_;
    int encontradas_ = 0;
    std::int64_t aPagar_ = 0, pago_ = 0;
};

}  // namespace cp
