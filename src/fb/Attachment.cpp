// Attaching to (or creating) a database and the attachment's lifetime.
#include <atomic>

#include "fb/Internal.h"

namespace fb {

namespace {

using Firebird::IXpbBuilder;

// Disposes a parameter-block builder on every path.
struct XpbGuard {
    IXpbBuilder* builder;
    ~XpbGuard() {
        if (builder) builder->dispose();
    }
};

std::unique_ptr<Attachment::Impl> open(std::shared_ptr<Client> client, const std::string& database,
                                       const AttachParams& params, bool create) {
    if (!client) throw Error("No database client library was loaded");
    auto impl = std::make_unique<Attachment::Impl>(client);
    Client::Impl& c = client->impl();
    detail::Status& st = impl->status;
    impl->dialect = params.dialect;
    impl->lockTimeout = params.lockTimeout;

    XpbGuard dpb{c.util->getXpbBuilder(st.get(), IXpbBuilder::DPB, nullptr, 0)};
    detail::check(c, st);
    dpb.builder->insertString(st.get(), isc_dpb_user_name, params.user.c_str());
    dpb.builder->insertString(st.get(), isc_dpb_password, params.password.c_str());
    if (!params.role.empty())
        dpb.builder->insertString(st.get(), isc_dpb_sql_role_name, params.role.c_str());
    if (!params.charset.empty())
        dpb.builder->insertString(st.get(), isc_dpb_lc_ctype, params.charset.c_str());
    dpb.builder->insertInt(st.get(), isc_dpb_sql_dialect, params.dialect);
    if (params.connectTimeout > 0)
        dpb.builder->insertInt(st.get(), isc_dpb_connect_timeout, params.connectTimeout);
    // The providers the client may try, as a line of its configuration:
    // "Engine12" is the embedded engine of Firebird 3, "Remote" the network.
    if (params.provider == AttachParams::Provider::Embedded)
        dpb.builder->insertString(st.get(), isc_dpb_config, "Providers=Engine12");
    else if (params.provider == AttachParams::Provider::Remote)
        dpb.builder->insertString(st.get(), isc_dpb_config, "Providers=Remote");
    if (create) {
        dpb.builder->insertInt(st.get(), isc_dpb_page_size, 8192);
        if (!params.forcedWrites) dpb.builder->insertInt(st.get(), isc_dpb_force_write, 0);
    }
    detail::check(c, st);
    unsigned length = dpb.builder->getBufferLength(st.get());
    const unsigned char* buffer = dpb.builder->getBuffer(st.get());
    detail::check(c, st);

    impl->attachment = create
                           ? c.provider->createDatabase(st.get(), database.c_str(), length, buffer)
                           : c.provider->attachDatabase(st.get(), database.c_str(), length, buffer);
    detail::armExitShutdown();  // the engine and its plugins load here
    if (st.failed()) {
        impl->attachment = nullptr;
        Error e = c.error(st.get());
        e.setDatabase(database);
        throw e;
    }
    return impl;
}

}  // namespace

Attachment::Impl::~Impl() {
    if (detail::processExiting())
        endChildren(true);
    else
        detach(false);
}

void Attachment::Impl::detach(bool rethrow) {
    endChildren(true);
    if (!attachment) return;
    attachment->detach(status.get());
    if (!status.failed()) {
        attachment = nullptr;  // a successful detach releases the interface
        return;
    }
    if (rethrow) throw client->impl().error(status.get());
    attachment->release();
    attachment = nullptr;
}

Attachment Attachment::attach(std::shared_ptr<Client> client, const std::string& database,
                              const AttachParams& params) {
    Attachment a;
    a.impl_ = open(std::move(client), database, params, false);
    return a;
}

Attachment Attachment::create(std::shared_ptr<Client> client, const std::string& database,
                              const AttachParams& params) {
    Attachment a;
    a.impl_ = open(std::move(client), database, params, true);
    return a;
}

Attachment::Attachment() = default;
Attachment::Attachment(Attachment&&) noexcept = default;
Attachment& Attachment::operator=(Attachment&&) noexcept = default;
Attachment::~Attachment() = default;

bool Attachment::connected() const { return impl_ && impl_->attachment; }

void Attachment::detach() {
    if (!connected()) return;
    impl_->detach(true);
    impl_.reset();
}

void Attachment::dropDatabase() {
    if (!connected()) throw Error("The database is not attached");
    impl_->endChildren(true);
    impl_->attachment->dropDatabase(impl_->status.get());
    detail::check(impl_->client->impl(), impl_->status);
    impl_->attachment = nullptr;  // dropping releases the interface
    impl_.reset();
}

Transaction Attachment::startTransaction() {
    if (!connected()) throw Error("The database is not attached");
    Transaction t;
    t.impl_ = std::make_unique<Transaction::Impl>(*impl_);
    return t;
}

std::int64_t Attachment::execute(const std::string& sql, const std::vector<Value>& params) {
    Transaction t = startTransaction();
    std::int64_t rows = t.execute(sql, params);
    t.commit();
    return rows;
}

// ---------------------------------------------------------------------------

Transaction::Impl::Impl(Attachment::Impl& a)
    : client(a.client), status(a.client->impl().master), attachment(&a) {
    static std::atomic<std::uint64_t> serials{0};
    serial = ++serials;
    Client::Impl& c = client->impl();
    XpbGuard tpb{c.util->getXpbBuilder(status.get(), IXpbBuilder::TPB, nullptr, 0)};
    detail::check(c, status);
    tpb.builder->insertTag(status.get(), isc_tpb_write);
    tpb.builder->insertTag(status.get(), isc_tpb_read_committed);
    tpb.builder->insertTag(status.get(), isc_tpb_rec_version);
    tpb.builder->insertTag(status.get(), isc_tpb_wait);
    if (a.lockTimeout > 0)
        tpb.builder->insertInt(status.get(), isc_tpb_lock_timeout, a.lockTimeout);
    detail::check(c, status);
    unsigned length = tpb.builder->getBufferLength(status.get());
    const unsigned char* buffer = tpb.builder->getBuffer(status.get());
    detail::check(c, status);
    transaction = a.attachment->startTransaction(status.get(), length, buffer);
    detail::armExitShutdown();
    if (status.failed()) {
        transaction = nullptr;
        throw c.error(status.get());
    }
    attachTo(&a);
}

Transaction::Impl::~Impl() {
    abandon();
    endChildren(true);
    detachFromParent();
}

void Transaction::Impl::parentGone() noexcept {
    abandon();
    attachment = nullptr;
}

void Transaction::Impl::abandon() noexcept {
    endChildren(false);
    if (!transaction || detail::processExiting()) return;
    transaction->rollback(status.get());
    if (status.failed()) transaction->release();
    transaction = nullptr;
}

void Transaction::Impl::end(bool commit) {
    if (!transaction) throw Error("The transaction is not active");
    endChildren(false);  // open cursors close first
    if (commit)
        transaction->commit(status.get());
    else
        transaction->rollback(status.get());
    detail::check(client->impl(), status);
    transaction = nullptr;  // success released the interface
}

Attachment::Impl& Transaction::Impl::liveAttachment() const {
    if (!transaction || !attachment || !attachment->attachment)
        throw Error("The transaction is not active");
    return *attachment;
}

Transaction::Transaction() = default;
Transaction::Transaction(Transaction&&) noexcept = default;
Transaction& Transaction::operator=(Transaction&&) noexcept = default;
Transaction::~Transaction() = default;

bool Transaction::active() const { return impl_ && impl_->transaction; }

void Transaction::commit() {
    if (!impl_) throw Error("The transaction is not active");
    impl_->end(true);
}

void Transaction::rollback() {
    if (!impl_) throw Error("The transaction is not active");
    impl_->end(false);
}

}  // namespace fb
