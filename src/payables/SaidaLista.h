// Copies of the due list: print preview (Ctrl+P), printing, a PDF file and a
// spreadsheet file (Ctrl+E), from the end of the list's pop-up menu and from
// the keyboard on the list. Each copy is of the list exactly as shown (rows,
// order, period, view and totals), taken at once on the window's thread;
// files and printer copies are then written on a thread of their own under
// a progress dialog that can cancel them, and the window goes on answering.
// A file is written under a temporary name and renamed only when complete,
// so a cancelled or failed copy leaves no half file behind.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <functional>
#include <memory>

#include "shell/PagePreview.h"

class QAction;
class QPrinter;
class QThread;

namespace cp {

class JanelaPrincipal;
class ListaContas;
struct RelatorioLista;

class SaidaLista : public QObject {
    Q_OBJECT
  public:
    // Adds its entries at the end of the list's pop-up menu and its
    // shortcuts to the list grid.
    SaidaLista(ListaContas& lista, JanelaPrincipal& form);
    ~SaidaLista() override;

    QAction* Visualizar = nullptr;        // "Visualizar impressão da lista"  Ctrl+P
    QAction* Imprimir = nullptr;          // "Imprimir a lista..."
    QAction* SalvarPdf = nullptr;         // "Salvar a lista em PDF..."
    QAction* ExportarPlanilha = nullptr;  // "Exportar a lista para planilha..."  Ctrl+E

    // The list as shown now.
    RelatorioLista copia() const;

    // The menu commands.
    void visualizaImpressao();
    void imprime(QWidget* sobre = nullptr);  // the print dialog over `sobre` (the window)
    void salvaPdf();                         // asks for the file, then gravaPdf
    void exportaPlanilha();                  // asks for the file, then gravaPlanilha

    // Starts writing the list to `caminho` in the background; false when
    // another copy is still being written.
    bool gravaPdf(const QString& caminho);
    bool gravaPlanilha(const QString& caminho);

    // True while a copy is being written.
    bool ocupada() const { return tarefa_ != nullptr; }
    QProgressDialog* dialogoProgresso() const { return progresso_; }
    PagePreview* previa() const { return previa_; }

    // Asks the operator where to save (title, suggested path, file-type
    // filter); empty when given up. Tests replace it.
    std::function<QString(const QString&, const QString&, const QString&)> perguntaArquivo;

  signals:
    // A background copy ended: written (and renamed into place), or not
    // (cancelled or failed; a failure has been reported to the operator).
    void terminou(bool gravada, const QString& caminho);

  private:
    struct Tarefa;
    bool inicia(std::unique_ptr<Tarefa> t, const QString& rotulo);
    void acompanha();
    void concluiu();
    QString nomeSugerido(const QString& extensao) const;
    QString pergunta(const QString& titulo, const QString& extensao, const QString& filtro);

    ListaContas& lista_;
    JanelaPrincipal& form_;
    std::unique_ptr<Tarefa> tarefa_;
    QThread* thread_ = nullptr;
    QPointer<QProgressDialog> progresso_;
    QPointer<PagePreview> previa_;
};

}  // namespace cp
