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

// What sets one account (CONTASPR row) apart; the rest of the row is the
// same for all. Text columns hold UTF-8 or are null.
struct Conta {
    int codigo = 0;
    bool pagar = true;
    std::string descricao;
    std::int64_t valor = 0;
    Value nfiscal, estacaoCliFor, codigoCliFor, nomeCliFor, foneCliFor, enderecoCliFor, cepCliFor,
        cnpjCliFor, fabricante;
    std::string grupo, ccusto;
    Value hora, observacao;
};

std::vector<Value> linhaContaPR(const Conta& c, const Condicao& cond, const QDate& dataConta,
                                const Opcoes& o) {
    return {inteiro(c.codigo),
            texto(o.estacao, 2),
            texto(c.pagar ? "P" : "R", 1),
            texto(c.descricao, 50),
            dinheiro(c.valor),
            data(dataConta),
            texto(cond.descricao, 40),
            nulo,
            nulo,
            nulo,
            c.nfiscal,
            c.estacaoCliFor,
            c.codigoCliFor,
            c.nomeCliFor,
            c.foneCliFor,
            c.enderecoCliFor,
            c.cepCliFor,
            c.cnpjCliFor,
            c.fabricante,
            nulo,
            texto(c.grupo, 20),
            texto(c.ccusto, 20),
            data(dataConta),
            c.hora,
            c.observacao};
}

// A payable account of one of the chart's expenses, mostly to the supplier
// the chart names.
Conta contaAPagar(Sorteio& s, int k, const std::vector<Fornecedor>& fornecedores) {
    const ContaPlano& p = s.um(kPlano);
    const Fornecedor& f = p.fornecedor >= 0 && s.chance(75)
                              ? fornecedores[static_cast<std::size_t>(p.fornecedor)]
                              : s.um(fornecedores);
    Conta c;
    c.codigo = k;
    c.descricao = p.descricao;
    c.valor = s.entre(static_cast<int>(p.minimo / 10), static_cast<int>(p.maximo / 10)) * 10;
    c.nfiscal = s.chance(85) ? texto(std::to_string(s.entre(1000, 999999)), 16) : nulo;
    c.estacaoCliFor = texto("XX", 2);
    c.codigoCliFor = inteiro(std::atoi(f.codigo.c_str()));
    c.nomeCliFor = texto(f.fantasia, 40);
    c.foneCliFor = texto(f.tel, 40);
    c.enderecoCliFor = texto(f.endereco, 60);
    c.cepCliFor = texto(f.cep + " " + f.cidade + " " + f.uf, 60);
    c.cnpjCliFor = texto(f.cnpj, 18);
    c.fabricante = p.fornecedor >= 0 ? texto(kEmpresas[p.fornecedor].fantasia, 40) : nulo;
    c.grupo = p.grupo;
    c.ccusto = p.ccusto;
    c.hora = horaSorteada(s);
    c.observacao = s.chance(15) ? texto("Conferir nota fiscal com o pedido", 60) : nulo;
    return c;
}

// A receivable account from an agreement.
Conta contaAReceber(Sorteio& s, int k) {
    Conta c;
    c.codigo = k;
    c.pagar = false;
    c.descricao = "Recebimento de convênio";
    c.valor = s.entre(20000, 600000);
    c.nfiscal = texto(std::to_string(s.entre(1000, 999999)), 16);
    c.nomeCliFor = texto(s.um(kClientesReceber), 40);
    c.grupo = "RECEITAS";
    c.ccusto = "LOJA";
    c.hora = horaSorteada(s);
    return c;
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
        const Conta c = pagar ? contaAPagar(s, k, fornecedores) : contaAReceber(s, k);
        l.contas.push_back(linhaContaPR(c, cond, dataConta, o));
        parcelasDaConta(s, k, pagar, c.valor, cond, dataConta, hoje, l.parcelas);
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
