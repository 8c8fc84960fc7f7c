// The operator's texts for failures of the database client and the engine.
// The client library and the server speak English; a pharmacy's operator
// reads a clear Portuguese text for each common failure, picked by the
// engine's error code (or the SQLCODE), while the server's own text goes to
// the log. The program's one error boundary (the general error handler)
// passes every error through here.
#pragma once

#include <QString>
#include <exception>
#include <optional>

namespace cp {

// The Portuguese text for a database error of a known kind, naming the
// database (for a failed connection) and the error's code; nullopt for any
// other error, which is shown with its own text.
std::optional<QString> mensagemOperadorBanco(const std::exception& e);

}  // namespace cp
