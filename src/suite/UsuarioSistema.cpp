#include "suite/UsuarioSistema.h"

#include <pwd.h>
#include <unistd.h>

namespace cp {

QString nomeUsuarioSistema() {
    QString nome;
    if (const char* login = ::getlogin(); login && *login) {
        nome = QString::fromLocal8Bit(login);
    } else if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) {
        nome = QString::fromLocal8Bit(pw->pw_name);
    }
    return nome.left(49);
}

}  // namespace cp
