// The real program asked to stop by the system while a start-up message box
// is open: the shared database's server cannot be reached, the error is
// logged and shown, and SIGTERM, SIGINT or SIGHUP ends the program within a
// few seconds.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <string>

#include "shell/ErrorHandler.h"
#include "support/ProcessoFilho.h"
#include "support/Semeia.h"

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

        ProcessoFilho p;
        ASSERT_TRUE(p.inicia(
            programa, {"BRUNDELO_HOME=" + (raiz / "suite").string(), "QT_QPA_PLATFORM=offscreen"}));

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
