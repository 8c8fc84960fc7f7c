// mkdemo's command line.
#pragma once

#include <filesystem>
#include <string>

namespace mkdemo {

struct Opcoes {
    std::filesystem::path suite;
    bool demo = false;
    bool force = false;
    std::string estacao = "01";
    std::string usuario;  // the operating-system user the work area is bound to
    std::filesystem::path sqlDir = CP_SQL_DIR;
    std::string client;  // client library; empty = the system's default
};

// Reads the arguments after the program's name. A wrong one prints the usage
// and ends the program with status 2; --help prints it and ends with 0.
Opcoes leOpcoes(int argc, char** argv);

}  // namespace mkdemo
