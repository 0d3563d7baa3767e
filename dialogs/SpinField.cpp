#include "SpinField.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// A sign and digits: everything that could still become a whole number while it is typed.
const QRegularExpression& WholeNumberText()
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]*$"));
    return pattern;
}

} // namespace

TSpinField::TSpinField(QWidget* parent) : QSpinBox(parent)
{
    setWrapping(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int TSpinField::CurrentValue() const
{
    return Interpret(cleanText());
}

int TSpinField::Interpret(const QString& text) const
{
    const QString number = text.trimmed();
    bool ok = false;
    const qlonglong value = number.toLongLong(&ok);
    if (ok)
        return int(std::clamp<qlonglong>(value, minimum(), maximum()));
    // Too many digits for any integer is still a number far beyond one of the bounds.
    const bool digits =
        !number.isEmpty() && WholeNumberText().match(number).hasMatch() && number.back().isDigit();
    if (digits)
        return number.startsWith(QLatin1Char('-')) ? minimum() : maximum();
    return minimum();
}

QValidator::State TSpinField::validate(QString& text, int&) const
{
    const QString number = text.trimmed();
    if (!WholeNumberText().match(number).hasMatch())
        return QValidator::Invalid;
    bool ok = false;
    const qlonglong value = number.toLongLong(&ok);
    return ok && value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                          : QValidator::Intermediate;
}

int TSpinField::valueFromText(const QString& text) const
{
    return Interpret(text);
}

void TSpinField::fixup(QString& input) const
{
    input = textFromValue(Interpret(input));
}
