#include "Valores.h"

#include <QString>

#include "data/Cp1252.h"

namespace mkdemo {

Value texto(const std::string& utf8, std::size_t largura) {
    std::string s = cp::toCp1252OrThrow(QString::fromStdString(utf8));
    if (s.size() > largura) s.resize(largura);
    return s;
}

Value textoOuNulo(const std::string& utf8, std::size_t largura) {
    return utf8.empty() ? nulo : texto(utf8, largura);
}

Value horaSorteada(Sorteio& s) {
    const int h = s.entre(8, 18);
    const int m = s.ate(60);
    return hora(h, m, s.ate(60));
}

std::string cnpj(Sorteio& s) {
    int d[14];
    for (int i = 0; i < 8; ++i) d[i] = s.ate(10);
    d[8] = 0, d[9] = 0, d[10] = 0, d[11] = 1;
    auto digito = [&](int n) {
        static const int pesos[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
        int soma = 0;
        for (int i = 0; i < n; ++i) soma += d[i] * pesos[13 - n + i];
        const int r = soma % 11;
        return r < 2 ? 0 : 11 - r;
    };
    d[12] = digito(12);
    d[13] = digito(13);
    std::string r;
    for (int i = 0; i < 14; ++i) {
        if (i == 2 || i == 5) r += '.';
        if (i == 8) r += '/';
        if (i == 12) r += '-';
        r += static_cast<char>('0' + d[i]);
    }
    return r;
}

}  // namespace mkdemo
