#include "BoundedSpinBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace {

bool AllDigits(const QString& text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

TBoundedSpinBox::TBoundedSpinBox(QWidget* parent) : QSpinBox(parent)
{}

int TBoundedSpinBox::Number() const
{
    QString text = cleanText();
    if (text.isEmpty() && m_emptyAllowed)
        return 0;
    fixup(text);
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? number : value();
}

QValidator::State TBoundedSpinBox::validate(QString& text, int&) const
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return QValidator::Intermediate;
    if (!AllDigits(digits))
        return QValidator::Invalid;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok && number >= minimum() && number <= maximum() ? QValidator::Acceptable
                                                            : QValidator::Intermediate;
}

void TBoundedSpinBox::fixup(QString& text) const
{
    const QString digits = text.trimmed();
    if (digits.isEmpty()) {
        text = m_emptyAllowed ? QString() : QString::number(minimum());
        return;
    }
    if (!AllDigits(digits))
        return;
    bool ok = false;
    const qlonglong number = digits.toLongLong(&ok);
    // A run of digits too long for a number is far above any bound.
    text = QString::number(ok ? std::clamp<qlonglong>(number, minimum(), maximum()) : maximum());
}

bool TBoundedSpinBox::IsEmpty() const
{
    return m_emptyAllowed && lineEdit()->text().isEmpty();
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
