// Columns of the in-memory record sets: their definitions, the values they
// hold, and the Field handle through which the screens read and write one
// column of one row by name.
#pragma once

#include <QDate>
#include <QTime>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace cp {

class RecordSet;

// The one error type of the record sets, fields, masks and formats. Its text
// is the operator message, exactly as the program shows it.
class DataError : public std::runtime_error {
  public:
    explicit DataError(const std::string& message) : std::runtime_error(message) {}
};

// A whole number read from a text value of the column `field`: blanks
// around it allowed, an empty text is 0; anything else is the record sets'
// error for a text that is not an integer.
std::int64_t integerFromText(std::string_view text, std::string_view field);

enum class FieldType {
    Integer,   // 32-bit whole number, held as int64
    String,    // Windows-1252 text of at most `size` characters
    Money,     // decimal(15,2), held as int64 cents
    Decimal8,  // decimal(15,8), held as int64 in units of 10^-8
    Date,      // calendar date (QDate)
    Time,      // time of day (TimeOfDay)
};

// A time of day as the server keeps it, to the ten-thousandth of a second.
// QTime holds milliseconds only: a time another program wrote with a finer
// fraction would no longer match its row when written back. Made from a
// QTime (the screens' times) without loss; toQTime() cuts the last digit.
class TimeOfDay {
  public:
    static constexpr int kTicksPerSecond = 10000;
    static constexpr int kTicksPerDay = 86400 * kTicksPerSecond;

    TimeOfDay() = default;     // not a valid time
    TimeOfDay(const QTime& t)  // NOLINT(google-explicit-constructor): a QTime is a time of day
        : ticks_(t.isValid() ? t.msecsSinceStartOfDay() * 10 : -1) {}
    static TimeOfDay fromTicks(std::int64_t ticks) {
        TimeOfDay t;
        if (ticks >= 0 && ticks < kTicksPerDay) t.ticks_ = static_cast<int>(ticks);
        return t;
    }
    static TimeOfDay fromParts(int hour, int minute, int second, int tenThousandths) {
        return fromTicks((static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second) *
                             kTicksPerSecond +
                         tenThousandths);
    }

    bool isValid() const { return ticks_ >= 0; }
    int ticks() const { return ticks_; }
    int hour() const { return ticks_ / (3600 * kTicksPerSecond); }
    int minute() const { return ticks_ / (60 * kTicksPerSecond) % 60; }
    int second() const { return ticks_ / kTicksPerSecond % 60; }
    int tenThousandths() const { return ticks_ % kTicksPerSecond; }
    QTime toQTime() const {
        return isValid() ? QTime::fromMSecsSinceStartOfDay(ticks_ / 10) : QTime();
    }

    bool operator==(const TimeOfDay&) const = default;
    auto operator<=>(const TimeOfDay&) const = default;

  private:
    int ticks_ = -1;
};

// One cell. monostate is an empty (NULL) column. The alternative in use
// follows the column's type: Integer, Money and Decimal8 hold int64 (scaled
// for the decimals), String holds std::string, Date holds QDate, Time
// TimeOfDay.
using Value = std::variant<std::monostate, std::int64_t, std::string, QDate, TimeOfDay>;

inline bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

struct FieldDef {
    std::string name;  // upper case, as the server names the column
    FieldType type = FieldType::String;
    int size = 0;               // characters, for String columns
    bool required = false;      // post refuses the row while it is empty
    bool key = false;           // identifies the row in key-mode updates and deletes
    std::string displayFormat;  // "0.00", "dd/mm/yy" or empty
    std::string editMask;       // "!99/99/00;1;_", "!90:00;1;_", tax-number mask or empty
    // False for a column that comes from another table of a join: it is
    // neither written nor compared by the statements of an apply.
    bool updatable = true;

    static FieldDef integer(std::string name, bool required = false, bool key = false);
    static FieldDef string(std::string name, int size, bool required = false, bool key = false);
    static FieldDef money(std::string name);     // decimal(15,2)
    static FieldDef decimal8(std::string name);  // decimal(15,8)
    static FieldDef date(std::string name, std::string displayFormat = {},
                         std::string editMask = {});
    static FieldDef time(std::string name, std::string editMask = {});
    FieldDef& withDisplay(std::string format) {
        displayFormat = std::move(format);
        return *this;
    }
    FieldDef& withMask(std::string mask) {
        editMask = std::move(mask);
        return *this;
    }
    FieldDef& notUpdatable() {
        updatable = false;
        return *this;
    }
};

// A handle on one column of one row of a record set: the current row (the
// row being edited or inserted while the set is in edit or insert state), or
// a fixed visible row for grids. Cheap to copy; valid while the record set's
// column list and, for fixed rows, its rows are unchanged.
//
// Reading an empty column gives "" / 0 / null QDate / null QTime. Setting a
// value needs the set in edit or insert state and the handle on the current
// row; text is cut to the column's size.
class Field {
  public:
    Field(RecordSet& set, int column, int row = -1) : set_(&set), col_(column), row_(row) {}

    const FieldDef& def() const;
    const std::string& name() const { return def().name; }
    FieldType type() const { return def().type; }
    int index() const { return col_; }

    Value value() const;
    void setValue(Value v);  // converted to the column's type; errors as the setters below
    bool isNull() const;
    void clear();

    // Text: String as stored; Integer in decimal; Money and Decimal8 with the
    // locale's decimal separator and no trailing zeros; Date in the locale's
    // short date format; Time as hh:nn:ss.
    std::string asString() const;
    // Empty text empties the column; otherwise converted to the column's type
    // ("'%s' is not a valid integer value for field '%s'" and the like).
    void setAsString(std::string_view text);

    std::int64_t asInteger() const;  // decimals are truncated; text must be a whole number
    void setAsInteger(std::int64_t v);
    std::int64_t asMoney() const;  // cents
    void setAsMoney(std::int64_t cents);
    std::int64_t asDecimal8() const;  // units of 10^-8
    void setAsDecimal8(std::int64_t units);
    double asDouble() const;  // binary floating point, for the list totals only
    QDate asDate() const;
    void setAsDate(const QDate& d);  // a null QDate empties the column
    QTime asTime() const;
    void setAsTime(const QTime& t);  // a null QTime empties the column

    // The text grids and read-only boxes show: the display format when the
    // column has one ("0.00", "dd/mm/yy"); for a masked date or time without
    // one, the locale's short date or time format; empty for NULL.
    std::string displayText() const;
    // The text an edit box starts from: formatted for the edit mask when the
    // column has one; otherwise as displayText without grouping.
    std::string editText() const;
    // Typed text back into the column, through the edit mask when there is
    // one. Errors: "Invalid input value.  Use escape key to abandon changes",
    // "'%s' is not a valid integer value for field '%s'", "'%s' is not a
    // valid floating point value for field '%s'", "'%s' is not a valid date",
    // "'%s' is not a valid time". Empty text empties the column.
    void setEditText(std::string_view text);

  private:
    RecordSet* set_;
    int col_;
    int row_;  // -1: the current row
};

}  // namespace cp
