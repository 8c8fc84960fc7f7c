// The suite's settings file BRUNDELO.INI, kept beside the executable and
// written by the suite's table-migration tool. Each line holds a 48-character
// label (the setting's name padded with dots, a colon at position 48), one
// separator character that is not read, and the value at positions 50 to 109.
// This program uses two settings (the central server's address and the idle
// limit of session resume); every other recognized setting is kept for the
// run and nothing uses it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "suite/EstadoSessao.h"

namespace cp {

class Environment;

inline constexpr std::size_t kQtdeRotulosConfiguracao = 110;
inline constexpr std::size_t kTamanhoRotulo = 48;

// Every label the program recognizes, in the order in which a line is
// checked against them.
extern const std::array<std::string_view, kQtdeRotulosConfiguracao> kRotulosConfiguracao;

// Positions in kRotulosConfiguracao of the labels that get special handling.
inline constexpr std::size_t kRotuloIPServidorCentral = 0;
inline constexpr std::size_t kRotuloCorFundoTelas = 5;
inline constexpr std::size_t kRotuloTempoLogoff = 68;
inline constexpr std::size_t kRotuloConservante = 94;

// The file's name, beside the executable.
inline constexpr const char* kArquivoConfiguracoes = "BRUNDELO.INI";

// The values of every recognized setting, by the position of its label.
// A label that did not occur leaves its text empty. The screen background
// colour is kept as a number only (its text slot stays empty).
class Configuracoes {
  public:
    std::array<std::string, kQtdeRotulosConfiguracao> valores;
    std::int32_t CorFundoTelas = 0;

    // The text kept for a label given whole (with its dots and colon);
    // nullptr when the label is not one the program recognizes.
    const std::string* valor(std::string_view rotulo) const;

    // How many characters a value may keep: 60 for the preservative label,
    // 30 for every other.
    static std::size_t capacidade(std::size_t indiceRotulo);
};

// The largest settings file read: the format needs about 12 KB.
inline constexpr std::int64_t kTamanhoMaximoConfiguracoes = 256 * 1024;

// A failure while reading the settings. A background colour that is not an
// integer (Conversao) is thrown once the whole file was read: its line is
// ignored and every other line keeps its value; the text names each refused
// line. A file that cannot be opened or read, is not a regular file or is
// larger than kTamanhoMaximoConfiguracoes (EntradaSaida) stops the reading
// there; every value read before stays in place. The shell hands either to
// the general error report and carries on.
class ErroConfiguracoes : public std::runtime_error {
  public:
    enum class Tipo { Conversao, EntradaSaida };
    ErroConfiguracoes(Tipo tipo, const std::string& texto, int linha)
        : std::runtime_error(texto), tipo_(tipo), linha_(linha) {}
    Tipo tipo() const { return tipo_; }
    // 1-based line: the first refused one, or where reading stopped (0 at opening)
    int linha() const { return linha_; }

  private:
    Tipo tipo_;
    int linha_;
};

enum class LeituraConfiguracoes {
    Lida,            // the file was read (wholly, or up to an error that was thrown)
    ArquivoAusente,  // no BRUNDELO.INI: the message was shown; end the program with exit code 0
};

// The message shown when the file is missing (UTF-8).
extern const char* const kMensagemSemConfiguracoes;

// Reads <diretorioExecutavel>/BRUNDELO.INI into the session and `config`:
// sets DiretorioPrograma (the directory with a trailing separator), then
// IPServidorCentral and TempoLogoff from their lines and every other
// recognized value into `config`. When the file is missing, shows
// kMensagemSemConfiguracoes through env.showMessage and returns
// ArquivoAusente; the shell then ends the program before any window shows.
// Throws ErroConfiguracoes as described above.
LeituraConfiguracoes LeConfiguracoes(const std::string& diretorioExecutavel, EstadoSessao& sessao,
                                     Configuracoes& config, Environment& env);

// The line-by-line reading itself, from any stream of Windows-1252 bytes
// (lines end with LF or CR LF). Empties the values it fills first. Only the
// first 110 characters of a line are kept, and no more than
// kTamanhoMaximoConfiguracoes bytes are read. Throws ErroConfiguracoes.
void LeLinhasConfiguracoes(std::istream& entrada, EstadoSessao& sessao, Configuracoes& config);

// A text read as a 32-bit integer the way the suite reads numbers: leading
// blanks, then an optional sign, then decimal digits, or hexadecimal digits
// after a "$" or "0x" prefix (hexadecimal fills all 32 bits, so "$FFFFFFFF"
// is -1). Nothing may follow the digits. nullopt when it is not one.
std::optional<std::int32_t> ConverteInteiro(std::string_view texto);

// The idle limit of session resume in minutes, from the TempoLogoff setting:
// 5 when it is empty or not an integer.
std::int32_t MinutosDeLogoff(const std::string& tempoLogoff);

}  // namespace cp
