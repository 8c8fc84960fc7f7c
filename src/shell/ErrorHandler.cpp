#include "shell/ErrorHandler.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextStream>

#include "data/Cp1252.h"

namespace cp {

QString errorText(const std::exception& e) {
    // The program's own texts are UTF-8; a text that carries bytes of the
    // database (a typed value, a server message naming data) may be
    // Windows-1252 instead, and is shown as such rather than garbled.
    const QByteArray bytes(e.what());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) return fromCp1252(std::string_view(bytes.constData(), bytes.size()));
    return text;
}

void reportError(Environment& env, const QString& text) {
    // The log comes first: if showing the message fails, the error is kept.
    QFile log(env.suiteFile(QString::fromLatin1(kErrorLogName)));
    if (log.open(QIODevice::Append | QIODevice::Text)) {
        QTextStream out(&log);
        QString oneLine = text;
        oneLine.replace(QLatin1String("\r\n"), QLatin1String(" | "))
            .replace(QLatin1Char('\r'), QLatin1String(" | "))
            .replace(QLatin1Char('\n'), QLatin1String(" | "));
        out << env.now().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) << "  " << oneLine << '\n';
    }
    env.showMessage(text);
}

bool guarded(Environment& env, const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        reportError(env, errorText(e));
    } catch (...) {
        reportError(env, QStringLiteral("Erro desconhecido."));
    }
    return false;
}

}  // namespace cp
