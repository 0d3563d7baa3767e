#include "widgets/ImageList.h"

#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

// Resources of a static library must be registered by hand; outside any namespace.
static void InitKeyrillResources()
{
    Q_INIT_RESOURCE(keyrill_resources);
}

namespace {

void EnsureResources()
{
    static const bool done = [] {
        InitKeyrillResources();
        return true;
    }();
    (void)done;
}

// Our images are all PNG: reading them as such keeps Qt from loading every image-format
// plugin (and the libraries behind them) to probe the data, which costs the start-up time.
QImage ReadPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

TImageList::TImageList()
{
    EnsureResources();
    const QImage strip =
        ReadPng(QStringLiteral(":/keyrill/icons.png")).convertToFormat(QImage::Format_ARGB32);
    QFile namesFile(QStringLiteral(":/keyrill/icons.txt"));
    QStringList names;
    if (namesFile.open(QIODevice::ReadOnly | QIODevice::Text))
        names = QString::fromUtf8(namesFile.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    const int count = strip.isNull() ? 0 : strip.width() / kIconSize;
    // The glyphs are drawn onto white as one strip: one painter instead of one per icon.
    QImage glyphs(strip.size(), QImage::Format_RGB32);
    glyphs.fill(Qt::white);
    QPainter(&glyphs).drawImage(0, 0, strip);
    m_icons.reserve(count);
    m_glyphs.reserve(count);
    m_names.reserve(count);
    for (int i = 0; i < count; ++i) {
        m_icons.push_back(strip.copy(i * kIconSize, 0, kIconSize, kIconSize));
        m_glyphs.push_back(glyphs.copy(i * kIconSize, 0, kIconSize, kIconSize));
        m_names.push_back(i < names.size() ? names[i].trimmed() : QString::number(i));
    }
}

QImage TImageList::Icon(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_icons[std::size_t(index)];
}

QImage TImageList::Glyph(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_glyphs[std::size_t(index)];
}

QString TImageList::Name(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_names[std::size_t(index)];
}

QIcon KeyrillIcon()
{
    EnsureResources();
    QIcon icon;
    // Up to 64 pixels: the window system gets every size as raw pixels at start-up, and larger
    // icons come from the installed icon theme.
    for (int size : {16, 32, 64}) {
        const QString path = QStringLiteral(":/keyrill/keyrill-%1.png").arg(size);
        icon.addPixmap(QPixmap::fromImage(ReadPng(path)));
    }
    return icon;
}
