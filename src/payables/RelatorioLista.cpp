#include "payables/RelatorioLista.h"

#include <QCollator>
#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "data/Cp1252.h"
#include "data/RecordSet.h"
#include "logic/ListaSql.h"

namespace cp {

namespace {

std::optional<std::int64_t> inteiro(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    return std::nullopt;
}

QDate data(const Value& v) {
    if (const auto* d = std::get_if<QDate>(&v)) return *d;
    return {};
}

std::string_view texto(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    return {};
}

void soma(Subtotal& s, const LinhaLista& l) {
    TotaisListaDe<std::int64_t> t{s.aPagar, s.pago};
    t.soma(l.valorParcela.value_or(0), l.valorPago.value_or(0));
    s.aPagar = t.aPagar;
    s.pago = t.pago;
    ++s.parcelas;
}

}  // namespace

void LinhaLista::defineTextos(std::string_view descricao, std::string_view fornecedor,
                              std::string_view notaFiscal) {
    const std::string_view cobranca = linhaCobranca();
    std::string t;
    t.reserve(descricao.size() + fornecedor.size() + notaFiscal.size() + cobranca.size());
    std::uint32_t* p = inicio_;
    for (std::string_view parte : {descricao, fornecedor, notaFiscal, cobranca}) {
        t.append(parte);
        *++p = static_cast<std::uint32_t>(t.size());
    }
    textos_ = std::move(t);
}

void LinhaLista::defineCobranca(std::string_view linha) {
    textos_.resize(inicio_[3]);
    textos_.append(linha);
    inicio_[4] = static_cast<std::uint32_t>(textos_.size());
}

std::vector<LinhaLista> copiaLinhas(const RecordSet& q) {
    const int venc = q.fieldIndex("DATAVENCIM"), desc = q.fieldIndex("DESCRICAO"),
              forn = q.fieldIndex("NOMECLIFOR"), nf = q.fieldIndex("NFISCAL"),
              parc = q.fieldIndex("NUMPARCELA"), valor = q.fieldIndex("VALORPARCELA"),
              pagoEm = q.fieldIndex("DATAPAGTO"), pago = q.fieldIndex("VALORPAGO"),
              doc = q.fieldIndex("NUMDOCUMENTO"), conta = q.fieldIndex("CODIGOCPR");
    std::vector<LinhaLista> out;
    if (!q.active()) return out;
    const int n = q.rowCount();
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        LinhaLista l;
        l.vencimento = data(q.valueAt(i, venc));
        const Value d = q.valueAt(i, desc), f = q.valueAt(i, forn), n = q.valueAt(i, nf);
        l.defineTextos(texto(d), texto(f), texto(n));
        l.numParcela = inteiro(q.valueAt(i, parc));
        l.valorParcela = inteiro(q.valueAt(i, valor));
        l.pagoEm = data(q.valueAt(i, pagoEm));
        l.valorPago = inteiro(q.valueAt(i, pago));
        l.numDocumento = inteiro(q.valueAt(i, doc));
        l.codigoCPR = inteiro(q.valueAt(i, conta));
        out.push_back(std::move(l));
    }
    return out;
}

std::vector<Subtotal> subtotaisPorVencimento(const std::vector<LinhaLista>& linhas) {
    std::vector<Subtotal> out;
    for (const LinhaLista& l : linhas) {
        if (out.empty() || out.back().vencimento != l.vencimento) {
            out.emplace_back();
            out.back().vencimento = l.vencimento;
        }
        soma(out.back(), l);
    }
    return out;
}

std::vector<Subtotal> subtotaisPorFornecedor(const std::vector<LinhaLista>& linhas) {
    std::unordered_map<std::string, Subtotal> porNome;
    for (const LinhaLista& l : linhas) {
        Subtotal& s = porNome[std::string(l.fornecedor())];
        if (s.parcelas == 0) s.fornecedor = l.fornecedor();
        soma(s, l);
    }
    std::vector<std::pair<QString, Subtotal>> ordem;
    ordem.reserve(porNome.size());
    for (auto& [nome, s] : porNome) ordem.emplace_back(fromCp1252(nome), std::move(s));
    QCollator collator;  // the operator's alphabetical order
    std::sort(ordem.begin(), ordem.end(), [&](const auto& a, const auto& b) {
        const int c = collator.compare(a.first, b.first);
        return c != 0 ? c < 0 : a.second.fornecedor < b.second.fornecedor;
    });
    std::vector<Subtotal> out;
    out.reserve(ordem.size());
    for (auto& p : ordem) out.push_back(std::move(p.second));
    return out;
}

QString dataCompleta(const QDate& d) {
    if (!d.isValid()) return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day(), d.month(), d.year());
    return QString::fromLatin1(buf);
}

QString valorVirgula(std::optional<std::int64_t> centavos) {
    if (!centavos) return {};
    const bool negativo = *centavos < 0;
    const std::uint64_t m = negativo ? 0 - static_cast<std::uint64_t>(*centavos)
                                     : static_cast<std::uint64_t>(*centavos);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%llu,%02llu", negativo ? "-" : "",
                  static_cast<unsigned long long>(m / 100),
                  static_cast<unsigned long long>(m % 100));
    return QString::fromLatin1(buf);
}

QString totalVirgula(double valor) {
    // Rounded as the list's total label rounds the same binary value.
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.2f", valor);
    QString s = QString::fromLatin1(buf);
    if (s == QLatin1String("-0.00")) s = QStringLiteral("0.00");
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString textoExibicao(bool apenasAPagar) {
    return apenasAPagar ? QStringLiteral("apenas as parcelas a pagar")
                        : QStringLiteral("todas as parcelas (pagas e a pagar)");
}

}  // namespace cp
