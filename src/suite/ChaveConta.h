// The number of a new account, claimed when the account is first written.
//
// A new account shows the highest stored number plus one from the moment it
// is started, but two workstations may start one at the same moment and read
// the same highest number. The number is therefore checked again inside the
// transaction that writes the account, after the writer has taken the lock
// that every writer of a new account takes first: one writer at a time, in
// any work area, checks and writes. A number already taken meanwhile (by an
// account of any work area, or by installments left without their account)
// is replaced by the next free one, and the account, its pending
// installments and the screens show the final number.
//
// The lock is the row of the work area with the lowest code in ESTACOES,
// taken with SELECT ... WITH LOCK: every database that stores accounts has
// one (an account carries its work area), and a work-area row is almost
// never written by anyone else, so waits are short. Taking it creates no
// table, generator or trigger in the shared database.
#pragma once

#include <cstdint>
#include <string>

namespace fb {
class Transaction;
}

namespace cp {

class Environment;
class RecordSet;
class TDM;

// The statement that takes the lock (the lowest work-area row).
inline constexpr const char* kTravaContaNova =
    "select ESTACAO from ESTACOES where ESTACAO = (select min(ESTACAO) from ESTACOES) with lock";

// Inside `tr`: takes the lock (waiting while another writer of a new account
// holds it), then returns `proposto` when no account of any work area and no
// installment carries that number, otherwise one more than the highest number
// of the accounts and installments. The lock is held until `tr` ends, so the
// caller writes the account with the number in the same transaction. Without
// any work-area row there is nothing to lock and the check runs alone. Throws
// fb::Error with the server's codes.
std::int64_t reservaCodigoConta(fb::Transaction& tr, std::int64_t proposto);

// Hooks the rules of this file onto the record sets of `dm`: CONTASPR claims
// the number of a new account when it is written, and is refreshed by key
// (naming an account that another workstation removed); Parcelas writes the
// current account first when it is not stored yet, and gives its new
// installments the account's final number. Called by the persistence rules.
void instalaChaveConta(TDM& dm, Environment& env);

// True when the current account of `conta` is not stored yet: inserted, or
// its first write still pending in the change log.
bool contaAindaNaoGravada(const RecordSet& conta);

// When the current account of `conta` is not stored yet (inserted, or its
// first write still pending), writes it now, claiming its number, and puts it
// back in edit mode. Throws when it could not be written (the account then
// stays in edit mode with its write pending).
void gravaContaAindaNaoGravada(RecordSet& conta);

// Writes the change log of CONTASPR and reads it again, standing on the same
// account found by its key. When that account is gone, the operator is told
// (through `env`) and the set stands on the nearest account with its
// installments loaded.
void gravaEReleiaContas(TDM& dm, Environment& env);

// One operator action that stores an account and its installments ("Voltar",
// closing the window): while the guard lives, posts of the account and of
// its installments are held in their change logs instead of being written
// one by one, and grava() writes them together in one transaction, so that a
// failure never leaves the account stored without its installments (or the
// other way round). The new account's number is claimed in that transaction.
class GravacaoConjunta {
  public:
    explicit GravacaoConjunta(TDM& dm);
    ~GravacaoConjunta();
    GravacaoConjunta(const GravacaoConjunta&) = delete;
    GravacaoConjunta& operator=(const GravacaoConjunta&) = delete;

    // Writes what both hold; then both are read again as their own writes
    // read them. Throws GravacaoPendente naming what could not be written
    // (nothing of it was stored; it all stays pending).
    void grava();

  private:
    TDM& dm_;
    bool antes_;
};

}  // namespace cp
