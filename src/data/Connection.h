// A database connection of a data module: where the database is, how to
// attach, and which client library to use. It attaches at its first use and
// stays attached until closed. Every read, every direct statement and every
// apply runs in a transaction of its own, started and committed by the
// caller of attachment() or by execute().
//
// The shared server has faults of its own: it restarts, an administrator
// ends an attachment, the network drops. Work run through run() (the record
// sets' reads and applies, the scratch query, execute()) notices a lost
// connection by the engine's codes, drops the dead attachment and attaches
// again: at once, running the work a second time when it had not yet sent
// its commit, or else at the next use. Nothing kept in memory (the record
// sets' change logs) is lost meanwhile.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "fb/fb.h"

namespace cp {

class Connection {
  public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // "host:path" or a local path (embedded engine). Takes effect at the next
    // attach; an open connection keeps its database until closed.
    void setDatabase(std::string database) { database_ = std::move(database); }
    const std::string& database() const { return database_; }

    void setParams(fb::AttachParams params) { params_ = std::move(params); }
    const fb::AttachParams& params() const { return params_; }

    // File of the client library; empty: the system's default client.
    void setLibraryPath(std::string path);
    const std::string& libraryPath() const { return libraryPath_; }

    // Shares an already loaded client library (tests, or both modules using
    // the same file). It replaces the library path for the next attach.
    void setClient(std::shared_ptr<fb::Client> client);
    std::shared_ptr<fb::Client> client() const { return client_; }

    // Seconds an attach waits for the server; 0 (unless set) leaves it to
    // the client and the system. Takes effect at the next attach.
    void setConnectTimeout(int seconds) { connectTimeout_ = seconds; }
    int connectTimeout() const { return connectTimeout_; }
    // Seconds a statement waits on a row held by another transaction; 0
    // (unless set) waits for as long as the other holds it. Takes effect at
    // the next attach.
    void setLockTimeout(int seconds) { lockTimeout_ = seconds; }
    int lockTimeout() const { return lockTimeout_; }
    // Whether run() attaches again by itself after a lost connection (on
    // unless set off); off, the lost connection's error goes on and the next
    // use attaches again.
    void setReconnect(bool on) { reconnect_ = on; }
    bool reconnect() const { return reconnect_; }
    // How many times a lost connection was found and dropped.
    int lostConnections() const { return lostConnections_; }

    // The attachment, attaching first when the connection is closed. Errors
    // of the client library or the server arrive as fb::Error and leave the
    // connection closed.
    fb::Attachment& attachment();
    void open() { attachment(); }
    void close();  // detaches; a closed connection does nothing
    bool connected() const;

    // Runs work(attachment) and returns what it returns. When the work fails
    // because the connection was lost, the dead attachment is dropped; then,
    // with reconnect() on and mayRetry() true (the work had not sent its
    // commit, so the server undid it), the work runs once more on a new
    // attachment, else the error goes on. Other errors go on untouched.
    template <class Work, class MayRetry>
    std::invoke_result_t<Work&, fb::Attachment&> run(Work&& work, MayRetry&& mayRetry);
    template <class Work>
    std::invoke_result_t<Work&, fb::Attachment&> run(Work&& work) {
        return run(std::forward<Work>(work), [] { return true; });
    }
    // True when `e` says the attachment it came from is dead; the connection
    // then forgets its attachment (without talking to the server), so the
    // next use attaches again.
    bool dropIfLost(const fb::Error& e);

    // Runs one statement directly, in a transaction of its own committed at
    // once; returns the number of rows it changed.
    std::int64_t execute(const std::string& sql, const std::vector<fb::Value>& params = {});

  private:
    std::string database_;
    fb::AttachParams params_;
    std::string libraryPath_;
    std::shared_ptr<fb::Client> client_;
    bool clientGiven_ = false;
    int connectTimeout_ = 0;
    int lockTimeout_ = 0;
    bool reconnect_ = true;
    int lostConnections_ = 0;
    std::optional<fb::Attachment> attachment_;
};

template <class Work, class MayRetry>
std::invoke_result_t<Work&, fb::Attachment&> Connection::run(Work&& work, MayRetry&& mayRetry) {
    for (int attempt = 0;; ++attempt) {
        fb::Attachment& a = attachment();
        try {
            return work(a);
        } catch (const fb::Error& e) {
            if (!dropIfLost(e) || attempt > 0 || !reconnect_ || !mayRetry()) throw;
        }
    }
}

}  // namespace cp
