// The tests' private Firebird server leaves nothing behind, however the
// program that started it ends: stopped in order, its script killed outright,
// or the program crashing.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "support/FbServer.h"

namespace cp::test {
namespace {

namespace fs = std::filesystem;

bool listens(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

bool within(std::chrono::seconds limit, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

TEST(ServerInstance, GoesWithItsFolderWhenStoppedOrWhenItsScriptIsKilled) {
    CP_REQUIRE_FB_SERVER();
    {
        FbServerInstance server;
        const int port = server.port();
        const std::string dir = server.dir();
        EXPECT_NE(port, 3050);
        EXPECT_TRUE(listens(port));
        EXPECT_TRUE(fs::exists(dir + "/security3.fdb"));
        server.stop();
        EXPECT_FALSE(listens(port));
        EXPECT_FALSE(fs::exists(dir));
    }
    {
        FbServerInstance server;
        const int port = server.port();
        const std::string dir = server.dir();
        ASSERT_EQ(::kill(server.keeperPid(), SIGKILL), 0);
        EXPECT_TRUE(within(std::chrono::seconds(10), [&] { return !listens(port); }))
            << "the server outlived its script";
        server.stop();
        std::error_code ignored;
        fs::remove_all(dir, ignored);  // nobody was left to remove it
    }
}

TEST(ServerInstanceDeathTest, GoesWithItsFolderWhenTheProgramCrashes) {
    CP_REQUIRE_FB_SERVER();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The death test runs this body again in a new process, which finds
    // where to write in its environment.
    const char* inherited = std::getenv("CP_CRASHED_INSTANCE");
    const std::string record =
        inherited ? inherited : fs::path(serverDataDir()).parent_path() / "crashed-instance";
    ::setenv("CP_CRASHED_INSTANCE", record.c_str(), 1);
    EXPECT_DEATH(
        {
            FbServerInstance server;
            std::ofstream(std::getenv("CP_CRASHED_INSTANCE")) << server.port() << '\n'
                                                              << server.dir() << '\n';
            std::abort();
        },
        "");
    ::unsetenv("CP_CRASHED_INSTANCE");
    std::ifstream in(record);
    int port = 0;
    std::string dir;
    ASSERT_TRUE(in >> port >> dir) << "the crashing program started no server";
    EXPECT_TRUE(within(std::chrono::seconds(10), [&] { return !listens(port); }))
        << "the server outlived the program";
    EXPECT_TRUE(within(std::chrono::seconds(10), [&] { return !fs::exists(dir); }))
        << dir << " outlived the program";
}

}  // namespace
}  // namespace cp::test
