#include "widgets/ImageList.h"

#include <QFile>
#include <QIcon>
#include <QImageReader>
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

// Decoding the strip and drawing the glyphs runs on a worker thread while the window is built
// (settings, buttons); the first question about an icon waits for it.
TImageList::TImages TImageList::LoadImages()
{
    TImages out;
    const QImage strip =
        ReadPng(QStringLiteral(":/keyrill/icons.png")).convertToFormat(QImage::Format_ARGB32);
    QFile namesFile(QStringLiteral(":/keyrill/icons.txt"));
    QStringList names;
    if (namesFile.open(QIODevice::ReadOnly | QIODevice::Text))
        names = QString::fromUtf8(namesFile.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    const int count = strip.isNull() ? 0 : strip.width() / kIconSize;
    // The glyphs are drawn onto white as one strip: one painter instead of one per icon.
    // Blended by hand, not by a painter: this runs on a worker thread, and a painter there reads
    // the application's font while the main thread may be setting it.
    const QImage source = strip.convertToFormat(QImage::Format_ARGB32);
    QImage glyphs(strip.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(glyphs.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int a = qAlpha(in[x]);
            const auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            out[x] = qRgb(over(qRed(in[x])), over(qGreen(in[x])), over(qBlue(in[x])));
        }
    }
    out.Icons.reserve(std::size_t(count));
    out.Glyphs.reserve(std::size_t(count));
    out.Names.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        out.Icons.push_back(strip.copy(i * kIconSize, 0, kIconSize, kIconSize));
        out.Glyphs.push_back(glyphs.copy(i * kIconSize, 0, kIconSize, kIconSize));
        out.Names.push_back(i < names.size() ? names[i].trimmed() : QString::number(i));
    }
    return out;
}

TImageList::TImageList()
{
    EnsureResources(); // on this thread, before the worker reads them
    // Without a thread to spare, the work is done at the first question instead.
    m_loading = std::async(std::launch::async | std::launch::deferred, &TImageList::LoadImages);
}

TImageList::~TImageList() = default;

const TImageList::TImages& TImageList::Images() const
{
    if (m_loading.valid())
        m_images = m_loading.get();
    return m_images;
}

int TImageList::Count() const
{
    return int(Images().Icons.size());
}

QImage TImageList::Icon(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return Images().Icons[std::size_t(index)];
}

QImage TImageList::Glyph(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return Images().Glyphs[std::size_t(index)];
}

QString TImageList::Name(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return Images().Names[std::size_t(index)];
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
