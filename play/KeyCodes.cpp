#include "KeyCodes.h"

#include <algorithm>
#include <optional>

namespace {

struct TKeyMapping
{
    int QtKey;
    quint16 Code;
};

// Keys without a hot-key name, mapped to their usual virtual-key codes.
constexpr TKeyMapping kUnnamedKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},     {Qt::Key_Shift, 0x10},  {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},       {Qt::Key_Pause, 0x13},  {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B},    {Qt::Key_Space, 0x20},  {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},  {Qt::Key_End, 0x23},    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},     {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},      {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},
    {Qt::Key_Meta, 0x5B},      {Qt::Key_Menu, 0x5D},   {Qt::Key_NumLock, 0x90},
};

// The keypad's operator keys.
constexpr TKeyMapping kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},   {Qt::Key_Comma, 0x6C},
    {Qt::Key_Minus, 0x6D},    {Qt::Key_Period, 0x6E}, {Qt::Key_Slash, 0x6F},
};

// Any other key: a code above the named ranges, distinct per key as far as 16 bits allow.
constexpr quint16 kOtherKeys = 0x100;

} // namespace

quint16 VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return quint16((keypad ? 0x60 : 0x30) + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return quint16(0x41 + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return quint16(0x70 + (qtKey - Qt::Key_F1));
    if (keypad) {
        for (const TKeyMapping& m : kKeypadKeys)
            if (m.QtKey == qtKey)
                return m.Code;
    }
    for (const TKeyMapping& m : kUnnamedKeys)
        if (m.QtKey == qtKey)
            return m.Code;
    return quint16(kOtherKeys + (qtKey & 0x7FFF) % (0x10000 - kOtherKeys));
}

QString HotKeyName(quint16 code)
{
    if (code >= 0x30 && code <= 0x39)
        return QString(QChar('0' + (code - 0x30)));
    if (code >= 0x41 && code <= 0x5A)
        return QString(QChar('A' + (code - 0x41)));
    if (code >= 0x60 && code <= 0x69)
        return QString(QChar('0' + (code - 0x60)));
    if (code >= 0x70 && code <= 0x87)
        return QStringLiteral("F%1").arg(code - 0x70 + 1);
    return {};
}

namespace {

// X keysym values (the same in xkbcommon).
constexpr quint32 kSymKeypadFirst = 0xFF80; // KP_Space
constexpr quint32 kSymKeypadLast = 0xFFBD;  // KP_Equal
constexpr quint32 kSymKpMultiply = 0xFFAA;  // then Add, Separator, Subtract, Decimal, Divide
constexpr quint32 kSymKp0 = 0xFFB0;
constexpr quint32 kSymF1 = 0xFFBE;
constexpr quint32 kSymF24 = kSymF1 + 23;

bool IsKeypadSymbol(quint32 sym)
{
    return sym >= kSymKeypadFirst && sym <= kSymKeypadLast;
}

std::optional<quint16> NamedCode(quint32 sym)
{
    if (sym >= '0' && sym <= '9')
        return quint16(0x30 + (sym - '0'));
    if (sym >= 'A' && sym <= 'Z')
        return quint16(0x41 + (sym - 'A'));
    if (sym >= 'a' && sym <= 'z')
        return quint16(0x41 + (sym - 'a'));
    if (sym >= kSymF1 && sym <= kSymF24)
        return quint16(0x70 + (sym - kSymF1));
    return std::nullopt;
}

} // namespace

std::optional<quint16> HotKeyCode(const QString& name)
{
    const char16_t first = name.isEmpty() ? u'\0' : name.front().unicode();
    if (name.size() == 1 && first >= u'0' && first <= u'9')
        return quint16(0x30 + (first - u'0'));
    if (name.size() == 1 && first >= u'A' && first <= u'Z')
        return quint16(0x41 + (first - u'A'));
    bool number = false;
    const int n = first == u'F' ? QStringView(name).sliced(1).toInt(&number) : 0;
    // "F013" and "F+1" are not names: the text must be exactly what the code is named.
    if (number && n >= 1 && n <= 24 && name == HotKeyName(quint16(0x70 + n - 1)))
        return quint16(0x70 + n - 1);
    return std::nullopt;
}

quint16 SymbolKeyCode(quint32 symbol)
{
    if (symbol >= kSymKp0 && symbol <= kSymKp0 + 9)
        return quint16(0x60 + (symbol - kSymKp0));
    if (symbol >= kSymKpMultiply && symbol < kSymKp0)
        return quint16(0x6A + (symbol - kSymKpMultiply));
    if (const auto code = NamedCode(symbol))
        return *code;
    return quint16(kOtherKeys + symbol % (0x10000 - kOtherKeys));
}

quint16 PhysicalKeyCode(const std::vector<quint32>& symbols, quint16 inEffect)
{
    // Keypad digits follow NumLock, as the key in effect already tells.
    if (std::any_of(symbols.begin(), symbols.end(), IsKeypadSymbol))
        return inEffect;
    for (quint32 sym : symbols)
        if (const auto code = NamedCode(sym))
            return *code;
    return inEffect;
}
