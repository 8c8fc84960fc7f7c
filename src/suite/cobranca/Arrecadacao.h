// A collection slip of a utility, a tax or a fine (FEBRABAN's "arrecadação"
// layout). Its barcode (44 digits): 8 (the product), the segment (2), the
// value kind (3), the general check digit (4), the value (5–15), then the
// company or agency and its own data. The value kind says which rule guards
// the slip and what positions 5–15 hold:
//   6  amount in cents, módulo 10     7  a reference (a quantity), módulo 10
//   8  amount in cents, módulo 11     9  a reference (a quantity), módulo 11
// For 7 and 9 the slip carries no amount in reais: the bank works it out at
// payment, so none is read. Nor is a due date: where a company puts one in
// its own data is its own choice. The 48-digit line is the barcode in four
// blocks of 11 digits, each followed by its own check digit under the same
// rule.
#pragma once

#include <string>
#include <string_view>

#include "suite/cobranca/Cobranca.h"

namespace cp {

// digitos holds only digits: 48 of the line, or 44 of the barcode.
LeituraCobranca lerLinhaArrecadacao(std::string_view digitos);
LeituraCobranca lerCodigoBarrasArrecadacao(std::string_view digitos);

}  // namespace cp
