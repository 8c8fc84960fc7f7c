// Pieces shared by the wrapper's implementation files: the loaded library,
// the status holder, the error builder, the ownership tree that lets a parent
// handle end its children before it ends itself, and the prepared statement
// with its message layouts.
#pragma once

#include <firebird/Interface.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fb/fb.h"

namespace fb {

using IscSqlcodeFn = ISC_LONG (*)(const ISC_STATUS*);

struct Client::Impl {
    std::string path;
    void* handle = nullptr;
    Firebird::IMaster* master = nullptr;
    Firebird::IProvider* provider = nullptr;
    Firebird::IUtil* util = nullptr;
    IscSqlcodeFn sqlcodeFn = nullptr;

    // The server's formatted text, SQLCODE and engine code of a failed call.
    Error error(Firebird::IStatus* status) const;
};

namespace detail {

// True once the process runs its exit handlers: the client library may have
// torn down its objects, so handles still alive then leave them alone.
bool processExiting();
// Makes sure the client is shut down at exit before the library's and its
// plugins' own exit handlers run; cheap when no library was loaded since the
// last call. Called after every call that may load one.
void armExitShutdown();

// One status object of the client, reused by the calls of one handle. The
// templated interface calls clear it before each call.
class Status {
  public:
    explicit Status(Firebird::IMaster* master) : raw_(master->getStatus()), wrapper_(raw_) {}
    ~Status() { raw_->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    Firebird::CheckStatusWrapper* get() { return &wrapper_; }
    bool failed() const { return (wrapper_.getState() & Firebird::IStatus::STATE_ERRORS) != 0; }

  private:
    Firebird::IStatus* raw_;
    Firebird::CheckStatusWrapper wrapper_;
};

// Throws the server's error held in `status` if the last call failed.
inline void check(const Client::Impl& client, Status& status) {
    if (status.failed()) throw client.error(status.get());
}

// Ownership tree: a parent (attachment, transaction) keeps its live children
// so that ending it first ends them (a detach rolls back open transactions,
// a commit closes open cursors). Children unregister themselves when they go.
class Node;

class Parent {
  public:
    void adopt(Node* child) { children_.push_back(child); }
    void disown(Node* child) {
        children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
    }
    // Tells every child that this parent's work ends (`gone` = the parent
    // itself goes away, else only its transaction ended).
    void endChildren(bool gone) noexcept;

  protected:
    ~Parent() = default;

  private:
    std::vector<Node*> children_;
};

class Node {
  public:
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    void attachTo(Parent* parent) {
        parent_ = parent;
        if (parent_) parent_->adopt(this);
    }
    void detachFromParent() {
        if (parent_) parent_->disown(this);
        parent_ = nullptr;
    }
    // The parent's transaction ended (commit or rollback).
    virtual void transactionEnded() noexcept {}
    // The parent itself is going away; after this the child has no parent.
    virtual void parentGone() noexcept = 0;
    // Children with a lower rank end first (transactions before the
    // statements their cursors run on).
    virtual int endRank() const { return 1; }

    Parent* parent() const { return parent_; }
    void forgetParent() { parent_ = nullptr; }

  protected:
    virtual ~Node() = default;

  private:
    Parent* parent_ = nullptr;
};

inline void Parent::endChildren(bool gone) noexcept {
    // Children may unregister themselves while being told; work on a copy.
    std::vector<Node*> copy = children_;
    std::stable_sort(copy.begin(), copy.end(),
                     [](Node* a, Node* b) { return a->endRank() < b->endRank(); });
    for (Node* child : copy) {
        if (gone) {
            child->forgetParent();
            child->parentGone();
        } else {
            child->transactionEnded();
        }
    }
    if (gone) children_.clear();
}

// Where one column of a message lives and how to read or write it.
struct Field {
    unsigned type = 0;  // SQL_* without the nullable bit
    int scale = 0;      // as the server gives it: 0 or negative
    unsigned length = 0;
    unsigned charset = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
};

ColumnType columnTypeOf(unsigned sqlType, int scale);

// A statement prepared on an attachment; shared by the Statement that
// prepared it and the cursors opened from it, freed when the last goes or
// when the attachment detaches.
struct Prepared final : Node {
    std::shared_ptr<Client> client;
    Status status;
    Firebird::IStatement* statement = nullptr;
    Firebird::IMessageMetadata* inMeta = nullptr;   // as the server described the markers
    Firebird::IMessageMetadata* outMeta = nullptr;  // output, null when there is none
    std::vector<Field> inFields;
    std::vector<Field> outFields;
    std::vector<ColumnInfo> columns;
    unsigned outLength = 0;
    unsigned type = 0;  // isc_info_sql_stmt_*

    // The input message of the last call, kept while the next call has the
    // same value kinds so the metadata is built once per statement.
    Firebird::IMessageMetadata* builtMeta = nullptr;
    std::vector<Field> builtFields;
    std::vector<unsigned char> inBuffer;

    Prepared(std::shared_ptr<Client> c, Parent* attachment);
    ~Prepared() override;
    void parentGone() noexcept override { release(); }
    void release() noexcept;

    // Fills inBuffer from the values; returns the metadata that describes it
    // (null when the statement takes no parameters).
    Firebird::IMessageMetadata* bind(const std::vector<Value>& params);
    bool hasCursor() const;
};

// Prepares `sql` in `transaction` on `attachment`.
std::shared_ptr<Prepared> prepare(Attachment::Impl& attachment, Firebird::ITransaction* transaction,
                                  const std::string& sql);

// ISC day number (days since 17 Nov 1858) and ISC time (1/10000 s).
ISC_DATE encodeDate(const Date& d);
Date decodeDate(ISC_DATE n);
ISC_TIME encodeTime(const Time& t);
Time decodeTime(ISC_TIME n);

}  // namespace detail

struct Attachment::Impl final : detail::Parent {
    std::shared_ptr<Client> client;
    detail::Status status;
    Firebird::IAttachment* attachment = nullptr;
    int dialect = 3;
    int lockTimeout = 0;  // seconds; 0 waits for ever

    explicit Impl(std::shared_ptr<Client> c)
        : client(std::move(c)), status(client->impl().master) {}
    ~Impl();
    // Ends the children, then detaches; throws only when `rethrow`.
    void detach(bool rethrow);
};

struct Transaction::Impl final : detail::Parent, detail::Node {
    std::shared_ptr<Client> client;
    detail::Status status;
    Attachment::Impl* attachment = nullptr;
    Firebird::ITransaction* transaction = nullptr;
    std::uint64_t serial = 0;
    std::string deferredSavepoint;  // set before the next statement prepared
    bool deferredSavepointSet = false;
    // Statements of executeReusing(), by text.
    std::unordered_map<std::string, std::unique_ptr<Statement::Impl>> reused;

    explicit Impl(Attachment::Impl& a);
    ~Impl() override;
    void parentGone() noexcept override;
    int endRank() const override { return 0; }
    void end(bool commit);
    void abandon() noexcept;  // rolls back, swallowing errors
    Attachment::Impl& liveAttachment() const;
    // Sets the savepoint deferSavepoint() asked for, if one waits.
    void setDeferredSavepoint(Attachment::Impl& a);
};

struct Statement::Impl final : detail::Node {
    std::shared_ptr<detail::Prepared> prepared;
    Transaction::Impl* transaction = nullptr;

    Impl(Transaction::Impl& t, std::shared_ptr<detail::Prepared> p);
    ~Impl() override { detachFromParent(); }
    void parentGone() noexcept override { transaction = nullptr; }
    Transaction::Impl& liveTransaction() const;
    std::int64_t execute(const std::vector<Value>& params);
};

struct Cursor::Impl final : detail::Node {
    std::shared_ptr<Client> client;
    std::shared_ptr<detail::Prepared> prepared;
    detail::Status status;
    Firebird::IResultSet* resultSet = nullptr;
    std::vector<unsigned char> row;
    bool onRow = false;

    // Opens the prepared statement's cursor in the transaction.
    Impl(Transaction::Impl& t, std::shared_ptr<detail::Prepared> p,
         const std::vector<Value>& params);
    ~Impl() override;
    void transactionEnded() noexcept override { abandon(); }
    void parentGone() noexcept override { abandon(); }
    void abandon() noexcept;
    void close();
    bool fetch();
    // The field of a column of the current row; throws when there is none.
    const detail::Field& field(unsigned col) const;
    const unsigned char* data(const detail::Field& f) const { return row.data() + f.offset; }
    bool null(const detail::Field& f) const {
        std::int16_t flag;
        std::memcpy(&flag, row.data() + f.nullOffset, sizeof flag);
        return flag != 0;
    }
    [[noreturn]] void wrongType(unsigned col, const char* wanted) const;
};

}  // namespace fb
