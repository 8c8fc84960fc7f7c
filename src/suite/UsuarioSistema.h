// The name of the user logged on to the operating system: the one lookup the
// program (binding the user to a work area) and the demo tool (binding a work
// area to the user) share, so both agree on who the user is.
#pragma once

#include <QString>

namespace cp {

// The login name of the session (getlogin), else the name of the effective
// user; empty when the system knows neither. At most 49 characters, as the
// suite's programs read it.
QString nomeUsuarioSistema();

}  // namespace cp
