// The operator's texts for failures of the database client and the engine.
// The client library and the server speak English; a pharmacy's operator
// reads a clear Portuguese text for each common failure, picked by the kind
// of the failure (fb/Failure.h), while the server's own text goes to the
// log. The program's one error boundary (the general error handler) passes
// every error through here, and the record sets of the data modules word the
// changes they could not write here (textoDaFalha).
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace fb {
class Error;
}

namespace cp {
class RecordSet;
struct ChangeEntry;
}  // namespace cp

namespace cp {

// The host part of a database string ("srv/3051:C:\x.bd" gives "srv/3051"),
// empty for a local file.
std::string servidorDoBanco(const std::string& banco);

// The Portuguese text for a database error of a known kind, naming the
// database (for a failed connection) and the error's code; nullopt for any
// other error, which is shown with its own text.
std::optional<QString> mensagemOperadorBanco(const std::exception& e);

// Why a change of a record set could not be written, in words for the
// operator (UTF-8): the record sets' failure kinds, the holder of a row that
// was waited for, and for a refusal the server error's own Portuguese text.
// `causa` is the server error behind it, if any. Installed on every record
// set of the data modules.
std::string textoDaFalha(const RecordSet& rs, const ChangeEntry& entry,
                         const std::exception* causa);

// An error already worded for the operator (UTF-8), with the texts that go
// only to the log (the server's own words), and possibly a way out: a
// question the general error handler asks (yes / no) and what a yes does.
class ErroOperador : public std::runtime_error {
  public:
    explicit ErroOperador(const std::string& texto, std::string registro = {})
        : std::runtime_error(texto), registro_(std::move(registro)) {}
    // Added to the log line of the error, after the text shown.
    const std::string& registro() const { return registro_; }

    void ofereceSaida(std::string pergunta, std::function<void()> acao) {
        pergunta_ = std::move(pergunta);
        saida_ = std::move(acao);
    }
    bool temSaida() const { return static_cast<bool>(saida_); }
    const std::string& pergunta() const { return pergunta_; }
    // Runs the way out; its own errors go on to the caller.
    void tomaSaida() const {
        if (saida_) saida_();
    }

  private:
    std::string registro_;
    std::string pergunta_;
    std::function<void()> saida_;
};

}  // namespace cp
