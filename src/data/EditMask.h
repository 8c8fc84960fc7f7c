// Edit masks of the record-set columns, as the suite's screens know them
// from Delphi: the date, time and CNPJ masks of the edit boxes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cp {

// A Delphi edit mask "mask;save-literals;blank". Mask characters: 0 digit
// required, 9 digit optional, # digit or sign optional, L letter required,
// l letter optional, A alphanumeric required, a optional, C any required, c
// optional; \x the literal x; ! (leading) optional positions blank at the
// left; > and < upper or lower case what follows. Everything else is literal.
class EditMask {
  public:
    explicit EditMask(std::string_view mask);

    bool empty() const { return positions_.empty(); }
    bool saveLiterals() const { return saveLiterals_; }
    char blank() const { return blank_; }
    int length() const { return static_cast<int>(positions_.size()); }

    // The text shown in an edit box for a stored text: literals in place,
    // unfilled positions as the blank character.
    std::string display(std::string_view stored) const;
    // Typed text into the stored form. The text is laid into the mask as if
    // typed: literals may be typed or left out. Returns nullopt when a
    // required position stays unfilled or a character does not fit its
    // position. Unfilled optional positions become blanks. With literals not
    // saved, only the typed characters are kept.
    std::optional<std::string> apply(std::string_view typed) const;

    // The runs of input positions between literals: (first, count).
    const std::vector<std::pair<int, int>>& groups() const { return groups_; }

  private:
    bool layOut(std::string_view typed, std::string& cells) const;

    struct Position {
        char kind;     // 0 literal, or one of 0 9 # L l A a C c
        char literal;  // for literals
        int caseMode;  // 0 none, 1 upper, -1 lower
    };
    std::vector<Position> positions_;
    bool saveLiterals_ = true;
    char blank_ = '_';
    bool blanksLeft_ = false;  // "!": a short run is filled from the right
    std::vector<std::pair<int, int>> groups_;
};

}  // namespace cp
