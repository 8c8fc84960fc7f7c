#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cp::test {

TestEnvironment::TestEnvironment()
    : suiteDir_(dir_.path() + QLatin1Char('/')), now_(QDate(2024, 3, 15), QTime(10, 0, 0)) {}

void TestEnvironment::showMessage(const QString& text) {
    messages << text;
    if (onMessage) onMessage(text);
}

bool TestEnvironment::ask(const QString& text) {
    messages << text;
    return answer ? answer(text) : false;
}

void TestEnvironment::writeSuiteFile(const QString& name, const QByteArray& bytes) const {
    const QString path = suiteDir_ + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    f.write(bytes);
}

bool TestEnvironment::suiteFileExists(const QString& name) const {
    return QFileInfo::exists(suiteDir_ + name);
}

}  // namespace cp::test
