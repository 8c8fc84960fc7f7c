#include "Opcoes.h"

#include <cstdlib>
#include <iostream>
#include <vector>

#include "suite/UsuarioSistema.h"

namespace mkdemo {

namespace {

[[noreturn]] void uso(const std::string& erro = {}) {
    if (!erro.empty()) std::cerr << "mkdemo: " << erro << "\n";
    std::cerr
        << "uso: mkdemo <pasta da suite> [--demo] [--station 01] [--user <usuario do sistema>]\n"
           "              [--force] [--sql <pasta dos scripts>] [--client <libfbclient>]\n"
           "  Cria <suite>/dados/brundelo.bd e <suite>/interfacXX/brundelo.bd, a area de\n"
           "  trabalho XX ligada ao usuario do sistema, o periodo do mes corrente e o\n"
           "  usuario DEMO. --demo preenche fornecedores, plano de contas, contas e parcelas.\n"
           "  --force apaga bancos que ja existam.\n";
    std::exit(erro.empty() ? 0 : 2);
}

}  // namespace

Opcoes leOpcoes(int argc, char** argv) {
    Opcoes o;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto proximo = [&]() -> std::string {
            if (i + 1 >= args.size()) uso(a + " precisa de um valor");
            return args[++i];
        };
        if (a == "--demo")
            o.demo = true;
        else if (a == "--force")
            o.force = true;
        else if (a == "--station")
            o.estacao = proximo();
        else if (a == "--user")
            o.usuario = proximo();
        else if (a == "--sql")
            o.sqlDir = proximo();
        else if (a == "--client")
            o.client = proximo();
        else if (a == "-h" || a == "--help")
            uso();
        else if (!a.empty() && a[0] == '-')
            uso("opcao desconhecida: " + a);
        else if (o.suite.empty())
            o.suite = a;
        else
            uso("argumento a mais: " + a);
    }
    if (o.suite.empty()) uso("falta a pasta da suite");
    if (o.estacao.size() != 2) uso("o codigo da estacao tem dois caracteres, como 01");
    if (o.usuario.empty()) o.usuario = cp::nomeUsuarioSistema().toStdString();
    return o;
}

}  // namespace mkdemo
