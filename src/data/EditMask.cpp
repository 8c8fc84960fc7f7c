#include "data/EditMask.h"

#include <cctype>

#include "data/Formats.h"

namespace cp {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

EditMask::EditMask(std::string_view mask) {
    // Trailing ";save;blank" fields.
    if (mask.size() >= 2 && mask[mask.size() - 2] == ';') {
        blank_ = mask.back();
        mask.remove_suffix(2);
        if (mask.size() >= 2 && mask[mask.size() - 2] == ';') {
            saveLiterals_ = mask.back() != '0';
            mask.remove_suffix(2);
        }
    }
    char dsep = separatorByte(QString(dateSeparator()), '/');
    char tsep = separatorByte(QString(timeSeparator()), ':');
    int caseMode = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        char c = mask[i];
        switch (c) {
            case '!':
                blanksLeft_ = true;
                continue;
            case '>':
                if (i + 1 < mask.size() && mask[i + 1] == '<') {
                    caseMode = 0;
                    ++i;
                } else {
                    caseMode = 1;
                }
                continue;
            case '<':
                caseMode = -1;
                continue;
            case '\\':
                if (i + 1 < mask.size()) positions_.push_back({0, mask[++i], caseMode});
                continue;
            case '/':
                positions_.push_back({0, dsep, caseMode});
                continue;
            case ':':
                positions_.push_back({0, tsep, caseMode});
                continue;
            case '0':
            case '9':
            case '#':
            case 'L':
            case 'l':
            case 'A':
            case 'a':
            case 'C':
            case 'c':
                positions_.push_back({c, 0, caseMode});
                continue;
            default:
                positions_.push_back({0, c, caseMode});
        }
    }
    for (int i = 0; i < length();) {
        if (positions_[i].kind == 0) {
            ++i;
            continue;
        }
        int start = i;
        while (i < length() && positions_[i].kind != 0) ++i;
        groups_.emplace_back(start, i - start);
    }
}

// Lays typed text into the positions: `cells` gets one character per
// position, literals in place and '\0' where nothing was typed. False when
// more was typed than the mask holds.
bool EditMask::layOut(std::string_view typed, std::string& cells) const {
    const int n = length();
    cells.assign(n, '\0');
    for (int i = 0; i < n; ++i)
        if (positions_[i].kind == 0) cells[i] = positions_[i].literal;

    bool positional = static_cast<int>(typed.size()) == n;
    for (int i = 0; positional && i < n; ++i)
        if (positions_[i].kind == 0 && typed[i] != positions_[i].literal) positional = false;
    if (positional) {
        for (int i = 0; i < n; ++i)
            if (positions_[i].kind != 0 && typed[i] != blank_ && typed[i] != ' ')
                cells[i] = typed[i];
        return true;
    }

    // As if typed: each run of input positions takes characters until it is
    // full or the literal that follows it is typed.
    std::vector<std::string> runs(groups_.size());
    std::size_t g = 0;
    auto literalAt = [&](int pos) { return pos < n && positions_[pos].kind == 0; };
    for (char c : typed) {
        if (c == blank_ || c == ' ') continue;
        if (g < groups_.size() && runs[g].empty()) {
            // A literal typed before the run begins (the mask's leading literals).
            int p = groups_[g].first - 1;
            bool skip = false;
            while (p >= 0 && literalAt(p) && !skip) skip = cells[p--] == c;
            if (skip) continue;
        }
        if (g < groups_.size()) {
            int after = groups_[g].first + groups_[g].second;
            if (literalAt(after) && cells[after] == c) {
                ++g;
                continue;
            }
            if (static_cast<int>(runs[g].size()) == groups_[g].second) {
                ++g;
            }
        }
        if (g >= groups_.size()) {
            // Only the mask's trailing literals may follow its last run.
            int last = groups_.empty() ? 0 : groups_.back().first + groups_.back().second;
            bool trailing = false;
            for (int p = last; p < n && !trailing; ++p) trailing = cells[p] == c;
            if (!trailing) return false;
            continue;
        }
        runs[g] += c;
    }
    for (std::size_t k = 0; k < groups_.size(); ++k) {
        auto [first, len] = groups_[k];
        const std::string& r = runs[k];
        int offset = blanksLeft_ ? len - static_cast<int>(r.size()) : 0;
        for (std::size_t j = 0; j < r.size(); ++j) cells[first + offset + j] = r[j];
    }
    return true;
}

std::optional<std::string> EditMask::apply(std::string_view typed) const {
    std::string cells;
    if (!layOut(typed, cells)) return std::nullopt;
    std::string out;
    for (int i = 0; i < length(); ++i) {
        const Position& p = positions_[i];
        char c = cells[i];
        if (p.kind == 0) {
            if (saveLiterals_) out += c;
            continue;
        }
        if (c == '\0') {
            if (p.kind == '0' || p.kind == 'L' || p.kind == 'A' || p.kind == 'C')
                return std::nullopt;
            out += ' ';
            continue;
        }
        unsigned char u = static_cast<unsigned char>(c);
        bool ok = true;
        switch (p.kind) {
            case '0':
            case '9':
                ok = isDigit(c);
                break;
            case '#':
                ok = isDigit(c) || c == '+' || c == '-';
                break;
            case 'L':
            case 'l':
                ok = std::isalpha(u) || u >= 0xC0;
                break;
            case 'A':
            case 'a':
                ok = std::isalnum(u) || u >= 0xC0;
                break;
            default:
                break;
        }
        if (!ok) return std::nullopt;
        if (p.caseMode > 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (p.caseMode < 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        out += c;
    }
    return out;
}

std::string EditMask::display(std::string_view stored) const {
    std::string cells;
    if (!layOut(stored, cells)) cells.assign(length(), '\0');
    for (auto& c : cells)
        if (c == '\0') c = blank_;
    return cells;
}

}  // namespace cp
