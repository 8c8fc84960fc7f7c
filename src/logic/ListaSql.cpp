#include "logic/ListaSql.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "data/Cp1252.h"
#include "data/Formats.h"

namespace cp {

namespace {

// The calendar's zero date, which an empty period date stands for.
const QDate kDataZero(1899, 12, 30);

std::string dataTexto(const QDate& d, const char* formato) {
    const QDate data = d.isValid() ? d : kDataZero;
    return data.toString(QLatin1String(formato)).toStdString();
}

}  // namespace

std::string sqlLista(const QDate& ini, const QDate& fim, const std::string& filtro) {
    std::string sql;
    sql.reserve(420);
    sql += "Select ";
    sql +=
        "A.CodigoParc, A.Estacao, A.NPedido, A.CodigoCPR, A.DataVencim, A.NumParcela, "
        "A.NumDocumento, A.ValorParcela, A.DataPagto, A.ValorPago, B.NomeCliFor, B.CodigoCPR, "
        "B.Natureza, B.Descricao, B.NFiscal";
    sql += " from Parcelas A, ContasPR B where B.Natureza = 'P' and A.CodigoCPR = B.CodigoCPR and ";
    sql += "(A.DataVencim >= '";
    sql += dataTexto(ini, "MM/dd/yyyy");
    sql += "' and A.DataVencim <= '";
    sql += dataTexto(fim, "MM/dd/yyyy");
    sql += "')";
    sql += filtro;
    sql += " order by A.DataVencim";
    return sql;
}

std::string valorComPonto(std::int64_t centavos) {
    const bool negativo = centavos < 0;
    // The magnitude as unsigned, so the most negative value does not overflow.
    const std::uint64_t m =
        negativo ? 0 - static_cast<std::uint64_t>(centavos) : static_cast<std::uint64_t>(centavos);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%llu.%02llu", negativo ? "-" : "",
                  static_cast<unsigned long long>(m / 100),
                  static_cast<unsigned long long>(m % 100));
    return buf;
}

std::string sqlQuitar(std::int64_t numParcela, std::int64_t codigoCPR, const QDate& vencimento,
                      std::int64_t valorCentavos) {
    return "Update PARCELAS set DATAPAGTO = '" + dataTexto(vencimento, "MM/dd/yy") + "', " +
           "VALORPAGO = '" + valorComPonto(valorCentavos) + "' where " +
           " NUMPARCELA = " + std::to_string(numParcela) + " and " +
           " CODIGOCPR = " + std::to_string(codigoCPR);
}

std::string sqlCancelarQuitacao(std::int64_t numParcela, std::int64_t codigoCPR) {
    return "Update PARCELAS set DATAPAGTO = NULL, VALORPAGO = NULL where  NumParcela = " +
           std::to_string(numParcela) + " and " + " CODIGOCPR = " + std::to_string(codigoCPR);
}

QString textoTotal(double valor) {
    return QStringLiteral("R$ ") + fromCp1252(formatFloat("#,###,##0.00", valor));
}

}  // namespace cp
