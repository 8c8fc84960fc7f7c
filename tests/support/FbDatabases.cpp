#include "support/FbDatabases.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "data/Connection.h"
#include "suite/AcessoBanco.h"

namespace cp::test {

namespace {

// The embedded engine keeps its lock files in a folder of the test
// program's own, not in /tmp/firebird: that one belongs to the machine's
// server, and an ordinary user cannot write it. FIREBIRD_LOCK is set before
// main, so before any code loads the client library, and the programs the
// tests start inherit it; the folder goes at exit. A FIREBIRD_LOCK set by the
// caller is kept.
class EmbeddedLockFolder {
  public:
    EmbeddedLockFolder() {
        if (const char* set = std::getenv("FIREBIRD_LOCK"); set && *set) return;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/cp-fblock-XXXXXX";
        if (!::mkdtemp(pattern.data())) return;
        path_ = pattern;
        ::setenv("FIREBIRD_LOCK", path_.c_str(), 1);
    }
    ~EmbeddedLockFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    EmbeddedLockFolder(const EmbeddedLockFolder&) = delete;
    EmbeddedLockFolder& operator=(const EmbeddedLockFolder&) = delete;

  private:
    std::string path_;
};

const EmbeddedLockFolder embeddedLockFolder;

}  // namespace

std::shared_ptr<fb::Client> fbClient() {
    static std::once_flag once;
    static std::shared_ptr<fb::Client> client;
    std::call_once(once, [] { client = fb::Client::load(); });
    return client;
}

fb::AttachParams testAttachParams() {
    fb::AttachParams p;
    p.user = "sysdba";
    p.password = kSenhaSysdba;
    return p;
}

std::string sqlScriptPath(const std::string& name) { return std::string(CP_SQL_DIR) + "/" + name; }

fb::Attachment createDatabaseFromScript(const std::string& databasePath,
                                        const std::string& scriptName,
                                        const fb::AttachParams& params) {
    // An old file goes first; a server's database ("host:path") is no file here.
    std::error_code ignored;
    std::filesystem::remove(databasePath, ignored);
    fb::AttachParams createParams = params;
    createParams.forcedWrites = false;
    return fb::createFromScript(fbClient(), databasePath, createParams, sqlScriptPath(scriptName));
}

// Creating a database and its tables takes the engine a good fraction of a
// second; copying a detached file takes a few milliseconds. Each script is
// run once per test program into a template that later databases copy.
std::string templateDatabase(const std::string& scriptName) {
    static std::mutex mutex;
    static QTemporaryDir dir;
    static std::map<std::string, std::string> made;
    std::lock_guard lock(mutex);
    auto it = made.find(scriptName);
    if (it != made.end()) return it->second;
    if (!dir.isValid()) throw std::runtime_error("Cannot make a folder for template databases");
    std::string path = dir.filePath(QString::fromStdString(scriptName + ".fdb")).toStdString();
    fb::Attachment a = createDatabaseFromScript(path, scriptName);
    // The shared database has the indexes recommended to the pharmacies,
    // unless a measurement asks for it as it is without them.
    if (scriptName == "shared.sql" && qEnvironmentVariableIsEmpty("CP_SEM_INDICES"))
        fb::runScriptFile(a, sqlScriptPath("indexes.sql"));
    a.detach();
    return made.emplace(scriptName, path).first->second;
}

}  // namespace cp::test
