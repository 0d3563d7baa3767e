#include "DeviceBox.h"

#include "DeviceSlot.h"
#include "Midi.h"

TDeviceBox DeviceBoxFor(const TMidiDevices* devices, const TDeviceSlot& slot)
{
    TDeviceBox box;
    const int count = devices ? int(devices->Devices().size()) : 0;
    if (devices) {
        for (const TMidiDevice& device : devices->Devices())
            box.Items.push_back(device.Name);
        box.Virtual = devices->VirtualIndex();
    }
    if (!slot.DeviceName.empty()) {
        box.Selected = devices ? devices->FindDevice(slot.DeviceName, slot.DeviceIndex) : -1;
        if (box.Selected < 0) {
            box.Absent = box.Selected = int(box.Items.size());
            box.Items.push_back(slot.DeviceName + " (not connected)");
        }
    } else if (slot.DeviceIndex == kStoredVirtualDevice) {
        box.Selected = box.Virtual;
    } else if (slot.DeviceIndex >= 0 && slot.DeviceIndex < count) {
        box.Selected = slot.DeviceIndex;
    }
    return box;
}

void ApplyDeviceChoice(const TMidiDevices* devices, const TDeviceBox& box, int position,
                       TDeviceSlot& slot)
{
    if (!devices || position < 0 || position >= int(box.Items.size()) || position == box.Absent)
        return;
    if (position == box.Virtual) {
        slot.DeviceIndex = devices->VirtualIndex();
        slot.DeviceName.clear();
        return;
    }
    const std::string& name = box.Items[std::size_t(position)];
    const int index = devices->FindDevice(name, position);
    // A device that went while the dialog was open keeps the position it had: the slot then
    // waits for it like any absent device.
    slot.DeviceIndex = index >= 0 ? index : position;
    slot.DeviceName = name;
}
