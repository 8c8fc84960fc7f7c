// "Previsão de pagamentos": what the payable accounts still owe, whatever
// the list's period. Every unpaid installment (no payment date and no amount
// paid, as the due list reads "unpaid") of a payable account, summed per
// week for the next twelve weeks with what is already late before them, by
// age (late by 1-30, 31-60, 61-90, over 90 days; due in 0-7, 8-30, 31-60,
// over 60 days), per supplier for the largest ones, and per day for the
// calendar.
//
// Installments without a due date are kept apart as "sem vencimento" and
// those without an amount as "sem valor": both are counted and shown, never
// left out silently. Sums are exact cents; a sum past what cents in 64 bits
// hold is refused with a message rather than shown wrong.
//
// No widgets here: the statements, their reading and the sums.
#pragma once

#include <QDate>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cp {

class Connection;

// A count of installments and the sum of their amounts.
struct SomaPrevisao {
    int parcelas = 0;
    int semValor = 0;  // of them, without an amount (nothing summed)
    std::int64_t centavos = 0;
    // Throws std::overflow_error (Portuguese text) past the range of cents.
    void soma(const SomaPrevisao& outra);
    bool operator==(const SomaPrevisao&) const = default;
};

// The ages, in the order the table shows them.
enum FaixaPrevisao : int {
    Vencidas1a30,
    Vencidas31a60,
    Vencidas61a90,
    VencidasMais90,
    AVencer0a7,
    AVencer8a30,
    AVencer31a60,
    AVencerMais60,
    kFaixasComData,
    SemVencimento = kFaixasComData,  // no due date
    kFaixas,
};
// "Vencidas há 1 a 30 dias" ... "Sem vencimento".
const char* nomeFaixa(int faixa);
// The age of an installment due on `vencimento` (invalid: SemVencimento).
int faixaDe(const QDate& vencimento, const QDate& hoje);

// The amounts due on one day (or without a due date: an invalid date).
struct DiaPrevisto {
    QDate dia;
    SomaPrevisao soma;
};
struct FornecedorPrevisto {
    std::string nome;  // Windows-1252, as stored
    SomaPrevisao total;
    std::array<SomaPrevisao, kFaixas> faixas{};
};
// What the statement per supplier and day gives.
struct DiaDoFornecedor {
    std::string nome;
    DiaPrevisto dia;
};

constexpr int kSemanasPrevisao = 12;
constexpr int kFornecedoresPrevisao = 20;

struct Previsao {
    QDate hoje;
    std::vector<DiaPrevisto> dias;  // dated days, in order
    SomaPrevisao vencidas;          // due before today
    QDate primeiraVencida;          // the oldest late due date (invalid: none)
    std::array<SomaPrevisao, kSemanasPrevisao> semanas{};  // week i: hoje+7i .. hoje+7i+6
    SomaPrevisao depoisDasSemanas;                         // due after the twelve weeks
    std::array<SomaPrevisao, kFaixas> faixas{};
    SomaPrevisao semValor;                         // installments without an amount, dated or not
    SomaPrevisao total;                            // every unpaid installment
    std::vector<FornecedorPrevisto> fornecedores;  // the largest first, at most 20
    int totalFornecedores = 0;

    // The days of week i.
    QDate inicioSemana(int i) const { return hoje.addDays(7 * i); }
    QDate fimSemana(int i) const { return hoje.addDays(7 * i + 6); }
    // The sum due on `dia` (zero when nothing).
    SomaPrevisao doDia(const QDate& dia) const;
};

// Builds the view from what the two statements gave.
Previsao calculaPrevisao(const QDate& hoje, const std::vector<DiaPrevisto>& porDia,
                         const std::vector<DiaDoFornecedor>& porFornecedor);

// The statements: unpaid installments of payable accounts per due date, and
// per supplier name and due date.
std::string sqlPrevisaoPorDia();
std::string sqlPrevisaoPorFornecedor();
// Runs both on the shared connection and builds the view.
Previsao lePrevisao(Connection& conexao, const QDate& hoje);

// One unpaid installment, for the list of a day of the calendar.
struct ParcelaPrevista {
    QDate vencimento;
    std::string fornecedor, descricao, notaFiscal;  // Windows-1252
    std::optional<std::int64_t> numParcela;
    std::optional<std::int64_t> valor;  // cents
    std::optional<std::int64_t> codigoCPR;
};
// The unpaid installments due on `dia`; for an invalid date, those without
// a due date or without an amount. By supplier.
std::string sqlParcelasDoDia(bool semVencimento);
std::vector<ParcelaPrevista> leParcelasDoDia(Connection& conexao, const QDate& dia);

// "R$ 1.234,56" with the program locale's separators, every digit kept.
std::string textoCentavos(std::int64_t centavos);

}  // namespace cp
