#include "FontList.h"

#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

QStringList ListedFontNames(const QStringList& families)
{
    QStringList names;
    for (const QString& family : families)
        if (family.compare(QLatin1String("Default"), Qt::CaseInsensitive) != 0 &&
            !family.startsWith(QLatin1Char('@')))
            names << family;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    names.removeDuplicates();
    return names;
}

TFontKind FontKind(const QString& family)
{
    if (!QFontDatabase::isSmoothlyScalable(family))
        return TFontKind::Bitmap;
    return QFontDatabase::isFixedPitch(family) ? TFontKind::FixedPitch : TFontKind::Outline;
}

QIcon FontKindMark(TFontKind kind)
{
    static const struct
    {
        const char* Letter;
        QColor Colour;
    } kMarks[] = {{"O", QColor(0x1F, 0x5F, 0xBF)},  // outline
                  {"M", QColor(0x1F, 0x8F, 0x6F)},  // fixed pitch (monospaced)
                  {"B", QColor(0x70, 0x70, 0x70)}}; // bitmap
    const auto& mark = kMarks[int(kind)];
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(mark.Colour);
    painter.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QLatin1String(mark.Letter));
    return QIcon(pixmap);
}

void FillFontList(QComboBox* list)
{
    const QIcon marks[] = {FontKindMark(TFontKind::Outline), FontKindMark(TFontKind::FixedPitch),
                           FontKindMark(TFontKind::Bitmap)};
    list->clear();
    for (const QString& name : ListedFontNames(QFontDatabase::families())) {
        list->addItem(marks[int(FontKind(name))], name);
        QFont font(name);
        font.setPointSize(12);
        list->setItemData(list->count() - 1, font, Qt::FontRole);
    }
    list->setCurrentIndex(-1);
}

void SelectFont(QComboBox* list, const QString& name)
{
    if (name.isEmpty()) {
        list->setCurrentIndex(-1);
        return;
    }
    int index = list->findText(name, Qt::MatchFixedString);
    if (index < 0) {
        // Not installed here: listed anyway, so the stored name survives an Apply.
        list->addItem(name);
        index = list->count() - 1;
    }
    list->setCurrentIndex(index);
}

QString SelectedFont(const QComboBox* list)
{
    return list->currentIndex() >= 0 ? list->currentText() : QString();
}
