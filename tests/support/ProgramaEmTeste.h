// The program started as its entry starts it (Programa), for the fixtures and
// benchmarks that drive the whole program: the window and both data modules,
// reachable by the names the program gives them.
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <memory>

#include "app/Form1.h"
#include "app/Programa.h"
#include "data/Connection.h"
#include "suite/AcessoBanco.h"

namespace cp::test {

struct ProgramaEmTeste {
    // The window, its FormCreate on the settings file of `programDir`, and
    // both modules; false when FormCreate ended the program.
    bool inicia(Environment& env, const QString& programDir, const QStringList& args = {}) {
        programa = std::make_unique<Programa>(env, args);
        programa->setTemposDeEspera(tempoConexao, tempoBloqueio);
        form = &programa->form();
        const bool criado = programa->cria(programDir);
        dm = programa->dm();
        dm2 = programa->dm2();
        return criado;
    }

    // Shows the window and lets its activation run; true when the activation
    // ran to its end.
    bool ativa() {
        form->show();
        for (int i = 0; i < 10 && !form->activated(); ++i) QApplication::processEvents();
        return form->activationCompleted();
    }

    // The program ends: the window first, then TDM2 and TDM.
    void encerra() {
        form = nullptr;
        dm = nullptr;
        dm2 = nullptr;
        programa.reset();
    }

    // The connections' waits, in seconds, set before the modules are made.
    int tempoConexao = kTempoConexaoSegundos;
    int tempoBloqueio = kTempoBloqueioSegundos;

    std::unique_ptr<Programa> programa;
    Form1* form = nullptr;
    TDM* dm = nullptr;
    TDM2* dm2 = nullptr;
};

}  // namespace cp::test
