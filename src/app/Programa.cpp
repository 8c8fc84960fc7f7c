#include "app/Programa.h"

#include "app/Form1.h"
#include "data/Conexoes.h"
#include "data/Modules.h"
#include "data/Persistencia.h"
#include "shell/ErrorHandler.h"
#include "shell/Termino.h"

namespace cp {

Programa::Programa(Environment& env, QStringList args)
    : env_(env), form_(std::make_unique<Form1>(env, std::move(args))) {}

Programa::~Programa() {
    form_.reset();
    dm2_.reset();
    dm_.reset();
}

bool Programa::cria(const QString& programDir) {
    if (!form_->FormCreate(programDir)) return false;
    // Asked to stop meanwhile: no more attempts to reach the databases.
    if (terminationRequested()) return false;
    // A failed step of either module is reported and start-up goes on.
    dm_ = std::make_unique<TDM>(env_, form_->sessao);
    guarded(env_, [&] { DataModuleCreate(*dm_); });
    if (terminationRequested()) return false;
    dm2_ = std::make_unique<TDM2>(env_, form_->sessao);
    guarded(env_, [&] { DataModuleCreate(*dm2_); });
    instalaPersistencia(*dm_, *dm2_, form_->sessao, env_);
    form_->setModules(dm_.get(), dm2_.get());
    return !terminationRequested();
}

}  // namespace cp
