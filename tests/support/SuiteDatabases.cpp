#include "support/SuiteDatabases.h"

#include <filesystem>

namespace cp::test {

namespace {

void copyTemplate(const std::string& scriptName, const std::string& target) {
    std::filesystem::path p(target);
    std::filesystem::create_directories(p.parent_path());
    std::filesystem::copy_file(templateDatabase(scriptName), p,
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

SuiteDatabases::SuiteDatabases(const QString& suiteDir, const std::string& workArea) {
    std::string dir = suiteDir.toStdString();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    sharedPath_ = dir + "dados/brundelo.bd";
    workstationPath_ = dir + "interfac" + workArea + "/brundelo.bd";
    copyTemplate("shared.sql", sharedPath_);
    copyTemplate("workstation.sql", workstationPath_);
}

fb::Attachment& SuiteDatabases::shared() {
    if (!shared_.connected())
        shared_ = fb::Attachment::attach(fbClient(), sharedPath_, testAttachParams());
    return shared_;
}

fb::Attachment& SuiteDatabases::workstation() {
    if (!workstation_.connected())
        workstation_ = fb::Attachment::attach(fbClient(), workstationPath_, testAttachParams());
    return workstation_;
}

void SuiteDatabases::release() {
    shared_.detach();
    workstation_.detach();
}

}  // namespace cp::test
