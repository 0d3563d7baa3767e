#pragma once

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QWidget;

enum class TBoxIcon { None, Error };

// Every message box the user sees goes through this seam, so tests can read a box's text and
// position without running a modal loop.
class IMessageBoxes
{
public:
    virtual ~IMessageBoxes() = default;

    // Shows a modal box with one "OK" button and returns when it is closed. With a position,
    // the box's top-left corner is put there (screen coordinates).
    virtual void Show(const QString& title, const QString& text, TBoxIcon icon,
                      std::optional<QPoint> topLeft = std::nullopt) = 0;
    // Shows a modal box with these buttons, the first one the default, and returns the position
    // of the one pressed; -1 when the box was closed without a choice (Escape, its close box).
    virtual int Ask(const QString& title, const QString& text, TBoxIcon icon,
                    const QStringList& buttons) = 0;
    // The modal file dialog that asks where to save a file; empty when the user cancelled.
    virtual QString AskSaveFileName(const QString& title, const QString& startPath,
                                    const QString& filter) = 0;
};

// The real boxes: QMessageBox, modal on the calling thread.
class TQtMessageBoxes : public IMessageBoxes
{
public:
    explicit TQtMessageBoxes(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    // Nobody is there to answer (a stop signal): the open box closes as by Escape, and every
    // later one returns at once unanswered, so a start-up in the middle of its boxes runs on.
    void DismissAll();
    void Show(const QString& title, const QString& text, TBoxIcon icon,
              std::optional<QPoint> topLeft = std::nullopt) override;
    int Ask(const QString& title, const QString& text, TBoxIcon icon,
            const QStringList& buttons) override;
    QString AskSaveFileName(const QString& title, const QString& startPath,
                            const QString& filter) override;

private:
    bool Run(QDialog& box);

    QWidget* m_parent;
    QPointer<QDialog> m_open;
    bool m_dismissed = false;
};
