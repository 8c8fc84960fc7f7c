// The payment slips kept with their installments: the boleto's linha
// digitável, the collection slip's 48 digits or the PIX code, read once when
// the bill is recorded and handed back on the day it is paid. They live in
// CP_COBRANCAS, a table of this program's own (TabelasProprias.h), one row
// per installment, keyed as the installment is (CODIGOPARC + CODIGOCPR).
//
// A slip is written, moved and deleted with its installment, inside the
// transaction that writes the installment (the record sets' companion
// writes): deleting an installment, from the details or from the due list,
// or regenerating an account's installments deletes their slips with them,
// and a slip being kept lands with its installment's amount and due date or
// not at all. A new installment that takes the key of one deleted by another
// program of the suite (which knows nothing of this table) starts without
// the old one's slip.
#pragma once

#include <QDate>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "suite/cobranca/Cobranca.h"

namespace fb {
class Transaction;
}

namespace cp {

class Connection;
class RecordSet;
struct ChangeEntry;
class TDM;

inline constexpr const char* kTabelaCobrancas = "CP_COBRANCAS";

struct CobrancaGuardada {
    std::int64_t codigoParc = 0;
    std::int64_t codigoCpr = 0;
    TipoCobranca tipo = TipoCobranca::Boleto;
    // The 47 or 48 digits without separators, or the PIX code as received
    // (Windows-1252 bytes).
    std::string linha;
};

// An installment that keeps a slip, named as the operator knows it.
struct ParcelaComCobranca {
    std::int64_t codigoParc = 0;
    std::int64_t codigoCpr = 0;
    std::int64_t numParcela = 0;
};

// The letter TIPO keeps: B (boleto), A (arrecadação), P (PIX).
char letraDoTipo(TipoCobranca tipo);
std::optional<TipoCobranca> tipoDaLetra(std::string_view letra);

// The line as the slip prints it, for a spreadsheet or a tip: a boleto's
// five fields "AAAAA.AAAAA BBBBB.BBBBBB CCCCC.CCCCCC D EEEEEEEEEEEEEE", a
// collection slip's four blocks "NNNNNNNNNNN-D ..."; a PIX code as it is.
std::string linhaImpressa(TipoCobranca tipo, const std::string& linha);

class CobrancasGuardadas {
  public:
    explicit CobrancasGuardadas(Connection& conexao) : conexao_(conexao) {}
    CobrancasGuardadas(const CobrancasGuardadas&) = delete;
    CobrancasGuardadas& operator=(const CobrancasGuardadas&) = delete;

    // Hooks the writes of the installments (Parcelas) and of the due list
    // (Query2), after whatever companion writes they already have. Called
    // by the persistence rules.
    void instala(TDM& dm);

    // Creates the table when it is not there yet (before the first slip is
    // kept). Errors of the server go on as fb::Error.
    void garanteTabela();
    bool tabelaExiste();

    // The slip of one installment; none when it has none (or the table is
    // not there yet).
    std::optional<CobrancaGuardada> daParcela(std::int64_t codigoParc, std::int64_t codigoCpr);
    // The installments (still in PARCELAS) that keep `linha`, by account and
    // position.
    std::vector<ParcelaComCobranca> parcelasCom(const std::string& linha);
    // The slips of the installments due from `de` to `ate`.
    std::vector<CobrancaGuardada> vencendoEntre(const QDate& de, const QDate& ate);

    // The slip to be written with the next write of installment
    // `cobranca.codigoParc` (its key as written then). It is forgotten once
    // that installment has nothing left to write: written, cancelled or
    // discarded.
    void guardaComParcela(CobrancaGuardada cobranca, std::string estacao, QDate registro);
    const std::optional<CobrancaGuardada>& pendente() const { return pendente_; }

  private:
    bool existeNa(fb::Transaction& tr);
    void acompanha(fb::Transaction& tr, const RecordSet& rs, const ChangeEntry& e);
    void esqueceSeGravada(const RecordSet& parcelas);

    Connection& conexao_;
    bool existe_ = false;  // once seen, the table stays
    // The transaction that found it missing: one write of many installments
    // asks once.
    std::uint64_t ausenteNa_ = 0;
    std::optional<CobrancaGuardada> pendente_;
    std::string estacao_;
    QDate registro_;
};

}  // namespace cp
