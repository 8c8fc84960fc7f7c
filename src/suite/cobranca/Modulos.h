// The check digits of the payment slips. Both rules weigh the digits from the
// right; módulo 10 (weights 2, 1, 2, 1...) guards the fields of a linha
// digitável and the whole of a collection slip of value kind 6 or 7; módulo 11
// (weights 2 to 9, then 2 again) guards a bank boleto's barcode and the
// collection slips of value kind 8 or 9. The two kinds of slip differ only in
// what a result that is no digit (10 or 11) becomes.
#pragma once

#include <string_view>

namespace cp {

// The digits given must all be '0'..'9' (callers keep only digits).

// Products over 9 have their digits added; DV = (10 − sum mod 10) mod 10.
int modulo10(std::string_view digitos);

enum class RegraModulo11 {
    Boleto,       // 11 − resto; 10 and 11 become 1 (a boleto's general DV is never 0)
    Arrecadacao,  // 11 − resto; 10 and 11 (resto 1 or 0) become 0
};

int modulo11(std::string_view digitos, RegraModulo11 regra);

}  // namespace cp
