// A database connection of a data module: where the database is, how to
// attach, and which client library to use. It attaches at its first use and
// stays attached until closed. Every read, every direct statement and every
// apply runs in a transaction of its own, started and committed by the
// caller of attachment() or by execute().
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/fb/fb.h"

namespace cp {

// The password of the database administrator the suite's programs attach as.
inline constexpr const char* kSenhaSysdba = "vostremal";

// The attach settings of the suite's connections: sysdba with the password
// above, the role "RoleName", dialect 3 and the character set `charset`
// (empty: the server's default).
fb::AttachParams parametrosSuite(const char* charset);

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

    // The attachment, attaching first when the connection is closed. Errors
    // of the client library or the server arrive as fb::Error and leave the
    // connection closed.
    fb::Attachment& attachment();
    void open() { attachment(); }
    void close();  // detaches; a closed connection does nothing
    bool connected() const;

    // Runs one statement directly, in a transaction of its own committed at
    // once; returns the number of rows it changed.
    std::int64_t execute(const std::string& sql, const std::vector<fb::Value>& params = {});

  private:
    std::string database_;
    fb::AttachParams params_;
    std::string libraryPath_;
    std::shared_ptr<fb::Client> client_;
    bool clientGiven_ = false;
    std::optional<fb::Attachment> attachment_;
};

}  // namespace cp
