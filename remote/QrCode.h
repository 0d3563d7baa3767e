#pragma once

#include <QImage>
#include <QString>

// The QR code of `text`, black on white with the quiet zone around it, each module `scale`
// pixels; a null image when the text does not fit in a code.
QImage QrCodeImage(const QString& text, int scale);
