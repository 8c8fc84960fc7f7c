// Payment conditions and installment generation over the record sets of the
// shared database, without the screen: what entering and leaving the field
// "Condição de Pagto" does to the current account (CONTASPR), its loaded
// condition (FormasPG) and its installments (Parcelas). The entry panel
// calls these from the field's focus steps and then moves the focus itself.
//
// Generation replaces the account's installments one write at a time, as the
// persistence rules do every write: each old installment is deleted, then
// each new one is appended (taking the next key), filled and posted. When a
// write fails part-way, nothing is lost silently: the installments are read
// again, so the grid shows exactly what the database holds, and the operator
// is told what was written and why it stopped.
#pragma once

#include <string>

namespace cp {

class TDM;
class Environment;
struct EstadoSessao;

// Focus entering the condition field: notes the account's condition text.
void entraCondicaoPagto(TDM& dm, EstadoSessao& sessao);

// Focus leaving the condition field (entry mode): loads the named condition
// and generates the installments when the condition text changed since the
// field was entered or the account holds another number of installments
// than the condition says. An empty condition text leaves everything as it
// is; so does a condition that is not registered, which is said to the
// operator (a bill without installments would be in no list).
enum class SaidaCondicao {
    Mantida,        // nothing to generate, or the generation stopped (and said why)
    Gerada,         // a generation ran to its end
    NaoCadastrada,  // no such condition: the installments stay, the operator was told
};
SaidaCondicao saiCondicaoPagto(TDM& dm, EstadoSessao& sessao, Environment& env);

// Replaces the current account's installments by those of the condition that
// FormasPG holds, unless they already fit it (same number, same condition
// text as before). Conditions beyond the limit of one generation are refused
// before anything is deleted. True when the new installments were all
// written.
bool GeraParcelas(TDM& dm, EstadoSessao& sessao, Environment& env);

// Writes the current account to the database when it exists only in the
// record set (a new account, still in insert mode), so that no installment
// refers to an account that is not stored; editing then goes on. The one
// place where generation stores the account it works on.
void gravaContaNova(TDM& dm);

}  // namespace cp
