// The arithmetic of installment generation: the amount, the day list, the
// first-installment marker and the due dates, checked on the suite's own
// examples and, beyond them, against independent formulations.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "data/Field.h"
#include "entry/ParcelasCalculo.h"

// Dates in failure messages as the operator reads them.
inline void PrintTo(const QDate& d, std::ostream* os) {
    *os << d.toString(QStringLiteral("dd/MM/yyyy")).toStdString();
}

namespace cp::test {
namespace {

using I = std::int64_t;

// The binary value's exact decimal expansion (printf writes it out exactly),
// cut after the cents and rounded by its next digit.
I centavosPelaExpansao(double x) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.300f", std::fabs(x));
    const std::string s(buf);
    const std::size_t ponto = s.find('.');
    I c = std::stoll(s.substr(0, ponto)) * 100 + (s[ponto + 1] - '0') * 10 + (s[ponto + 2] - '0');
    if (s[ponto + 3] >= '5') ++c;
    return x < 0 ? -c : c;
}

TEST(ValorParcela, RoundsTheBinaryValueToCentsHalfAwayFromZero) {
    EXPECT_EQ(valorParcela(10000, 0, 3), 3333);      // 33.33, together 99.99
    EXPECT_EQ(valorParcela(10000, 1000, 3), 3667);   // with 10 %: 36.67
    EXPECT_EQ(valorParcela(201, 0, 2), 100);         // 1.005 is stored just below it
    EXPECT_EQ(valorParcela(10000, 1000, 1), 11000);  // one installment takes it all
    EXPECT_EQ(valorParcela(0, 500, 4), 0);
    EXPECT_EQ(arredondaCentavos(0.125), 13);  // an exact half goes up
    EXPECT_EQ(arredondaCentavos(-0.125), -13);
    EXPECT_EQ(arredondaCentavos(0.004999), 0);
    // Stored as 99999999999999.984375: the binary value decides, not the typed one.
    EXPECT_EQ(arredondaCentavos(99999999999999.99), 9999999999999998);
    EXPECT_THROW(arredondaCentavos(1e17), DataError);
}

TEST(ValorParcela, AgreesWithTheExactDecimalExpansionForRandomTotalsRatesAndCounts) {
    std::mt19937_64 gerador(20250115);
    std::uniform_int_distribution<I> total(0, 100000000000);  // up to a billion
    std::uniform_int_distribution<I> taxa(0, 5000);           // up to 50 %
    std::uniform_int_distribution<int> quantidade(1, kMaxParcelas);
    std::uniform_int_distribution<int> semTaxa(0, 2);
    for (int n = 0; n < 20000; ++n) {
        const I t = n % 4 == 0 ? total(gerador) % 100000 : total(gerador);  // small ones too
        const I tx = semTaxa(gerador) == 0 ? 0 : taxa(gerador);
        const int q = quantidade(gerador);
        const double binario = t / 100.0 * (tx / 100.0 / 100 + 1) / q;
        const I v = valorParcela(t, tx, q);
        ASSERT_EQ(v, centavosPelaExpansao(binario)) << t << " " << tx << " " << q;
        // No remainder is carried: each installment is off by half a cent at most.
        const double devido = t * (1 + tx / 10000.0);
        ASSERT_LE(std::fabs(v * static_cast<double>(q) - devido), q * 0.5 + 1e-6 * devido)
            << t << " " << tx << " " << q;
    }
}

TEST(DiasCorridos, ItemsAreReadAsTypedAndWhatIsNoNumberCountsZero) {
    struct Caso {
        const char* dias;
        std::vector<I> contagens;
        std::vector<std::string> recusados;
    } casos[] = {
        {"30,60,90", {30, 60, 90}, {}},
        {" 30 , 60", {30, 60}, {}},
        {"30,,60", {30, 0, 60}, {""}},
        {"", {0}, {""}},  // one empty item
        {"30,60,", {30, 60, 0}, {""}},
        {"-5, +7", {-5, 7}, {}},
        {"30,abc,3 0", {30, 0, 0}, {"abc", "3 0"}},
        // An item keeps its first 20 characters: the digits after them are dropped.
        {"0000000000000000001234,15", {12, 15}, {}},
    };
    for (const Caso& c : casos) {
        const DiasCorridos lidos = leDiasCorridos(c.dias);
        EXPECT_EQ(lidos.dias, c.contagens) << c.dias;
        EXPECT_EQ(lidos.recusados, c.recusados) << c.dias;
    }
    EXPECT_EQ(msgDiasNaoConvertido("abc"),
              QStringLiteral("Não foi possível converter abc para o tipo \"Inteiro\". Favor "
                             "verificar o formato do campo \"Dias\"."));
}

TEST(MarcadorPrimeira, TheNumberBeforeEachPlusCountsAndWhatFollowsTheLastIsNeverRead) {
    struct Caso {
        const char* dias;
        I marcador;
        std::vector<std::string> recusados;
    } casos[] = {
        {"1+", 1, {}}, {"1+2", 1, {}},   {"0+", 0, {}},      {"2+", 2, {}},   {"", 1, {}},
        {"30", 1, {}}, {"x+", 1, {"x"}}, {"0+x+", 0, {"x"}}, {" 0 +", 0, {}}, {"+", 1, {""}},
    };
    for (const Caso& c : casos) {
        const MarcadorPrimeira lido = leMarcador(c.dias);
        EXPECT_EQ(lido.marcador, c.marcador) << c.dias;
        EXPECT_EQ(lido.recusados, c.recusados) << c.dias;
    }
}

// The "Dia Fixo" rule stated on its own: k months after the account date, on
// the account's day, or on the month's last day when that day does not exist.
QDate diaFixoEsperado(const QDate& d, I marcador, int parcela) {
    using namespace std::chrono;
    const int k = marcador == 1 ? parcela - 1 : parcela;
    const year_month ym = year{d.year()} / month{static_cast<unsigned>(d.month())} + months{k};
    const unsigned ultimo = static_cast<unsigned>((ym / std::chrono::last).day());
    const unsigned dia = std::min(static_cast<unsigned>(d.day()), ultimo);
    return QDate(static_cast<int>(ym.year()), static_cast<int>(static_cast<unsigned>(ym.month())),
                 static_cast<int>(dia));
}

TEST(DiaFixo, EveryDayOfTwoYearsFallsOnItsDayOrOnTheLastDayOfShorterMonths) {
    for (QDate d(2024, 1, 1); d <= QDate(2025, 12, 31); d = d.addDays(1)) {
        for (I marcador : {I{1}, I{0}, I{2}}) {
            const PlanoParcelas plano = planejaParcelas(kTipoDiaFixo,
                                                        marcador == 1   ? "1+"
                                                        : marcador == 0 ? "0+"
                                                                        : "2+",
                                                        26, 0, 100000, d);
            ASSERT_EQ(plano.vencimentos.size(), 26u);
            for (int i = 1; i <= 26; ++i)
                ASSERT_EQ(plano.vencimentos[i - 1], diaFixoEsperado(d, marcador, i))
                    << d.toString(Qt::ISODate).toStdString() << " marker " << marcador
                    << " installment " << i;
        }
    }
}

std::vector<QDate> datas(std::initializer_list<QDate> l) { return l; }

TEST(PlanejaParcelas, DueDatesOfTheSuitesExamples) {
    const QDate jan15(2025, 1, 15);
    auto plano = [](const char* tipo, const char* dias, int n, const QDate& d) {
        return planejaParcelas(tipo, dias, n, 0, 10000, d).vencimentos;
    };
    EXPECT_EQ(plano("Dias Corridos", "30,60,90", 3, jan15),
              datas({QDate(2025, 2, 14), QDate(2025, 3, 16), QDate(2025, 4, 15)}));
    // Fewer counts than installments: the rest fall due on the account date.
    EXPECT_EQ(plano("Dias Corridos", "30", 3, jan15), datas({QDate(2025, 2, 14), jan15, jan15}));
    // More counts than installments: the surplus is ignored.
    EXPECT_EQ(plano("Dias Corridos", "30,60,90", 2, jan15),
              datas({QDate(2025, 2, 14), QDate(2025, 3, 16)}));
    EXPECT_EQ(plano("Dia Fixo", "1+", 3, QDate(2025, 1, 31)),
              datas({QDate(2025, 1, 31), QDate(2025, 2, 28), QDate(2025, 3, 31)}));
    EXPECT_EQ(
        plano("Dia Fixo", "0+", 4, QDate(2025, 1, 31)),
        datas({QDate(2025, 2, 28), QDate(2025, 3, 31), QDate(2025, 4, 30), QDate(2025, 5, 31)}));
    EXPECT_EQ(plano("Dia Fixo", "0+", 2, QDate(2024, 1, 30)),
              datas({QDate(2024, 2, 29), QDate(2024, 3, 30)}));
    EXPECT_EQ(plano("Dia Fixo", "0+", 3, QDate(2025, 11, 15)),
              datas({QDate(2025, 12, 15), QDate(2026, 1, 15), QDate(2026, 2, 15)}));
    EXPECT_EQ(plano("Dia Fixo", "", 2, jan15), datas({jan15, QDate(2025, 2, 15)}));
    // Another spelling of a kind is an unknown kind: everything on the account
    // date, and its day list is not read as counts.
    for (const char* tipo : {"DIAS CORRIDOS", "Dias Corridos ", ""}) {
        const PlanoParcelas p = planejaParcelas(tipo, "30,60,90", 2, 0, 10000, jan15);
        EXPECT_EQ(p.vencimentos, datas({jan15, jan15})) << tipo;
        EXPECT_TRUE(p.recusados.empty()) << tipo;
        EXPECT_EQ(p.itensDias, 0) << tipo;
    }
    const PlanoParcelas nenhuma = planejaParcelas("Dias Corridos", "30,,60", 0, 0, 10000, jan15);
    EXPECT_TRUE(nenhuma.vencimentos.empty());
    EXPECT_EQ(nenhuma.itensDias, 3);
    EXPECT_EQ(nenhuma.recusados, std::vector<std::string>{""});
}

}  // namespace
}  // namespace cp::test
