// Files of the suite directory. The directory is shared by the suite's
// programs and often by several operators, and its files are written by other
// programs and sometimes by hand: a file may be missing, huge, a directory, a
// pipe or a symbolic link to anything. Reads are bounded and take regular
// files only; writes never go through a symbolic link.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace cp {

class Environment;

// The bytes of the regular file at `path` when it holds at most `limite`
// bytes. nullopt otherwise, with the reason (Portuguese, for the log or a
// message) in `motivo`: missing, not a regular file, larger than the limit, or
// unreadable.
std::optional<QByteArray> leArquivoLimitado(const QString& path, std::int64_t limite,
                                            QString* motivo = nullptr);

// Replaces the file at `path` with `bytes`: a new file is written beside it
// and renamed over the old name, so a symbolic link there is replaced, never
// followed, and readers see the old or the new content, never half of it.
// False with the reason in `motivo` when it could not be written.
bool gravaSubstituindo(const QString& path, const QByteArray& bytes, QString* motivo = nullptr);

// Appends `bytes` to the regular file at `path`, creating it when missing. A
// symbolic link, a directory or a pipe at that name is left alone and nothing
// is written (false).
bool acrescentaSemSeguirLinks(const QString& path, const QByteArray& bytes);

// Appends a dated line to the program's log file in the suite directory, the
// text's line breaks shown as " | ". A symbolic link, a directory or a pipe in
// the log's place is not written through.
void registraNoLog(Environment& env, const QString& text);

}  // namespace cp
