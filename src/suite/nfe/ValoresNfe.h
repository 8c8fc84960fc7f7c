// Amounts and dates as an NF-e writes them, read exactly: amounts as whole
// cents (the money columns are DECIMAL(15,2)), dates as the issuer wrote them.
#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace cp {

// The largest amount a money column holds: 9999999999999.99.
inline constexpr std::int64_t kMaiorValorCentavos = 999'999'999'999'999;

// A decimal text of the invoice ("1234", "1234.5", "1234.56"): digits, then
// optionally a point and one or two decimals; no sign, blanks, comma or
// exponent. nullopt for anything else. An amount past the column's range comes
// back above kMaiorValorCentavos (it is not cut down to a value that fits), so
// that the caller can say so.
std::optional<std::int64_t> lerValorDecimal(QStringView texto);

// "R$ 1.234,56", as the operator reads amounts, whatever the machine's locale.
QString formataReais(std::int64_t centavos);

// "2024-03-05": exactly year, month and day of a real date.
std::optional<QDate> lerDataIso(QStringView texto);

// "2024-03-05T10:20:30-03:00" (the offset may be missing or "Z"): the date as
// written, which is the issuer's own calendar day, whatever the offset.
std::optional<QDate> lerDataHoraIso(QStringView texto);

// "05/03/2024".
QString formataData(const QDate& data);

}  // namespace cp
