#include "BoundedSpinBox.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// A sign and digits: everything that could still become a whole number while it is typed.
const QRegularExpression& WholeNumberText()
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]*$"));
    return pattern;
}

} // namespace

TBoundedSpinBox::TBoundedSpinBox(QWidget* parent) : QSpinBox(parent)
{
    // An emptied field that stands for 0 still keeps a value in range: the minimum.
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int TBoundedSpinBox::Number() const
{
    const QString text = cleanText();
    if (text.isEmpty() && m_emptyAllowed)
        return 0;
    return Interpret(text);
}

int TBoundedSpinBox::Interpret(const QString& text) const
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

QValidator::State TBoundedSpinBox::validate(QString& text, int&) const
{
    const QString number = text.trimmed();
    if (!WholeNumberText().match(number).hasMatch())
        return QValidator::Invalid;
    bool ok = false;
    const qlonglong value = number.toLongLong(&ok);
    return ok && value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                          : QValidator::Intermediate;
}

int TBoundedSpinBox::valueFromText(const QString& text) const
{
    return Interpret(text);
}

void TBoundedSpinBox::fixup(QString& text) const
{
    if (m_emptyAllowed && text.trimmed().isEmpty())
        text.clear();
    else
        text = textFromValue(Interpret(text));
}

bool TBoundedSpinBox::IsEmpty() const
{
    return m_emptyAllowed && cleanText().isEmpty();
}

void TBoundedSpinBox::KeepEmpty()
{
    // The base class writes the last value back into the field; take it out again, quietly, as
    // the field was empty already when the user left it.
    const QSignalBlocker blocker(lineEdit());
    lineEdit()->clear();
}

void TBoundedSpinBox::focusOutEvent(QFocusEvent* event)
{
    const bool empty = IsEmpty();
    QSpinBox::focusOutEvent(event);
    if (empty)
        KeepEmpty();
}

void TBoundedSpinBox::showEvent(QShowEvent* event)
{
    const bool empty = IsEmpty();
    QSpinBox::showEvent(event);
    if (empty)
        KeepEmpty();
}
