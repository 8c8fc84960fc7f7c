// Display formats, number and date reading, edit masks, ORDER BY and filter
// parsing: the parts of the record sets that need no database.
#include <gtest/gtest.h>

#include <QLocale>
#include <limits>

#include "data/Connection.h"
#include "data/EditMask.h"
#include "data/Formats.h"
#include "data/RecordSetImpl.h"
#include "support/LocaleGuard.h"

namespace cp::test {
namespace {

class BrazilianLocale : public ::testing::Test {
  protected:
    LocaleGuard brasil;
};

using NumberFormats = BrazilianLocale;

TEST_F(NumberFormats, MoneyPatternUsesLocaleSeparatorWithoutGrouping) {
    EXPECT_EQ(formatScaled("0.00", 123456, 2), "1234,56");
    EXPECT_EQ(formatScaled("0.00", 0, 2), "0,00");
    EXPECT_EQ(formatScaled("0.00", -5, 2), "-0,05");
    EXPECT_EQ(formatScaled("0.00", 7, 0), "7,00");
    // Scale 8 rounded half away from zero to two decimals.
    EXPECT_EQ(formatScaled("0.00", 12345000000LL, 8), "123,45");
    EXPECT_EQ(formatScaled("0.00", 12345500000LL, 8), "123,46");
    EXPECT_EQ(formatScaled("0.00", -12345500000LL, 8), "-123,46");
}

TEST_F(NumberFormats, AnyNumberOfDecimalsAndTheWholeRangeFormatExactly) {
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::int64_t min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(formatScaled("0.000000000", max, 2), "92233720368547758,070000000");
    EXPECT_EQ(formatScaled("0.####################", min, 0), "-9223372036854775808");
    EXPECT_EQ(formatScaled("0.00", max, 18), "9,22");
    EXPECT_EQ(formatScaled("0.00", min, 18), "-9,22");
    // Rounding that carries through every digit.
    EXPECT_EQ(formatScaled("0", 99999, 5), "1");
    EXPECT_EQ(formatScaled("0.0", -99950, 5), "-1,0");
    EXPECT_EQ(formatScaled("#,##0", 999999500, 3), "1.000.000");
}

TEST_F(NumberFormats, TotalsPatternGroupsThousands) {
    EXPECT_EQ(formatScaled("#,###,##0.00", 123456789, 2), "1.234.567,89");
    EXPECT_EQ(formatScaled("#,###,##0.00", 99, 2), "0,99");
    EXPECT_EQ(formatScaled("#,###,##0.00", 100000, 2), "1.000,00");
    EXPECT_EQ(formatFloat("#,###,##0.00", 1234.5), "1.234,50");
    EXPECT_EQ(formatFloat("#,###,##0.00", 0.0), "0,00");
    EXPECT_EQ(formatFloat("#,###,##0.00", -1000000.0), "-1.000.000,00");
    EXPECT_EQ(formatFloat("R$ #,###,##0.00", 12.0), "R$ 12,00");
}

TEST_F(NumberFormats, ShortestTextDropsTrailingZeros) {
    EXPECT_EQ(scaledToText(1250, 2), "12,5");
    EXPECT_EQ(scaledToText(1200, 2), "12");
    EXPECT_EQ(scaledToText(-1, 8), "-0,00000001");
}

TEST_F(NumberFormats, ReadingScaledNumbers) {
    EXPECT_EQ(parseScaled("12,5", 2), 1250);
    EXPECT_EQ(parseScaled(" -0,01 ", 2), -1);
    EXPECT_EQ(parseScaled("1,005", 2), 101);
    EXPECT_EQ(parseScaled("1,004", 2), 100);
    EXPECT_EQ(parseScaled(",5", 2), 50);
    EXPECT_EQ(parseScaled("0,12345678", 8), 12345678);
    EXPECT_FALSE(parseScaled("12.50", 2));  // not the locale's separator
    EXPECT_FALSE(parseScaled("1,2,3", 2));
    EXPECT_FALSE(parseScaled("abc", 2));
    EXPECT_FALSE(parseScaled("", 2));
    EXPECT_FALSE(parseScaled("-", 2));
    EXPECT_FALSE(parseScaled("1234567890123456789", 2));
}

TEST_F(NumberFormats, ThousandsAreReadOnlyInGroupsOfThree) {
    EXPECT_EQ(parseScaled("1.234,56", 2), 123456);
    EXPECT_EQ(parseScaled("1.234.567", 2), 123456700);
    EXPECT_EQ(parseScaled("-12.345,6", 2), -1234560);
    EXPECT_EQ(parseScaled("1234,56", 2), 123456);
    for (const char* errado : {"1.23", "1.2345", "1234.567", ".123", "1..234", "1.234.", "1,234.5",
                               "1.23,45", "1,2.345"})
        EXPECT_FALSE(parseScaled(errado, 2)) << errado;
}

TEST_F(NumberFormats, ReadingIntegersKeepsTo32Bits) {
    EXPECT_EQ(parseInteger(" 42"), 42);
    EXPECT_EQ(parseInteger("-2147483648"), -2147483648LL);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647LL);
    EXPECT_FALSE(parseInteger("2147483648"));
    EXPECT_FALSE(parseInteger("12a"));
    EXPECT_FALSE(parseInteger("+"));
    EXPECT_FALSE(parseInteger("1,5"));
}

using DateRules = BrazilianLocale;

TEST_F(DateRules, TwoDigitYearsFallInTheHundredYearsBeginningFiftyYearsBack) {
    QDate today(2025, 6, 1);
    EXPECT_EQ(expandYear(75, today), 1975);
    EXPECT_EQ(expandYear(99, today), 1999);
    EXPECT_EQ(expandYear(0, today), 2000);
    EXPECT_EQ(expandYear(74, today), 2074);
    // The window moves with the clock.
    EXPECT_EQ(expandYear(75, QDate(2026, 1, 1)), 2075);
    EXPECT_EQ(expandYear(76, QDate(2026, 1, 1)), 1976);
}

TEST_F(DateRules, DatesAreReadDayMonthYear) {
    QDate today(2025, 6, 1);
    EXPECT_EQ(parseDate("31/01/05", today), QDate(2005, 1, 31));
    EXPECT_EQ(parseDate(" 1/ 2/80", today), QDate(1980, 2, 1));
    EXPECT_EQ(parseDate("29/02/2024", today), QDate(2024, 2, 29));
    EXPECT_EQ(parseDate("15/08", today), QDate(2025, 8, 15));
    EXPECT_FALSE(parseDate("31/02/05", today));
    EXPECT_FALSE(parseDate("29/02/2023", today));
    EXPECT_FALSE(parseDate("00/01/05", today));
    EXPECT_FALSE(parseDate("1/13/05", today));
    EXPECT_FALSE(parseDate("ab/01/05", today));
    EXPECT_FALSE(parseDate("/01/05", today));
}

TEST_F(DateRules, DateAndTimePatterns) {
    EXPECT_EQ(formatDate("dd/mm/yy", QDate(2005, 1, 31)), "31/01/05");
    EXPECT_EQ(formatDate("mm/dd/yyyy", QDate(2024, 3, 1)), "03/01/2024");
    EXPECT_EQ(formatDate("d/m/yy", QDate(2024, 3, 1)), "1/3/24");
    EXPECT_EQ(formatDate("dd/mm/yy", QDate()), "");
    EXPECT_EQ(formatTime("hh:nn:ss", QTime(14, 5, 30)), "14:05:30");
    EXPECT_EQ(formatTime("hh:mm", QTime(9, 7)), "09:07");  // m after h is minutes
    EXPECT_EQ(parseTime("14:05"), QTime(14, 5));
    EXPECT_EQ(parseTime(" 9:05:30"), QTime(9, 5, 30));
    EXPECT_FALSE(parseTime("24:00"));
    EXPECT_FALSE(parseTime("12:60"));
    EXPECT_EQ(shortDatePattern(), "dd/mm/yyyy");
}

using EditMasks = BrazilianLocale;

TEST_F(EditMasks, TaxNumberOfFourteenDigitsIsStoredWithPunctuation) {
    EditMask cnpj("00\\.000\\.000\\/0000\\-00;1;_");  // the CNPJ of a supplier
    EXPECT_EQ(cnpj.length(), 18);
    EXPECT_EQ(cnpj.apply("12345678000195"), "12.345.678/0001-95");
    EXPECT_EQ(cnpj.apply("12.345.678/0001-95"), "12.345.678/0001-95");
    EXPECT_EQ(cnpj.apply("12.345678/0001-95"), "12.345.678/0001-95");
    EXPECT_FALSE(cnpj.apply("1234567800019"));    // a digit short
    EXPECT_FALSE(cnpj.apply("123456780001955"));  // a digit too many
    EXPECT_FALSE(cnpj.apply("12345678O00195"));   // a letter O
    EXPECT_FALSE(cnpj.apply("__.___.___/____-__"));
    EXPECT_EQ(cnpj.display(""), "__.___.___/____-__");
    EXPECT_EQ(cnpj.display("12.345.678/0001-95"), "12.345.678/0001-95");
}

TEST_F(EditMasks, DateMaskRequiresTheYearDigits) {
    EditMask date("!99/99/00;1;_");
    EXPECT_EQ(date.length(), 8);
    EXPECT_EQ(date.apply("31/01/05"), "31/01/05");
    EXPECT_EQ(date.apply("310105"), "31/01/05");
    EXPECT_EQ(date.apply("1/1/05"), " 1/ 1/05");  // "!": short runs keep to the right
    EXPECT_EQ(date.apply("__/__/05"), "  /  /05");
    EXPECT_FALSE(date.apply("31/01/"));
    EXPECT_FALSE(date.apply("31/01/5"));
    EXPECT_FALSE(date.apply("__/__/__"));
    EXPECT_FALSE(date.apply("ab/01/05"));
    EXPECT_EQ(date.display(""), "__/__/__");
    EXPECT_EQ(date.display(" 1/ 1/05"), "_1/_1/05");
}

TEST_F(EditMasks, TimeMaskHourFirstDigitOptional) {
    EditMask time("!90:00;1;_");
    EXPECT_EQ(time.length(), 5);
    EXPECT_EQ(time.apply("14:05"), "14:05");
    EXPECT_EQ(time.apply("9:05"), " 9:05");
    EXPECT_EQ(time.apply("1405"), "14:05");
    EXPECT_FALSE(time.apply("14:5"));
    EXPECT_FALSE(time.apply(":05"));
}

TEST_F(EditMasks, CaseAndLiteralsNotSaved) {
    EditMask plate(">LLL-0000;0;_");
    EXPECT_EQ(plate.apply("abc1234"), "ABC1234");
    EXPECT_EQ(plate.display("ABC1234"), "ABC-1234");
    EXPECT_FALSE(plate.apply("ab11234"));
}

TEST(OrderBy, ColumnsOfTheLastTopLevelClause) {
    auto items = detail::parseOrderBy(
        "Select X from CONTASPR where NATUREZA = 'P' order by NFISCAL, NomeCliFor");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, "NFISCAL");
    EXPECT_EQ(items[1].name, "NOMECLIFOR");

    items = detail::parseOrderBy("Select A.X from Parcelas A order by A.DataVencim ");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].name, "DATAVENCIM");

    items = detail::parseOrderBy(
        "select a from t where b in (select c from u order by c) and d = 'order by z' "
        "ORDER  BY 2 desc, e asc");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].position, 2);
    EXPECT_TRUE(items[0].descending);
    EXPECT_EQ(items[1].name, "E");
    EXPECT_FALSE(items[1].descending);

    EXPECT_TRUE(detail::parseOrderBy("select a from t where x = 'order by a'").empty());
    EXPECT_TRUE(detail::parseOrderBy("select ordered, border from t").empty());
    // An expression ends the usable columns.
    items = detail::parseOrderBy("select a from t order by a, upper(b), c");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].name, "A");
}

TEST(CompareValues, EmptyFirstAndTrailingBlanksIgnored) {
    EXPECT_LT(detail::compareValues(Value{}, Value{std::int64_t{-5}}), 0);
    EXPECT_EQ(detail::compareValues(Value{}, Value{}), 0);
    EXPECT_EQ(detail::compareValues(Value{std::string("ABC  ")}, Value{std::string("ABC")}), 0);
    EXPECT_LT(
        detail::compareValues(Value{std::string("DROGA")}, Value{std::string("DROGA CENTRAL")}), 0);
    // Bytes compare unsigned: an accented capital sorts after Z.
    EXPECT_GT(detail::compareValues(Value{std::string("\xC1GUA")}, Value{std::string("ZEBRA")}), 0);
    EXPECT_LT(detail::compareValues(Value{QDate(2024, 1, 1)}, Value{QDate(2024, 1, 2)}), 0);
}

TEST(Filter, ColumnEqualsLiteral) {
    Connection none;
    RecordSet rs("CONTASPR", none,
                 {FieldDef::integer("CODIGOCPR"), FieldDef::string("NATUREZA", 1),
                  FieldDef::string("NOMECLIFOR", 40)},
                 "select 1 from rdb$database", UpdateMode::Key, "CONTASPR");
    auto terms = detail::parseFilter("Natureza = 'P'", rs);
    ASSERT_EQ(terms.size(), 1u);
    EXPECT_EQ(terms[0].column, 1);
    auto p = detail::toCells({std::int64_t{1}, std::string("P"), std::string("X")});
    auto r = detail::toCells({std::int64_t{2}, std::string("R"), std::string("X")});
    auto empty = detail::toCells({std::int64_t{3}, Value{}, std::string("X")});
    EXPECT_TRUE(detail::passesFilter(p.data(), terms));
    EXPECT_FALSE(detail::passesFilter(r.data(), terms));
    EXPECT_FALSE(detail::passesFilter(empty.data(), terms));

    terms = detail::parseFilter("nomeclifor = 'D''AVILA' and CODIGOCPR <> 2", rs);
    ASSERT_EQ(terms.size(), 2u);
    auto quoted = detail::toCells({std::int64_t{1}, std::string("P"), std::string("D'AVILA")});
    EXPECT_TRUE(detail::passesFilter(quoted.data(), terms));
    quoted[0].setInt(2);
    EXPECT_FALSE(detail::passesFilter(quoted.data(), terms));

    EXPECT_TRUE(detail::parseFilter("  ", rs).empty());
    EXPECT_THROW(detail::parseFilter("NATUREZA = 'P", rs), DataError);
    EXPECT_THROW(detail::parseFilter("NATUREZA 'P'", rs), DataError);
    EXPECT_THROW(detail::parseFilter("SEMCOLUNA = 'P'", rs), DataError);
    EXPECT_THROW(detail::parseFilter("CODIGOCPR = 'x'", rs), DataError);
}

}  // namespace
}  // namespace cp::test
