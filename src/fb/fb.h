// Firebird client wrapper: the one door between the program and the server's
// client library. The library is loaded at run time from a file chosen by the
// shell (the CaminhoGDS.txt rule) or the system's default client, and reached
// only through its master interface. Every handle here is RAII: an attachment
// detaches, a transaction rolls back unless committed, a cursor closes, on
// every path including exceptions. Nothing above this header sees a status
// vector: server errors arrive as fb::Error.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace fb {

// One engine code of a server's status, with the numbers given with it (the
// number of the transaction that holds a row, say).
struct StatusCode {
    std::intptr_t code = 0;
    std::vector<std::int64_t> numbers;
};

// Server error: the server's text, its SQLCODE and the engine's error code
// (the first of its status); every code of the status in order; for a failed
// attach or create, the database it was for.
class Error : public std::runtime_error {
  public:
    Error(const std::string& text, int sqlcode = 0, std::intptr_t gdscode = 0)
        : std::runtime_error(text), sqlcode_(sqlcode), gdscode_(gdscode) {
        if (gdscode != 0) status_.push_back({gdscode, {}});
    }
    Error(const std::string& text, int sqlcode, std::vector<StatusCode> status)
        : std::runtime_error(text),
          sqlcode_(sqlcode),
          gdscode_(status.empty() ? 0 : status.front().code),
          status_(std::move(status)) {}
    int sqlcode() const { return sqlcode_; }
    std::intptr_t gdscode() const { return gdscode_; }
    const std::vector<StatusCode>& status() const { return status_; }
    // True when `code` is any code of the status, not only the first.
    bool hasCode(std::intptr_t code) const {
        for (const StatusCode& s : status_)
            if (s.code == code) return true;
        return false;
    }
    // The first number given with `code`, if the status holds both.
    std::optional<std::int64_t> numberOf(std::intptr_t code) const {
        for (const StatusCode& s : status_)
            if (s.code == code && !s.numbers.empty()) return s.numbers.front();
        return std::nullopt;
    }
    const std::string& database() const { return database_; }
    void setDatabase(std::string database) { database_ = std::move(database); }

  private:
    int sqlcode_;
    std::intptr_t gdscode_;
    std::vector<StatusCode> status_;
    std::string database_;
};

// The client library could not be loaded, or the file is not one.
class ClientLibraryError : public Error {
  public:
    ClientLibraryError(const std::string& text, std::string library)
        : Error(text), library_(std::move(library)) {}
    const std::string& library() const { return library_; }

  private:
    std::string library_;
};

struct Date {
    int year = 0, month = 0, day = 0;
    bool operator==(const Date&) const = default;
    auto operator<=>(const Date&) const = default;
};

struct Time {
    int hour = 0, minute = 0, second = 0;
    int fraction = 0;  // ten-thousandths of a second, as the server keeps them
    bool operator==(const Time&) const = default;
    auto operator<=>(const Time&) const = default;
};

struct Timestamp {
    Date date;
    Time time;
    bool operator==(const Timestamp&) const = default;
};

// Exact fixed-point number: value * 10^-scale (scale = digits after the point).
struct Decimal {
    std::int64_t value = 0;
    int scale = 0;
    bool operator==(const Decimal&) const = default;
};

// A value crossing the boundary, typed; monostate is SQL NULL. Text is the
// raw bytes as the connection's character set gives them (Windows-1252 for
// this suite's data).
using Value =
    std::variant<std::monostate, std::int64_t, Decimal, double, std::string, Date, Time, Timestamp>;

inline bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

enum class ColumnType {
    Integer,
    Decimal,
    Double,
    Text,
    Date,
    Time,
    Timestamp,
    Blob,
    Boolean,
    Other
};

struct ColumnInfo {
    std::string name;      // the alias as the server reports it (upper case unless quoted)
    std::string field;     // the underlying column name, empty for expressions
    std::string relation;  // the table, empty for expressions
    ColumnType type = ColumnType::Other;
    int scale = 0;        // digits after the point for Decimal
    unsigned length = 0;  // bytes for Text
    bool nullable = true;
};

struct AttachParams {
    std::string user = "sysdba";
    std::string password;
    std::string role;
    std::string charset;  // empty: none declared (the server's NONE)
    int dialect = 3;
    // Only when creating: false makes the new database skip flushing every
    // commit to disk (throw-away test databases, where it saves seconds).
    bool forcedWrites = true;
    // Seconds an attach to a server waits for it to answer; 0: the client's
    // own limit (the system's, minutes for a host that does not answer).
    int connectTimeout = 0;
    // Seconds a statement of this attachment's transactions waits on a row
    // that another transaction holds before it fails with a lock time-out;
    // 0 waits for as long as the other transaction lasts.
    int lockTimeout = 0;
    // Which of the client's providers may open the database: any of them
    // (the client tries each in turn), only the embedded engine (a local
    // file, never a server), or only a server over the network.
    enum class Provider { Any, Embedded, Remote } provider = Provider::Any;
};

class Transaction;
class Statement;
class Cursor;

// The loaded client library. Shared by the attachments made from it; its
// dispatcher is released when the last of them is gone. The library file
// stays loaded for the life of the process (the client's threads and exit
// handlers live in it).
class Client {
  public:
    // Loads the library from `libraryPath`; empty means the system's default
    // client (libfbclient.so.2 on Linux). Throws fb::Error naming the file when
    // it cannot be loaded or lacks fb_get_master_interface.
    static std::shared_ptr<Client> load(const std::string& libraryPath = {});
    ~Client();

    const std::string& libraryPath() const;

    struct Impl;
    Impl& impl() { return *impl_; }

  private:
    explicit Client(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

class Attachment {
  public:
    Attachment();
    Attachment(Attachment&&) noexcept;
    Attachment& operator=(Attachment&&) noexcept;
    ~Attachment();  // detaches; errors on detach are swallowed

    // Attaches to `database` ("host:path" or a local path for the embedded
    // engine), SQL dialect from params.
    static Attachment attach(std::shared_ptr<Client> client, const std::string& database,
                             const AttachParams& params);
    // Creates a new database file (page size 8192, default character set
    // NONE) and attaches to it.
    static Attachment create(std::shared_ptr<Client> client, const std::string& database,
                             const AttachParams& params);

    bool connected() const;
    void detach();  // throws fb::Error if the server refuses
    void dropDatabase();

    // A read-committed transaction that waits on locks (record versions).
    Transaction startTransaction();

    // Runs one statement in a transaction of its own, committed at the end;
    // returns the number of rows it inserted, updated or deleted.
    std::int64_t execute(const std::string& sql, const std::vector<Value>& params = {});

    struct Impl;
    Impl* impl() const { return impl_.get(); }

  private:
    std::unique_ptr<Impl> impl_;
};

class Transaction {
  public:
    Transaction();
    Transaction(Transaction&&) noexcept;
    Transaction& operator=(Transaction&&) noexcept;
    ~Transaction();  // rolls back unless committed; errors swallowed

    bool active() const;
    void commit();
    void rollback();

    Statement prepare(const std::string& sql);
    // Prepares and runs a statement with parameters; rows affected (a SELECT
    // run this way reads its rows and gives their count).
    std::int64_t execute(const std::string& sql, const std::vector<Value>& params = {});
    // Prepares and opens a cursor; the cursor must be closed (or destroyed)
    // before the transaction ends.
    Cursor open(const std::string& sql, const std::vector<Value>& params = {});

    // As execute(), with the statement prepared the first time this
    // transaction runs `sql` and reused after: for a text run many times in
    // one transaction with other values.
    std::int64_t executeReusing(const std::string& sql, const std::vector<Value>& params);

    // A savepoint `name` set just before the next statement this transaction
    // prepares or runs again, if one comes: a step of several statements that may
    // send none costs nothing. takeDeferredSavepoint() ends the wait and is
    // true when the savepoint was set.
    void deferSavepoint(const std::string& name);
    bool takeDeferredSavepoint();

    // A number no other transaction of the process has had.
    std::uint64_t serial() const;

    struct Impl;
    Impl* impl() const { return impl_.get(); }

  private:
    friend class Attachment;
    std::unique_ptr<Impl> impl_;
};

class Statement {
  public:
    Statement();
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) noexcept;
    ~Statement();

    const std::vector<ColumnInfo>& columns() const;  // output columns (empty for DML)
    unsigned parameterCount() const;
    // Parameters are converted to what the server described for each marker
    // ('?'); a value that cannot be converted throws fb::Error. A statement
    // can run many times; it runs in the transaction that prepared it.
    std::int64_t execute(const std::vector<Value>& params = {});
    Cursor open(const std::vector<Value>& params = {});
    // The plan the engine chose for it, as isql shows it ("PLAN ..."; empty
    // for a statement without one).
    std::string plan() const;

    struct Impl;

  private:
    friend class Transaction;
    std::unique_ptr<Impl> impl_;
};

// Forward-only cursor over a result. Column getters read the current row
// straight from the fetch buffer; they throw fb::Error on a type they cannot
// give (asText works for every type except blobs) and when the cursor is not
// on a row. On a NULL column they give 0, empty text or a zero date; isNull
// tells NULL apart. Dates and times in text are "yyyy-mm-dd" and
// "hh:mm:ss.ffff"; decimals in text have their digits after the point.
class Cursor {
  public:
    Cursor();
    Cursor(Cursor&&) noexcept;
    Cursor& operator=(Cursor&&) noexcept;
    ~Cursor();

    const std::vector<ColumnInfo>& columns() const;
    bool fetch();  // false at the end
    void close();

    bool isNull(unsigned col) const;
    std::int64_t asInt64(unsigned col) const;  // integers; decimals give their raw scaled value
    Decimal asDecimal(unsigned col) const;     // integers give scale 0
    double asDouble(unsigned col) const;
    std::string asText(unsigned col) const;  // text bytes as stored (CHAR keeps its blanks)
    Date asDate(unsigned col) const;
    Time asTime(unsigned col) const;
    Timestamp asTimestamp(unsigned col) const;
    Value value(unsigned col) const;  // typed value, monostate for NULL

    struct Impl;

  private:
    friend class Transaction;
    friend class Statement;
    std::unique_ptr<Impl> impl_;
};

// Splits a script of statements separated by ';' (as isql reads it) into
// the statements, trimmed, without comments ("--" to the end of the line and
// "/* ... */") and without empty ones. A ';' inside quotes does not split.
std::vector<std::string> splitScript(const std::string& script);

// Runs the statements of the script file at `path` in order, each committed
// on its own. A file that cannot be read throws std::runtime_error; a
// refused statement throws its fb::Error and the rest is not run.
void runScriptFile(Attachment& attachment, const std::string& path);

// Creates the database `database` (a file, whose missing folders are made,
// or "host:path" on a server), runs the script file at `scriptPath` in it and
// returns the attachment. An existing file is not replaced: the server
// refuses to create over it.
Attachment createFromScript(std::shared_ptr<Client> client, const std::string& database,
                            const AttachParams& params, const std::string& scriptPath);

}  // namespace fb
