#pragma once

#include "platform/MessageBoxes.h"

#include <QStringList>

#include <functional>
#include <vector>

// Records every box instead of showing it; an optional hook runs at the moment a box would be
// shown, so a test can look at the program's state then.
class TFakeMessageBoxes : public IMessageBoxes
{
public:
    struct TBox
    {
        QString Title;
        QString Text;
        TBoxIcon Icon;
        std::optional<QPoint> TopLeft;
    };

    void Show(const QString& title, const QString& text, TBoxIcon icon,
              std::optional<QPoint> topLeft = std::nullopt) override
    {
        Boxes.push_back({title, text, icon, topLeft});
        if (OnShow)
            OnShow(Boxes.back());
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
};
