#include "data/Connection.h"

namespace cp {

fb::AttachParams parametrosSuite(const char* charset) {
    fb::AttachParams p;
    p.user = "sysdba";
    p.password = kSenhaSysdba;
    p.role = "RoleName";
    p.charset = charset;
    p.dialect = 3;
    return p;
}

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
    attachment_.emplace(fb::Attachment::attach(client_, database_, params_));
    return *attachment_;
}

void Connection::close() {
    if (!attachment_) return;
    std::optional<fb::Attachment> closing;
    closing.swap(attachment_);
    if (closing->connected()) closing->detach();
}

bool Connection::connected() const { return attachment_ && attachment_->connected(); }

std::int64_t Connection::execute(const std::string& sql, const std::vector<fb::Value>& params) {
    return attachment().execute(sql, params);
}

}  // namespace cp
