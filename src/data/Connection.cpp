#include "data/Connection.h"

#include "fb/Failure.h"

namespace cp {

Connection::~Connection() = default;

void Connection::setLibraryPath(std::string path) {
    if (path != libraryPath_ && !clientGiven_) client_.reset();
    libraryPath_ = std::move(path);
}

void Connection::setClient(std::shared_ptr<fb::Client> client) {
    client_ = std::move(client);
    clientGiven_ = client_ != nullptr;
    if (client_) libraryPath_ = client_->libraryPath();
}

fb::Attachment& Connection::attachment() {
    if (attachment_ && attachment_->connected()) return *attachment_;
    attachment_.reset();
    if (!client_) client_ = fb::Client::load(libraryPath_);
    fb::AttachParams p = params_;
    p.connectTimeout = connectTimeout_;
    p.lockTimeout = lockTimeout_;
    attachment_.emplace(fb::Attachment::attach(client_, database_, p));
    return *attachment_;
}

void Connection::close() {
    if (!attachment_) return;
    std::optional<fb::Attachment> closing;
    closing.swap(attachment_);
    if (!closing->connected()) return;
    try {
        closing->detach();
    } catch (const fb::Error& e) {
        // A dead attachment has nothing left to end on the server.
        if (!fb::isConnectionLost(e)) throw;
    }
}

bool Connection::connected() const { return attachment_ && attachment_->connected(); }

bool Connection::dropIfLost(const fb::Error& e) {
    if (!fb::isConnectionLost(e)) return false;
    if (attachment_) {
        ++lostConnections_;
        // The handles go without a word to the server: detaching a dead
        // attachment only fails again (the destructor swallows that).
        attachment_.reset();
    }
    return true;
}

std::int64_t Connection::execute(const std::string& sql, const std::vector<fb::Value>& params) {
    bool commitSent = false;
    return run(
        [&](fb::Attachment& a) {
            commitSent = false;
            fb::Transaction t = a.startTransaction();
            const std::int64_t rows = t.execute(sql, params);
            commitSent = true;
            t.commit();
            return rows;
        },
        [&] { return !commitSent; });
}

}  // namespace cp
