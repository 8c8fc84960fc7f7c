// Tests against a Firebird server, reached the way the program reaches the
// pharmacy's central server: host + the suite's Windows paths, which the
// server knows as aliases.
//
// The server is a private one of the test program (tools/fb-test-server.sh):
// started on first use, in a temporary folder of its own, on a free port of
// 127.0.0.1, running as the user who runs the tests; it stops and its folder
// goes when the program ends, however it ends. The machine's own server, if
// any, is never touched. A server test begins with CP_REQUIRE_FB_SERVER():
// when the private server cannot start the test is skipped with the reason,
// or fails in CI and under tools/test.sh (serverTestsRequired()), so neither
// passes without the server.
//
//   TEST(ServerSomething, ...) {
//       CP_REQUIRE_FB_SERVER();
//       cp::test::ServerDatabases server;            // work area "01"
//       server.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values ('PIX', 1)");
//       // the code under test attaches to server.sharedConnect(), i.e.
//       // localhost/<port>:C:\brundelo\dados\brundelo.bd, as sysdba / vostremal;
//       // the program's settings file names the server as serverHost().
//   }
//
// A benchmark does the same without the gtest macro:
//
//   if (auto why = cp::test::fbServerUnavailable()) { state.SkipWithError(why->c_str()); return; }
//   cp::test::ServerDatabases server;
//
// Checking the exact SQL the program sends (TraceSession):
//
//   cp::test::ServerDatabases server;
//   cp::test::TraceSession trace;
//   trace.start(server.sharedConnect());   // returns once the trace sees statements
//   ... run the code under test against server.sharedConnect() ...
//   std::vector<std::string> sql = trace.stop();  // texts the server prepared, in order
//   EXPECT_NE(std::find(sql.begin(), sql.end(), expectedText), sql.end());
//
// The trace covers the databases of the private server only; stop() keeps
// the statements of the databases that ServerDatabases made, which the
// server names by the alias they were attached through (C:\brundelo\...) or
// by their file in serverDataDir(), and leaves out its own probe statements.
// events() gives the raw events, with the database file and the event kind,
// when a test needs more.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "fb/fb.h"

namespace cp::test {

// The reason server tests cannot run (the private server did not start), or
// nothing when they can. The first call starts the server.
std::optional<std::string> fbServerUnavailable();
// True when the environment variable CI is set and not empty.
bool runningInCi();
// True in CI and under tools/test.sh (CP_SERVER_TESTS_REQUIRED set): a
// server test that cannot run fails there instead of being skipped.
bool serverTestsRequired();

#define CP_REQUIRE_FB_SERVER()                                               \
    do {                                                                     \
        if (auto cpWhyNoServer = ::cp::test::fbServerUnavailable()) {        \
            if (::cp::test::serverTestsRequired()) FAIL() << *cpWhyNoServer; \
            GTEST_SKIP() << *cpWhyNoServer;                                  \
        }                                                                    \
    } while (0)

// A private Firebird server: tools/fb-test-server.sh runs it in a temporary
// folder of its own ($TMPDIR/cp-fbserver-*), on a free port of 127.0.0.1, in
// a session of its own (an interrupt from the terminal reaches the program,
// not the server). The script stops the server and removes the folder when
// its standard input, a pipe from this object, ends: at stop(), or when the
// program dies in any way. The server itself dies with the script.
// The server tests share one per program (see above); a test of the instance
// itself may make its own.
class FbServerInstance {
  public:
    // Starts it and returns once SYSDBA logs in; throws std::runtime_error
    // with the reason when it cannot.
    FbServerInstance();
    ~FbServerInstance();  // stop()
    FbServerInstance(const FbServerInstance&) = delete;
    FbServerInstance& operator=(const FbServerInstance&) = delete;

    int port() const { return port_; }
    // "localhost/<port>", as a client names the server.
    std::string host() const { return "localhost/" + std::to_string(port_); }
    // Its folder: firebird.conf, databases.conf, security3.fdb, lock/.
    const std::string& dir() const { return dir_; }
    // The script's process.
    pid_t keeperPid() const { return keeper_; }
    // Stops the server and removes its folder; returns when both are done.
    void stop();
    // Stops the server process and starts it again on the same port and
    // folder; returns once it answers again. Every attachment to it dies.
    void restart();

  private:
    bool tryStart(int port, std::string& error);

    pid_t keeper_ = -1;
    int input_ = -1;
    int port_ = 0;
    int restarts_ = 0;
    std::string dir_;
};

// The private server of the program as a client names it: "localhost/<port>".
std::string serverHost();
// Restarts the private server of the program (FbServerInstance::restart).
void restartServer();
// Its service manager, for fbsvcmgr: "localhost/<port>:service_mgr".
std::string serviceManager();
// The folder that holds the databases of the server tests.
std::string serverDataDir();
// The private server's alias file.
std::string serverDatabasesConf();

// The attach parameters of the suite's connections: sysdba / vostremal.
fb::AttachParams serverAttachParams();

// Fresh shared and work-area databases on the private server, registered in
// its databases.conf under the aliases C:\brundelo\dados\brundelo.bd and
// C:\brundelo\interfac<XX>\brundelo.bd (the file holds the aliases of the
// newest object only).
class ServerDatabases {
  public:
    explicit ServerDatabases(const std::string& workArea = "01");
    ~ServerDatabases();
    ServerDatabases(const ServerDatabases&) = delete;
    ServerDatabases& operator=(const ServerDatabases&) = delete;

    // The aliases (Windows paths) and the strings to attach with.
    std::string sharedAlias() const { return "C:\\brundelo\\dados\\brundelo.bd"; }
    std::string workstationAlias() const;
    std::string sharedConnect() const;
    std::string workstationConnect() const;
    // The database files behind the aliases.
    const std::string& sharedFile() const { return sharedFile_; }
    const std::string& workstationFile() const { return workstationFile_; }

    // Attachments through the server and the aliases, for seeding and checks.
    fb::Attachment& shared();
    fb::Attachment& workstation();
    void release();

  private:
    std::string workArea_;
    std::string sharedFile_;
    std::string workstationFile_;
    fb::Attachment shared_;
    fb::Attachment workstation_;
};

// A trace session of the server (fbsvcmgr action_trace_start running in the
// background, its output collected in a file).
class TraceSession {
  public:
    struct Event {
        std::string kind;      // PREPARE_STATEMENT or EXECUTE_STATEMENT_START
        std::string database;  // as the server names it: the alias attached through, or the file
        std::string sql;       // the statement text exactly as received
    };

    // `withStarts` also records each execution (EXECUTE_STATEMENT_START).
    explicit TraceSession(bool withStarts = false);
    ~TraceSession();  // stops the session if it still runs
    TraceSession(const TraceSession&) = delete;
    TraceSession& operator=(const TraceSession&) = delete;

    // Starts the session and returns once a probe statement sent to
    // `probeDatabase` (a connect string such as ServerDatabases::sharedConnect())
    // shows in the output; throws std::runtime_error after about 20 s.
    void start(const std::string& probeDatabase);
    // Sends a last probe (so everything before it is in the output), stops the
    // session and returns the texts the server prepared in the test databases,
    // in order, without the probes.
    std::vector<std::string> stop();
    // The events of the test databases in the output (probes excluded); after
    // stop() this is everything the session saw.
    std::vector<Event> events() const;

  private:
    void probe(const std::string& marker);
    void waitFor(const std::string& marker);
    std::string output() const;

    bool withStarts_;
    std::string dir_;
    std::string probeDatabase_;
    pid_t child_ = -1;
    int sessionId_ = -1;
    int probes_ = 0;
};

// Splits fbsvcmgr trace output into its statement events (all databases).
std::vector<TraceSession::Event> parseTraceOutput(const std::string& text);

}  // namespace cp::test
