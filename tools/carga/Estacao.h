// One simulated workstation of the load harness: a process of its own that
// holds the program's data modules on the shared database and runs, in a
// loop until its deadline, what an operator does at the screens, through the
// same record sets, persistence rules and statements (no widgets): rebuild
// the due list, settle and cancel settlements, type an invoice number in the
// list, change an account in its details, enter a new account with its
// installments. Each action is journalled before and after (Diario.h).
#pragma once

#include <QDate>
#include <cstdint>
#include <string>

namespace carga {

struct OpcoesEstacao {
    std::string estacao;  // work-area code, "01".."16"
    std::string banco;    // connect string of the shared database
    std::string diario;   // journal file
    // Deadline, milliseconds since the epoch. 0: once started, wait for the
    // file `largada` and read the deadline from it (every workstation of a
    // run starts its loop at the same moment, after its start-up).
    std::int64_t ateMs = 0;
    std::string largada;
    int geracao = 1;      // how many processes this workstation has had
    QDate inicioSemanas;  // the due lists cover one of the weeks from here
    int semanas = 4;
};

// Exit codes of a workstation process.
inline constexpr int kSaidaFim = 0;         // ran to its deadline
inline constexpr int kSaidaSemConexao = 3;  // the connection was lost and not re-established
inline constexpr int kSaidaErroInicio = 4;  // could not start

int rodaEstacao(const OpcoesEstacao& o);

// True for the server's errors that mean the connection is gone (network
// failure, attachment or database shut down), by code or, for texts that
// carry no code, by the server's words.
bool conexaoPerdida(const std::exception& e);

}  // namespace carga
