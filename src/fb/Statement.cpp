// Preparing statements, building their input messages from typed values,
// executing them and opening their cursors.
#include <utility>

#include "fb/Internal.h"

namespace fb {

namespace detail {

namespace {

using Firebird::IMessageMetadata;
using Firebird::IMetadataBuilder;
using Firebird::IStatement;

bool isText(unsigned type) { return type == SQL_TEXT || type == SQL_VARYING; }

std::vector<Field> describe(const Client::Impl& c, Status& st, IMessageMetadata* meta) {
    std::vector<Field> fields;
    if (!meta) return fields;
    unsigned n = meta->getCount(st.get());
    check(c, st);
    fields.resize(n);
    for (unsigned i = 0; i < n; ++i) {
        Field& f = fields[i];
        f.type = meta->getType(st.get(), i) & ~1u;
        f.scale = meta->getScale(st.get(), i);
        f.length = meta->getLength(st.get(), i);
        f.charset = meta->getCharSet(st.get(), i);
        f.offset = meta->getOffset(st.get(), i);
        f.nullOffset = meta->getNullOffset(st.get(), i);
        check(c, st);
    }
    return fields;
}

std::vector<ColumnInfo> columnsOf(const Client::Impl& c, Status& st, IMessageMetadata* meta,
                                  const std::vector<Field>& fields) {
    std::vector<ColumnInfo> cols(fields.size());
    for (unsigned i = 0; i < fields.size(); ++i) {
        ColumnInfo& col = cols[i];
        col.name = meta->getAlias(st.get(), i);
        col.field = meta->getField(st.get(), i);
        col.relation = meta->getRelation(st.get(), i);
        col.nullable = meta->isNullable(st.get(), i);
        check(c, st);
        col.type = columnTypeOf(fields[i].type, fields[i].scale);
        col.scale = -fields[i].scale;
        col.length = fields[i].length;
    }
    return cols;
}

// What a value asks of its slot in the input message; a NULL takes the
// described slot unchanged.
Field slotFor(const Value& v, const Field& described) {
    Field f;
    switch (v.index()) {
        case 0:
            f = described;
            break;
        case 1:
            f.type = SQL_INT64;
            f.length = 8;
            break;
        case 2: {
            int scale = std::get<Decimal>(v).scale;
            if (scale < 0 || scale > 18)
                throw Error("A decimal parameter has " + std::to_string(scale) +
                            " digits after the point; at most 18 are possible");
            f.type = SQL_INT64;
            f.length = 8;
            f.scale = -scale;
            break;
        }
        case 3:
            f.type = SQL_DOUBLE;
            f.length = 8;
            break;
        case 4: {
            std::size_t size = std::get<std::string>(v).size();
            if (size > 32765) throw Error("A text parameter is longer than 32765 bytes");
            f.type = SQL_VARYING;
            unsigned want = std::max<unsigned>(static_cast<unsigned>(size), 1);
            f.length = isText(described.type) ? std::max(want, described.length) : want;
            f.charset = isText(described.type) ? described.charset : 0;
            break;
        }
        case 5:
            f.type = SQL_TYPE_DATE;
            f.length = sizeof(ISC_DATE);
            break;
        case 6:
            f.type = SQL_TYPE_TIME;
            f.length = sizeof(ISC_TIME);
            break;
        case 7:
            f.type = SQL_TIMESTAMP;
            f.length = sizeof(ISC_TIMESTAMP);
            break;
    }
    return f;
}

bool sameShape(const Field& a, const Field& b) {
    return a.type == b.type && a.scale == b.scale && a.length == b.length && a.charset == b.charset;
}

void put(unsigned char* slot, const Value& v) {
    switch (v.index()) {
        case 1: {
            std::int64_t x = std::get<std::int64_t>(v);
            std::memcpy(slot, &x, 8);
            break;
        }
        case 2: {
            std::int64_t x = std::get<Decimal>(v).value;
            std::memcpy(slot, &x, 8);
            break;
        }
        case 3: {
            double x = std::get<double>(v);
            std::memcpy(slot, &x, 8);
            break;
        }
        case 4: {
            const std::string& s = std::get<std::string>(v);
            std::uint16_t n = static_cast<std::uint16_t>(s.size());
            std::memcpy(slot, &n, 2);
            std::memcpy(slot + 2, s.data(), s.size());
            break;
        }
        case 5: {
            ISC_DATE d = encodeDate(std::get<Date>(v));
            std::memcpy(slot, &d, sizeof d);
            break;
        }
        case 6: {
            ISC_TIME t = encodeTime(std::get<Time>(v));
            std::memcpy(slot, &t, sizeof t);
            break;
        }
        case 7: {
            const Timestamp& ts = std::get<Timestamp>(v);
            ISC_TIMESTAMP x{encodeDate(ts.date), encodeTime(ts.time)};
            std::memcpy(slot, &x, sizeof x);
            break;
        }
        default:
            break;
    }
}

}  // namespace

ColumnType columnTypeOf(unsigned sqlType, int scale) {
    switch (sqlType) {
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            return scale < 0 ? ColumnType::Decimal : ColumnType::Integer;
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            return ColumnType::Double;
        case SQL_TEXT:
        case SQL_VARYING:
            return ColumnType::Text;
        case SQL_TYPE_DATE:
            return ColumnType::Date;
        case SQL_TYPE_TIME:
            return ColumnType::Time;
        case SQL_TIMESTAMP:
            return ColumnType::Timestamp;
        case SQL_BLOB:
            return ColumnType::Blob;
        case SQL_BOOLEAN:
            return ColumnType::Boolean;
        default:
            return ColumnType::Other;
    }
}

Prepared::Prepared(std::shared_ptr<Client> c, Parent* attachment)
    : client(std::move(c)), status(client->impl().master) {
    attachTo(attachment);
}

Prepared::~Prepared() {
    release();
    detachFromParent();
}

void Prepared::release() noexcept {
    if (processExiting()) return;
    if (builtMeta) builtMeta->release();
    if (inMeta) inMeta->release();
    if (outMeta) outMeta->release();
    builtMeta = inMeta = outMeta = nullptr;
    if (statement) {
        statement->free(status.get());
        if (status.failed()) statement->release();
        statement = nullptr;
    }
}

bool Prepared::hasCursor() const {
    return type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
}

IMessageMetadata* Prepared::bind(const std::vector<Value>& params) {
    if (!statement) throw Error("The statement is no longer prepared: its database was detached");
    if (params.size() != inFields.size())
        throw Error("The statement takes " + std::to_string(inFields.size()) + " parameters; " +
                    std::to_string(params.size()) + " were given");
    if (inFields.empty()) return nullptr;

    const Client::Impl& c = client->impl();
    std::vector<Field> wanted(params.size());
    bool reuse = builtMeta && builtFields.size() == params.size();
    for (std::size_t i = 0; i < params.size(); ++i) {
        wanted[i] = slotFor(params[i], inFields[i]);
        reuse = reuse && sameShape(wanted[i], builtFields[i]);
    }
    if (!reuse) {
        IMetadataBuilder* builder = inMeta->getBuilder(status.get());
        check(c, status);
        struct Guard {
            IMetadataBuilder* b;
            ~Guard() { b->release(); }
        } guard{builder};
        for (unsigned i = 0; i < wanted.size(); ++i) {
            const Field& f = wanted[i];
            builder->setType(status.get(), i, f.type);
            builder->setLength(status.get(), i, f.length);
            builder->setScale(status.get(), i, f.scale);
            builder->setSubType(status.get(), i, 0);
            builder->setCharSet(status.get(), i, f.charset);
            check(c, status);
        }
        IMessageMetadata* meta = builder->getMetadata(status.get());
        check(c, status);
        std::vector<Field> laid;
        try {
            laid = describe(c, status, meta);
        } catch (...) {
            meta->release();
            throw;
        }
        unsigned length = meta->getMessageLength(status.get());
        if (status.failed()) {
            meta->release();
            throw c.error(status.get());
        }
        if (builtMeta) builtMeta->release();
        builtMeta = meta;
        builtFields = std::move(laid);
        inBuffer.assign(length, 0);
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        const Field& f = builtFields[i];
        std::int16_t flag = isNull(params[i]) ? -1 : 0;
        std::memcpy(inBuffer.data() + f.nullOffset, &flag, sizeof flag);
        put(inBuffer.data() + f.offset, params[i]);
    }
    return builtMeta;
}

std::shared_ptr<Prepared> prepare(Attachment::Impl& a, Firebird::ITransaction* transaction,
                                  const std::string& sql) {
    const Client::Impl& c = a.client->impl();
    auto p = std::make_shared<Prepared>(a.client, &a);
    Status& st = p->status;
    p->statement = a.attachment->prepare(st.get(), transaction, static_cast<unsigned>(sql.size()),
                                         sql.c_str(), static_cast<unsigned>(a.dialect),
                                         IStatement::PREPARE_PREFETCH_METADATA);
    if (st.failed()) {
        p->statement = nullptr;
        throw c.error(st.get());
    }
    p->type = p->statement->getType(st.get());
    check(c, st);
    p->inMeta = p->statement->getInputMetadata(st.get());
    check(c, st);
    p->outMeta = p->statement->getOutputMetadata(st.get());
    check(c, st);
    p->inFields = describe(c, st, p->inMeta);
    p->outFields = describe(c, st, p->outMeta);
    if (p->outMeta) {
        p->columns = columnsOf(c, st, p->outMeta, p->outFields);
        p->outLength = p->outMeta->getMessageLength(st.get());
        check(c, st);
    }
    return p;
}

}  // namespace detail

// ---------------------------------------------------------------------------

Statement::Impl::Impl(Transaction::Impl& t, std::shared_ptr<detail::Prepared> p)
    : prepared(std::move(p)), transaction(&t) {
    attachTo(&t);
}

Transaction::Impl& Statement::Impl::liveTransaction() const {
    if (!transaction) throw Error("The transaction of the statement has ended");
    transaction->liveAttachment();
    return *transaction;
}

std::int64_t Statement::Impl::execute(const std::vector<Value>& params) {
    Transaction::Impl& t = liveTransaction();
    detail::Prepared& p = *prepared;
    const Client::Impl& c = p.client->impl();
    if (p.hasCursor()) {
        // A SELECT run as a statement: its rows are read and counted.
        Cursor::Impl cursor(t, prepared, params);
        std::int64_t rows = 0;
        while (cursor.fetch()) ++rows;
        cursor.close();
        return rows;
    }
    Firebird::IMessageMetadata* in = p.bind(params);
    std::vector<unsigned char> out(p.outFields.empty() ? 0 : p.outLength);
    p.statement->execute(p.status.get(), t.transaction, in, in ? p.inBuffer.data() : nullptr,
                         out.empty() ? nullptr : p.outMeta, out.empty() ? nullptr : out.data());
    detail::check(c, p.status);
    ISC_UINT64 rows = p.statement->getAffectedRecords(p.status.get());
    detail::check(c, p.status);
    return static_cast<std::int64_t>(rows);
}

Statement::Statement() = default;
Statement::Statement(Statement&&) noexcept = default;
Statement& Statement::operator=(Statement&&) noexcept = default;
Statement::~Statement() = default;

namespace {
const std::vector<ColumnInfo> kNoColumns;
}

const std::vector<ColumnInfo>& Statement::columns() const {
    return impl_ ? impl_->prepared->columns : kNoColumns;
}

std::string Statement::plan() const {
    if (!impl_) throw Error("The statement is not prepared");
    detail::Prepared& p = *impl_->prepared;
    const char* text = p.statement->getPlan(p.status.get(), false);
    detail::check(p.client->impl(), p.status);
    std::string out = text ? text : "";
    // The engine starts it with a line break.
    out.erase(0, out.find_first_not_of("\r\n"));
    return out;
}

unsigned Statement::parameterCount() const {
    return impl_ ? static_cast<unsigned>(impl_->prepared->inFields.size()) : 0;
}

std::int64_t Statement::execute(const std::vector<Value>& params) {
    if (!impl_) throw Error("The statement is not prepared");
    return impl_->execute(params);
}

Cursor Statement::open(const std::vector<Value>& params) {
    if (!impl_) throw Error("The statement is not prepared");
    Cursor cursor;
    cursor.impl_ =
        std::make_unique<Cursor::Impl>(impl_->liveTransaction(), impl_->prepared, params);
    return cursor;
}

Statement Transaction::prepare(const std::string& sql) {
    if (!impl_) throw Error("The transaction is not active");
    Attachment::Impl& a = impl_->liveAttachment();
    impl_->setDeferredSavepoint(a);
    Statement s;
    s.impl_ =
        std::make_unique<Statement::Impl>(*impl_, detail::prepare(a, impl_->transaction, sql));
    return s;
}

std::int64_t Transaction::execute(const std::string& sql, const std::vector<Value>& params) {
    return prepare(sql).execute(params);
}

Cursor Transaction::open(const std::string& sql, const std::vector<Value>& params) {
    return prepare(sql).open(params);
}

std::int64_t Transaction::executeReusing(const std::string& sql, const std::vector<Value>& params) {
    if (!impl_) throw Error("The transaction is not active");
    Attachment::Impl& a = impl_->liveAttachment();
    impl_->setDeferredSavepoint(a);
    std::unique_ptr<Statement::Impl>& s = impl_->reused[sql];
    if (!s)
        s = std::make_unique<Statement::Impl>(*impl_, detail::prepare(a, impl_->transaction, sql));
    return s->execute(params);
}

void Transaction::Impl::setDeferredSavepoint(Attachment::Impl& a) {
    if (deferredSavepoint.empty()) return;
    const std::string set = "savepoint " + std::exchange(deferredSavepoint, {});
    Statement::Impl(*this, detail::prepare(a, transaction, set)).execute({});
    deferredSavepointSet = true;
}

void Transaction::deferSavepoint(const std::string& name) {
    if (!impl_) throw Error("The transaction is not active");
    impl_->deferredSavepoint = name;
    impl_->deferredSavepointSet = false;
}

bool Transaction::takeDeferredSavepoint() {
    if (!impl_) return false;
    impl_->deferredSavepoint.clear();
    return std::exchange(impl_->deferredSavepointSet, false);
}

std::uint64_t Transaction::serial() const { return impl_ ? impl_->serial : 0; }

}  // namespace fb
