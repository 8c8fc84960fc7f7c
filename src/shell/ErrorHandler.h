// The program's general error handler. An error that no step catches,
// a database error included, ends that step where it arose; it is shown to
// the operator with its text, appended with date and time to the log file of
// the suite directory, and the program goes on running. Every handler of the
// screens runs through guarded(), so nothing a handler throws ever reaches
// the toolkit's event loop.
#pragma once

#include <QObject>
#include <QString>
#include <exception>
#include <functional>

#include "suite/ArquivosSuite.h"
#include "suite/Environment.h"

namespace cp {

// Text of an exception as the operator sees it: the Portuguese text of a
// common database failure (data/MensagensErro), else its own text (UTF-8
// what() texts; other server texts as the server wrote them).
QString errorText(const std::exception& e);

// Shows and logs an error that no step caught. The log keeps the original
// text of a translated database error beside the text shown.
void reportError(Environment& env, const std::exception& e);
void reportError(Environment& env, const QString& text);

// Runs fn; whatever it throws is reported as above. Returns false when fn
// threw, so a caller can stop the rest of its own step.
bool guarded(Environment& env, const std::function<void()>& fn);

// Connects a signal to a handler that runs under guarded().
template <class Sender, class Signal, class Handler>
QMetaObject::Connection connectGuarded(Environment& env, Sender* sender, Signal signal,
                                       QObject* context, Handler handler) {
    return QObject::connect(sender, signal, context,
                            [&env, handler](auto&&...) { guarded(env, handler); });
}

}  // namespace cp
