// One run of the load harness: N workstation processes against the server
// for the run's time, with the fault schedule (a row lock held, a
// workstation killed in the middle of a write, an attachment ended by the
// administrator, the server restarted), then the journals read, the faults'
// survival told and the invariants checked.
#pragma once

#include <QDate>
#include <cstdint>
#include <string>
#include <vector>

#include "Diario.h"
#include "Verificacao.h"

namespace carga {

// The weeks the lists of the run cover.
inline const QDate kInicioSemanas(2026, 1, 5);  // a Monday
inline constexpr int kSemanas = 4;

struct Falha {
    std::string nome;
    std::int64_t ms = 0;                     // when it was over (lock released, server back...)
    std::vector<std::string> estacoes = {};  // the workstations it hit
    std::string detalhe = {};
};

struct Rodada {
    int n = 0;
    double segundos = 0;
    std::vector<Estatistica> stats;
    std::vector<Resultado> invariantes;
    std::vector<Falha> falhas;
    std::vector<std::string> sobrevivencia;
    int reinicios = 0;  // workstation processes started again after giving up
    bool ok = true;
};

// Runs N workstations for `segundos` against `banco`, their journals in
// `pasta`; with faults injected when `comFalhas`.
Rodada roda(int n, int segundos, const std::string& banco, const std::string& pasta,
            bool comFalhas);

}  // namespace carga
