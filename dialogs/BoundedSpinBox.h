#pragma once

#include <QSpinBox>

// A whole-number spin field that takes any number typed into it and pulls it to the nearest
// bound when the field loses focus, rather than refusing the keystroke. An emptied field becomes
// the minimum then, or, where emptiness is allowed, stays empty and stands for 0.
class TBoundedSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit TBoundedSpinBox(QWidget* parent = nullptr);

    using QAbstractSpinBox::lineEdit; // the editor, for a length limit and for tests

    void SetEmptyAllowed(bool allowed) { m_emptyAllowed = allowed; }
    bool EmptyAllowed() const { return m_emptyAllowed; }

    // What the field stands for now: its text pulled into range, or 0 when it is empty and
    // emptiness is allowed. Reads the text, so it holds before the field has lost focus too.
    int Number() const;

    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool IsEmpty() const;
    void KeepEmpty();

    bool m_emptyAllowed = false;
};
