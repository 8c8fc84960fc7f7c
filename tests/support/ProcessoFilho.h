// A program of the tests started as a process of its own, with the test's
// environment and some variables more; one still running when the object
// goes is killed.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace cp::test {

struct ProcessoFilho {
    pid_t pid = -1;
    int status = 0;
    bool terminou = false;

    // Starts `programa` with no arguments; `variaveis` ("NOME=valor") come
    // after the test's own environment. False when it could not start.
    bool inicia(const std::string& programa, const std::vector<std::string>& variaveis) {
        std::vector<std::string> envs;
        for (char** e = environ; *e; ++e) envs.emplace_back(*e);
        envs.insert(envs.end(), variaveis.begin(), variaveis.end());
        std::vector<char*> envp;
        for (auto& e : envs) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string nome = programa;
        std::vector<char*> argv{nome.data(), nullptr};
        return ::posix_spawn(&pid, programa.c_str(), nullptr, nullptr, argv.data(), envp.data()) ==
               0;
    }

    // Waits up to `prazo` for the end.
    bool espera(std::chrono::milliseconds prazo) {
        const auto limite = std::chrono::steady_clock::now() + prazo;
        while (!terminou) {
            terminou = ::waitpid(pid, &status, WNOHANG) == pid;
            if (terminou || std::chrono::steady_clock::now() >= limite) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return terminou;
    }

    // Ended by returning from main with code 0.
    bool terminouEmOrdem() const {
        return terminou && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    ~ProcessoFilho() {
        if (pid > 0 && !terminou) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
    }
};

}  // namespace cp::test
