#include "Diario.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace carga {

namespace {

std::string limpo(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return s;
}

std::vector<std::string> campos(const std::string& linha) {
    std::vector<std::string> out;
    std::string atual;
    for (char c : linha) {
        if (c == '\t') {
            out.push_back(atual);
            atual.clear();
        } else {
            atual += c;
        }
    }
    out.push_back(atual);
    return out;
}

}  // namespace

Diario::Diario(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) throw std::runtime_error("Cannot open the journal " + path);
}

Diario::~Diario() {
    if (fd_ >= 0) ::close(fd_);
}

void Diario::linha(const std::vector<std::string>& cs) {
    std::string l = std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::system_clock::now().time_since_epoch())
                                       .count());
    for (const std::string& c : cs) {
        l += '\t';
        l += limpo(c);
    }
    l += '\n';
    // One write per line: a line is in the file whole or not at all.
    if (::write(fd_, l.data(), l.size()) != static_cast<ssize_t>(l.size()))
        throw std::runtime_error("Cannot write the journal");
}

std::vector<Evento> leDiario(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string texto = ss.str();
    std::vector<Evento> out;
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        const std::size_t fim = texto.find('\n', inicio);
        if (fim == std::string::npos) break;  // cut by a kill
        std::vector<std::string> c = campos(texto.substr(inicio, fim - inicio));
        inicio = fim + 1;
        Evento e;
        e.ms = std::atoll(c[0].c_str());
        c.erase(c.begin());
        if (c.empty()) continue;
        e.tipo = c[0];
        auto at = [&c](std::size_t i) { return i < c.size() ? c[i] : std::string(); };
        if (e.tipo == "B") {
            e.seq = at(1);
            e.kind = at(2);
            e.alvo = at(3);
            e.valor = at(4);
        } else if (e.tipo == "OK") {
            e.seq = at(1);
            e.kind = at(2);
            e.alvo = at(3);
            e.micros = std::atoll(at(4).c_str());
            e.valor = at(5);
        } else if (e.tipo == "ERR") {
            e.seq = at(1);
            e.kind = at(2);
            e.alvo = at(3);
            e.micros = std::atoll(at(4).c_str());
            e.conexao = at(5) == "1";
            e.texto = at(6);
        } else {
            e.texto = at(1);
        }
        out.push_back(std::move(e));
    }
    return out;
}

}  // namespace carga
