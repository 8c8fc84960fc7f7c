// What an amount box lets through as it is typed: digits, the locale's
// thousands separator between groups of three ("1.234,56") and one decimal
// separator with no more decimals than the column keeps. Any other key
// (a letter, a second comma, a third decimal of a money column) is refused as
// it is pressed, so the box never holds what the record set would refuse for
// its characters; a text still being typed ("1.23" on its way to "1.234")
// passes and is judged when the box is left.
#pragma once

#include <QValidator>

namespace cp {

struct FieldDef;

class AmountValidator : public QValidator {
    Q_OBJECT
  public:
    // `scale`: the decimals the column keeps; `digits`: its digits in all
    // (fifteen for the suite's DECIMAL(15, n)).
    AmountValidator(int scale, int digits, QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;

    // The validator for an edit box of a column: amounts without an edit
    // mask get one, other columns none (nullptr).
    static AmountValidator* forField(const FieldDef& def, QObject* parent);

  private:
    int scale_;
    int integerDigits_;
};

}  // namespace cp
