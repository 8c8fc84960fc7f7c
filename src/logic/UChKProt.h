// The suite's keyless scrambler for user names and passwords. USUARIOS keeps
// the scrambled upper-case name in USUARIO and the scrambled upper-case
// password in SENHA; the other programs of the suite write them with this very
// rule, so it is reproduced bit for bit, its limits included. Nothing is ever
// unscrambled: the login scrambles what was typed and compares the results.
//
// Texts are Windows-1252 bytes; each character counts by its 8-bit code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cp {

// base raised to exponent: 1 for exponent 0 (and, by choice, for a negative
// exponent), otherwise base multiplied by itself exponent times in all.
// Arithmetic wraps at 64 bits.
std::int64_t Potencia(std::int64_t base, std::int64_t expoente);

// Binary digits of a non-negative number, most significant first, without
// leading zeros; "00000000" for 0. A negative number gives "00000000" too.
std::string Binario(std::int64_t valor);

// Binario of the character's 8-bit code, padded on the left to eight digits.
std::string Binario8(char caractere);

// Value of a string of binary digits: digit i of m counts Potencia(2, m - i).
// Any character other than '1' counts as 0.
std::int64_t ValorBinario(std::string_view digitos);

// "A" plus the value of four binary digits: "0000" gives "A", "1111" gives "P".
char LetraDoGrupo(std::string_view quatroDigitos);

// Two letters per character: the letter of its high four bits, then of its
// low four bits.
std::string LetrasDoTexto(std::string_view texto);

// The scrambled form of a text: only its first n mod 32 characters take part
// (a text of exactly 32, 64, ... characters gives the empty text). Their codes,
// read as one big-endian number, are rotated left by three bits, the bytes
// are taken in reverse order and each is written as two letters A..P.
std::string CodificaSenha(std::string_view texto);

}  // namespace cp
