// The arithmetic of installment generation, apart from the record sets and
// the screens: the installment amount, the day list of a "Dias Corridos"
// condition, the first-installment marker of the other kinds, and the due
// dates. Texts are the condition's Windows-1252 bytes.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cp {

// One generation handles at most this many installments and day counts.
inline constexpr int kMaxParcelas = 180;

inline constexpr std::string_view kTipoDiasCorridos = "Dias Corridos";
inline constexpr std::string_view kTipoDiaFixo = "Dia Fixo";

// A binary floating-point amount in cents, rounded half away from zero on
// the exact binary value: 0.125 gives 13, while 1.005 (whose binary value
// lies just below it) gives 100. Refuses amounts beyond what a money column
// can hold.
std::int64_t arredondaCentavos(double valor);

// The amount of each installment: total × (rate / 100 + 1) / count in binary
// floating point, rounded to cents as above. The same for every installment;
// no remainder is carried. `quantidade` > 0.
std::int64_t valorParcela(std::int64_t totalCentavos, std::int64_t taxa1Centavos, int quantidade);

// The day list of a "Dias Corridos" condition: items separated by ",", each
// at most 20 characters (the rest of a long item is dropped), blanks at both
// ends removed. Count k is at index k - 1; an item that is not a whole number
// counts 0 and is named in `recusados` (negative counts are accepted). The
// empty text is one empty item.
struct DiasCorridos {
    std::vector<std::int64_t> dias;
    std::vector<std::string> recusados;
};
DiasCorridos leDiasCorridos(std::string_view dias);

// The first-installment marker of the other kinds: the whole number before
// each "+" (the last one wins; what follows the last "+" is never read); 1
// when there is none. Items that are not whole numbers leave it as it was and
// are named in `recusados`.
struct MarcadorPrimeira {
    std::int64_t marcador = 1;
    std::vector<std::string> recusados;
};
MarcadorPrimeira leMarcador(std::string_view dias);

// Due date of installment `parcela` (from 1) of a "Dia Fixo" condition: with
// marker 1 the first falls on the account date and each further one a month
// later; with any other marker the first is already a month later. The day
// is the account date's, or the month's last day when the month is shorter.
QDate vencimentoDiaFixo(const QDate& dataConta, std::int64_t marcador, int parcela);

// What one generation writes: the due dates of installments 1..n and the one
// amount, with the day-list items that could not be read, in order.
struct PlanoParcelas {
    std::vector<QDate> vencimentos;
    std::int64_t valor = 0;
    std::vector<std::string> recusados;
    int itensDias = 0;  // items of a "Dias Corridos" day list
};

// The plan for a condition of kind `tipo` (compared exactly), day list
// `dias`, `quantidade` installments (none when not positive) and rate
// `taxa1Centavos`, over an account of `totalCentavos` dated `dataConta`.
// Kinds other than the two known ones fall due on the account date.
// `quantidade` must not exceed kMaxParcelas.
PlanoParcelas planejaParcelas(std::string_view tipo, std::string_view dias, int quantidade,
                              std::int64_t taxa1Centavos, std::int64_t totalCentavos,
                              const QDate& dataConta);

// The message for a day-list item that is not a whole number (the item with
// its blanks removed, as Windows-1252 bytes).
QString msgDiasNaoConvertido(std::string_view item);

}  // namespace cp
