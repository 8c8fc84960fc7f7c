// What kind of failure a server error is, by the engine's codes: the record
// sets decide by it whether a change can ever be written and whether the
// connection must attach again, and the operator's texts are picked by it.
// The codes of each kind are written down once, in Failure.cpp's table.
#pragma once

#include <cstdint>
#include <exception>

namespace fb {

class Error;

enum class Failure {
    Other,              // anything else
    DuplicateKey,       // a primary or unique key already taken
    ForeignKey,         // the row refers to a missing one, or others refer to it
    Conflict,           // another transaction changed or holds the same row
    RowDeleted,         // the row was deleted by another transaction meanwhile
    ConnectionLost,     // the attachment is dead: server restarted, ended by an administrator,
                        // network
    ServerUnreachable,  // an attach that did not reach the server (down, wrong address, no answer)
    DatabaseCorrupt,    // the file is not a sound database
    FileError,          // the database file cannot be opened or read
};

// The engine code whose number is the transaction that held a row, in the
// status of a lock wait that ended without the row.
inline constexpr std::intptr_t kConcurrentTransaction = 335544878;

// The kind of a server error, by its engine codes (any code of its status,
// the first that the table knows) or, without codes, by its SQLCODE.
Failure classify(const Error& e);
// The same for any exception: Other for what is not a server error.
Failure classify(const std::exception& e);

// True for the kinds that leave an attachment dead (or none made): the
// connection must attach again before anything else can be done.
inline bool isConnectionLost(Failure f) {
    return f == Failure::ConnectionLost || f == Failure::ServerUnreachable;
}
bool isConnectionLost(const Error& e);

}  // namespace fb
