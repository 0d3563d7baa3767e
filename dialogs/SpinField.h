#pragma once

#include <QSpinBox>

// A whole-number field with arrows that stop at its bounds. Its value never leaves the range:
// typed text counts as the nearest bound when it is outside, and as the minimum when it is empty
// or not a number; the field shows the value it counts as once it loses the focus.
class TSpinField : public QSpinBox
{
    Q_OBJECT

public:
    explicit TSpinField(QWidget* parent = nullptr);

    // What the text in the field counts as right now, also while it is still being typed.
    int CurrentValue() const;

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;
    void fixup(QString& input) const override;

private:
    int Interpret(const QString& text) const;
};
