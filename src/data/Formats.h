// Display formats of the record-set columns (the edit masks are in
// EditMask.h), and the date
// rules of the suite: "/" and ":" in a pattern stand for the locale's
// separators, dates are read day-month-year, and a two-digit year goes in the
// hundred years that begin 50 years before the current year. The locale is
// QLocale() (the application's default locale).
#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cp {

// ----- Numbers -----

// A scaled integer (value * 10^-from) given with `to` decimals instead,
// rounded half away from zero when decimals are dropped.
std::int64_t rescale(std::int64_t value, int from, int to);
// The same with the dropped decimals cut off (toward zero).
std::int64_t rescaleTruncated(std::int64_t value, int from, int to);

// A scaled integer (value * 10^-scale) through a Delphi-style numeric pattern
// such as "0.00" or "#,###,##0.00": decimals as the pattern asks (rounded half
// away from zero), grouping only when the pattern has a ",", the locale's
// separators.
std::string formatScaled(std::string_view pattern, std::int64_t value, int scale);
// The same for binary floating point (the list totals).
std::string formatFloat(std::string_view pattern, double value);
// Shortest decimal text of a scaled integer with the locale's separator:
// 1250 at scale 2 gives "12,5" under Brazilian conventions.
std::string scaledToText(std::int64_t value, int scale);
// Text to a scaled integer at `scale` digits (rounded half away from zero).
// Accepts an optional sign, digits and the locale's decimal separator, and the
// locale's thousands separator between groups of three digits ("1.234,56").
std::optional<std::int64_t> parseScaled(std::string_view text, int scale);
// A whole number: optional blanks and sign, decimal digits; 32-bit range.
std::optional<std::int64_t> parseInteger(std::string_view text);

// ----- Dates and times -----

// Through a pattern of dd, d, mm, m, yy, yyyy, hh, nn, ss; "/" and ":" are the
// locale's separators, other characters stand for themselves.
std::string formatDate(std::string_view pattern, const QDate& date);
std::string formatTime(std::string_view pattern, const QTime& time);
// The locale's short date format (as a pattern above) and time format.
std::string shortDatePattern();
std::string longTimePattern();
QChar dateSeparator();
// A locale separator as one Windows-1252 byte; separators that the code page
// cannot hold (some locales group with a narrow no-break space) become a
// no-break space.
char separatorByte(const QString& s, char fallback);
QChar timeSeparator();

// Day-month-year text ("31/01/05", "31/1/2005", "31/01") with any of the
// locale's separator, "/", "-" or "."; a missing year is the current one.
std::optional<QDate> parseDate(std::string_view text, const QDate& today);
// "14:05", "9:05:30"; hours 0-23.
std::optional<QTime> parseTime(std::string_view text);
// The year for a two-digit year under the suite's rule.
int expandYear(int twoDigitYear, const QDate& today);

// The exact messages of the record sets.
inline constexpr const char* kMsgInvalidInput =
    "Invalid input value.  Use escape key to abandon changes";
std::string msgInvalidInteger(std::string_view text, std::string_view field);
std::string msgInvalidFloat(std::string_view text, std::string_view field);
std::string msgInvalidDate(std::string_view text);
std::string msgInvalidTime(std::string_view text);
std::string msgMustHaveValue(std::string_view field);

}  // namespace cp
