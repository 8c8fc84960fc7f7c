// The PIX "copia e cola" code (the Central Bank's BR Code, an EMV QR payload):
// fields of a 2-digit ID, a 2-digit length and the value, some of them
// templates of fields of their own. 00 = "01" opens it; a merchant account
// template (26 to 51) whose 00 is "br.gov.bcb.pix" holds the key (01) or, in
// a dynamic code, the URL of the charge (25); 52 category, 53 currency
// ("986", the real), 54 amount ("123.45"), 58 country ("BR"), 59 receiver's
// name, 60 city, 62 additional data (05 = txid, "***" for none), and last 63,
// the CRC-16/CCITT-FALSE of everything before its four hex digits.
#pragma once

#include <cstdint>
#include <string_view>

#include "suite/cobranca/Cobranca.h"

namespace cp {

inline constexpr std::size_t kMaximoCaracteresPix = 512;

// codigo is the code as received, without the blanks around it. A length
// counts characters; a code whose lengths only add up counted as UTF-8 bytes
// (as some generators count names with accents) is read that way.
LeituraCobranca lerPix(std::string_view codigo);

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, no reflection, no
// final xor.
std::uint16_t crcPix(std::string_view bytes);

}  // namespace cp
