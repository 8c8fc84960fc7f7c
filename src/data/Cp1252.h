// Windows-1252 is the character set of every text the suite stores. Texts
// stay as Windows-1252 bytes inside the program and are converted only where
// they meet the screen.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace cp {

QString fromCp1252(std::string_view bytes);

// nullopt when the text holds a character that Windows-1252 cannot store.
std::optional<std::string> toCp1252(const QString& text);

// As toCp1252, but throws std::runtime_error with an operator message naming
// the first character that cannot be stored.
std::string toCp1252OrThrow(const QString& text);

// A text of Windows-1252 bytes for a message or the log: control characters
// (a zero byte, a line break, a tab) shown as dots, so that a value read from
// a file can neither cut a message short nor break the log's lines.
QString visivel(std::string_view bytes);

// Upper-casing as the suite does it: only the letters a to z change.
std::string upperAZ(std::string_view text);

}  // namespace cp
