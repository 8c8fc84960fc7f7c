#include "support/FbServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "data/Connection.h"
#include "suite/AcessoBanco.h"
#include "support/FbDatabases.h"

extern char** environ;

namespace cp::test {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A port nothing listens on now, chosen by the system.
int freePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = 0;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        const int why = errno;
        ::close(fd);
        throw std::runtime_error(std::string("Cannot find a free port: ") + std::strerror(why));
    }
    ::close(fd);
    return ntohs(addr.sin_port);
}

// Started on first use, stopped when the program exits.
FbServerInstance& privateServer() {
    static std::mutex mutex;
    static std::unique_ptr<FbServerInstance> server;
    static std::string failure;
    std::lock_guard lock(mutex);
    if (!server) {
        if (!failure.empty()) throw std::runtime_error(failure);
        try {
            server = std::make_unique<FbServerInstance>();
        } catch (const std::exception& e) {
            failure = e.what();
            throw;
        }
    }
    return *server;
}

std::string databasesConfPath() { return privateServer().dir() + "/databases.conf"; }

// Makes `lines` the whole alias file of the private server. Written to a new
// file and renamed, so the server never reads half a file.
void writeAliases(const std::vector<std::string>& lines) {
    const std::string conf = databasesConfPath();
    const std::string temp = conf + ".new";
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const auto& l : lines) out << l << '\n';
        if (!out) throw std::runtime_error("Cannot write " + temp);
    }
    // The server reloads the file when its modification time (in whole
    // seconds) changes; two writes within one second would go unnoticed.
    struct stat old {};
    if (::stat(conf.c_str(), &old) == 0) {
        const time_t now = ::time(nullptr);
        const time_t stamp = std::max(now, old.st_mtime + 1);
        struct timespec times[2] = {{stamp, 0}, {stamp, 0}};
        ::utimensat(AT_FDCWD, temp.c_str(), times, 0);
    }
    fs::rename(temp, conf);
}

// Runs a program and waits for it; its output goes to `outputFile`.
int runAndWait(const std::vector<std::string>& args, const std::string& outputFile) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error(args[0] + ": " + std::strerror(rc));
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool isEventHeader(const std::string& line, std::string& kind) {
    // 2024-03-15T10:00:00.1234 (1234:0x7f00c0de) PREPARE_STATEMENT
    if (line.size() < 30 || line[4] != '-' || line[10] != 'T' || line[24] != ' ' || line[25] != '(')
        return false;
    std::size_t close = line.find(") ", 25);
    if (close == std::string::npos) return false;
    kind = line.substr(close + 2);
    while (!kind.empty() && (kind.back() == '\r' || kind.back() == ' ')) kind.pop_back();
    return true;
}

bool isElapsedLine(const std::string& line) {
    // "      0 ms" ends a prepared statement's text
    std::size_t i = line.find_first_not_of(' ');
    if (i == 0 || i == std::string::npos) return false;
    std::size_t j = i;
    while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j]))) ++j;
    return j > i && line.substr(j) == " ms";
}

TraceSession::Event eventFrom(const std::string& kind, const std::vector<std::string>& body) {
    TraceSession::Event e;
    e.kind = kind;
    if (!body.empty()) {
        std::string db = body[0];
        std::size_t b = db.find_first_not_of('\t');
        db = b == std::string::npos ? std::string() : db.substr(b);
        std::size_t att = db.find(" (ATT_");
        e.database = att == std::string::npos ? db : db.substr(0, att);
    }
    std::size_t first = body.size();
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i].size() >= 20 && body[i].find_first_not_of('-') == std::string::npos) {
            first = i + 1;
            break;
        }
    }
    std::size_t last = body.size();  // one past the last line of the text
    if (kind == "PREPARE_STATEMENT") {
        for (std::size_t i = body.size(); i > first; --i) {
            if (isElapsedLine(body[i - 1])) {
                last = i - 1;
                break;
            }
        }
    } else {
        for (std::size_t i = first; i + 1 < body.size(); ++i) {
            if (body[i].empty() && body[i + 1].rfind("param0 = ", 0) == 0) {
                last = i;
                break;
            }
        }
        while (last > first && body[last - 1].empty()) --last;
    }
    for (std::size_t i = first; i < last; ++i) {
        if (i > first) e.sql += '\n';
        e.sql += body[i];
    }
    return e;
}

std::atomic<int> serverDatabasesMade{0};

}  // namespace

// ---------------------------------------------------------------------------

FbServerInstance::FbServerInstance() {
    std::string lastError;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (tryStart(freePort(), lastError)) return;
    }
    throw std::runtime_error(lastError);
}

FbServerInstance::~FbServerInstance() { stop(); }

void FbServerInstance::stop() {
    if (keeper_ <= 0) return;
    ::close(input_);
    input_ = -1;
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (::waitpid(keeper_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(keeper_, SIGTERM);
            ::waitpid(keeper_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    keeper_ = -1;
}

void FbServerInstance::restart() {
    if (keeper_ <= 0) throw std::runtime_error("The test server is not running");
    const char line[] = "restart\n";
    if (::write(input_, line, sizeof line - 1) != static_cast<ssize_t>(sizeof line - 1))
        throw std::runtime_error("Cannot ask the test server to restart");
    ++restarts_;
    // The script writes the count of restarts once the server answers again.
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline) {
        if (std::atoi(readFile(dir_ + "/restarts").c_str()) >= restarts_) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("The test server did not answer within 60 s of its restart");
}

bool FbServerInstance::tryStart(int port, std::string& error) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/cp-fbserver-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("Cannot make a folder for the test server: " +
                                 std::string(std::strerror(errno)));
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
    }
    std::vector<std::string> args = {"bash",
                                     std::string(CP_SOURCE_DIR) + "/tools/fb-test-server.sh",
                                     pattern, std::to_string(port)};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    if (rc != 0) {
        ::close(in[1]);
        ::close(out[0]);
        std::error_code ignored;
        fs::remove_all(pattern, ignored);
        throw std::runtime_error(std::string("Cannot run bash: ") + std::strerror(rc));
    }

    // "ready PORT" once the server answers; anything else is the reason
    // it did not start.
    std::string text;
    char buf[512];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        text.append(buf, static_cast<std::size_t>(n));
        if (text.find("ready " + std::to_string(port) + "\n") != std::string::npos) break;
    }
    ::close(out[0]);
    if (text.find("ready " + std::to_string(port) + "\n") != std::string::npos) {
        keeper_ = pid;
        input_ = in[1];
        port_ = port;
        dir_ = pattern;
        return true;
    }
    ::close(in[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::error_code ignored;
    fs::remove_all(pattern, ignored);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
        error = "Port " + std::to_string(port) + " was taken";
        return false;
    }
    throw std::runtime_error("The test server did not start: " + text);
}

// ---------------------------------------------------------------------------

std::optional<std::string> fbServerUnavailable() {
    try {
        privateServer();
    } catch (const std::exception& e) {
        return std::string("The private Firebird server of the tests did not start: ") + e.what();
    }
    return std::nullopt;
}

bool runningInCi() {
    const char* ci = std::getenv("CI");
    return ci && *ci;
}

bool serverTestsRequired() {
    const char* required = std::getenv("CP_SERVER_TESTS_REQUIRED");
    return runningInCi() || (required && *required);
}

std::string serverHost() { return privateServer().host(); }

void restartServer() { privateServer().restart(); }

std::string serverDataDir() { return privateServer().dir() + "/data"; }

std::string serverDatabasesConf() { return databasesConfPath(); }

std::string serviceManager() { return serverHost() + ":service_mgr"; }

fb::AttachParams serverAttachParams() { return testAttachParams(); }

ServerDatabases::ServerDatabases(const std::string& workArea) : workArea_(workArea) {
    const std::string data = serverDataDir();
    fs::create_directories(data);
    // Fresh names each time, so the server never mistakes a new file for
    // one it still has open.
    const std::string stem = data + "/" + std::to_string(++serverDatabasesMade);
    sharedFile_ = stem + "-dados.fdb";
    workstationFile_ = stem + "-interfac" + workArea_ + ".fdb";
    fs::copy_file(templateDatabase("shared.sql"), sharedFile_);
    fs::copy_file(templateDatabase("workstation.sql"), workstationFile_);
    writeAliases(
        {sharedAlias() + " = " + sharedFile_, workstationAlias() + " = " + workstationFile_});
}

ServerDatabases::~ServerDatabases() {
    try {
        release();
    } catch (...) {
    }
    std::error_code ignored;
    fs::remove(sharedFile_, ignored);
    fs::remove(workstationFile_, ignored);
}

std::string ServerDatabases::sharedConnect() const { return serverHost() + ":" + sharedAlias(); }

std::string ServerDatabases::workstationConnect() const {
    return serverHost() + ":" + workstationAlias();
}

std::string ServerDatabases::workstationAlias() const {
    return "C:\\brundelo\\interfac" + workArea_ + "\\brundelo.bd";
}

fb::Attachment& ServerDatabases::shared() {
    if (!shared_.connected())
        shared_ = fb::Attachment::attach(fbClient(), sharedConnect(), serverAttachParams());
    return shared_;
}

fb::Attachment& ServerDatabases::workstation() {
    if (!workstation_.connected())
        workstation_ =
            fb::Attachment::attach(fbClient(), workstationConnect(), serverAttachParams());
    return workstation_;
}

void ServerDatabases::release() {
    shared_.detach();
    workstation_.detach();
}

// ---------------------------------------------------------------------------

std::vector<TraceSession::Event> parseTraceOutput(const std::string& text) {
    std::vector<TraceSession::Event> events;
    std::istringstream in(text);
    std::string kind;
    std::vector<std::string> body;
    bool inEvent = false;
    auto finish = [&] {
        if (inEvent && (kind == "PREPARE_STATEMENT" || kind == "EXECUTE_STATEMENT_START"))
            events.push_back(eventFrom(kind, body));
        body.clear();
    };
    for (std::string line; std::getline(in, line);) {
        std::string k;
        if (isEventHeader(line, k)) {
            finish();
            kind = k;
            inEvent = true;
        } else if (inEvent) {
            body.push_back(line);
        }
    }
    finish();
    return events;
}

TraceSession::TraceSession(bool withStarts) : withStarts_(withStarts) {
    std::string pattern = privateServer().dir() + "/trace-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("Cannot make a folder for the trace");
    dir_ = pattern;
}

TraceSession::~TraceSession() {
    if (child_ > 0) {
        try {
            stop();
        } catch (...) {
        }
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::string TraceSession::output() const { return readFile(dir_ + "/trace.out"); }

void TraceSession::probe(const std::string& marker) {
    fb::Attachment a = fb::Attachment::attach(fbClient(), probeDatabase_, serverAttachParams());
    fb::Transaction t = a.startTransaction();
    fb::Cursor c = t.open("select '" + marker + "' from rdb$database");
    c.fetch();
}

void TraceSession::waitFor(const std::string& marker) {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        probe(marker);
        for (int i = 0; i < 10; ++i) {
            if (output().find(marker) != std::string::npos) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    throw std::runtime_error("The trace session did not show its probe within 20 s; output:\n" +
                             output().substr(0, 2000));
}

void TraceSession::start(const std::string& probeDatabase) {
    if (child_ > 0) throw std::runtime_error("The trace session already runs");
    probeDatabase_ = probeDatabase;
    const std::string config = dir_ + "/trace.conf";
    {
        std::ofstream c(config);
        c << "database\n{\n"
          << "\tenabled = true\n"
          << "\tlog_statement_prepare = true\n"
          << "\tlog_statement_start = " << (withStarts_ ? "true" : "false") << "\n"
          << "\tprint_plan = false\n"
          << "\tprint_perf = false\n"
          << "\tmax_sql_length = 65000\n"
          << "\tmax_arg_length = 200\n"
          << "}\n";
    }
    const std::string out = dir_ + "/trace.out";
    std::vector<std::string> args = {
        "fbsvcmgr",   serviceManager(),     "-user",    "sysdba", "-password",
        kSenhaSysdba, "action_trace_start", "-trc_cfg", config};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    int rc = posix_spawnp(&child_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        child_ = -1;
        throw std::runtime_error(std::string("Cannot run fbsvcmgr: ") + std::strerror(rc));
    }

    // "Trace session ID 7 started" comes first.
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (sessionId_ < 0) {
        const std::string text = output();
        std::size_t at = text.find("Trace session ID ");
        if (at != std::string::npos && text.find(" started", at) != std::string::npos) {
            sessionId_ = std::atoi(text.c_str() + at + 17);
            break;
        }
        int status = 0;
        if (::waitpid(child_, &status, WNOHANG) == child_) {
            child_ = -1;
            throw std::runtime_error("fbsvcmgr ended without starting a trace: " + text);
        }
        if (Clock::now() > deadline) {
            stop();
            throw std::runtime_error("fbsvcmgr started no trace within 20 s: " + text);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    waitFor("cp-trace-probe-" + std::to_string(::getpid()) + "-" + std::to_string(++probes_));
}

std::vector<std::string> TraceSession::stop() {
    std::string probeError;
    if (child_ > 0) {
        // The last probe makes sure every earlier statement is in the output;
        // the session is stopped even when the probe fails.
        if (sessionId_ >= 0 && !probeDatabase_.empty()) {
            try {
                waitFor("cp-trace-probe-" + std::to_string(::getpid()) + "-" +
                        std::to_string(++probes_));
            } catch (const std::exception& e) {
                probeError = e.what();
            }
        }
        if (sessionId_ >= 0)
            runAndWait({"fbsvcmgr", serviceManager(), "-user", "sysdba", "-password", kSenhaSysdba,
                        "action_trace_stop", "-trc_id", std::to_string(sessionId_)},
                       dir_ + "/stop.out");
        // The stopped session ends its fbsvcmgr; if it lingers, end it.
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            ended = ::waitpid(child_, &status, WNOHANG) == child_;
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!ended) {
            ::kill(child_, SIGTERM);
            ::waitpid(child_, &status, 0);
        }
        child_ = -1;
        sessionId_ = -1;
    }
    if (!probeError.empty()) throw std::runtime_error(probeError);
    std::vector<std::string> texts;
    for (const Event& e : events())
        if (e.kind == "PREPARE_STATEMENT") texts.push_back(e.sql);
    return texts;
}

std::vector<TraceSession::Event> TraceSession::events() const {
    std::vector<Event> mine;
    const std::string folder = serverDataDir() + "/";
    for (Event& e : parseTraceOutput(output())) {
        // The server names a database attached through an alias by the alias.
        if (e.database.rfind(folder, 0) != 0 &&
            lowerAscii(e.database).rfind("c:\\brundelo\\", 0) != 0)
            continue;
        if (e.sql.find("cp-trace-probe-") != std::string::npos) continue;
        mine.push_back(std::move(e));
    }
    return mine;
}

}  // namespace cp::test
