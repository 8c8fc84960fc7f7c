// Splitting a DDL or data script into its statements.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "fb/fb.h"

namespace fb {

namespace {

std::string trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

}  // namespace

std::vector<std::string> splitScript(const std::string& script) {
    std::vector<std::string> out;
    std::string current;
    auto flush = [&] {
        std::string t = trimmed(current);
        if (!t.empty()) out.push_back(std::move(t));
        current.clear();
    };
    const std::size_t n = script.size();
    for (std::size_t i = 0; i < n; ++i) {
        char c = script[i];
        if (c == '\'' || c == '"') {
            // Quoted text runs to the matching quote; a doubled quote stays inside.
            current += c;
            for (++i; i < n; ++i) {
                current += script[i];
                if (script[i] == c) {
                    if (i + 1 < n && script[i + 1] == c) {
                        current += script[++i];
                        continue;
                    }
                    break;
                }
            }
        } else if (c == '-' && i + 1 < n && script[i + 1] == '-') {
            while (i < n && script[i] != '\n') ++i;
            current += '\n';
        } else if (c == '/' && i + 1 < n && script[i + 1] == '*') {
            std::size_t end = script.find("*/", i + 2);
            i = (end == std::string::npos) ? n : end + 1;
            current += ' ';
        } else if (c == ';') {
            flush();
        } else {
            current += c;
        }
    }
    flush();
    return out;
}

void runScriptFile(Attachment& attachment, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot read the script " + path);
    std::ostringstream text;
    text << in.rdbuf();
    for (const std::string& statement : splitScript(text.str())) attachment.execute(statement);
}

Attachment createFromScript(std::shared_ptr<Client> client, const std::string& database,
                            const AttachParams& params, const std::string& scriptPath) {
    // A colon after the first character names a server ("host:path",
    // "host/port:path"); a path that begins with '/' is a file.
    const bool local =
        database.find(':') == std::string::npos || (!database.empty() && database[0] == '/');
    if (local) {
        const std::filesystem::path folder = std::filesystem::path(database).parent_path();
        if (!folder.empty()) std::filesystem::create_directories(folder);
    }
    Attachment a = Attachment::create(std::move(client), database, params);
    runScriptFile(a, scriptPath);
    return a;
}

}  // namespace fb
