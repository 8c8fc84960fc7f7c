// A bank boleto. Its barcode (44 digits): bank (1–3), currency (4, 9 = real),
// general check digit (5), due-date factor (6–9), amount in cents (10–19) and
// the bank's free field (20–44). Its linha digitável (47) is the same digits
// in five fields: 1 = barcode 1–4 and 20–24, 2 = 25–34, 3 = 35–44, each of
// the three followed by its módulo 10 digit; 4 = the general digit; 5 = the
// factor and the amount.
#pragma once

#include <QDate>
#include <optional>
#include <string>
#include <string_view>

#include "suite/cobranca/Cobranca.h"

namespace cp {

// digitos holds only digits: 47 of the linha digitável, or 44 of the barcode.
LeituraCobranca lerLinhaDigitavelBoleto(std::string_view digitos, const QDate& hoje);
LeituraCobranca lerCodigoBarrasBoleto(std::string_view digitos, const QDate& hoje);

// The 47 digits of the linha digitável of a 44-digit barcode.
std::string linhaDigitavelDoBoleto(std::string_view codigoBarras);

// The factor counts days from 07/10/1997. It reached 9999 on 21/02/2025 and
// went back to 1000 the next day, so a factor from 1000 up names a date every
// 9,000 days: the one closest to hoje is taken (on a tie, the later one).
// Factor 0 means no due date; factors under 1000 were used before 2000 only.
std::optional<QDate> vencimentoDoFator(int fator, const QDate& hoje);

}  // namespace cp
