// The client's interface loaded as the program loads it, for the benchmarks
// that measure the program against the same work written straight against
// it; and the reporter that prints the program / raw time ratios at the end.
#pragma once

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <firebird/Interface.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/Connection.h"
#include "suite/AcessoBanco.h"

struct Raw {
    Firebird::IMaster* master = nullptr;
    Firebird::IProvider* provider = nullptr;
    Firebird::IUtil* util = nullptr;
};

inline Raw loadRaw() {
    void* lib = dlopen("libfbclient.so.2", RTLD_NOW);
    auto entry = reinterpret_cast<Firebird::IMaster* (*)()>(dlsym(lib, "fb_get_master_interface"));
    Raw r;
    r.master = entry();
    r.provider = r.master->getDispatcher();
    r.util = r.master->getUtilInterface();
    return r;
}

// An attachment to `database` as sysdba with the suite's password, dialect
// 3, and the transaction parameters of the program's own (read committed,
// record version, wait; writing or read only).
class RawSession {
  public:
    RawSession(const std::string& database, bool write)
        : raw_(loadRaw()), st_(raw_.master->getStatus()), status_(st_) {
        using namespace Firebird;
        IXpbBuilder* dpb = raw_.util->getXpbBuilder(&status_, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&status_, isc_dpb_user_name, "sysdba");
        dpb->insertString(&status_, isc_dpb_password, cp::kSenhaSysdba);
        dpb->insertInt(&status_, isc_dpb_sql_dialect, 3);
        att_ = raw_.provider->attachDatabase(
            &status_, database.c_str(), dpb->getBufferLength(&status_), dpb->getBuffer(&status_));
        dpb->dispose();
        tpb_ = raw_.util->getXpbBuilder(&status_, IXpbBuilder::TPB, nullptr, 0);
        tpb_->insertTag(&status_, write ? isc_tpb_write : isc_tpb_read);
        tpb_->insertTag(&status_, isc_tpb_read_committed);
        tpb_->insertTag(&status_, isc_tpb_rec_version);
        tpb_->insertTag(&status_, isc_tpb_wait);
    }
    ~RawSession() {
        tpb_->dispose();
        if (att_) att_->detach(&status_);
        st_->dispose();
    }
    RawSession(const RawSession&) = delete;
    RawSession& operator=(const RawSession&) = delete;

    bool failed() const {
        return !att_ || (status_.getState() & Firebird::IStatus::STATE_ERRORS) != 0;
    }

    // One run of `sql` in a transaction of its own: prepare, open, fetchNext
    // into the server's own message, each column read from its offset into a
    // plain variable. Returns the rows read, -1 when the client failed.
    std::int64_t fetchAll(const std::string& sql) {
        using namespace Firebird;
        ITransaction* tra = att_->startTransaction(&status_, tpb_->getBufferLength(&status_),
                                                   tpb_->getBuffer(&status_));
        IStatement* stmt =
            att_->prepare(&status_, tra, 0, sql.c_str(), 3, IStatement::PREPARE_PREFETCH_METADATA);
        IMessageMetadata* meta = stmt->getOutputMetadata(&status_);
        const unsigned n = meta->getCount(&status_);
        struct Col {
            unsigned type, offset, nullOffset;
        };
        std::vector<Col> cols(n);
        for (unsigned i = 0; i < n; ++i)
            cols[i] = {meta->getType(&status_, i) & ~1u, meta->getOffset(&status_, i),
                       meta->getNullOffset(&status_, i)};
        buffer_.resize(meta->getMessageLength(&status_));
        IResultSet* rs = stmt->openCursor(&status_, tra, nullptr, nullptr, meta, 0);
        std::int64_t count = 0;
        std::int64_t ints = 0;
        while (rs->fetchNext(&status_, buffer_.data()) == IStatus::RESULT_OK) {
            const unsigned char* b = buffer_.data();
            for (const Col& c : cols) {
                std::int16_t null;
                std::memcpy(&null, b + c.nullOffset, 2);
                if (null) continue;
                switch (c.type) {
                    case SQL_LONG:
                    case SQL_TYPE_DATE: {
                        std::int32_t v;
                        std::memcpy(&v, b + c.offset, 4);
                        ints += v;
                        break;
                    }
                    case SQL_INT64: {
                        std::int64_t v;
                        std::memcpy(&v, b + c.offset, 8);
                        ints += v;
                        break;
                    }
                    case SQL_VARYING: {
                        std::uint16_t len;
                        std::memcpy(&len, b + c.offset, 2);
                        text_.assign(reinterpret_cast<const char*>(b + c.offset + 2), len);
                        benchmark::DoNotOptimize(text_.data());
                        break;
                    }
                    default:
                        break;
                }
            }
            ++count;
        }
        benchmark::DoNotOptimize(ints);
        rs->close(&status_);
        meta->release();
        stmt->free(&status_);
        tra->commit(&status_);
        return failed() ? -1 : count;
    }

    // The output message of the last fetchAll: the bytes a row takes on the
    // client's own interface.
    std::size_t messageLength() const { return buffer_.size(); }

    // `sqls` (values written in the text) in one transaction, committed at
    // the end. False when the client failed.
    bool executeAll(const std::vector<std::string>& sqls) {
        using namespace Firebird;
        ITransaction* tra = att_->startTransaction(&status_, tpb_->getBufferLength(&status_),
                                                   tpb_->getBuffer(&status_));
        for (const std::string& sql : sqls)
            att_->execute(&status_, tra, 0, sql.c_str(), 3, nullptr, nullptr, nullptr, nullptr);
        tra->commit(&status_);
        return !failed();
    }

  private:
    Raw raw_;
    Firebird::IStatus* st_;
    Firebird::CheckStatusWrapper status_;
    Firebird::IAttachment* att_ = nullptr;
    Firebird::IXpbBuilder* tpb_ = nullptr;
    std::vector<unsigned char> buffer_;
    std::string text_;
};

// The console report, then for each pair of runs (program, raw) that both
// ran, "<label>: <program time / raw time>".
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    struct Par {
        std::string programa, bruto, rotulo;
    };
    explicit RatioReporter(std::vector<Par> pares) : pares_(std::move(pares)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Par& p : pares_) {
            auto a = times_.find(p.programa);
            auto b = times_.find(p.bruto);
            if (a != times_.end() && b != times_.end() && b->second > 0)
                std::printf("%s: %.3f\n", p.rotulo.c_str(), a->second / b->second);
        }
    }

  private:
    std::vector<Par> pares_;
    std::map<std::string, double> times_;
};
