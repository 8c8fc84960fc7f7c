// Blanks around stored texts: CHAR columns and fixed-width files pad with
// blanks, which never belong to the value. Only the blank goes; tabs and
// other control characters stay.
#pragma once

#include <string_view>

namespace cp {

constexpr std::string_view rtrim(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

constexpr std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return rtrim(s);
}

}  // namespace cp
