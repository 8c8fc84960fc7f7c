// The names of the banks that issue most of the boletos a pharmacy receives,
// by the 3-digit code (COMPE) that opens the boleto's barcode and line.
#pragma once

#include <QString>
#include <string_view>

namespace cp {

// Empty when the code is not one of the usual banks.
QString nomeDoBanco(std::string_view codigo);

}  // namespace cp
