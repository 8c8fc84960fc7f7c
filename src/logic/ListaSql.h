// The texts the due list sends to the server and the text of its totals.
// The list statement and the two settlement UPDATEs are sent exactly as
// other programs of the suite send them (the server's logs and triggers see
// the same text); only the paid amount is written with a decimal point
// whatever the operator's locale, since the server reads the quoted amount
// only in that form.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <string>

namespace cp {

// The due-list statement: installments of payable accounts due from `ini` to
// `fim` (both inclusive), followed by `filtro` (empty, or the unpaid clause),
// in due-date order. Dates are written as "mm/dd/yyyy"; an empty date is the
// zero date 12/30/1899, which lists nothing.
std::string sqlLista(const QDate& ini, const QDate& fim, const std::string& filtro);

// Settles the installments numbered `numParcela` of account `codigoCPR`: paid
// on `vencimento` ("mm/dd/yy") with `valorCentavos` ("0.00", decimal point).
std::string sqlQuitar(std::int64_t numParcela, std::int64_t codigoCPR, const QDate& vencimento,
                      std::int64_t valorCentavos);

// Cancels the settlement: the installment is open again, with neither a
// payment date nor an amount paid (as generation leaves it and as every
// program of the suite reads an open installment).
std::string sqlCancelarQuitacao(std::int64_t numParcela, std::int64_t codigoCPR);

// An amount in the pattern "0.00" with a decimal point: at least one integer
// digit, exactly two decimals, no grouping.
std::string valorComPonto(std::int64_t centavos);

// A list total: "R$ " + the amount in the pattern "#,###,##0.00" with the
// separators of the program's locale ("R$ 1.234,56" under Brazilian
// conventions), rounded as the pattern rounds the binary value.
QString textoTotal(double valor);

// The two list totals. A row counts in exactly one: what was paid when its
// paid amount is not zero, otherwise its installment amount still to pay. A
// null amount counts as zero. The list itself sums in binary floating point,
// as it always showed them (TotaisLista); subtotals of the list's copies sum
// the same rule in exact cents (TotaisListaDe<std::int64_t>).
template <class Valor>
struct TotaisListaDe {
    Valor aPagar = 0;
    Valor pago = 0;
    void soma(Valor valorParcela, Valor valorPago) {
        if (valorPago != 0)
            pago += valorPago;
        else
            aPagar += valorParcela;
    }
};
using TotaisLista = TotaisListaDe<double>;

}  // namespace cp
