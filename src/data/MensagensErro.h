// The operator's texts for failures of the database client and the engine.
// The client library and the server speak English; a pharmacy's operator
// reads a clear Portuguese text for each common failure, picked by the
// engine's error codes (or the SQLCODE), while the server's own text goes to
// the log. The program's one error boundary (the general error handler)
// passes every error through here, and the data layer asks here what kind of
// failure a server error is (a lost connection, a taken key...): the codes
// of each kind are written down once, in this file's table.
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

// What a database failure means for the program and the operator.
enum class FalhaBanco {
    Outra,             // anything else: shown with its own text
    ChaveRepetida,     // a primary or unique key already taken
    ChaveEstrangeira,  // the row refers to a missing one, or others refer to it
    Conflito,          // another transaction changed or holds the same row
    RegistroApagado,   // the row was deleted by another transaction meanwhile
    ConexaoPerdida,  // the attachment is dead: server restarted, ended by an administrator, network
    ServidorInacessivel,  // an attach that did not reach the server (down, wrong address, no
                          // answer)
    BancoDanificado,      // the file is not a sound database
    Arquivo,              // the database file cannot be opened or read
};

// True for the kinds that leave an attachment dead (or none made): the
// connection must attach again before anything else can be done.
inline bool semConexao(FalhaBanco t) {
    return t == FalhaBanco::ConexaoPerdida || t == FalhaBanco::ServidorInacessivel;
}

// The kind of a server error, by its engine codes (any code of its status,
// the first that the table knows) or, without codes, by its SQLCODE.
FalhaBanco tipoFalha(const fb::Error& e);
// The same for any exception: Outra for what is not a server error.
FalhaBanco tipoFalha(const std::exception& e);

// The host part of a database string ("srv/3051:C:\x.bd" gives "srv/3051"),
// empty for a local file.
std::string servidorDoBanco(const std::string& banco);

// The Portuguese text for a database error of a known kind, naming the
// database (for a failed connection) and the error's code; nullopt for any
// other error, which is shown with its own text.
std::optional<QString> mensagemOperadorBanco(const std::exception& e);

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
