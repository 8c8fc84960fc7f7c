#include "logic/Sessao.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cctype>

#include "data/Cp1252.h"
#include "data/Text.h"
#include "suite/ArquivosSuite.h"

namespace cp {
namespace {

QString nomeArquivo(const char* nome) { return QString::fromLatin1(nome); }

// What a session-file line looked like, for the log.
QString mostraLinha(std::string_view line) {
    return QLatin1Char('"') + visivel(line) + QLatin1Char('"');
}

// Reads a run of 1..maxDigits decimal digits at the front of `s`.
std::optional<int> digitos(std::string_view& s, std::size_t maxDigits,
                           std::size_t* count = nullptr) {
    std::size_t n = 0;
    int v = 0;
    while (n < s.size() && n < maxDigits && std::isdigit(static_cast<unsigned char>(s[n]))) {
        v = v * 10 + (s[n] - '0');
        ++n;
    }
    if (n == 0) return std::nullopt;
    s.remove_prefix(n);
    if (count) *count = n;
    return v;
}

bool separador(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

}  // namespace

std::vector<std::string> separaLinhas(std::string_view bytes,
                                      const std::vector<std::size_t>& widths) {
    std::vector<std::string> lines(widths.size());
    std::size_t pos = 0;
    for (std::size_t i = 0; i < widths.size() && pos < bytes.size(); ++i) {
        const std::size_t fim = bytes.find_first_of("\r\n", pos);
        const std::size_t n = (fim == std::string_view::npos ? bytes.size() : fim) - pos;
        lines[i].assign(bytes.substr(pos, std::min(n, widths[i])));
        if (fim == std::string_view::npos) break;
        pos = fim + 1;
        if (bytes[fim] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    return lines;
}

std::optional<std::vector<std::string>> leLinhas(const QString& path,
                                                 const std::vector<std::size_t>& widths,
                                                 QString* motivo) {
    const auto bytes = leArquivoLimitado(path, kTamanhoMaximoArquivoSessao, motivo);
    if (!bytes) return std::nullopt;
    return separaLinhas(std::string_view(bytes->constData(), bytes->size()), widths);
}

std::optional<QDate> leData(std::string_view line, const QDate& today) {
    std::string_view s = trim(line);
    std::size_t yearDigits = 0;
    auto d = digitos(s, 2);
    if (!d || !separador(s, '/')) return std::nullopt;
    auto m = digitos(s, 2);
    if (!m || !separador(s, '/')) return std::nullopt;
    auto y = digitos(s, 4, &yearDigits);
    if (!y || !s.empty() || yearDigits == 3) return std::nullopt;
    int year = *y;
    if (yearDigits <= 2) {
        // The hundred years that begin 50 years before the current year.
        const int inicio = today.year() - 50;
        year = inicio - (inicio % 100) + year;
        if (year < inicio) year += 100;
    }
    const QDate date(year, *m, *d);
    if (!date.isValid()) return std::nullopt;
    return date;
}

std::optional<QTime> leHora(std::string_view line) {
    std::string_view s = trim(line);
    auto h = digitos(s, 2);
    if (!h || !separador(s, ':')) return std::nullopt;
    auto n = digitos(s, 2);
    if (!n) return std::nullopt;
    int sec = 0, ms = 0;
    if (separador(s, ':')) {
        auto ss = digitos(s, 2);
        if (!ss) return std::nullopt;
        sec = *ss;
        if (separador(s, '.')) {
            std::size_t count = 0;
            auto z = digitos(s, 3, &count);
            if (!z) return std::nullopt;
            ms = *z * (count == 1 ? 100 : count == 2 ? 10 : 1);
        }
    }
    if (!s.empty()) return std::nullopt;
    if (*h > 23 || *n > 59 || sec > 59) return std::nullopt;
    return QTime(*h, *n, sec, ms);
}

std::string formataData(const QDate& d) {
    return d.toString(QStringLiteral("dd/MM/yy")).toStdString();
}

std::string formataHora(const QTime& t) {
    return t.toString(QStringLiteral("hh:mm:ss")).toStdString();
}

std::int64_t limiteOcioso(std::int32_t minutosLogoff) {
    return minutosLogoff < 0 ? 5 : minutosLogoff;
}

bool dentroDoLimite(const QDateTime& ultimaAtividade, const QDateTime& agora,
                    std::int32_t minutosLogoff) {
    // To the second, as the files keep it.
    auto segundos = [](const QDateTime& t) {
        const QTime h = t.time();
        return QDateTime(t.date(), QTime(h.hour(), h.minute(), h.second()));
    };
    if (ultimaAtividade.date() != agora.date()) return false;
    const std::int64_t minutos = limiteOcioso(minutosLogoff);
    if (minutos >= 24 * 60) return true;
    return segundos(ultimaAtividade) >= segundos(agora).addSecs(-60 * minutos);
}

bool acessoConfere(std::string_view acesso, std::size_t pos, int desvio, std::optional<char> c) {
    if (!c || pos == 0 || acesso.size() < pos) return false;
    const auto code = static_cast<unsigned char>(acesso[pos - 1]);
    const auto formed = static_cast<unsigned char>((code - desvio) & 0xFF);
    return formed == static_cast<unsigned char>(*c);
}

std::string verificaLogonGravado(EstadoSessao& s, const BuscaAcesso& acessoDe) {
    if (s.NomeUsuario.empty()) return {};
    s.NomeUsuarioMaiusc = upperAZ(s.ConferenciaLogon.str());
    std::optional<char> c;
    if (!s.NomeUsuarioMaiusc.empty()) c = s.NomeUsuarioMaiusc.str().front();
    auto acesso = acessoDe(s.NomeUsuario.str());
    if (!acesso) return {};
    s.AcessoUsuario = *acesso;
    if (!acessoConfere(s.AcessoUsuario.str(), 7, 8, c)) return {};
    return s.AcessoUsuario.str();
}

void apagaArquivosSessao(Environment& env) {
    QFile::remove(env.suiteFile(nomeArquivo(kArqLogon)));
    QFile::remove(env.suiteFile(nomeArquivo(kArqUltAtiv)));
}

bool gravaUltimaAtividade(Environment& env) {
    const QDateTime agora = env.now();
    const std::string text =
        formataData(agora.date()) + "\r\n" + formataHora(agora.time()) + "\r\n";
    QString motivo;
    if (gravaSubstituindo(env.suiteFile(nomeArquivo(kArqUltAtiv)),
                          QByteArray(text.data(), static_cast<qsizetype>(text.size())), &motivo))
        return true;
    registraNoLog(env, QStringLiteral("Sessão: %1 não pôde ser gravado (%2).")
                           .arg(nomeArquivo(kArqUltAtiv), motivo));
    return false;
}

namespace {

// The stored session of LOGON.LLF (and ULTATIV.LLF): true when it is of today,
// within the idle limit and its user passes the access check.
bool sessaoRetomavel(Environment& env, EstadoSessao& s,
                     const std::function<std::string()>& logonGravado) {
    const QString logon = nomeArquivo(kArqLogon);
    const QString ultAtiv = nomeArquivo(kArqUltAtiv);
    auto naoRetoma = [&env](const QString& motivo) {
        registraNoLog(env, QStringLiteral("Sessão gravada não retomada: ") + motivo);
        return false;
    };
    auto naoLido = [&naoRetoma](const QString& nome, const QString& motivo) {
        return naoRetoma(nome + QStringLiteral(" não pôde ser lido (") + motivo +
                         QStringLiteral(")."));
    };

    QString motivo;
    auto linhas = leLinhas(env.suiteFile(logon), {60, 60, 20, 20}, &motivo);
    if (!linhas) return naoLido(logon, motivo);
    s.NomeUsuario = (*linhas)[0];
    s.ConferenciaLogon = (*linhas)[1];

    const QDate hoje = env.today();
    auto data = leData((*linhas)[2], hoje);
    if (!data)
        return naoRetoma(logon + QStringLiteral(": data inválida na linha 3: ") +
                         mostraLinha((*linhas)[2]));
    if (*data != hoje) {
        apagaArquivosSessao(env);
        return false;
    }

    QDate dataAtividade = *data;
    std::string linhaHora = (*linhas)[3];
    QString origemHora = logon + QStringLiteral(": hora inválida na linha 4: ");
    if (QFileInfo::exists(env.suiteFile(ultAtiv))) {
        auto ua = leLinhas(env.suiteFile(ultAtiv), {20, 20}, &motivo);
        if (!ua) return naoLido(ultAtiv, motivo);
        auto dataUa = leData((*ua)[0], hoje);
        if (!dataUa)
            return naoRetoma(ultAtiv + QStringLiteral(": data inválida na linha 1: ") +
                             mostraLinha((*ua)[0]));
        dataAtividade = *dataUa;
        linhaHora = (*ua)[1];
        origemHora = ultAtiv + QStringLiteral(": hora inválida na linha 2: ");
    }
    auto hora = leHora(linhaHora);
    if (!hora) return naoRetoma(origemHora + mostraLinha(linhaHora));

    // A last activity of another day, or longer ago than the limit, is stale.
    if (dentroDoLimite(QDateTime(dataAtividade, *hora), env.now(), s.MinutosLogoff))
        return !logonGravado().empty();
    apagaArquivosSessao(env);
    return false;
}

}  // namespace

bool verificaArquivosSessao(Environment& env, EstadoSessao& s,
                            const std::function<std::string()>& logonGravado) {
    bool salta = false;
    if (QFileInfo::exists(env.suiteFile(nomeArquivo(kArqLogon))))
        salta = sessaoRetomavel(env, s, logonGravado);
    if (QFileInfo::exists(env.suiteFile(nomeArquivo(kArqSaltaCP)))) salta = true;
    if (salta) gravaUltimaAtividade(env);
    return salta;
}

}  // namespace cp
