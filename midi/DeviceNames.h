#pragma once

#include <string>
#include <string_view>
#include <vector>

// How a stored device choice (a name, and the index it had) finds its device in the list of
// devices present now, `names` by index:
// - the devices of exactly that name; among several, the one at `storedIndex` if it is one of
//   them, else the first;
// - when none has it and the name ends in a sequencer address (" 20:0", which ALSA hands out
//   afresh when a device is plugged in), the devices whose names differ only in that address,
//   by the same rule.
// Returns the index, or -1 when no device has the name. An empty name finds nothing.
int FindDeviceByName(const std::vector<std::string>& names, std::string_view name, int storedIndex);
