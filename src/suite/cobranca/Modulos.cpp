#include "suite/cobranca/Modulos.h"

namespace cp {

int modulo10(std::string_view digitos) {
    int soma = 0;
    int peso = 2;
    for (auto it = digitos.rbegin(); it != digitos.rend(); ++it) {
        const int produto = (*it - '0') * peso;
        soma += produto / 10 + produto % 10;
        peso = 3 - peso;
    }
    return (10 - soma % 10) % 10;
}

int modulo11(std::string_view digitos, RegraModulo11 regra) {
    int soma = 0;
    int peso = 2;
    for (auto it = digitos.rbegin(); it != digitos.rend(); ++it) {
        soma += (*it - '0') * peso;
        peso = peso == 9 ? 2 : peso + 1;
    }
    const int dv = 11 - soma % 11;  // 1 to 11
    if (dv < 10) return dv;
    return regra == RegraModulo11::Boleto ? 1 : 0;
}

}  // namespace cp
