#include "fb/Failure.h"

#include <array>
#include <cstdint>
#include <utility>

#include "fb/fb.h"

namespace fb {
namespace {

struct Code {
    std::intptr_t gdscode;
    Failure kind;
};

// The engine's codes of each kind, as Firebird 3 gives them. A lock that
// outlasts the wait comes as deadlock / update conflict / concurrent
// transaction number, the same as a change that another transaction
// committed meanwhile; a restarted server as a failed read or write on the
// connection; an attachment ended by the administrator as a connection
// shutdown; a server that does not answer within the connect time-out as a
// rejected connection.
constexpr std::array<Code, 27> kCodes = {{
    {335544665, Failure::DuplicateKey},       // violation of PRIMARY or UNIQUE KEY constraint
    {335544349, Failure::DuplicateKey},       // attempt to store duplicate value in unique index
    {335544466, Failure::ForeignKey},         // violation of FOREIGN KEY constraint
    {335544838, Failure::ForeignKey},         // foreign key target does not exist
    {335544839, Failure::ForeignKey},         // foreign key references are present
    {335544336, Failure::Conflict},           // deadlock
    {335544345, Failure::Conflict},           // lock conflict on no wait transaction
    {335544451, Failure::Conflict},           // update conflicts with concurrent update
    {335544510, Failure::Conflict},           // lock time-out on wait transaction
    {335544878, Failure::Conflict},           // concurrent transaction number is N
    {335544726, Failure::ConnectionLost},     // error reading data from the connection
    {335544727, Failure::ConnectionLost},     // error writing data to the connection
    {335544741, Failure::ConnectionLost},     // connection lost to database
    {335544856, Failure::ConnectionLost},     // connection shutdown
    {335544528, Failure::ConnectionLost},     // database shutdown
    {335544506, Failure::ConnectionLost},     // database shutdown in progress
    {335544648, Failure::ConnectionLost},     // connection lost to pipe server
    {335544721, Failure::ServerUnreachable},  // unable to complete network request to host
    {335544722, Failure::ServerUnreachable},  // failed to establish a connection
    {335544723, Failure::ServerUnreachable},  // error while listening for an incoming connection
    {335544704, Failure::ServerUnreachable},  // failed to locate host machine
    {335544421, Failure::ServerUnreachable},  // connection rejected by remote interface
    {335545106, Failure::ServerUnreachable},  // error during login (a server still starting)
    {335544335, Failure::DatabaseCorrupt},    // database file appears corrupt
    {335544323, Failure::DatabaseCorrupt},    // file is not a valid database
    {335544344, Failure::FileError},          // I/O error during operation for file
    {335544375, Failure::FileError},          // unavailable database
}};

// Errors that came without the engine's code, by their SQLCODE.
constexpr std::array<std::pair<int, Failure>, 3> kBySqlcode = {{
    {-803, Failure::DuplicateKey},
    {-530, Failure::ForeignKey},
    {-913, Failure::Conflict},
}};

Failure byCode(std::intptr_t code) {
    for (const Code& c : kCodes)
        if (c.gdscode == code) return c.kind;
    return Failure::Other;
}

}  // namespace

Failure classify(const Error& e) {
    for (const StatusCode& s : e.status())
        if (Failure f = byCode(s.code); f != Failure::Other) return f;
    if (e.gdscode() == 0)
        for (const auto& [sqlcode, f] : kBySqlcode)
            if (sqlcode == e.sqlcode()) return f;
    return Failure::Other;
}

Failure classify(const std::exception& e) {
    const auto* error = dynamic_cast<const Error*>(&e);
    return error ? classify(*error) : Failure::Other;
}

bool isConnectionLost(const Error& e) { return isConnectionLost(classify(e)); }

}  // namespace fb
