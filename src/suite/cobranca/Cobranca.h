// What the operator types, pastes or scans to pay a bill: a bank boleto (its
// linha digitável of 47 digits or its barcode of 44), a collection slip of a
// utility or a tax (48 digits, or a barcode of 44 beginning with 8) or a PIX
// "copia e cola" code. lerCobranca recognises which one it is, checks every
// check digit or the CRC, and returns what a payable needs from it, or a
// sentence for the operator saying exactly what is wrong.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cp {

enum class TipoCobranca { Boleto, Arrecadacao, Pix };

// The largest amount the suite records (DECIMAL(15,2)): 9.999.999.999.999,99.
inline constexpr std::int64_t kMaiorValorCentavos = 999'999'999'999'999;

struct CobrancaLida {
    TipoCobranca tipo = TipoCobranca::Boleto;
    std::string codigoBarras;  // the 44 digits (boleto and arrecadação); empty for PIX
    std::string linha;         // the 47 or 48 digits without separators; the PIX code as received
    std::string banco;         // boleto: the bank's 3-digit code
    QString nomeBanco;         // boleto: the bank's name; empty when not one of the usual banks
    std::optional<QDate> vencimento;            // boleto with a due-date factor
    std::optional<std::int64_t> valorCentavos;  // none when the amount is typed at payment
    // PIX only. urlPix is set for a dynamic code (the bank fetches the charge
    // from it), chavePix for a static one; txid is empty when the code has none.
    QString recebedor, cidade, chavePix, urlPix, txid;

    // What a bank's site or app takes to pay it.
    const std::string& paraPagamento() const { return linha; }
};

struct LeituraCobranca {
    std::optional<CobrancaLida> cobranca;
    QString erro;  // set when cobranca is empty

    explicit operator bool() const { return cobranca.has_value(); }

    static LeituraCobranca lida(CobrancaLida cobranca);
    static LeituraCobranca falha(QString erro);
};

// Blanks, dots, hyphens and line breaks are ignored in the digit forms; a PIX
// code is taken as received, without the blanks around it. hoje chooses
// between the two dates a boleto's due-date factor can name (an invalid date
// means today).
LeituraCobranca lerCobranca(std::string_view texto, const QDate& hoje);

}  // namespace cp
