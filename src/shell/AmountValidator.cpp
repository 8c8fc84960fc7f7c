#include "shell/AmountValidator.h"

#include <QLocale>

#include "data/Field.h"

namespace cp {

AmountValidator* AmountValidator::forField(const FieldDef& def, QObject* parent) {
    if (!def.editMask.empty()) return nullptr;
    // The suite's amounts are DECIMAL(15, 2) and DECIMAL(15, 8).
    if (def.type == FieldType::Money) return new AmountValidator(2, 15, parent);
    if (def.type == FieldType::Decimal8) return new AmountValidator(8, 15, parent);
    return nullptr;
}

AmountValidator::AmountValidator(int scale, int digits, QObject* parent)
    : QValidator(parent), scale_(scale), integerDigits_(digits - scale) {}

QValidator::State AmountValidator::validate(QString& input, int& pos) const {
    Q_UNUSED(pos);
    const QLocale locale;
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    const QString& text = input;
    if (text.isEmpty()) return Intermediate;

    qsizetype i = 0;
    if (text.at(0) == u'-' || text.at(0) == u'+') ++i;
    int inteiros = 0, decimais = 0;
    int noGrupo = 0;  // digits since the last thousands separator
    bool agrupado = false, virgula = false;
    bool completo = true;  // no group left short
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            if (virgula) {
                if (++decimais > scale_) return Invalid;
            } else {
                if (++inteiros > integerDigits_) return Invalid;
                if (++noGrupo > 3 && agrupado) return Invalid;
            }
        } else if (QString(c) == decimal) {
            if (virgula || scale_ == 0) return Invalid;  // a second decimal separator
            if (agrupado && noGrupo != 3) return Invalid;
            virgula = true;
        } else if (!group.isEmpty() && QString(c) == group) {
            if (virgula || noGrupo == 0 || noGrupo > 3) return Invalid;
            if (agrupado && noGrupo != 3) return Invalid;
            agrupado = true;
            noGrupo = 0;
        } else {
            return Invalid;  // letters and everything else
        }
    }
    if (agrupado && !virgula && noGrupo != 3) completo = false;
    if (inteiros == 0 && decimais == 0) return Intermediate;  // a sign or a separator alone
    return completo ? Acceptable : Intermediate;
}

}  // namespace cp
