// Fresh embedded databases for tests: the shared client library, databases
// created from the repository's sql/ scripts, and the pair of databases of a
// suite directory (dados/brundelo.bd and interfacXX/brundelo.bd).
//
//   cp::test::TestEnvironment env;
//   cp::test::SuiteDatabases dbs(env.suiteDir());          // work area "01"
//   dbs.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values (?, ?)",
//                        {std::string("DINHEIRO"), std::int64_t{1}});
//   // ... the code under test opens dbs.sharedPath() / dbs.workstationPath()
//
// The databases are copies of templates made once per test program from the
// sql/ scripts, so a fresh pair costs a few milliseconds. The attachments for
// seeding open at first use and stay open until release() or the end of the
// object; the embedded engine lets the code under test attach beside them.
#pragma once

#include <QString>
#include <memory>
#include <string>

#include "data/fb/fb.h"

namespace cp::test {

// The system's default client library, loaded once per test program.
std::shared_ptr<fb::Client> fbClient();

// sysdba with the suite's password, no role, no character set.
fb::AttachParams testAttachParams();

// Full path of a script of the repository's sql/ folder ("shared.sql").
std::string sqlScriptPath(const std::string& name);

// Runs every statement of a script file, each committed on its own.
void runScriptFile(fb::Attachment& attachment, const std::string& scriptPath);

// Creates a new database at `databasePath` (an old file there is removed;
// missing folders are made), runs the sql/ script `scriptName` in it and
// returns the attachment. The path may be "host:path" for a server. The new
// database does not force its writes to disk (it is thrown away after tests).
fb::Attachment createDatabaseFromScript(const std::string& databasePath,
                                        const std::string& scriptName,
                                        const fb::AttachParams& params = testAttachParams());

class SuiteDatabases {
  public:
    // Makes fresh <suiteDir>/dados/brundelo.bd (tables of shared.sql) and
    // <suiteDir>/interfac<workArea>/brundelo.bd (tables of workstation.sql),
    // replacing files already there.
    explicit SuiteDatabases(const QString& suiteDir, const std::string& workArea = "01");

    const std::string& sharedPath() const { return sharedPath_; }
    const std::string& workstationPath() const { return workstationPath_; }

    // Attachments for seeding and checking rows (reattached after release()).
    fb::Attachment& shared();
    fb::Attachment& workstation();
    // Detaches both seeding attachments.
    void release();

  private:
    std::string sharedPath_;
    std::string workstationPath_;
    fb::Attachment shared_;
    fb::Attachment workstation_;
};

}  // namespace cp::test
