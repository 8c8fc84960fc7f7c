// Texts compared the way an operator reads them: without regard to case or
// accents ("Farmácia" and "FARMACIA" are the same word). Works on the
// Windows-1252 bytes the suite stores, so a long list is folded without
// converting it to the screen's text first.
#pragma once

#include <string>
#include <string_view>

namespace cp {

// Lower-case ASCII letters, accented Latin letters as their bare letter
// ("É" -> "e", "ç" -> "c", "Æ" -> "ae"); every other byte as it is.
std::string foldCp1252(std::string_view bytes);
// Appends the folded form of `bytes` to `out`.
void appendFoldedCp1252(std::string& out, std::string_view bytes);

}  // namespace cp
