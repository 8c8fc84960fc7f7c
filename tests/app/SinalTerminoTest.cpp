// The real program asked to stop by the system while a start-up message box
// is open: the shared database's server cannot be reached, the error is
// logged and shown, and SIGTERM, SIGINT or SIGHUP ends the program within a
// few seconds.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/Semeia.h"
#include "shell/ErrorHandler.h"

extern char** environ;

namespace cp::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A port of 127.0.0.1 that nothing listens on: attaching there is refused.
int portaFechada() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

// The started program; one still running when the test stops is killed.
struct Programa {
    pid_t pid = -1;
    int status = 0;
    bool terminou = false;

    // Waits up to `prazo` for the end.
    bool espera(std::chrono::milliseconds prazo) {
        const auto limite = Clock::now() + prazo;
        while (!terminou) {
            terminou = ::waitpid(pid, &status, WNOHANG) == pid;
            if (terminou || Clock::now() >= limite) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return terminou;
    }
    ~Programa() {
        if (pid > 0 && !terminou) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
    }
};

QByteArray leArquivo(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SinalTermino, TheProgramEndsOnTerminationSignalsWhileAStartUpMessageIsOpen) {
    for (int sinal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(::strsignal(sinal));
        // The program reads its settings beside its executable: a copy of it
        // in a folder of the test's own, naming a server that refuses.
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const fs::path raiz = dir.path().toStdString();
        fs::create_directories(raiz / "bin");
        fs::create_directories(raiz / "suite");
        const std::string programa = (raiz / "bin" / "contas-pagar").string();
        fs::copy_file(CP_PROGRAM_PATH, programa);
        {
            QFile ini(QString::fromStdString((raiz / "bin" / "BRUNDELO.INI").string()));
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write(linhaIni(kRotuloIP, "localhost/" + std::to_string(portaFechada())) +
                      linhaIni(kRotuloLogoff, "10"));
        }
        const QString log = QString::fromStdString((raiz / "suite").string()) + "/" + kErrorLogName;

        std::vector<std::string> envs;
        for (char** e = environ; *e; ++e) envs.emplace_back(*e);
        envs.push_back("BRUNDELO_HOME=" + (raiz / "suite").string());
        envs.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> argv{const_cast<char*>(programa.c_str()), nullptr};
        std::vector<char*> envp;
        for (auto& e : envs) envp.push_back(e.data());
        envp.push_back(nullptr);
        Programa p;
        ASSERT_EQ(
            ::posix_spawn(&p.pid, programa.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);

        // The error is logged before its message box opens.
        const auto limiteLog = Clock::now() + std::chrono::seconds(30);
        while (leArquivo(log).isEmpty() && Clock::now() < limiteLog)
            ASSERT_FALSE(p.espera(std::chrono::milliseconds(20)))
                << "the program ended before it showed a message";
        const QByteArray registrado = leArquivo(log);
        ASSERT_FALSE(registrado.isEmpty()) << "nothing was logged within 30 s";
        ASSERT_FALSE(p.espera(std::chrono::milliseconds(300)));  // the box is up

        ::kill(p.pid, sinal);
        EXPECT_TRUE(p.espera(std::chrono::seconds(5))) << "still running 5 s after the signal";
        EXPECT_TRUE(p.terminou && WIFEXITED(p.status)) << "ended by a signal, not in order";
        // The log keeps the error that was on the screen.
        EXPECT_TRUE(leArquivo(log).startsWith(registrado)) << leArquivo(log).toStdString();
        EXPECT_TRUE(registrado.contains("Unable to complete network request"))
            << registrado.toStdString();
    }
}

}  // namespace
}  // namespace cp::test
