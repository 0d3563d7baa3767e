#pragma once

#include "platform/KeyboardMap.h"

#include <map>
#include <utility>

// A keyboard map for tests: the symbols of each scan code, as the test lays them out.
//
//   TFakeKeyboardMap map({{10, {XK_1, XK_exclam}}});   // the US "1/!" key
class TFakeKeyboardMap : public IKeyboardMap
{
public:
    explicit TFakeKeyboardMap(std::map<quint32, std::vector<quint32>> keys = {})
        : Keys(std::move(keys))
    {}

    std::vector<quint32> Symbols(quint32 scanCode) override
    {
        const auto key = Keys.find(scanCode);
        return key == Keys.end() ? std::vector<quint32>{} : key->second;
    }

    bool RepeatsArePressesOnly() const override { return PressesOnly; }

    std::map<quint32, std::vector<quint32>> Keys;
    bool PressesOnly = false; // as X11 with detectable auto-repeat
};

// Keysyms and X key codes of a pc105 keyboard, for the maps above.
namespace TestKeys {
constexpr quint32 kSymShiftL = 0xFFE1;
constexpr quint32 kSymKpEnd = 0xFF9C;
constexpr quint32 kSymKp1 = 0xFFB1;
constexpr quint32 kSymF1 = 0xFFBE;
constexpr quint32 kSymF12 = 0xFFC9;
constexpr quint32 kScan1 = 10; // the main keyboard's "1" key
constexpr quint32 kScanQ = 24; // "Q" on QWERTY, "A" on AZERTY
constexpr quint32 kScanA = 38; // "A" on QWERTY, "Q" on AZERTY
constexpr quint32 kScanShiftL = 50;
constexpr quint32 kScanKp1 = 87;
constexpr quint32 kScanF1 = 67;
constexpr quint32 kScanF12 = 96;
} // namespace TestKeys
