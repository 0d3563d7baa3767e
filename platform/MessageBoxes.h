#pragma once

#include <QPoint>
#include <QString>

#include <optional>

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
};

// The real boxes: QMessageBox, modal on the calling thread.
class TQtMessageBoxes : public IMessageBoxes
{
public:
    explicit TQtMessageBoxes(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    void Show(const QString& title, const QString& text, TBoxIcon icon,
              std::optional<QPoint> topLeft = std::nullopt) override;

private:
    QWidget* m_parent;
};
