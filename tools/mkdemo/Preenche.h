// The rows mkdemo writes, one function a table. Each inserts its rows with
// one prepared statement in one transaction and returns how many.
#pragma once

#include <QDate>
#include <string>
#include <vector>

#include "Opcoes.h"
#include "Valores.h"

namespace mkdemo {

// What every suite needs (shared database unless noted): the work area bound
// to the operating-system user, the demonstration user, the means of payment,
// the installment defaults and, in the work area's database, this month's
// list period.
int preencheEstacoes(fb::Attachment& shared, const Opcoes& o);
int preencheUsuarios(fb::Attachment& shared, const Opcoes& o);
int preencheFP(fb::Attachment& shared);
int preencheFormaPad(fb::Attachment& shared);
int preenchePeriodo(fb::Attachment& ws, const Opcoes& o, const QDate& hoje);
void preencheBase(fb::Attachment& shared, fb::Attachment& ws, const Opcoes& o, const QDate& hoje);

// A supplier of kEmpresas with its drawn code, address, phone and tax number.
struct Fornecedor {
    const char* fantasia;
    const char* razao;
    int prazo;
    std::string codigo, cidade, uf, tel, cnpj, endereco, cep;
};
std::vector<Fornecedor> sorteiaFornecedores(Sorteio& s);

// The registers: suppliers, chart of accounts, bank accounts, payment
// conditions.
int preencheFornecedores(fb::Attachment& shared, const std::vector<Fornecedor>& fornecedores,
                         Sorteio& s);
int preenchePlano(fb::Attachment& shared, Sorteio& s, const QDate& hoje);
int preencheContasBancarias(fb::Attachment& shared);
int preencheCondicoes(fb::Attachment& shared);

// Accounts payable and receivable around today, with their installments as
// their payment conditions make them, some paid, some settled and undone.
struct Parcela {
    std::int64_t codigoParc, codigoCpr;
    int num;
    std::int64_t valor;
    QDate vencim;
    Value pago = Value{}, dataPagto = Value{};
    std::string conta, meio, natureza, qaut;
    std::int64_t documento;
    QDate emissao;
};
struct Lancamentos {
    std::vector<std::vector<Value>> contas;  // CONTASPR rows
    std::vector<Parcela> parcelas;
};
Lancamentos sorteiaLancamentos(Sorteio& s, const std::vector<Fornecedor>& fornecedores,
                               const Opcoes& o, const QDate& hoje);
int preencheContasPR(fb::Attachment& shared, const Lancamentos& l);
int preencheParcelas(fb::Attachment& shared, const Lancamentos& l, const Opcoes& o);

struct Contagem {
    int fornecedores = 0, plano = 0, contas = 0, condicoes = 0, contaspr = 0, parcelas = 0;
};
// The registers and the accounts, from a fixed seed.
Contagem preencheDemo(fb::Attachment& shared, const Opcoes& o, const QDate& hoje);

}  // namespace mkdemo
