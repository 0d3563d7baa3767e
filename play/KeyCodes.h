#pragma once

#include <QString>
#include <Qt>

#include <optional>
#include <vector>

// Hot keys are named after virtual-key codes: "0"-"9" (main keyboard 0x30-0x39, keypad
// 0x60-0x69), "A"-"Z" (0x41-0x5A) and "F1"-"F24" (0x70-0x87). Every other code has no name.

// The virtual-key code of a Qt key event. Keys that can never be hot keys still get a code of
// their own, so that the repeat filter sees them as different keys.
quint16 VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// The hot-key name of a code, or an empty text when it has none.
QString HotKeyName(quint16 code);

// The code of a hot-key name ("0" to "9" give the main keyboard's), or none for a text that
// names no key (a lower-case letter among them).
std::optional<quint16> HotKeyCode(const QString& name);

// The virtual-key code of the key symbol a key gives in the present state (Shift, NumLock), as
// VirtualKeyCode gives it for a Qt key: the keypad's digits and operators have their own codes.
quint16 SymbolKeyCode(quint32 symbol);

// The virtual-key code of a physical key from the key symbols the keyboard map gives it (every
// level, in order): the first digit, letter or function key among them names it, whatever
// modifiers and layout level are in effect, so Shift+1 and the AZERTY "&/1" key are both "1". A
// keypad key, or a key whose symbols are unknown or hold no name, takes `inEffect`, the code of
// what it gives now (VirtualKeyCode of its Qt key, or SymbolKeyCode).
quint16 PhysicalKeyCode(const std::vector<quint32>& symbols, quint16 inEffect);
