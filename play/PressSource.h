#pragma once

#include <QtGlobal>

// Who holds a press: the mouse, one finger, a key, and so on. Each source gets exactly one
// release for each press that went out, and all it holds is released when it is lost.
enum class TSourceKind : quint8 { Mouse, FocusKey, Accessibility, Key, Shortcut, Touch, Remote };

struct TPressSource
{
    TSourceKind Kind = TSourceKind::Mouse;
    quint16 Client = 0; // the remote client, 0 for the window's own sources
    quint32 Id = 0;     // the key or the touch point

    static constexpr TPressSource Mouse() { return {TSourceKind::Mouse, 0, 0}; }
    // Space or Enter on the button that has the keyboard focus.
    static constexpr TPressSource FocusKey() { return {TSourceKind::FocusKey, 0, 0}; }
    static constexpr TPressSource Accessibility() { return {TSourceKind::Accessibility, 0, 0}; }
    // A key by its native scan code, or by its key code where the platform reports none; the
    // window's key events and the desktop-wide ones of one key are the same source.
    static constexpr TPressSource Key(quint32 scanCode, quint16 keyCode)
    {
        return {TSourceKind::Key, 0, scanCode != 0 ? scanCode : kByCode | keyCode};
    }
    // A shortcut that the desktop reports by its hot-key name.
    static constexpr TPressSource Shortcut(quint16 keyCode)
    {
        return {TSourceKind::Shortcut, 0, keyCode};
    }
    static constexpr TPressSource Touch(int pointId)
    {
        return {TSourceKind::Touch, 0, quint32(pointId)};
    }
    static constexpr TPressSource Remote(quint16 client, quint32 touchId)
    {
        return {TSourceKind::Remote, client, touchId};
    }

    // A pointer holds one button at a time: its next press ends a hold whose release was lost.
    bool HoldsOneButton() const
    {
        return Kind == TSourceKind::Mouse || Kind == TSourceKind::FocusKey ||
               Kind == TSourceKind::Accessibility;
    }
    bool IsKey() const { return Kind == TSourceKind::Key || Kind == TSourceKind::Shortcut; }
    // A key known by its scan code, whose key-up the desktop can report wherever it goes.
    bool IsScanCode() const { return Kind == TSourceKind::Key && (Id & kByCode) == 0; }
    friend constexpr bool operator==(TPressSource, TPressSource) = default;

private:
    static constexpr quint32 kByCode = 0x80000000u;
};
