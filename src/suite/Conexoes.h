// The two database connections and the binding of the operating-system user
// to a work area, run while the data modules are created: TDM prepares the
// shared connection and binds the user to a row of ESTACOES; TDM2 then
// connects the work area's own database.
//
// With the central server's address set, the database strings are built as
// the suite spells them and handed unchanged to the client library. Without
// it, the program opens the suite directory's embedded databases, dados/ and
// interfacXX/, and fails with a message naming the file when one is missing.
#pragma once

#include <QString>
#include <string>

namespace cp {

class Environment;
class TDM;
class TDM2;
struct EstadoSessao;

// The file naming the folder of the client library, in the suite directory.
inline constexpr const char* kArquivoCaminhoGDS = "CaminhoGDS.txt";
// The client library's file inside that folder.
inline constexpr const char* kArquivoBibliotecaCliente = "libfbclient.so.2";

// The client library named by CaminhoGDS.txt: its first line (up to 100
// characters, blanks kept), a separator when it does not end with one, and
// the library's file name. Empty (the system's default client) when the file
// is missing or its first line is empty.
std::string bibliotecaCliente(const Environment& env);

// IPServidorCentral + ":C:\brundelo\dados\brundelo.bd".
std::string bancoCompartilhado(const EstadoSessao& sessao);
// IPServidorCentral + ":C:\brundelo\interfac" + Estacao + "\brundelo.bd".
std::string bancoEstacao(const EstadoSessao& sessao);
// Where a connection attaches for one of the strings above: the string itself
// when the server's address is set, else the embedded file it names inside
// the suite directory (C:\brundelo\ is the suite directory).
std::string localDoBanco(const std::string& banco, const EstadoSessao& sessao,
                         const Environment& env);

// The SQL text of the binding for a user name (Windows-1252): the name in
// upper case (a to z), with any quote doubled so that it stays a literal.
std::string sqlEstacoesDoUsuario(const std::string& nomeUsuario);

// The seven-line message of a failed binding (lines separated by "\r").
QString mensagemFalhaEstacao(const QString& nomeUsuario);
// Shown when no work area was bound.
QString mensagemAreasEmUso();

// Binds the operating-system user to a work area: sets NomeUsuario and
// Estacao and returns the work area's DATBASNAM, or empty text (after the
// failure message) when no row names the user. The row is not changed.
std::string SelecionaEstacao(TDM& dm);

// Creation of TDM: client library, shared database, binding; the message of
// the work areas in use when the binding gave no database name. Errors (the
// server unreachable, the embedded file missing) are thrown: the caller
// reports them and start-up goes on.
void DataModuleCreate(TDM& dm);
// Creation of TDM2: client library, work area's database, connected.
void DataModuleCreate(TDM2& dm2);

}  // namespace cp
