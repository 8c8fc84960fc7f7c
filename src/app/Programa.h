// The program's start-up in one place: the main window, the shared-database
// module (TDM) and the work area's module (TDM2), created in this order,
// wired together and ended in the reverse one. The program entry, the tests
// and the benchmarks all start the program through it.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace cp {

class Environment;
struct EstadoSessao;
class Form1;
class TDM;
class TDM2;

class Programa {
  public:
    // Creates the main window and puts Qt's own texts in Portuguese; `args`
    // are the command-line arguments after the program name.
    Programa(Environment& env, QStringList args);
    // The window goes first, then TDM2, then TDM: the window's bound widgets
    // follow the modules' record sets.
    ~Programa();
    Programa(const Programa&) = delete;
    Programa& operator=(const Programa&) = delete;

    // The window's FormCreate (BRUNDELO.INI in `programDir`), then TDM and
    // TDM2, each created under the general error handler (a failed step is
    // reported and start-up goes on), the persistence rules and the modules
    // given to the window. False when the program must end at once.
    //
    // A server that cannot be reached is tried once: the first step that
    // fails to reach it reports it in one message, the later steps and the
    // window's activation do not try again.
    bool cria(const QString& programDir);

    // How long the modules' connections wait for the server to answer and on
    // a row another workstation holds, in seconds (kTempoConexaoSegundos and
    // kTempoBloqueioSegundos unless set). Set before cria().
    void setTemposDeEspera(int conexaoSegundos, int bloqueioSegundos);

    Form1& form() const { return *form_; }
    EstadoSessao& sessao() const { return *sessao_; }
    // Null before cria() has reached them.
    TDM* dm() const { return dm_.get(); }
    TDM2* dm2() const { return dm2_.get(); }

  private:
    Environment& env_;
    int tempoConexao_;
    int tempoBloqueio_;
    // The session state: created before and destroyed after everything that
    // refers to it (the modules and the window).
    std::unique_ptr<EstadoSessao> sessao_;
    // Declared before the window so that they outlive it.
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TDM2> dm2_;
    std::unique_ptr<Form1> form_;
};

}  // namespace cp
