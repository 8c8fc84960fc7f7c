#include "logic/UChKProt.h"

namespace cp {

std::int64_t Potencia(std::int64_t base, std::int64_t expoente) {
    if (expoente <= 0) return 1;
    // Unsigned arithmetic: the product wraps instead of overflowing.
    const auto b = static_cast<std::uint64_t>(base);
    std::uint64_t resultado = b;
    for (std::int64_t i = 2; i <= expoente; ++i) resultado *= b;
    return static_cast<std::int64_t>(resultado);
}

std::string Binario(std::int64_t valor) {
    if (valor <= 0) return "00000000";
    std::string digitos;
    for (auto v = static_cast<std::uint64_t>(valor); v != 0; v >>= 1)
        digitos.insert(digitos.begin(), (v & 1u) ? '1' : '0');
    return digitos;
}

std::string Binario8(char caractere) {
    std::string digitos = Binario(static_cast<unsigned char>(caractere));
    if (digitos.size() < 8) digitos.insert(0, 8 - digitos.size(), '0');
    return digitos;
}

std::int64_t ValorBinario(std::string_view digitos) {
    const auto m = static_cast<std::int64_t>(digitos.size());
    std::uint64_t soma = 0;
    for (std::int64_t i = 1; i <= m; ++i) {
        if (digitos[static_cast<std::size_t>(i - 1)] == '1')
            soma += static_cast<std::uint64_t>(Potencia(2, m - i));
    }
    return static_cast<std::int64_t>(soma);
}

char LetraDoGrupo(std::string_view quatroDigitos) {
    return static_cast<char>('A' + ValorBinario(quatroDigitos.substr(0, 4)));
}

std::string LetrasDoTexto(std::string_view texto) {
    std::string letras;
    letras.reserve(texto.size() * 2);
    for (char c : texto) {
        const std::string digitos = Binario8(c);
        letras += LetraDoGrupo(std::string_view(digitos).substr(0, 4));
        letras += LetraDoGrupo(std::string_view(digitos).substr(4, 4));
    }
    return letras;
}

std::string CodificaSenha(std::string_view texto) {
    const std::size_t k = texto.size() % 32;
    if (k == 0) return {};

    std::string d;
    d.reserve(8 * k);
    for (std::size_t i = 0; i < k; ++i) d += Binario8(texto[i]);

    // Rotate the digit string left by three digits.
    const std::string girado = d.substr(3) + d.substr(0, 3);

    // Groups of eight digits, from the last group to the first.
    std::string intermediario;
    intermediario.reserve(k);
    for (std::size_t g = k; g-- > 0;)
        intermediario += static_cast<char>(ValorBinario(std::string_view(girado).substr(8 * g, 8)));

    return LetrasDoTexto(intermediario);
}

}  // namespace cp
