#include "suite/nfe/Cnpj.h"

#include "data/Cp1252.h"

namespace cp {
namespace {

bool letraOuAlgarismo(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

char maiuscula(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string somenteCaracteres(std::string_view texto) {
    std::string out;
    out.reserve(texto.size());
    for (char c : texto) {
        c = maiuscula(c);
        if (letraOuAlgarismo(c)) out.push_back(c);
    }
    return out;
}

std::string somenteCaracteres(QStringView texto) {
    std::string out;
    out.reserve(static_cast<std::size_t>(texto.size()));
    for (QChar ch : texto) {
        if (ch.unicode() >= 0x80) continue;
        const char c = maiuscula(static_cast<char>(ch.unicode()));
        if (letraOuAlgarismo(c)) out.push_back(c);
    }
    return out;
}

std::string formataCnpj(std::string_view cnpj) {
    const std::string s = somenteCaracteres(cnpj);
    if (s.size() != kTamanhoCnpj) return std::string(cnpj);
    return s.substr(0, 2) + '.' + s.substr(2, 3) + '.' + s.substr(5, 3) + '/' + s.substr(8, 4) +
           '-' + s.substr(12, 2);
}

std::optional<int> valorDoCaractere(char c) {
    if (!letraOuAlgarismo(c)) return std::nullopt;
    return static_cast<unsigned char>(c) - 48;
}

std::optional<int> digitoModulo11(std::string_view texto) {
    int soma = 0;
    int peso = 2;
    for (auto it = texto.rbegin(); it != texto.rend(); ++it) {
        const auto valor = valorDoCaractere(*it);
        if (!valor) return std::nullopt;
        soma += *valor * peso;
        peso = peso == 9 ? 2 : peso + 1;
    }
    const int resto = soma % 11;
    return resto < 2 ? 0 : 11 - resto;
}

bool cnpjValido(std::string_view cnpj) { return problemaDoCnpj(cnpj).isEmpty(); }

QString problemaDoCnpj(std::string_view cnpj) {
    const std::string s = somenteCaracteres(cnpj);
    if (s.empty()) return QStringLiteral("O CNPJ não foi informado.");
    if (s.size() != kTamanhoCnpj)
        return QStringLiteral("O CNPJ \"%1\" tem %2 caracteres; deve ter 14.")
            .arg(visivel(cnpj), QString::number(s.size()));
    for (std::size_t i = 12; i < kTamanhoCnpj; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return QStringLiteral(
                       "O CNPJ \"%1\" tem a letra \"%2\" na posição %3; os dois últimos "
                       "caracteres, os dígitos verificadores, são sempre algarismos.")
                .arg(QString::fromStdString(formataCnpj(s)), QString(QChar(s[i])),
                     QString::number(i + 1));
    }
    const std::string corpo = s.substr(0, 12);
    const int primeiro = *digitoModulo11(corpo);
    const int segundo = *digitoModulo11(corpo + static_cast<char>('0' + primeiro));
    if (s[12] - '0' != primeiro || s[13] - '0' != segundo)
        return QStringLiteral(
                   "Os dígitos verificadores do CNPJ \"%1\" não conferem: esperado %2%3.")
            .arg(QString::fromStdString(formataCnpj(s)), QString::number(primeiro),
                 QString::number(segundo));
    return {};
}

}  // namespace cp
