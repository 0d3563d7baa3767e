#pragma once

#include <QSpinBox>

// A whole-number spin field whose arrows stop at its bounds and which takes any number typed
// into it rather than refusing the keystroke: a number outside the range counts as the nearest
// bound, an empty field or a sign alone as the minimum, and the field shows what the text counts
// as once it loses focus. Where emptiness is allowed, an emptied field stays empty and stands
// for 0 instead.
class TBoundedSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit TBoundedSpinBox(QWidget* parent = nullptr);

    using QAbstractSpinBox::lineEdit; // the editor, for a length limit and for tests

    void SetEmptyAllowed(bool allowed) { m_emptyAllowed = allowed; }
    bool EmptyAllowed() const { return m_emptyAllowed; }

    // What the field stands for now. Reads the text, so it holds while the text is still being
    // typed, before the field has lost focus.
    int Number() const;

    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;

protected:
    int valueFromText(const QString& text) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int Interpret(const QString& text) const;
    bool IsEmpty() const;
    void KeepEmpty();

    bool m_emptyAllowed = false;
};
