// The CNPJ, the company register number of a supplier. It has 14 characters:
// a root of 8 and an establishment of 4, then two check digits. Since July
// 2026 the first 12 may be letters A-Z as well as digits; the check digits
// stay digits. Each character counts as its ASCII code minus 48 (so digits
// keep their value and A is 17), which leaves every numeric CNPJ with the
// check digits it always had.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

namespace cp {

inline constexpr std::size_t kTamanhoCnpj = 14;

// The letters (upper-cased) and digits of a typed or stored CNPJ, without the
// dots, slash, hyphen and blanks around them. Only A-Z count as letters.
std::string somenteCaracteres(std::string_view texto);
std::string somenteCaracteres(QStringView texto);

// "99.999.999/9999-99" (letters where the CNPJ has them). A text that does not
// come to 14 characters is returned as given, so that nothing is hidden.
std::string formataCnpj(std::string_view cnpj);

// Value of one character in the module-11 sums: ASCII code minus 48, for 0-9
// and A-Z only; nullopt for any other character.
std::optional<int> valorDoCaractere(char c);

// The check digit of module 11 over `texto` with weights 2 to 9 from the
// right, starting again at 2 after 9: remainder 0 or 1 gives 0, any other
// 11 minus the remainder. nullopt when a character has no value. Shared by
// the CNPJ and the NF-e access key.
std::optional<int> digitoModulo11(std::string_view texto);

// The CNPJ as stored (14 characters, letters upper-case, no punctuation) is
// valid: 12 characters of 0-9/A-Z, two digits, and both check digits right.
bool cnpjValido(std::string_view cnpj);

// Empty when the CNPJ (typed or stored, punctuation ignored) is valid;
// otherwise a sentence for the operator saying what is wrong with it.
QString problemaDoCnpj(std::string_view cnpj);

}  // namespace cp
