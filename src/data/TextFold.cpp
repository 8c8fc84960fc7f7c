#include "data/TextFold.h"

#include <array>

namespace cp {

namespace {

// The folded form of each byte: one or two characters (the second 0 when
// there is none).
struct Dobra {
    char a, b;
};

constexpr std::array<Dobra, 256> tabela() {
    std::array<Dobra, 256> t{};
    for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = {static_cast<char>(i), 0};
    for (int c = 'A'; c <= 'Z'; ++c) t[static_cast<size_t>(c)] = {static_cast<char>(c + 32), 0};
    const auto faixa = [&t](int de, int ate, char letra) {
        for (int i = de; i <= ate; ++i) t[static_cast<size_t>(i)] = {letra, 0};
    };
    // Upper and lower case of Latin-1's accented letters.
    faixa(0xC0, 0xC5, 'a');
    faixa(0xE0, 0xE5, 'a');
    t[0xC6] = t[0xE6] = {'a', 'e'};
    t[0xC7] = t[0xE7] = {'c', 0};
    faixa(0xC8, 0xCB, 'e');
    faixa(0xE8, 0xEB, 'e');
    faixa(0xCC, 0xCF, 'i');
    faixa(0xEC, 0xEF, 'i');
    t[0xD0] = t[0xF0] = {'d', 0};
    t[0xD1] = t[0xF1] = {'n', 0};
    faixa(0xD2, 0xD6, 'o');
    faixa(0xF2, 0xF6, 'o');
    t[0xD8] = t[0xF8] = {'o', 0};
    faixa(0xD9, 0xDC, 'u');
    faixa(0xF9, 0xFC, 'u');
    t[0xDD] = t[0xFD] = t[0xFF] = {'y', 0};
    t[0xDF] = {'s', 's'};
    // Windows-1252's own letters in 0x80-0x9F.
    t[0x8A] = t[0x9A] = {'s', 0};
    t[0x8C] = t[0x9C] = {'o', 'e'};
    t[0x8E] = t[0x9E] = {'z', 0};
    t[0x9F] = {'y', 0};
    return t;
}

constexpr std::array<Dobra, 256> kTabela = tabela();

}  // namespace

void appendFoldedCp1252(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        const Dobra& d = kTabela[static_cast<unsigned char>(c)];
        out += d.a;
        if (d.b) out += d.b;
    }
}

std::string foldCp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendFoldedCp1252(out, bytes);
    return out;
}

}  // namespace cp
