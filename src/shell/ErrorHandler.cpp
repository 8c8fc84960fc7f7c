#include "shell/ErrorHandler.h"

#include <QStringDecoder>

#include "data/Cp1252.h"
#include "suite/ArquivosSuite.h"
#include "suite/MensagensErro.h"

namespace cp {

namespace {

QString textoOriginal(const std::exception& e) {
    // The program's own texts are UTF-8; a text that carries bytes of the
    // database (a typed value, a server message naming data) may be
    // Windows-1252 instead, and is shown as such rather than garbled.
    const QByteArray bytes(e.what());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) return fromCp1252(std::string_view(bytes.constData(), bytes.size()));
    return text;
}

}  // namespace

QString errorText(const std::exception& e) {
    if (auto traduzido = mensagemOperadorBanco(e)) return *traduzido;
    return textoOriginal(e);
}

void reportError(Environment& env, const std::exception& e) {
    const QString shown = errorText(e);
    QString original = textoOriginal(e);
    const auto* operador = dynamic_cast<const ErroOperador*>(&e);
    if (operador && !operador->registro().empty())
        original = QString::fromUtf8(operador->registro());
    // The log comes first: if showing the message fails, the error is kept.
    registraNoLog(
        env, shown == original ? shown : shown + QLatin1String(" [") + original + QLatin1Char(']'));
    if (!operador || !operador->temSaida()) {
        env.showMessage(shown);
        return;
    }
    // The error offers a way out: the operator is asked, and a yes takes it
    // (its own failure is reported in turn).
    if (env.ask(shown + QLatin1String("\n\n") + QString::fromUtf8(operador->pergunta())))
        guarded(env, [operador] { operador->tomaSaida(); });
}

void reportError(Environment& env, const QString& text) {
    registraNoLog(env, text);
    env.showMessage(text);
}

bool guarded(Environment& env, const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        reportError(env, e);
    } catch (...) {
        reportError(env, QStringLiteral("Erro desconhecido."));
    }
    return false;
}

}  // namespace cp
