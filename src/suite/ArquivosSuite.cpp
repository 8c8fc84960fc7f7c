#include "suite/ArquivosSuite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "suite/Environment.h"

namespace cp {
namespace {

std::string nativo(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString textoErrno(int erro) { return QString::fromLocal8Bit(std::strerror(erro)); }

// A file descriptor closed on every path.
struct Descritor {
    int fd = -1;
    ~Descritor() {
        if (fd >= 0) ::close(fd);
    }
};

bool escreveTudo(int fd, const char* dados, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, dados, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        dados += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

}  // namespace

std::optional<QByteArray> leArquivoLimitado(const QString& path, std::int64_t limite,
                                            QString* motivo) {
    auto falha = [motivo](const QString& texto) -> std::optional<QByteArray> {
        if (motivo) *motivo = texto;
        return std::nullopt;
    };
    // O_NONBLOCK: opening a pipe must not wait for a writer.
    Descritor d{::open(nativo(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (d.fd < 0) return falha(textoErrno(errno));
    struct stat st {};
    if (::fstat(d.fd, &st) != 0) return falha(textoErrno(errno));
    if (!S_ISREG(st.st_mode)) return falha(QStringLiteral("não é um arquivo comum"));
    if (st.st_size > limite)
        return falha(QStringLiteral("tem %1 bytes, mais do que os %2 que o arquivo pode ter")
                         .arg(static_cast<qint64>(st.st_size))
                         .arg(static_cast<qint64>(limite)));
    QByteArray dados;
    dados.resize(static_cast<qsizetype>(limite) + 1);
    qsizetype lidos = 0;
    while (lidos < dados.size()) {
        const ssize_t r =
            ::read(d.fd, dados.data() + lidos, static_cast<std::size_t>(dados.size() - lidos));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return falha(textoErrno(errno));
        if (r == 0) break;
        lidos += r;
    }
    if (lidos > limite)  // it grew while being read
        return falha(QStringLiteral("tem mais do que os %1 bytes que o arquivo pode ter")
                         .arg(static_cast<qint64>(limite)));
    dados.truncate(lidos);
    return dados;
}

bool gravaSubstituindo(const QString& path, const QByteArray& bytes, QString* motivo) {
    static std::atomic<unsigned> contador{0};
    const std::string destino = nativo(path);
    const std::string novo = destino + ".novo." + std::to_string(::getpid()) + "." +
                             std::to_string(contador.fetch_add(1));
    auto falha = [motivo](int erro) {
        if (motivo) *motivo = textoErrno(erro);
        return false;
    };
    {
        Descritor d{
            ::open(novo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666)};
        if (d.fd < 0) return falha(errno);
        if (!escreveTudo(d.fd, bytes.constData(), static_cast<std::size_t>(bytes.size()))) {
            const int erro = errno;
            ::unlink(novo.c_str());
            return falha(erro);
        }
        const int fechado = ::close(d.fd);
        d.fd = -1;
        if (fechado != 0) {
            const int erro = errno;
            ::unlink(novo.c_str());
            return falha(erro);
        }
    }
    if (::rename(novo.c_str(), destino.c_str()) != 0) {
        const int erro = errno;
        ::unlink(novo.c_str());
        return falha(erro);
    }
    return true;
}

bool acrescentaSemSeguirLinks(const QString& path, const QByteArray& bytes) {
    Descritor d{::open(nativo(path).c_str(),
                       O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666)};
    if (d.fd < 0) return false;
    struct stat st {};
    if (::fstat(d.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return escreveTudo(d.fd, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void registraNoLog(Environment& env, const QString& text) {
    QString oneLine = text;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String(" | "))
        .replace(QLatin1Char('\r'), QLatin1String(" | "))
        .replace(QLatin1Char('\n'), QLatin1String(" | "));
    const QString line =
        env.now().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) + QLatin1String("  ") + oneLine;
    acrescentaSemSeguirLinks(env.suiteFile(QString::fromLatin1(kErrorLogName)),
                             (line + QLatin1Char('\n')).toUtf8());
}

}  // namespace cp
