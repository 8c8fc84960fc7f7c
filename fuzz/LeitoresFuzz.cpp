// One input through the readers of the files that other programs and the
// operators write into the suite directory and beside the program: the
// settings file and the session files. Whatever the bytes, the readers must
// return (or throw their own error) with every value within its width, and a
// last activity of another day must never be within the idle limit.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "logic/Configuracoes.h"
#include "logic/Sessao.h"

namespace {

void confere(bool ok) {
    if (!ok) __builtin_trap();
}

bool semQuebra(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }

void leConfiguracoes(std::string_view bytes, std::int32_t& minutos) {
    cp::EstadoSessao sessao;
    cp::Configuracoes config;
    std::istringstream entrada{std::string(bytes)};
    try {
        cp::LeLinhasConfiguracoes(entrada, sessao, config);
    } catch (const cp::ErroConfiguracoes& e) {
        confere(e.linha() >= 0 && e.what()[0] != '\0');
    }
    for (std::size_t i = 0; i < config.valores.size(); ++i) {
        confere(config.valores[i].size() <= cp::Configuracoes::capacidade(i));
        confere(config.valores[i].find('\n') == std::string::npos);
    }
    confere(sessao.IPServidorCentral.size() <= 30 && sessao.TempoLogoff.size() <= 30);
    minutos = cp::MinutosDeLogoff(sessao.TempoLogoff.str());
}

void leSessao(std::string_view bytes, std::int32_t minutos) {
    const std::vector<std::size_t> larguras = {60, 60, 20, 20};
    const std::vector<std::string> logon = cp::separaLinhas(bytes, larguras);
    confere(logon.size() == larguras.size());
    for (std::size_t i = 0; i < logon.size(); ++i)
        confere(logon[i].size() <= larguras[i] && semQuebra(logon[i]));

    const QDate hoje(2024, 3, 15);
    const QDateTime agora(hoje, QTime(0, 3, 0));
    const auto data = cp::leData(logon[2], hoje);
    const auto hora = cp::leHora(logon[3]);
    if (data) confere(data->isValid());
    if (hora) confere(hora->isValid());
    if (data && hora) {
        const bool dentro = cp::dentroDoLimite(QDateTime(*data, *hora), agora, minutos);
        if (*data != hoje) confere(!dentro);
    }
    std::optional<char> c;
    if (!logon[1].empty()) c = logon[1].front();
    cp::acessoConfere(logon[0], 7, 8, c);

    const std::vector<std::string> ultAtiv = cp::separaLinhas(bytes, {20, 20});
    confere(ultAtiv.size() == 2 && ultAtiv[0].size() <= 20 && ultAtiv[1].size() <= 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::int32_t minutos = 5;
    leConfiguracoes(bytes, minutos);
    leSessao(bytes, minutos);
    return 0;
}
