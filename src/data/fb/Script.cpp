// Splitting a DDL or data script into its statements.
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "data/fb/fb.h"

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

}  // namespace fb
