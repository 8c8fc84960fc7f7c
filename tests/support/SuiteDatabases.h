// The fresh pair of embedded databases of a temporary suite directory:
// dados/brundelo.bd (tables of sql/shared.sql) and interfacXX/brundelo.bd
// (tables of sql/workstation.sql), as the program finds them when no server
// address is set.
//
//   cp::test::TestEnvironment env;
//   cp::test::SuiteDatabases dbs(env.suiteDir());          // work area "01"
//   dbs.shared().execute("insert into FP (FORMAPAGTO, ORDEM) values (?, ?)",
//                        {std::string("DINHEIRO"), std::int64_t{1}});
//   // ... the code under test opens dbs.sharedPath() / dbs.workstationPath()
//
// The databases are copies of templates made once per test program from the
// sql/ scripts, so a fresh pair costs a few tens of milliseconds (the first
// one of a program about a second more). The attachments for seeding open at
// first use and stay open until release() or the end of the object; the
// embedded engine lets the code under test attach beside them.
#pragma once

#include <QString>
#include <string>

#include "support/FbDatabases.h"

namespace cp::test {

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
