#include "app/Programa.h"

#include "app/Form1.h"
#include "data/Conexoes.h"
#include "data/Modules.h"
#include "data/Persistencia.h"
#include "shell/ErrorHandler.h"

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
    dm_ = std::make_unique<TDM>(env_, form_->sessao);
    guarded(env_, [&] { DataModuleCreate(*dm_); });
    dm2_ = std::make_unique<TDM2>(env_, form_->sessao);
    guarded(env_, [&] { DataModuleCreate(*dm2_); });
    instalaPersistencia(*dm_, *dm2_, form_->sessao, env_);
    form_->setModules(dm_.get(), dm2_.get());
    return true;
}

}  // namespace cp
