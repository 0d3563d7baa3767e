#include "widgets/ImageList.h"

#include <QFile>
#include <QIcon>
#include <QPainter>

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

} // namespace

TImageList::TImageList()
{
    EnsureResources();
    const QImage strip =
        QImage(QStringLiteral(":/keyrill/icons.png")).convertToFormat(QImage::Format_ARGB32);
    QFile namesFile(QStringLiteral(":/keyrill/icons.txt"));
    QStringList names;
    if (namesFile.open(QIODevice::ReadOnly | QIODevice::Text))
        names = QString::fromUtf8(namesFile.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    const int count = strip.isNull() ? 0 : strip.width() / kIconSize;
    m_icons.reserve(count);
    m_glyphs.reserve(count);
    m_names.reserve(count);
    for (int i = 0; i < count; ++i) {
        m_icons.push_back(strip.copy(i * kIconSize, 0, kIconSize, kIconSize));
        QImage glyph(kIconSize, kIconSize, QImage::Format_RGB32);
        glyph.fill(Qt::white);
        QPainter(&glyph).drawImage(0, 0, m_icons.back());
        m_glyphs.push_back(glyph);
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
    for (int size : {16, 32, 64, 256})
        icon.addFile(QStringLiteral(":/keyrill/keyrill-%1.png").arg(size), QSize(size, size));
    return icon;
}
