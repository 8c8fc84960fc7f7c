// The access key of an NF-e: 44 characters that name one invoice among all
// those authorised in the country, printed under the bar code of the DANFE
// and carried in the invoice's XML. Its positions:
//
//   1-2 UF   3-6 year and month   7-20 issuer's CNPJ   21-22 model
//   23-25 series   26-34 number   35 kind of issue   36-43 code   44 check digit
//
// Every position holds a digit except the first 12 of the CNPJ, which may be
// letters since the alphanumeric CNPJ (an issuer with a CPF has "000" and the
// CPF there). The check digit is module 11 over the first 43 characters, each
// counting as its ASCII code minus 48, as the CNPJ's digits are computed.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace cp {

inline constexpr std::size_t kTamanhoChave = 44;

struct LeituraChave;

// A key typed by the operator or read from an invoice: blanks and dots are
// ignored, letters are upper-cased, and the "NFe" of the XML's Id may lead.
LeituraChave lerChaveAcesso(QStringView texto);

class ChaveAcesso {
  public:
    // The 44 characters as stored: digits and upper-case letters only.
    const std::string& texto() const { return texto_; }

    std::string_view uf() const { return parte(1, 2); }
    std::string_view anoMes() const { return parte(3, 4); }
    std::string_view cnpj() const { return parte(7, 14); }
    std::string_view modelo() const { return parte(21, 2); }
    std::string_view serie() const { return parte(23, 3); }
    // The invoice number as the account records it: without leading zeros.
    std::string numero() const;
    char tipoEmissao() const { return texto_[34]; }
    std::string_view codigo() const { return parte(36, 8); }
    int dv() const { return texto_[43] - '0'; }

    // Groups of four, as the DANFE prints it.
    QString formatada() const;

    bool operator==(const ChaveAcesso&) const = default;

  private:
    friend LeituraChave lerChaveAcesso(QStringView texto);
    explicit ChaveAcesso(std::string texto) : texto_(std::move(texto)) {}
    std::string_view parte(std::size_t posicao, std::size_t tamanho) const {
        return std::string_view(texto_).substr(posicao - 1, tamanho);
    }
    std::string texto_;
};

// A key that was read, or why it was refused.
struct LeituraChave {
    std::optional<ChaveAcesso> chave;
    QString erro;  // empty when chave is set
};

// The check digit of the first 43 characters of a key (nullopt when one of
// them has no value in the sum).
std::optional<int> digitoDaChave(std::string_view primeiros43);

}  // namespace cp
