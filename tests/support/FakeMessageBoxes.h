#pragma once

#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QEvent>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

// Records every box instead of showing it; an optional hook runs at the moment a box would be
// shown, so a test can look at the program's state then. Like a real modal box it blocks the
// program's windows meanwhile (they get WindowBlocked and WindowUnblocked).
class TFakeMessageBoxes : public IMessageBoxes
{
    // What a modal box does to the windows it blocks, for as long as it is open.
    struct TBlocked
    {
        TBlocked() { Send(QEvent::WindowBlocked); }
        ~TBlocked() { Send(QEvent::WindowUnblocked); }
        static void Send(QEvent::Type type)
        {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                QEvent event(type);
                QCoreApplication::sendEvent(window, &event);
            }
        }
    };

public:
    struct TBox
    {
        QString Title;
        QString Text;
        TBoxIcon Icon;
        std::optional<QPoint> TopLeft;
        QStringList Buttons; // those of a question
    };

    void Show(const QString& title, const QString& text, TBoxIcon icon,
              std::optional<QPoint> topLeft = std::nullopt) override
    {
        Boxes.push_back({title, text, icon, topLeft, {}});
        const TBlocked blocked;
        if (OnShow)
            OnShow(Boxes.back());
    }

    // Answers with the next of `Answers` (-1, no choice, once they run out).
    int Ask(const QString& title, const QString& text, TBoxIcon icon,
            const QStringList& buttons) override
    {
        Show(title, text, icon);
        Boxes.back().Buttons = buttons;
        return Answers.isEmpty() ? -1 : Answers.takeFirst();
    }

    // The file dialog answers with the next of `FileNames` (empty: cancelled).
    QString AskSaveFileName(const QString&, const QString&, const QString&) override
    {
        return FileNames.isEmpty() ? QString() : FileNames.takeFirst();
    }

    QStringList Texts() const
    {
        QStringList texts;
        for (const TBox& box : Boxes)
            texts << box.Text;
        return texts;
    }

    std::vector<TBox> Boxes;
    std::function<void(const TBox&)> OnShow;
    QList<int> Answers;
    QStringList FileNames;
};
