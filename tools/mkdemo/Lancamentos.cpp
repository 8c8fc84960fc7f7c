// The demonstration's accounts and their installments.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "DadosDemo.h"
#include "Preenche.h"

namespace mkdemo {

namespace {

constexpr int kContas = 320;

// Due date of installment i (from 1) of a "Dia Fixo" condition: the account
// day in the following months; a day beyond the month's end falls back up to
// three days.
QDate venceDiaFixo(const QDate& conta, int marcador, int i) {
    const int passos = marcador == 1 ? i - 1 : i;
    const QDate mes = QDate(conta.year(), conta.month(), 1).addMonths(passos);
    for (int recuo = 0; recuo <= 3; ++recuo) {
        const QDate d(mes.year(), mes.month(), conta.day() - recuo);
        if (d.isValid()) return d;
    }
    return mes;
}

std::vector<int> diasCorridos(const std::string& dias) {
    std::vector<int> r;
    std::string item;
    for (char c : dias + ",") {
        if (c != ',') {
            item += c;
            continue;
        }
        r.push_back(std::atoi(item.c_str()));
        item.clear();
    }
    return r;
}

// A payable account (CONTASPR row) of one of the chart's expenses; its amount
// in `valor`.
std::vector<Value> contaAPagar(Sorteio& s, int k, const Condicao& cond, const QDate& dataConta,
                               const std::vector<Fornecedor>& fornecedores, const Opcoes& o,
                               std::int64_t& valor) {
    const ContaPlano& p = s.um(kPlano);
    const Fornecedor& f = p.fornecedor >= 0 && s.chance(75)
                              ? fornecedores[static_cast<std::size_t>(p.fornecedor)]
                              : s.um(fornecedores);
    valor = s.entre(static_cast<int>(p.minimo / 10), static_cast<int>(p.maximo / 10)) * 10;
    return {inteiro(k),
            texto(o.estacao, 2),
            texto("P", 1),
            texto(p.descricao, 50),
            dinheiro(valor),
            data(dataConta),
            texto(cond.descricao, 40),
            nulo,
            nulo,
            nulo,
            s.chance(85) ? texto(std::to_string(s.entre(1000, 999999)), 16) : nulo,
            texto("XX", 2),
            inteiro(std::atoi(f.codigo.c_str())),
            texto(f.fantasia, 40),
            texto(f.tel, 40),
            texto(f.endereco, 60),
            texto(f.cep + " " + f.cidade + " " + f.uf, 60),
            texto(f.cnpj, 18),
            p.fornecedor >= 0 ? texto(kEmpresas[p.fornecedor].fantasia, 40) : nulo,
            nulo,
            texto(p.grupo, 20),
            texto(p.ccusto, 20),
            data(dataConta),
            horaSorteada(s),
            s.chance(15) ? texto("Conferir nota fiscal com o pedido", 60) : nulo};
}

// A receivable account (CONTASPR row) from an agreement; its amount in `valor`.
std::vector<Value> contaAReceber(Sorteio& s, int k, const Condicao& cond, const QDate& dataConta,
                                 const Opcoes& o, std::int64_t& valor) {
    valor = s.entre(20000, 600000);
    return {inteiro(k),
            texto(o.estacao, 2),
            texto("R", 1),
            texto("Recebimento de convênio", 50),
            dinheiro(valor),
            data(dataConta),
            texto(cond.descricao, 40),
            nulo,
            nulo,
            nulo,
            texto(std::to_string(s.entre(1000, 999999)), 16),
            nulo,
            nulo,
            texto(s.um(kClientesReceber), 40),
            nulo,
            nulo,
            nulo,
            nulo,
            nulo,
            nulo,
            texto("RECEITAS", 20),
            texto("LOJA", 20),
            data(dataConta),
            horaSorteada(s),
            nulo};
}

// The installments of account k as its payment condition makes them; those
// past due mostly paid, a few settled and undone.
void parcelasDaConta(Sorteio& s, std::int64_t k, bool pagar, std::int64_t valor,
                     const Condicao& cond, const QDate& dataConta, const QDate& hoje,
                     std::vector<Parcela>& parcelas) {
    const double bruto = static_cast<double>(valor) / 100.0 *
                         (static_cast<double>(cond.taxa1) / 10000.0 + 1.0) / cond.parcelas;
    const std::int64_t valorParcela = std::llround(bruto * 100.0);
    const std::vector<int> dias = diasCorridos(cond.dias);
    const int marcador = std::atoi(cond.dias);
    const bool automatica = std::string(cond.qaut) == "S";
    for (int i = 1; i <= cond.parcelas; ++i) {
        Parcela p;
        p.codigoParc = static_cast<std::int64_t>(parcelas.size()) + 1;
        p.codigoCpr = k;
        p.num = i;
        p.valor = valorParcela;
        p.vencim =
            std::string(cond.tipo) == "Dia Fixo"
                ? venceDiaFixo(dataConta, marcador, i)
                : dataConta.addDays(static_cast<std::size_t>(i) <= dias.size() ? dias[i - 1] : 0);
        p.conta = *cond.ctabanco ? cond.ctabanco : kContaPadrao;
        p.meio = *cond.formapag ? cond.formapag : kMeioPadrao;
        p.natureza = pagar ? "P" : "R";
        p.documento = s.chance(60) ? s.entre(100000, 999999) : 0;
        p.emissao = dataConta;
        if (automatica) {
            p.pago = dinheiro(valorParcela);
            p.dataPagto = data(p.vencim);
            p.qaut = "S";
        } else if (p.vencim < hoje) {
            const int sorte = s.ate(100);
            if (sorte < 55) {  // paid, on the day or a little before or after
                p.pago = dinheiro(valorParcela);
                p.dataPagto = data(std::min(hoje, p.vencim.addDays(s.entre(-3, 4))));
            } else if (sorte < 61) {  // settlement undone
                p.pago = dinheiro(0);
            }
        } else if (s.chance(3)) {  // paid ahead of time
            p.pago = dinheiro(valorParcela);
            p.dataPagto = data(hoje);
        }
        parcelas.push_back(std::move(p));
    }
}

}  // namespace

Lancamentos sorteiaLancamentos(Sorteio& s, const std::vector<Fornecedor>& fornecedores,
                               const Opcoes& o, const QDate& hoje) {
    Lancamentos l;
    for (int k = 1; k <= kContas; ++k) {
        const bool pagar = s.chance(88);
        const Condicao& cond = s.um(kCondicoes);
        const int diasAtras = s.entre(0, 185);
        const QDate dataConta =
            hoje.addDays(s.chance(10) ? s.entre(0, 45) - diasAtras : -diasAtras);
        std::int64_t valor = 0;
        l.contas.push_back(pagar ? contaAPagar(s, k, cond, dataConta, fornecedores, o, valor)
                                 : contaAReceber(s, k, cond, dataConta, o, valor));
        parcelasDaConta(s, k, pagar, valor, cond, dataConta, hoje, l.parcelas);
    }
    return l;
}

int preencheContasPR(fb::Attachment& shared, const Lancamentos& l) {
    return insere(
        shared,
        "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, "
        "CONDPAGTO, NPEDIDO, CODIGOPEDIDO, CODIGOCOMPRA, NFISCAL, ESTACAOCLIFOR, CODIGOCLIFOR, "
        "NOMECLIFOR, FONECLIFOR, ENDERECOCLIFOR, CEPBAICIDESTCLIFOR, CNPJCLIFOR, FABRICANTE, "
        "FAMILIA, GRUPDESP, CCUSTO, DATAREGISTRO, HORAREGISTRO, OBSERVACAO) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const auto& c : l.contas) linha(c);
        });
}

int preencheParcelas(fb::Attachment& shared, const Lancamentos& l, const Opcoes& o) {
    return insere(
        shared,
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, VALORPAGO, DATAPAGTO, COBRANCABANC, CODIGOCTA, NUMDOCUMENTO, DATAEMISSAODOC, "
        "MEIO, QAUT, NATUREZA) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](auto linha) {
            for (const Parcela& p : l.parcelas)
                linha({inteiro(p.codigoParc), inteiro(p.codigoCpr), texto(o.estacao, 2), nulo,
                       inteiro(p.num), dinheiro(p.valor), data(p.vencim), p.pago, p.dataPagto,
                       texto(p.meio == "Boleto" ? "S" : "N", 1), texto(p.conta, 15),
                       p.documento ? inteiro(p.documento) : nulo, data(p.emissao),
                       texto(p.meio, 15), p.qaut.empty() ? nulo : texto(p.qaut, 1),
                       texto(p.natureza, 1)});
        });
}

Contagem preencheDemo(fb::Attachment& shared, const Opcoes& o, const QDate& hoje) {
    Contagem n;
    Sorteio s(19870512);
    const std::vector<Fornecedor> fornecedores = sorteiaFornecedores(s);
    n.fornecedores = preencheFornecedores(shared, fornecedores, s);
    n.plano = preenchePlano(shared, s, hoje);
    n.contas = preencheContasBancarias(shared);
    n.condicoes = preencheCondicoes(shared);
    const Lancamentos l = sorteiaLancamentos(s, fornecedores, o, hoje);
    n.contaspr = preencheContasPR(shared, l);
    n.parcelas = preencheParcelas(shared, l, o);
    return n;
}

}  // namespace mkdemo
