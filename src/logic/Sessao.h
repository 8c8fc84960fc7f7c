// Session resume without widgets: the suite's session files of the
// workstation (LOGON.LLF written by the other programs, ULTATIV.LLF written
// by them and by this program when it skips the login, and the marker
// SaltaCP.db), the idle-limit comparison and the access checks of the stored
// session and of the login. The login panel (LoginSessao) drives these.
//
// Session files never stop the program: a file that cannot be read, or a
// date or time line that is not a valid date or time, makes the stored
// session not resumable (the login panel is shown) and the reason goes to
// the program's log file without a message.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "suite/Environment.h"
#include "suite/EstadoSessao.h"

namespace cp {

// Files of the suite directory.
inline constexpr const char* kArqLogon = "LOGON.LLF";      // last login
inline constexpr const char* kArqUltAtiv = "ULTATIV.LLF";  // last activity
inline constexpr const char* kArqSaltaCP = "SaltaCP.db";   // marker: skip the login

// The largest session file read: the last-login file needs under 200 bytes,
// the last-activity file under 50. A larger file is not read at all.
inline constexpr std::int64_t kTamanhoMaximoArquivoSessao = 64 * 1024;

// Splits the bytes of a session file into its first widths.size() lines. A
// line ends at CR LF, CR or LF; line i keeps at most widths[i] characters and
// the rest of it is skipped; lines missing at the end are empty.
std::vector<std::string> separaLinhas(std::string_view bytes,
                                      const std::vector<std::size_t>& widths);

// Reads the first widths.size() lines of a session file as Windows-1252
// bytes, as separaLinhas does. nullopt (with the reason in `motivo`) when the
// file cannot be opened or read, is not a regular file, or is larger than
// kTamanhoMaximoArquivoSessao.
std::optional<std::vector<std::string>> leLinhas(const QString& path,
                                                 const std::vector<std::size_t>& widths,
                                                 QString* motivo = nullptr);

// A date line as the suite writes it, "dd/mm/yy": day and month of one or two
// digits, a year of one or two digits (placed in the hundred years that begin
// 50 years before the year of `today`) or of four; blanks around it allowed.
// nullopt when the text is not a valid date.
std::optional<QDate> leData(std::string_view line, const QDate& today);

// A time line, "hh:nn:ss" (24-hour): hour and minutes of one or two digits,
// optional seconds of one or two digits, optional thousandths after a dot;
// blanks around it allowed. nullopt when the text is not a valid time.
std::optional<QTime> leHora(std::string_view line);

std::string formataData(const QDate& d);  // "dd/mm/yy"
std::string formataHora(const QTime& t);  // "hh:nn:ss"

// The idle limit in minutes: `minutosLogoff` itself (60 or more included), or
// 5 when it is negative (as for a setting that is not a number).
std::int64_t limiteOcioso(std::int32_t minutosLogoff);

// Whether a last activity lets the session resume at `agora`: it must be of
// today and no longer ago than the idle limit, to the second. A limit of a
// day or more means the same day only.
bool dentroDoLimite(const QDateTime& ultimaAtividade, const QDateTime& agora,
                    std::int32_t minutosLogoff);

// Whether the character at 1-based position `pos` of `acesso`, its code
// lowered by `desvio` (modulo 256), equals `c`. False when `acesso` is shorter
// than `pos` or `c` is missing.
bool acessoConfere(std::string_view acesso, std::size_t pos, int desvio, std::optional<char> c);

// VerificaLogonGravado over a lookup of the user's ACESSO by USUARIO (nullopt
// when no user has that key). Uses NomeUsuario (line 1 of the last-login file)
// and ConferenciaLogon (line 2); sets NomeUsuarioMaiusc and AcessoUsuario.
// Returns the access text when the stored session's user may resume, else
// the empty text. The lookup is not called when NomeUsuario is empty.
using BuscaAcesso = std::function<std::optional<std::string>(const std::string& usuario)>;
std::string verificaLogonGravado(EstadoSessao& s, const BuscaAcesso& acessoDe);

// Deletes LOGON.LLF and ULTATIV.LLF; failures are ignored.
void apagaArquivosSessao(Environment& env);

// Rewrites ULTATIV.LLF with today's date and the current time, each line
// ended by CR LF: a new file renamed over the old one, so that a symbolic
// link in its place is replaced, not written through. False (and logged)
// when the file cannot be written.
bool gravaUltimaAtividade(Environment& env);

// The file part of the session check. Reads LOGON.LLF (line 1 into
// NomeUsuario, line 2 into ConferenciaLogon), deletes stale session files,
// compares the last activity with the idle limit and, for a current session,
// asks `logonGravado` (VerificaLogonGravado) whether its user may resume.
// When the session resumes or the marker file exists, ULTATIV.LLF is
// rewritten. True when the login is skipped.
bool verificaArquivosSessao(Environment& env, EstadoSessao& s,
                            const std::function<std::string()>& logonGravado);

}  // namespace cp
