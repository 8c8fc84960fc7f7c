// The main window: its panels and top buttons, the start-up steps that run
// when it is first shown, and its closing. The screens of the due list
// (ListaContas) and of the login (LoginSessao) build their own controls
// inside it and are driven from here.
#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "shell/JanelaPrincipal.h"

namespace cp {

class Configuracoes;
class DetalhesConta;
class ImportacaoNaJanela;
class ListaContas;
class LoginSessao;
class PainelConta;
class Procuras;
class TeclasJanela;

class Form1 : public JanelaPrincipal {
    Q_OBJECT
  public:
    // `args` are the command-line arguments after the program name.
    Form1(Environment& env, EstadoSessao& sessao, QStringList args, QWidget* parent = nullptr);
    ~Form1() override;

    // FormCreate: notes the executable's directory and reads BRUNDELO.INI.
    // False when the program must end at once (missing settings file).
    bool FormCreate(const QString& programDir);
    // The data modules are created after the window, in this order. The
    // account fields and the due list are built here, bound to their
    // record sets.
    void setModules(TDM* dm, TDM2* dm2);

    // The activation steps, run once when the window is first shown (a modal
    // message box does not run them again). An error ends them at the step
    // where it arose and goes to the general error handler; the window then
    // keeps only "Sair" usable, so it can be closed.
    void FormActivate();
    // The start could not reach the database server (already reported):
    // the activation then runs none of its steps, which would each try the
    // server again, and leaves only "Sair" usable.
    void semServidor() { semServidor_ = true; }
    void FechaTabelas();
    // "Sair": what the account and its installment hold unwritten is written
    // first (see closeEvent), then the record sets close and so does the
    // window.
    void BitBtn3Click();
    void abreDetalhes() override;
    void importaNfe() override;  // Ctrl+I, the list's "Importar NF-e..."

    // The invoice number and the supplier-name key of the single-account
    // mode, as Windows-1252 bytes, built from the command-line arguments.
    static std::string chaveNotaFiscal(const QStringList& args);
    static std::string chaveNomeFornecedor(const QStringList& args);

    QWidget* gradeDaLista() const override;

    QStringList argumentos;
    std::unique_ptr<Configuracoes> configuracoes;

    std::unique_ptr<PainelConta> conta;       // entry fields and installment grid
    std::unique_ptr<ListaContas> lista;       // due list, period bar, totals
    std::unique_ptr<Procuras> procuras;       // supplier and chart-of-accounts lookups
    std::unique_ptr<LoginSessao> login;       // login panel and session resume
    std::unique_ptr<DetalhesConta> detalhes;  // the switch between list and details
    std::unique_ptr<ImportacaoNaJanela> nfe;  // a bill from its NF-e
    TeclasJanela* teclas = nullptr;           // F1, F2, F3 (owned by the window)

  protected:
    void showEvent(QShowEvent* e) override;
    // Closing (the close button, "Sair", a termination signal): an account
    // or installment with unwritten changes is written first, as "Voltar"
    // writes it. When that fails the operator is told what could not be
    // written and the window stays open; the next close discards it. Asked
    // to stop by the system, nobody can answer: the failure is logged and
    // the window closes.
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void buildPanel();
    void passosAtivacao();
    void modoNavegador();
    void modoContaUnica();
    void ativacaoInterrompida();
    void ajustaTamanhoECentraliza();
    bool gravaAntesDeFechar();

    bool activationScheduled_ = false;
    bool semServidor_ = false;
    bool sized_ = false;
    bool descartaAoFechar_ = false;  // the last close could not write; the next one discards
};

}  // namespace cp
