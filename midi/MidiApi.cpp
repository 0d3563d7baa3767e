#include "MidiApi.h"

#include "KeyrillVersion.h"

#include <QString>

TMidiApiChoice ChooseMidiApi(const char* value)
{
    const QString text = QString::fromLocal8Bit(value ? value : "").trimmed().toLower();
    if (text.isEmpty())
        return {};
    for (const char* known : {"alsa", "jack"})
        if (text == QLatin1String(known))
            return {known, {}};
    return {{},
            std::string(KEYRILL_PRODUCT_NAME ": unknown MIDI system in ") + kMidiApiVariable +
                "=\"" + value + "\"; accepted values are \"alsa\" and \"jack\". Using the " +
                "default order (ALSA, then JACK)."};
}
