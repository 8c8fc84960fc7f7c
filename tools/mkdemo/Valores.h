// The values mkdemo writes: texts as the suite stores them, amounts, dates
// and times, the deterministic draws that choose them, and the insertion of a
// table's rows.
#pragma once

#include <QDate>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fb/fb.h"

namespace mkdemo {

using fb::Value;

// A UTF-8 literal of mkdemo's tables as the Windows-1252 bytes the suite
// stores, cut to the column's width.
Value texto(const std::string& utf8, std::size_t largura);
// texto(), or null for an empty text.
Value textoOuNulo(const std::string& utf8, std::size_t largura);
inline Value inteiro(std::int64_t v) { return v; }
inline Value dinheiro(std::int64_t centavos) { return fb::Decimal{centavos, 2}; }
inline Value data(const QDate& d) { return fb::Date{d.year(), d.month(), d.day()}; }
inline Value hora(int h, int m, int s) { return fb::Time{h, m, s, 0}; }
inline const Value nulo{};

// Deterministic choices: the engine's output sequence is fixed by the
// standard, and the reductions below use no library distribution, so two
// runs on the same day give the same rows.
class Sorteio {
  public:
    explicit Sorteio(std::uint32_t semente) : gen_(semente) {}
    int ate(int n) { return static_cast<int>(gen_() % static_cast<std::uint32_t>(n)); }
    int entre(int a, int b) { return a + ate(b - a + 1); }
    bool chance(int porcento) { return ate(100) < porcento; }
    template <class Tabela>
    const auto& um(const Tabela& t) {
        return t[static_cast<std::size_t>(ate(static_cast<int>(std::size(t))))];
    }

  private:
    std::mt19937 gen_;
};

// A time of the working day.
Value horaSorteada(Sorteio& s);
// A company tax number with valid check digits, as 99.999.999/9999-99.
std::string cnpj(Sorteio& s);

// Inserts the rows `preenche` hands to its callback with one prepared
// statement in one transaction; returns how many.
template <class Preenche>
int insere(fb::Attachment& att, const std::string& sql, Preenche&& preenche) {
    fb::Transaction tx = att.startTransaction();
    int n = 0;
    {
        fb::Statement st = tx.prepare(sql);
        preenche([&](const std::vector<Value>& valores) {
            st.execute(valores);
            ++n;
        });
    }
    tx.commit();
    return n;
}

}  // namespace mkdemo
