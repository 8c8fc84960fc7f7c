// Reading rows: the cursor fetches into one buffer laid out as the server
// described the output, and each getter decodes its column from there.
#include <charconv>
#include <cstdio>

#include "fb/Internal.h"

namespace fb {

namespace detail {

// Days from 1 Jan 1970 of a proleptic Gregorian date (H. Hinnant's method).
static std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

static Date civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Date{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// 17 Nov 1858, day 0 of the server's dates, is day -40587 from 1970.
constexpr std::int64_t kIscEpoch = 40587;

ISC_DATE encodeDate(const Date& d) {
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.year < 1 || d.year > 9999)
        throw Error("Invalid date " + std::to_string(d.day) + "/" + std::to_string(d.month) + "/" +
                    std::to_string(d.year));
    Date back = civilFromDays(daysFromCivil(d.year, d.month, d.day));
    if (back != d)
        throw Error("Invalid date " + std::to_string(d.day) + "/" + std::to_string(d.month) + "/" +
                    std::to_string(d.year));
    return static_cast<ISC_DATE>(daysFromCivil(d.year, d.month, d.day) + kIscEpoch);
}

Date decodeDate(ISC_DATE n) { return civilFromDays(static_cast<std::int64_t>(n) - kIscEpoch); }

ISC_TIME encodeTime(const Time& t) {
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 ||
        t.second > 59 || t.fraction < 0 || t.fraction > 9999)
        throw Error("Invalid time " + std::to_string(t.hour) + ":" + std::to_string(t.minute) +
                    ":" + std::to_string(t.second));
    return static_cast<ISC_TIME>(((t.hour * 60 + t.minute) * 60 + t.second) * 10000 + t.fraction);
}

Time decodeTime(ISC_TIME n) {
    Time t;
    t.fraction = static_cast<int>(n % 10000);
    n /= 10000;
    t.second = static_cast<int>(n % 60);
    n /= 60;
    t.minute = static_cast<int>(n % 60);
    t.hour = static_cast<int>(n / 60);
    return t;
}

}  // namespace detail

namespace {

using detail::Field;

template <typename T>
T load(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::int64_t rawInteger(const Field& f, const unsigned char* p) {
    switch (f.type) {
        case SQL_SHORT:
            return load<std::int16_t>(p);
        case SQL_LONG:
            return load<std::int32_t>(p);
        default:
            return load<std::int64_t>(p);
    }
}

bool isInteger(unsigned type) { return type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64; }

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                             1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

std::string dateText(const Date& d) {
    char b[16];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", d.year, d.month, d.day);
    return b;
}

std::string timeText(const Time& t) {
    char b[24];
    std::snprintf(b, sizeof b, "%02d:%02d:%02d.%04d", t.hour, t.minute, t.second, t.fraction);
    return b;
}

// A scaled integer written with its point: -1234 at scale 2 is "-12.34".
std::string decimalText(std::int64_t raw, int digits) {
    if (digits <= 0) return std::to_string(raw);
    bool negative = raw < 0;
    std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(raw) : raw;
    std::string s = std::to_string(mag);
    if (s.size() <= static_cast<std::size_t>(digits))
        s.insert(0, static_cast<std::size_t>(digits) + 1 - s.size(), '0');
    s.insert(s.size() - digits, 1, '.');
    return negative ? "-" + s : s;
}

const Cursor::Impl& live(const std::unique_ptr<Cursor::Impl>& impl) {
    if (!impl) throw Error("The cursor is not open");
    return *impl;
}

}  // namespace

// ---------------------------------------------------------------------------

Cursor::Impl::Impl(Transaction::Impl& t, std::shared_ptr<detail::Prepared> p,
                   const std::vector<Value>& params)
    : client(p->client), prepared(std::move(p)), status(client->impl().master) {
    detail::Prepared& pr = *prepared;
    if (!pr.outMeta || pr.outFields.empty()) throw Error("The statement returns no rows to fetch");
    t.liveAttachment();
    Firebird::IMessageMetadata* in = pr.bind(params);
    row.assign(pr.outLength, 0);
    resultSet = pr.statement->openCursor(status.get(), t.transaction, in,
                                         in ? pr.inBuffer.data() : nullptr, pr.outMeta, 0);
    if (status.failed()) {
        resultSet = nullptr;
        throw client->impl().error(status.get());
    }
    attachTo(&t);
}

Cursor::Impl::~Impl() {
    abandon();
    detachFromParent();
}

void Cursor::Impl::abandon() noexcept {
    onRow = false;
    if (!resultSet || detail::processExiting()) return;
    resultSet->close(status.get());
    if (status.failed()) resultSet->release();
    resultSet = nullptr;
}

void Cursor::Impl::close() {
    onRow = false;
    if (!resultSet) return;
    resultSet->close(status.get());
    if (status.failed()) {
        Error e = client->impl().error(status.get());
        resultSet->release();
        resultSet = nullptr;
        throw e;
    }
    resultSet = nullptr;
}

bool Cursor::Impl::fetch() {
    if (!resultSet) {
        onRow = false;
        return false;
    }
    int r = resultSet->fetchNext(status.get(), row.data());
    // A client whose attachments were shut down answers some calls with
    // RESULT_OK and the error in the status: the status decides.
    if (status.failed()) {
        onRow = false;
        throw client->impl().error(status.get());
    }
    if (r == Firebird::IStatus::RESULT_OK) {
        onRow = true;
        return true;
    }
    onRow = false;
    if (r == Firebird::IStatus::RESULT_NO_DATA) return false;
    throw client->impl().error(status.get());
}

const Field& Cursor::Impl::field(unsigned col) const {
    if (col >= prepared->outFields.size())
        throw Error("Column " + std::to_string(col) + " does not exist; the result has " +
                    std::to_string(prepared->outFields.size()) + " columns");
    if (!onRow) throw Error("The cursor is not on a row");
    return prepared->outFields[col];
}

void Cursor::Impl::wrongType(unsigned col, const char* wanted) const {
    throw Error("Column " + prepared->columns[col].name + " cannot be read as " + wanted);
}

// ---------------------------------------------------------------------------

Cursor::Cursor() = default;
Cursor::Cursor(Cursor&&) noexcept = default;
Cursor& Cursor::operator=(Cursor&&) noexcept = default;
Cursor::~Cursor() = default;

namespace {
const std::vector<ColumnInfo> kNone;
}

const std::vector<ColumnInfo>& Cursor::columns() const {
    return impl_ ? impl_->prepared->columns : kNone;
}

bool Cursor::fetch() { return impl_ && impl_->fetch(); }

void Cursor::close() {
    if (impl_) impl_->close();
}

bool Cursor::isNull(unsigned col) const {
    const Field& f = live(impl_).field(col);
    return impl_->null(f);
}

std::int64_t Cursor::asInt64(unsigned col) const {
    const Field& f = live(impl_).field(col);
    if (impl_->null(f)) return 0;
    if (isInteger(f.type)) return rawInteger(f, impl_->data(f));
    if (f.type == SQL_BOOLEAN) return *impl_->data(f) ? 1 : 0;
    impl_->wrongType(col, "a whole number");
}

Decimal Cursor::asDecimal(unsigned col) const {
    const Field& f = live(impl_).field(col);
    if (impl_->null(f)) return Decimal{0, -f.scale};
    if (isInteger(f.type)) return Decimal{rawInteger(f, impl_->data(f)), -f.scale};
    impl_->wrongType(col, "a decimal");
}

double Cursor::asDouble(unsigned col) const {
    const Field& f = live(impl_).field(col);
    if (impl_->null(f)) return 0.0;
    const unsigned char* p = impl_->data(f);
    if (isInteger(f.type)) {
        double v = static_cast<double>(rawInteger(f, p));
        return f.scale < 0 ? v / kPow10[std::min(-f.scale, 18)] : v;
    }
    if (f.type == SQL_DOUBLE || f.type == SQL_D_FLOAT) return load<double>(p);
    if (f.type == SQL_FLOAT) return load<float>(p);
    impl_->wrongType(col, "a number");
}

std::string Cursor::asText(unsigned col) const {
    const Field& f = live(impl_).field(col);
    if (impl_->null(f)) return {};
    const unsigned char* p = impl_->data(f);
    switch (f.type) {
        case SQL_VARYING: {
            std::uint16_t n = load<std::uint16_t>(p);
            return std::string(reinterpret_cast<const char*>(p + 2), n);
        }
        case SQL_TEXT:
            return std::string(reinterpret_cast<const char*>(p), f.length);
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            return decimalText(rawInteger(f, p), -f.scale);
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            char b[32];
            double v = asDouble(col);
            auto r = std::to_chars(b, b + sizeof b, v);
            return std::string(b, r.ptr);
        }
        case SQL_TYPE_DATE:
            return dateText(asDate(col));
        case SQL_TYPE_TIME:
            return timeText(asTime(col));
        case SQL_TIMESTAMP: {
            Timestamp ts = asTimestamp(col);
            return dateText(ts.date) + " " + timeText(ts.time);
        }
        case SQL_BOOLEAN:
            return *p ? "TRUE" : "FALSE";
        default:
            impl_->wrongType(col, "text");
    }
}

Date Cursor::asDate(unsigned col) const {
    const Field& f = live(impl_).field(col);
    if (impl_->null(f)) return Date{};
    const unsigned char* p = impl_->data(f);
    if (f.type == SQL_TYPE_DATE || f.type == SQL_TIMESTAMP)
        return detail::decodeDate(load<ISC_DATE>(p));
    impl_->wrongType(col, "a date");
}

Time Cursor::asTime(unsigned col) const {
    const Field& f = live(impl_).field(col);
    if (impl_->null(f)) return Time{};
    const unsigned char* p = impl_->data(f);
    if (f.type == SQL_TYPE_TIME) return detail::decodeTime(load<ISC_TIME>(p));
    if (f.type == SQL_TIMESTAMP) return detail::decodeTime(load<ISC_TIMESTAMP>(p).timestamp_time);
    impl_->wrongType(col, "a time");
}

Timestamp Cursor::asTimestamp(unsigned col) const {
    const Field& f = live(impl_).field(col);
    if (impl_->null(f)) return Timestamp{};
    const unsigned char* p = impl_->data(f);
    if (f.type == SQL_TIMESTAMP) {
        ISC_TIMESTAMP ts = load<ISC_TIMESTAMP>(p);
        return Timestamp{detail::decodeDate(ts.timestamp_date),
                         detail::decodeTime(ts.timestamp_time)};
    }
    if (f.type == SQL_TYPE_DATE) return Timestamp{detail::decodeDate(load<ISC_DATE>(p)), Time{}};
    impl_->wrongType(col, "a date and time");
}

Value Cursor::value(unsigned col) const {
    const Field& f = live(impl_).field(col);
    if (impl_->null(f)) return Value{};
    const unsigned char* p = impl_->data(f);
    switch (f.type) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            std::int64_t raw = rawInteger(f, p);
            if (f.scale < 0) return Decimal{raw, -f.scale};
            return raw;
        }
        case SQL_BOOLEAN:
            return std::int64_t{*p ? 1 : 0};
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            return asDouble(col);
        case SQL_VARYING: {
            std::uint16_t n = load<std::uint16_t>(p);
            return std::string(reinterpret_cast<const char*>(p + 2), n);
        }
        case SQL_TEXT:
            return std::string(reinterpret_cast<const char*>(p), f.length);
        case SQL_TYPE_DATE:
            return detail::decodeDate(load<ISC_DATE>(p));
        case SQL_TYPE_TIME:
            return detail::decodeTime(load<ISC_TIME>(p));
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP ts = load<ISC_TIMESTAMP>(p);
            return Timestamp{detail::decodeDate(ts.timestamp_date),
                             detail::decodeTime(ts.timestamp_time)};
        }
        default:
            impl_->wrongType(col, "a value");
    }
}

}  // namespace fb
