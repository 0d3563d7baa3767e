#include "DeviceFollower.h"

#include "Midi.h"

bool TDeviceFollower::DeviceAbsent(const TDeviceSlot& slot, const TMidiDevices& devices)
{
    if (slot.DeviceName.empty())
        return false; // the index alone decides
    const std::vector<TMidiDevice>& list = devices.Devices();
    const int index = slot.DeviceIndex;
    return index < 0 || index >= int(list.size()) || list[std::size_t(index)].Virtual ||
           list[std::size_t(index)].Name != slot.DeviceName;
}

// A slot the user never set up (off, on the first device) is not pinned to whatever device
// happened to be first.
bool TDeviceFollower::Untouched(const TDeviceSlot& slot)
{
    return !slot.Active && slot.DeviceIndex == 0 && slot.DeviceName.empty();
}

bool TDeviceFollower::Current(const TMidiDevices& devices) const
{
    return m_resolved == devices.Generation();
}

void TDeviceFollower::Resolve(const TMidiDevices& devices, std::span<TDeviceSlot> slots)
{
    const int virtualIndex = devices.VirtualIndex();
    // The virtual entry ends the list, so its index moves with the real devices: a slot on it is
    // known by the index it had in the list the slots were last resolved on.
    const int lastVirtual = m_resolved != 0 ? m_virtualIndex : virtualIndex;
    for (TDeviceSlot& slot : slots) {
        if (slot.DeviceName.empty()) {
            if (slot.DeviceIndex == kStoredVirtualDevice ||
                (slot.DeviceIndex >= 0 && slot.DeviceIndex == lastVirtual)) {
                slot.DeviceIndex = virtualIndex >= 0 ? virtualIndex : kStoredVirtualDevice;
                continue;
            }
            // Known by its index alone until the list changes; then by the name its device had.
            if (Untouched(slot) || slot.DeviceIndex < 0 ||
                slot.DeviceIndex >= int(m_lastNames.size()))
                continue;
            slot.DeviceName = m_lastNames[std::size_t(slot.DeviceIndex)];
        }
        const int found = devices.FindDevice(slot.DeviceName, slot.DeviceIndex);
        if (found >= 0) {
            slot.DeviceIndex = found;
            slot.DeviceName = devices.Devices()[std::size_t(found)].Name;
        } // else absent: the name and the index stay as they were given
    }
    m_resolved = devices.Generation();
    m_virtualIndex = virtualIndex;
    m_lastNames.clear();
    for (const TMidiDevice& device : devices.Devices())
        if (!device.Virtual)
            m_lastNames.push_back(device.Name);
}

void TDeviceFollower::ToStore(const TMidiDevices& devices, std::span<TDeviceSlot> slots) const
{
    const int index = devices.VirtualIndex();
    for (TDeviceSlot& slot : slots) {
        if (!slot.DeviceName.empty() || Untouched(slot))
            continue;
        if (index >= 0 && slot.DeviceIndex == index)
            slot.DeviceIndex = kStoredVirtualDevice;
        else if (slot.DeviceIndex >= 0 && slot.DeviceIndex < int(m_lastNames.size()))
            slot.DeviceName = m_lastNames[std::size_t(slot.DeviceIndex)]; // from now on
    }
}
