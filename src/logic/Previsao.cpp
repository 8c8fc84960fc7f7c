#include "logic/Previsao.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "data/Connection.h"
#include "data/Formats.h"
#include "data/Text.h"
#include "fb/fb.h"

namespace cp {

namespace {

// The list's own reading of "unpaid" and of "payable account".
const char* const kDeContasAPagar =
    " from Parcelas A, ContasPR B where B.Natureza = 'P' and A.CodigoCPR = B.CodigoCPR and "
    "(A.DataPagto is Null) and (A.ValorPago is Null)";

std::int64_t emCentavos(const fb::Decimal& d) {
    std::int64_t v = d.value;
    for (int s = d.scale; s < 2; ++s) v *= 10;
    for (int s = d.scale; s > 2; --s) v /= 10;
    return v;
}

QDate emQDate(const fb::Date& d) { return QDate(d.year, d.month, d.day); }

// Count, count of amounts and sum, from columns i, i+1, i+2.
SomaPrevisao somaDe(const fb::Cursor& c, unsigned i) {
    SomaPrevisao s;
    s.parcelas = static_cast<int>(c.asInt64(i));
    s.semValor = s.parcelas - static_cast<int>(c.asInt64(i + 1));
    s.centavos = c.isNull(i + 2) ? 0 : emCentavos(c.asDecimal(i + 2));
    return s;
}

std::optional<std::int64_t> inteiro(const fb::Cursor& c, unsigned i) {
    if (c.isNull(i)) return std::nullopt;
    return c.asInt64(i);
}

std::string texto(const fb::Cursor& c, unsigned i) {
    return c.isNull(i) ? std::string() : std::string(rtrim(c.asText(i)));
}

}  // namespace

void SomaPrevisao::soma(const SomaPrevisao& outra) {
    std::int64_t r;
    if (__builtin_add_overflow(centavos, outra.centavos, &r))
        throw std::overflow_error(
            "A soma das parcelas a pagar passa do maior valor que o programa sabe somar.");
    centavos = r;
    parcelas += outra.parcelas;
    semValor += outra.semValor;
}

const char* nomeFaixa(int faixa) {
    switch (faixa) {
        case Vencidas1a30:
            return "Vencidas há 1 a 30 dias";
        case Vencidas31a60:
            return "Vencidas há 31 a 60 dias";
        case Vencidas61a90:
            return "Vencidas há 61 a 90 dias";
        case VencidasMais90:
            return "Vencidas há mais de 90 dias";
        case AVencer0a7:
            return "A vencer em até 7 dias";
        case AVencer8a30:
            return "A vencer em 8 a 30 dias";
        case AVencer31a60:
            return "A vencer em 31 a 60 dias";
        case AVencerMais60:
            return "A vencer depois de 60 dias";
        case SemVencimento:
            return "Sem vencimento";
        default:
            return "";
    }
}

int faixaDe(const QDate& vencimento, const QDate& hoje) {
    if (!vencimento.isValid()) return SemVencimento;
    const qint64 d = hoje.daysTo(vencimento);
    if (d < 0) {
        if (d >= -30) return Vencidas1a30;
        if (d >= -60) return Vencidas31a60;
        if (d >= -90) return Vencidas61a90;
        return VencidasMais90;
    }
    if (d <= 7) return AVencer0a7;
    if (d <= 30) return AVencer8a30;
    if (d <= 60) return AVencer31a60;
    return AVencerMais60;
}

SomaPrevisao Previsao::doDia(const QDate& dia) const {
    const auto it =
        std::lower_bound(dias.begin(), dias.end(), dia,
                         [](const DiaPrevisto& d, const QDate& x) { return d.dia < x; });
    return it != dias.end() && it->dia == dia ? it->soma : SomaPrevisao{};
}

Previsao calculaPrevisao(const QDate& hoje, const std::vector<DiaPrevisto>& porDia,
                         const std::vector<DiaDoFornecedor>& porFornecedor) {
    Previsao p;
    p.hoje = hoje;
    for (const DiaPrevisto& d : porDia) {
        p.total.soma(d.soma);
        p.semValor.soma({d.soma.semValor, d.soma.semValor, 0});
        p.faixas[static_cast<std::size_t>(faixaDe(d.dia, hoje))].soma(d.soma);
        if (!d.dia.isValid()) continue;
        p.dias.push_back(d);
        const qint64 dias = hoje.daysTo(d.dia);
        if (dias < 0) {
            p.vencidas.soma(d.soma);
            if (!p.primeiraVencida.isValid() || d.dia < p.primeiraVencida)
                p.primeiraVencida = d.dia;
        } else if (dias < 7 * kSemanasPrevisao) {
            p.semanas[static_cast<std::size_t>(dias / 7)].soma(d.soma);
        } else {
            p.depoisDasSemanas.soma(d.soma);
        }
    }
    std::sort(p.dias.begin(), p.dias.end(),
              [](const DiaPrevisto& a, const DiaPrevisto& b) { return a.dia < b.dia; });

    std::map<std::string, FornecedorPrevisto> fornecedores;
    for (const DiaDoFornecedor& d : porFornecedor) {
        FornecedorPrevisto& f = fornecedores[d.nome];
        f.nome = d.nome;
        f.total.soma(d.dia.soma);
        f.faixas[static_cast<std::size_t>(faixaDe(d.dia.dia, hoje))].soma(d.dia.soma);
    }
    p.totalFornecedores = static_cast<int>(fornecedores.size());
    for (auto& [nome, f] : fornecedores) p.fornecedores.push_back(std::move(f));
    // The largest sums first; equal sums by name (the map's order, kept).
    std::stable_sort(p.fornecedores.begin(), p.fornecedores.end(),
                     [](const FornecedorPrevisto& a, const FornecedorPrevisto& b) {
                         return a.total.centavos > b.total.centavos;
                     });
    if (p.fornecedores.size() > kFornecedoresPrevisao) p.fornecedores.resize(kFornecedoresPrevisao);
    return p;
}

std::string sqlPrevisaoPorDia() {
    return std::string(
               "Select A.DataVencim, Count(*), Count(A.ValorParcela), Sum(A.ValorParcela)") +
           kDeContasAPagar + " group by A.DataVencim";
}

std::string sqlPrevisaoPorFornecedor() {
    return std::string(
               "Select B.NomeCliFor, A.DataVencim, Count(*), Count(A.ValorParcela), "
               "Sum(A.ValorParcela)") +
           kDeContasAPagar + " group by B.NomeCliFor, A.DataVencim";
}

Previsao lePrevisao(Connection& conexao, const QDate& hoje) {
    std::vector<DiaPrevisto> porDia;
    std::vector<DiaDoFornecedor> porFornecedor;
    conexao.run([&](fb::Attachment& a) {
        porDia.clear();
        porFornecedor.clear();
        // Both in one transaction: the two readings see the same rows.
        fb::Transaction tr = a.startTransaction();
        {
            fb::Cursor c = tr.open(sqlPrevisaoPorDia());
            while (c.fetch())
                porDia.push_back({c.isNull(0) ? QDate() : emQDate(c.asDate(0)), somaDe(c, 1)});
        }
        {
            fb::Cursor c = tr.open(sqlPrevisaoPorFornecedor());
            while (c.fetch())
                porFornecedor.push_back(
                    {texto(c, 0), {c.isNull(1) ? QDate() : emQDate(c.asDate(1)), somaDe(c, 2)}});
        }
        tr.commit();
    });
    return calculaPrevisao(hoje, porDia, porFornecedor);
}

std::string sqlParcelasDoDia(bool semVencimento) {
    return std::string(
               "Select A.DataVencim, B.NomeCliFor, B.Descricao, B.NFiscal, A.NumParcela, "
               "A.ValorParcela, A.CodigoCPR") +
           kDeContasAPagar +
           (semVencimento ? " and (A.DataVencim is Null or A.ValorParcela is Null)"
                          : " and A.DataVencim = ?") +
           " order by A.DataVencim, B.NomeCliFor, A.CodigoCPR, A.NumParcela";
}

std::vector<ParcelaPrevista> leParcelasDoDia(Connection& conexao, const QDate& dia) {
    return conexao.run([&](fb::Attachment& a) {
        std::vector<ParcelaPrevista> out;
        fb::Transaction tr = a.startTransaction();
        {
            std::vector<fb::Value> params;
            if (dia.isValid()) params.push_back(fb::Date{dia.year(), dia.month(), dia.day()});
            fb::Cursor c = tr.open(sqlParcelasDoDia(!dia.isValid()), params);
            while (c.fetch()) {
                ParcelaPrevista p;
                if (!c.isNull(0)) p.vencimento = emQDate(c.asDate(0));
                p.fornecedor = texto(c, 1);
                p.descricao = texto(c, 2);
                p.notaFiscal = texto(c, 3);
                p.numParcela = inteiro(c, 4);
                if (!c.isNull(5)) p.valor = emCentavos(c.asDecimal(5));
                p.codigoCPR = inteiro(c, 6);
                out.push_back(std::move(p));
            }
        }
        tr.commit();
        return out;
    });
}

std::string textoCentavos(std::int64_t centavos) {
    return "R$ " + formatScaled("#,###,##0.00", centavos, 2);
}

}  // namespace cp
