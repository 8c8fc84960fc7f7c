// What the due list shows beside its statement and totals, none of which it
// changes: installments due before today and unpaid in red, today's in bold,
// and under the grid how many are late and their sum; the search bar
// (Ctrl+F) that narrows the rows shown, with the sum of the rows found;
// sorting by a click on a column title, until the list is rebuilt; the grid
// and the totals following the window when it grows, with the column widths
// the operator set remembered per work area in this computer's own settings;
// and "Previsão de pagamentos" (Ctrl+G).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>

class QAction;
class QLabel;

namespace cp {

class BarraBusca;
class JanelaPrevisao;
class JanelaPrincipal;
class ListaContas;
class SortFilterRows;

class VisaoLista : public QObject {
    Q_OBJECT
  public:
    VisaoLista(ListaContas& lista, JanelaPrincipal& form);
    ~VisaoLista() override;

    SortFilterRows* linhas() const { return linhas_; }
    BarraBusca* busca() const { return busca_.get(); }
    QLabel* LabelVencidas = nullptr;  // "7 parcelas vencidas: R$ 3.456,78", in the totals bar
    QAction* Previsao = nullptr;      // "Previsão de pagamentos..."  Ctrl+G
    JanelaPrevisao* janelaPrevisao() const;

    // The late installments of the whole list at its last rebuild.
    int vencidas() const { return vencidas_; }
    std::int64_t somaVencidas() const { return somaVencidas_; }

    // Opens (or brings up) the forecast, read anew.
    void abrePrevisao();
    // Lays the list's controls out for the account panel's present size.
    void dispoe();

    // The settings key of the column widths of this work area.
    QString chaveLarguras() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void listaMontada();
    void contaVencidas();
    QVariant marca(int linha, int papel) const;
    void restauraLarguras();
    void guardaLarguras();

    ListaContas& lista_;
    JanelaPrincipal& form_;
    SortFilterRows* linhas_ = nullptr;
    std::unique_ptr<BarraBusca> busca_;
    QPointer<JanelaPrevisao> previsao_;
    int vencidas_ = 0;
    std::int64_t somaVencidas_ = 0;
    bool restaurando_ = false;
};

}  // namespace cp
