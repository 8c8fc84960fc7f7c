// What happens when the record sets of the data modules are posted, deleted,
// inserted into, scrolled and closed: every change is written to its
// database at once and the set read again; new accounts and installments
// take the highest stored number plus one and their initial values (a new
// account's number is checked again when it is first written: ChaveConta.h);
// moving to another account loads its installments and its payment condition.
//
// Writing back:
// - CONTASPR, Parcelas, Forneced and Periodo are written by their own update
//   rule (key or all columns) after each post (and each delete of Parcelas
//   and Forneced), then refreshed.
// - The due list Query2 joins PARCELAS and CONTASPR. A cell edited in the
//   list is written to PARCELAS, the installment found by its key
//   CODIGOPARC + CODIGOCPR as read; only the installment's own columns are
//   set, with parameters. The one account column the list lets the operator
//   type into, NFISCAL, is written to the CONTASPR row of the installment's
//   account (B.CodigoCPR), in the same transaction as the installment's
//   columns: a list row is written whole or not at all. A row deleted from the list deletes that
//   installment. New rows cannot be started in the list: installments are
//   created in the account details, where they get their keys.
// - Suppliers are never removed by this program, whatever their trade name:
//   a supplier is posted only when it is picked in the lookup, so a blank
//   NOMEFANTASIA is another program's record and stays as it is.
//
// A change that the database refuses is never lost without a word: the
// operator is told which change could not be written and why (the error
// that ends the step, shown by the general error handler), the change stays
// pending in the record set and is tried again at its next write; the set is
// then not refreshed, since refreshing would discard it. If the set is
// closed with changes still pending, they are tried once more, and what
// still fails is named in a message as discarded.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "suite/MensagensErro.h"

namespace cp {

class TDM;
class TDM2;
class RecordSet;
class Environment;
struct EstadoSessao;

// A write that the database refused; the text names the changes and the
// reasons (the server's own words go to the log). The changes stay pending
// in their record set. When some of them can never be written (the row is
// gone, the key is taken), the error offers to discard those and read the
// rows again.
class GravacaoPendente : public ErroOperador {
  public:
    explicit GravacaoPendente(const std::string& text, std::string registro = {})
        : ErroOperador(text, std::move(registro)) {}
};

// The question that offers to discard a change that can never be written.
inline constexpr const char* kPerguntaDescartar = "Descartar a alteração e reler os registros?";

// Hooks the record-set events of both modules. Call once, after both modules
// exist and before any of their record sets is opened.
void instalaPersistencia(TDM& dm, TDM2& dm2, EstadoSessao& sessao, Environment& env);

// Writes the change log of `rs` and refreshes it. Throws GravacaoPendente
// (refresh not done) when a change could not be written. False when the row
// the set stood on is no longer in the database (RecordSet::refresh).
bool gravaEReleia(RecordSet& rs);

// The statement that loads the payment condition named `descricao` into
// FormasPG. A quote inside the name is doubled, so a name with a quote still
// selects itself (and nothing else).
std::string selectCondicaoPagto(std::string_view descricao);

// The operator's text for the changes of `rs` that the last write refused
// (UTF-8). Empty when nothing is pending.
std::string textoAlteracoesPendentes(const RecordSet& rs);
// The same for several sets written together, one after the other; the sets
// not open are passed over.
std::string textoAlteracoesPendentes(std::initializer_list<const RecordSet*> sets);

}  // namespace cp
