#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

#include <future>
#include <vector>

// The icon set: 135 icons of 16 x 16 pixels in a fixed order. Settings files store the indices,
// so the order never changes once released.
class TImageList
{
public:
    static constexpr int kIconSize = 16;

    TImageList(); // starts loading the built-in icon set
    ~TImageList();
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;

    int Count() const;

    // The icon at `index` (with alpha), or a null image for an index outside 0..Count-1.
    QImage Icon(int index) const;

    // The icon as a button glyph: 16 x 16, white background, icon drawn over it. Null for an
    // index outside 0..Count-1.
    QImage Glyph(int index) const;

    // The icon's name from the icon list (for tooltips and the names file).
    QString Name(int index) const;

private:
    struct TImages
    {
        std::vector<QImage> Icons;
        std::vector<QImage> Glyphs; // made once: a face change hands out a shared copy
        std::vector<QString> Names;
    };
    static TImages LoadImages();
    const TImages& Images() const; // waits for the load the first time

    mutable std::future<TImages> m_loading;
    mutable TImages m_images;
};

// The program's own icon (window, tray, About box), in several sizes.
QIcon KeyrillIcon();
