// What the load harness checks and measures once a run has ended: the
// invariants of the shared database against what the workstations'
// journals say they saw, and the latency of each kind of action.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Diario.h"
#include "fb/fb.h"

namespace carga {

// The journals of a run, by work-area code.
using Diarios = std::map<std::string, std::vector<Evento>>;

struct Resultado {
    std::string nome;
    bool ok = true;
    std::string detalhe = {};
};

std::vector<Resultado> verificaInvariantes(fb::Attachment& banco, const Diarios& diarios);

struct Estatistica {
    std::string kind;
    int ok = 0, erros = 0;
    double p50ms = 0, p95ms = 0, maxms = 0;
    double linhasMedia = 0;  // due-list rebuilds: rows per list
};

std::vector<Estatistica> estatisticas(const Diarios& diarios);

}  // namespace carga
