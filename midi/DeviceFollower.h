#pragma once

#include "DeviceSlot.h"

#include <span>
#include <string>
#include <vector>

class TMidiDevices;

// Keeps device slots on their devices as the device list is taken anew: a slot with a name finds
// its device by the name, one known by its index alone gets the name its device had in the list
// it was last resolved on, and one on the virtual entry follows that entry to the end of the list.
// A slot whose named device is absent keeps the name and the index it was given.
class TDeviceFollower
{
public:
    // Whether `slot` names a device that `devices` does not hold now.
    static bool DeviceAbsent(const TDeviceSlot& slot, const TMidiDevices& devices);

    // Whether the slots were resolved on the list that `devices` holds now.
    bool Current(const TMidiDevices& devices) const;
    void Resolve(const TMidiDevices& devices, std::span<TDeviceSlot> slots);
    // Turns resolved slots into what the settings file stores: a slot on the virtual entry holds
    // kStoredVirtualDevice, a slot on a device of the list its name from now on.
    void ToStore(const TMidiDevices& devices, std::span<TDeviceSlot> slots) const;

private:
    static bool Untouched(const TDeviceSlot& slot);

    unsigned m_resolved = 0; // the list (TMidiDevices::Generation) the slots were resolved on
    int m_virtualIndex = -1; // the virtual entry's index in that list
    std::vector<std::string> m_lastNames; // and its real devices' names
};
