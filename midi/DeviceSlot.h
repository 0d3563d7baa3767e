#pragma once

#include <cstdint>
#include <string>

// Which MIDI device a slot (an output, or the input) means and whether it is switched on. The
// device is known by its name as the device list shows it; the index follows the name whenever
// the list is taken. Without a name (an older settings file, the virtual port, no device) the
// index alone decides.
struct TDeviceSlot
{
    std::int32_t DeviceIndex = 0;
    bool Active = false;
    std::string DeviceName = {};

    friend bool operator==(const TDeviceSlot&, const TDeviceSlot&) = default;
};

// The input slot: which MIDI input device the feedback comes from, and whether it is listened to.
using TInput = TDeviceSlot;

// What the settings file stores for the virtual entry instead of its index: the entry is always
// the last one, so its index changes whenever the real devices do, and would then name a real
// device. Older versions read it as an index out of range.
inline constexpr std::int32_t kStoredVirtualDevice = -2;
