// Finding a typed name in a list of the shared database (suppliers by their
// trade name, chart-of-accounts entries by their description) and what the
// entry found brings into the account. No widgets here: the lookup panels
// (Procuras) drive these steps.
#pragma once

#include <string>
#include <string_view>

namespace cp {

class RecordSet;

// Longest text the lookups keep of a field's previous value.
inline constexpr std::size_t kTamanhoTextoAnterior = 40;

// What a typed name found in a list.
enum class Achado {
    Unico,       // exactly one entry bears the name; the cursor is on it
    Repetido,    // two or more entries bear the name; the cursor is on the first
    Aproximado,  // no entry bears it exactly: the cursor is on the nearest one
};

// Moves `lista` (open, in the order of `coluna`) to the first entry whose
// `coluna` equals `texto`, or else to the first that sorts after it (the last
// entry when every one sorts before it), and tells whether the name was found
// exactly (a case-sensitive comparison of the whole text) and how often.
Achado posicionaNoNome(RecordSet& lista, std::string_view coluna, const std::string& texto);

// How an entry was taken: typed exactly, or chosen in the lookup panel.
enum class Escolha { Direta, NaLista };

// The statement of the supplier list, in trade-name order.
std::string sqlFornecedores(const std::string& camposFornecedor);

// Copies the current supplier of `fornecedor` into the account being edited:
// its name (the trade name when typed, the company name when chosen in the
// list), telephone, the origin mark ("XX" typed, "FF" chosen) and its code as
// a whole number. A code that is not a whole number stops the copy there with
// a DataError naming the supplier and the code; the columns copied before it
// stay in the account.
void copiaFornecedor(RecordSet& fornecedor, RecordSet& conta, Escolha escolha);

// Copies the current chart entry of `plano` into the account being edited:
// description, supplier name (empty when the entry has none), manufacturer,
// expense group and cost centre; the family only when the description was
// typed exactly.
void copiaPlano(RecordSet& plano, RecordSet& conta, Escolha escolha);

// The first 40 characters of a text.
std::string textoAnterior(std::string texto);

}  // namespace cp
