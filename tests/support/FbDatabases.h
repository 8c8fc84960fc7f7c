// Embedded databases for tests: the shared client library and databases
// created from the repository's sql/ scripts. The pair of a suite directory
// (SuiteDatabases) is in SuiteDatabases.h, included at the end for the tests
// that include only this header.
#pragma once

#include <memory>
#include <string>

#include "fb/fb.h"

namespace cp::test {

// The system's default client library, loaded once per test program.
std::shared_ptr<fb::Client> fbClient();

// sysdba with the suite's password, no role, no character set.
fb::AttachParams testAttachParams();

// Full path of a script of the repository's sql/ folder ("shared.sql").
std::string sqlScriptPath(const std::string& name);

// Creates a new database at `databasePath` (an old file there is removed;
// missing folders are made), runs the sql/ script `scriptName` in it and
// returns the attachment. The path may be "host:path" for a server. The new
// database does not force its writes to disk (it is thrown away after tests).
fb::Attachment createDatabaseFromScript(const std::string& databasePath,
                                        const std::string& scriptName,
                                        const fb::AttachParams& params = testAttachParams());

// A detached database file made once per test program from the sql/ script;
// copy it to get a fresh database (never attach to the template itself).
std::string templateDatabase(const std::string& scriptName);

}  // namespace cp::test

#include "support/SuiteDatabases.h"  // IWYU pragma: export
