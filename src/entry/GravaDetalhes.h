// Writing what the details view holds: the account being edited and its
// current installment. Every step that leaves the details (the details
// button's "Voltar", closing the window) writes through here, and the entry
// panel's own focus steps use the same rule for the installment row.
//
// A new installment row that the operator never typed into (it holds only
// the numbers its insert gave it) is not an installment: it is never written,
// and leaving the details drops it without a word.
#pragma once

namespace cp {

class RecordSet;
class TDM;

// True when `parcelas` is inserting a row that holds nothing but the numbers
// the insert gave it (account, installment code, position).
bool parcelaSemDigitacao(const RecordSet& parcelas);

// True when the account or its installment holds something not yet written:
// a row being edited or inserted with changes, or changes a failed write left
// pending. An untouched new installment row does not count.
bool detalhesPorGravar(const TDM& dm);

// Writes the account and its installment in one transaction (nothing of
// either is stored unless both are), tried at most twice: a second failure
// goes on to the caller with the account still being edited and both
// changes pending. An unchanged row is only taken out of edit mode; an
// untouched new installment row is dropped. Afterwards neither is being
// edited.
void gravaDetalhes(TDM& dm);

// Drops what the details hold unwritten: the edits of the account and of its
// installment are cancelled (the change logs are left to the closing of the
// record sets, which names what it discards).
void descartaDetalhes(TDM& dm);

}  // namespace cp
