// The default locale for the life of a test: Brazilian conventions (dates
// day/month/year, decimal comma) unless another is given, and whatever was in
// force before put back at the end, so that no test reads numbers in the
// locale that an earlier one left.
#pragma once

#include <QLocale>

namespace cp::test {

class LocaleGuard {
  public:
    explicit LocaleGuard(const QLocale& locale = QLocale(QLocale::Portuguese, QLocale::Brazil)) {
        QLocale::setDefault(locale);
    }
    ~LocaleGuard() { QLocale::setDefault(before_); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

    // Another locale until the guard ends.
    void set(const QLocale& locale) { QLocale::setDefault(locale); }

  private:
    const QLocale before_;  // read before the constructor's body sets the new one
};

}  // namespace cp::test
