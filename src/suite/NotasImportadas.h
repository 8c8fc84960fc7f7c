// The access keys of the NF-e that accounts were imported from, and the
// look for an invoice already recorded.
//
// The key lives in a table of this program's own, CP_NFE_CONTA, one row per
// account (CODIGOCPR + ESTACAO, as the account is keyed) with the 44
// characters of the key. No other program of the suite writes it, and the
// suite's tables keep their columns. It is created the first time an
// account is imported, and its row is written in the transaction that
// writes the account, so an account never lands without its key nor a key
// without its account.
//
// An invoice is already recorded when another payable account has the same
// key, or the same supplier (by CNPJ when both sides have one, else by the
// supplier's code, else by its name) and the same invoice number (blanks and
// leading zeros aside).
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace fb {
class Transaction;
}

namespace cp {

class Connection;

inline constexpr const char* kTabelaNotasImportadas = "CP_NFE_CONTA";

// Creates CP_NFE_CONTA unless it is there (TabelasProprias).
void garanteNotasImportadas(Connection& conexao);

// Inside the transaction that writes account `codigo` of work area
// `estacao`: keeps `chave` with it (replacing a row that an account of the
// same key left behind when it was removed by another program).
void gravaChaveDaConta(fb::Transaction& tr, std::int64_t codigo, const std::string& estacao,
                       const std::string& chave);

// A payable account that already carries an invoice.
struct ContaLancada {
    std::int64_t codigo = 0;
    std::string estacao;
    std::string nfiscal;     // Windows-1252
    std::string fornecedor;  // NOMECLIFOR, Windows-1252
    std::int64_t valorTotal = 0;
    QDate data;
};

// Who issued the invoice of the account being recorded.
struct FornecedorDaConta {
    std::string cnpj;  // letters and digits only; empty when not known
    std::optional<std::int64_t> codigo;
    std::string nome;  // Windows-1252

    bool conhecido() const { return !cnpj.empty() || codigo || !nome.empty(); }
};

// The account `codigo`/`estacao` (if any) is not counted: it is the one
// being recorded.
struct ContaAtual {
    std::int64_t codigo = 0;
    std::string estacao;
};

// The first payable account imported from the NF-e of key `chave`; nullopt
// when there is none (or no account was ever imported).
std::optional<ContaLancada> contaComChave(Connection& conexao, const std::string& chave,
                                          const std::optional<ContaAtual>& atual = {});

// The first payable account of the same supplier with invoice `nfiscal`.
std::optional<ContaLancada> contaComNota(Connection& conexao, const std::string& nfiscal,
                                         const FornecedorDaConta& fornecedor,
                                         const std::optional<ContaAtual>& atual = {});

// "A nota fiscal 555 de DISTRIBUIDORA CENTRAL já está lançada na conta 10
// (R$ 100,00, de 15/01/2025). Lançar outra vez?" (`nomeSeVazio` names the
// supplier when the account found has no name).
QString perguntaNotaLancada(const ContaLancada& conta, const std::string& nomeSeVazio = {});

// An invoice number compared as the operator reads it: blanks around it and
// leading zeros do not count.
std::string numeroDaNota(std::string_view nfiscal);

}  // namespace cp
