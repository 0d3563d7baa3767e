#include "NamedColours.h"

#include "widgets/QtColour.h"

#include <QComboBox>
#include <QPainter>
#include <QPixmap>

int NamedColourIndex(TColor value)
{
    for (int i = 0; i < int(kNamedColours.size()); ++i)
        if (kNamedColours[i].Value == value)
            return i;
    return -1;
}

void FillColourList(QComboBox* list)
{
    const QSize swatchSize = list->iconSize();
    list->clear();
    for (const TNamedColour& colour : kNamedColours) {
        QPixmap swatch(swatchSize);
        swatch.fill(ToQColor(colour.Value));
        QPainter(&swatch).drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        list->addItem(QIcon(swatch), QString::fromLatin1(colour.Name));
    }
    list->setCurrentIndex(-1);
}

void SelectColour(QComboBox* list, TColor value)
{
    list->setCurrentIndex(NamedColourIndex(value));
}

TColor SelectedColour(const QComboBox* list, TColor keep)
{
    const int index = list->currentIndex();
    return index >= 0 && index < int(kNamedColours.size()) ? kNamedColours[index].Value : keep;
}
