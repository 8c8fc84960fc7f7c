// The two data modules. TDM owns the connection to the suite's shared
// database and the record sets of its tables; TDM2 owns the connection to the
// work area's database and the period record set. Both are plain objects
// created in the start-up order (the program holds one of each, tests build
// their own). Creating one does not connect: the connection settings, the
// work-area binding and the persistence rules are set up by their own code,
// which reaches every member here directly.
#pragma once

#include <optional>

#include "data/Connection.h"
#include "data/Query.h"
#include "data/RecordSet.h"
#include "suite/CobrancasGuardadas.h"

namespace cp {

class Environment;
struct EstadoSessao;

// Edit masks and display formats of the record-set columns.
inline constexpr const char* kMascaraData = "!99/99/00;1;_";
inline constexpr const char* kMascaraHora = "!90:00;1;_";
inline constexpr const char* kMascaraCNPJ = "00\\.000\\.000\\/0000\\-00;1;_";
inline constexpr const char* kFormatoValor = "0.00";
inline constexpr const char* kFormatoData = "dd/mm/yy";

class TDM {
  public:
    TDM(Environment& env, EstadoSessao& sessao);
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    Environment& env;
    EstadoSessao& sessao;

    Connection SQLConnection1;  // the shared database

    // While set, the posts of CONTASPR and Parcelas are not written one by
    // one: the operator's action writes them together (GravacaoConjunta).
    bool gravacaoConjunta = false;
    // Inside such a write's transaction, when new installments are among
    // what it writes: their codes are counted (under the new-account lock,
    // taken first), from the highest stored code read when the first of them
    // is written, after the deletes before it. The last code given out.
    bool contaCodigosParc = false;
    std::optional<std::int64_t> ultimoCodigoParc;

    RecordSet CONTASPR;
    RecordSet Parcelas;
    RecordSet Forneced;
    RecordSet PlanoCT;
    RecordSet Contas;
    RecordSet FP;
    RecordSet FormasPG;
    RecordSet FormaPad;
    RecordSet Usuarios;
    RecordSet Estacoes;
    RecordSet Query2;  // the due list

    Query SQLQuery1;  // scratch query for single values

    // The payment slips kept with the installments (a table of our own).
    CobrancasGuardadas Cobrancas{SQLConnection1};
};

class TDM2 {
  public:
    TDM2(Environment& env, EstadoSessao& sessao);
    TDM2(const TDM2&) = delete;
    TDM2& operator=(const TDM2&) = delete;

    Environment& env;
    EstadoSessao& sessao;

    Connection SQLConnection1;  // the work area's database

    RecordSet Periodo;
};

}  // namespace cp
