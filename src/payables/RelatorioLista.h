// The due list as a report: a copy of what the list shows (its rows in
// their order, the period, the view, its two totals) taken on the window's
// thread, so the paper, PDF and spreadsheet copies are written from it in
// the background without touching the record set or the widgets. Also the
// subtotals per due date and per supplier, summed in exact cents, and the
// small text forms both copies share.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cp {

class RecordSet;

// One row of the list, typed as the list holds it; texts as Windows-1252
// bytes (turned into text by the writers, off the window's thread). The
// four texts share one buffer: a copy of 100,000 rows is held while its
// preview is open.
class LinhaLista {
  public:
    QDate vencimento;
    std::optional<std::int64_t> numParcela;
    std::optional<std::int64_t> valorParcela;  // cents
    QDate pagoEm;
    std::optional<std::int64_t> valorPago;  // cents
    std::optional<std::int64_t> numDocumento;
    std::optional<std::int64_t> codigoCPR;

    std::string_view descricao() const { return parte(0); }
    std::string_view fornecedor() const { return parte(1); }
    std::string_view notaFiscal() const { return parte(2); }
    // The slip kept with it, as printed; empty when none.
    std::string_view linhaCobranca() const { return parte(3); }

    void defineTextos(std::string_view descricao, std::string_view fornecedor,
                      std::string_view notaFiscal);
    void defineCobranca(std::string_view linha);

  private:
    std::string_view parte(int i) const {
        return std::string_view(textos_).substr(inicio_[i], inicio_[i + 1] - inicio_[i]);
    }

    std::string textos_;
    std::uint32_t inicio_[5] = {0, 0, 0, 0, 0};
};

struct RelatorioLista {
    QString titulo;            // the list's title as shown
    bool apenasAPagar = true;  // the unpaid view (else all installments)
    QDate inicio, fim;         // the period the list was built with
    QString areaTrabalho;      // the work-area code
    QString operador;          // the operator's name
    QDateTime emitidoEm;       // when the copy was asked for
    std::vector<LinhaLista> linhas;
    // The two totals exactly as the list computed and shows them.
    double totalAPagar = 0;
    double totalPago = 0;
};

// The visible rows of the due list (Query2), in order, as shown.
std::vector<LinhaLista> copiaLinhas(const RecordSet& lista);

struct Subtotal {
    QDate vencimento;        // per due date
    std::string fornecedor;  // per supplier (Windows-1252)
    int parcelas = 0;
    std::int64_t aPagar = 0;  // cents
    std::int64_t pago = 0;
};

// One subtotal per run of rows with the same due date, in list order (the
// list is in due-date order, so one per date).
std::vector<Subtotal> subtotaisPorVencimento(const std::vector<LinhaLista>& linhas);
// One subtotal per supplier name, in alphabetical order.
std::vector<Subtotal> subtotaisPorFornecedor(const std::vector<LinhaLista>& linhas);

// Progress of a copy being written, shared with the window's thread.
struct Progresso {
    std::atomic<int> feito{0};
    std::atomic<int> total{0};
    std::atomic<bool> cancelado{false};
    // Called by the writer after each page or block, on the writer's thread
    // (the print preview paints on the window's thread and updates its
    // progress dialog from here).
    std::function<void()> aCadaPasso;
};

// ----- Text forms shared by the copies -----
// "dd/mm/aaaa"; empty for no date.
QString dataCompleta(const QDate& d);
// Cents with a decimal comma and no grouping ("-1234,56"); empty for none.
QString valorVirgula(std::optional<std::int64_t> centavos);
// A binary total rounded to two decimals as the list's totals are, with a
// decimal comma and no grouping.
QString totalVirgula(double valor);
// "apenas as parcelas a pagar" / "todas as parcelas (pagas e a pagar)".
QString textoExibicao(bool apenasAPagar);

}  // namespace cp
