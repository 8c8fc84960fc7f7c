#include "app/Programa.h"

#include <functional>

#include "app/Form1.h"
#include "fb/Failure.h"
#include "shell/ErrorHandler.h"
#include "shell/QtTranslation.h"
#include "shell/Termination.h"
#include "suite/AcessoBanco.h"
#include "suite/Conexoes.h"
#include "suite/EstadoSessao.h"
#include "suite/MensagensErro.h"
#include "suite/Modules.h"
#include "suite/Persistencia.h"

namespace cp {

Programa::Programa(Environment& env, QStringList args)
    : env_(env),
      tempoConexao_(kTempoConexaoSegundos),
      tempoBloqueio_(kTempoBloqueioSegundos),
      sessao_(std::make_unique<EstadoSessao>()),
      form_(std::make_unique<Form1>(env, *sessao_, std::move(args))) {
    // Qt's own dialogs (files, printing, the buttons of its boxes) speak the
    // suite's Portuguese; each is translated when it is built.
    installQtTranslation();
}

Programa::~Programa() {
    form_.reset();
    dm2_.reset();
    dm_.reset();
    sessao_.reset();
}

namespace {

// Runs one creation step. A server that could not be reached ends the
// start's attempts: its one message names the server and what to do, and
// `semServidor` is set so that nothing else tries it again (each try would
// wait for the connect time-out and add a message of its own).
void criaModulo(Environment& env, bool& semServidor, const std::function<void()>& passo) {
    guarded(env, [&] {
        try {
            passo();
        } catch (const fb::Error& e) {
            if (fb::classify(e) != fb::Failure::ServerUnreachable) throw;
            semServidor = true;
            const QString texto = mensagemOperadorBanco(e).value_or(QString::fromUtf8(e.what()));
            throw ErroOperador(
                (texto + QStringLiteral("\nO programa abre sem os dados; resolvido o problema, "
                                        "feche-o e abra-o de novo."))
                    .toStdString(),
                e.what());
        }
    });
}

}  // namespace

void Programa::setTemposDeEspera(int conexaoSegundos, int bloqueioSegundos) {
    tempoConexao_ = conexaoSegundos;
    tempoBloqueio_ = bloqueioSegundos;
}

bool Programa::cria(const QString& programDir) {
    if (!form_->FormCreate(programDir)) return false;
    // Asked to stop meanwhile: no more attempts to reach the databases.
    if (terminationRequested()) return false;
    // A failed step of either module is reported and start-up goes on.
    bool semServidor = false;
    dm_ = std::make_unique<TDM>(env_, form_->sessao);
    dm_->SQLConnection1.setConnectTimeout(tempoConexao_);
    dm_->SQLConnection1.setLockTimeout(tempoBloqueio_);
    criaModulo(env_, semServidor, [&] { DataModuleCreate(*dm_); });
    if (terminationRequested()) return false;
    dm2_ = std::make_unique<TDM2>(env_, form_->sessao);
    dm2_->SQLConnection1.setConnectTimeout(tempoConexao_);
    dm2_->SQLConnection1.setLockTimeout(tempoBloqueio_);
    if (!semServidor) criaModulo(env_, semServidor, [&] { DataModuleCreate(*dm2_); });
    instalaPersistencia(*dm_, *dm2_, form_->sessao, env_);
    form_->setModules(dm_.get(), dm2_.get());
    if (semServidor) form_->semServidor();
    return !terminationRequested();
}

}  // namespace cp
