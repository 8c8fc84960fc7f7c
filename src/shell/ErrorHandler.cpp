#include "shell/ErrorHandler.h"

#include <QFile>
#include <QTextStream>


namespace cp {

QString errorText(const std::exception& e) { return QString::fromUtf8(e.what()); }

void reportError(Environment& env, const QString& text) {
    // The log comes first: if showing the message fails, the error is kept.
    QFile log(env.suiteFile(QString::fromLatin1(kErrorLogName)));
    if (log.open(QIODevice::Append | QIODevice::Text)) {
        QTextStream out(&log);
        out << env.now().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) << "  "
            << QString(text).replace(QLatin1Char('\n'), QLatin1String(" | ")) << '\n';
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
