#pragma once

#include <string>
#include <vector>

class TMidiDevices;
struct TDeviceSlot;

// What a slot's device box offers: the device list, in index order, and the slot's device
// selected. A slot whose named device is absent gets one more item at the end, the name followed
// by " (not connected)", selected, so that applying keeps the assignment.
struct TDeviceBox
{
    std::vector<std::string> Items;
    int Selected = -1; // none: no devices, or a stored index the list does not hold
    int Absent = -1;   // the item of the absent device
    int Virtual = -1;  // the item of the virtual entry
};

// `devices` is null when the device list cannot be taken.
TDeviceBox DeviceBoxFor(const TMidiDevices* devices, const TDeviceSlot& slot);

// Writes the item at `position` of `box` into `slot`: a device by its name in the list of now
// (which may have changed since the box was filled), or the virtual entry. The absent device's
// item, and no item at all, leave the slot as it is.
void ApplyDeviceChoice(const TMidiDevices* devices, const TDeviceBox& box, int position,
                       TDeviceSlot& slot);
