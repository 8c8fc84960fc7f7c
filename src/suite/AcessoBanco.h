// How the suite's programs attach to their databases: as the database
// administrator, with the suite's role, dialect 3, and the waits the suite
// allows a shared server.
#pragma once

#include "fb/fb.h"

namespace cp {

class Connection;

// The password of the database administrator the suite's programs attach as.
inline constexpr const char* kSenhaSysdba = "vostremal";

// How long an attach waits for the server to answer, in seconds.
inline constexpr int kTempoConexaoSegundos = 15;
// How long a statement waits on a row that another workstation holds before
// the change is reported as blocked (it stays pending), in seconds.
inline constexpr int kTempoBloqueioSegundos = 10;

// The attach settings of the suite's connections: sysdba with the password
// above, the role "RoleName", dialect 3 and the character set `charset`
// (empty: the server's default).
fb::AttachParams parametrosSuite(const char* charset);

// A connection of the suite: the attach settings above and the suite's
// waits (the program may set other waits afterwards).
void preparaConexaoSuite(Connection& conexao, const char* charset);

}  // namespace cp
