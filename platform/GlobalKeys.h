#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One key heard while another program may have the keyboard. A source that hears the keyboard
// itself (X11) gives the key's scan code and the symbol it gives now; a source that is told of
// shortcuts (the desktop portal) gives the hot-key name.
struct TGlobalKey
{
    bool Down = false;
    quint32 ScanCode = 0;
    quint32 Symbol = 0; // the keysym in effect, with ScanCode
    QString Name;
    // The key goes to one of this program's own windows as well: its own key events play it.
    bool ToOwnWindow = false;
    // Ctrl, Alt or Super was held at the key-down: a shortcut of the program that has the keyboard.
    bool Modified = false;
};

// A hot key to listen for, with what the desktop may show of it.
struct TGlobalHotKey
{
    QString Name;
    QString Description;
};

// Hot keys heard whichever program has the keyboard, without taking them from it. Listening
// starts only when asked for, so a program that never asks opens nothing. Tests hand in a double.
class IGlobalKeys : public QObject
{
    Q_OBJECT

public:
    // Why the keys cannot be heard here, in the user's words; empty when they can.
    virtual QString Unavailable() = 0;
    // Which programs' keys are heard, when not all: a note for the user; empty for all.
    virtual QString Reach() { return {}; }
    // Listens for these hot keys; none stops listening. Called again with every change.
    virtual void Listen(const QList<TGlobalHotKey>& keys) = 0;
    // True when every key's key-up is heard, whichever window it goes to.
    virtual bool HearsKeyUps() const { return false; }
    // The native id of the window the desktop's dialogs belong to (0 while it has none).
    virtual void SetWindow(std::function<quintptr()> window) { Q_UNUSED(window); }
    // True when the desktop hands this name's key to the program as a shortcut and keeps it from
    // the focused window: the program's own key events for it are then not played.
    virtual bool Takes(const QString& name) const
    {
        Q_UNUSED(name);
        return false;
    }

signals:
    void KeyHeard(const TGlobalKey& key);
    // Unavailable() or Reach() has a new answer.
    void AvailabilityChanged();
};

// The way the running desktop offers: the GlobalShortcuts portal in a Wayland session (where an
// X11 client never sees keys typed into other programs), XInput2 raw key events on X11, or none.
std::unique_ptr<IGlobalKeys> MakeSystemGlobalKeys();

// The X11 way on Qt's display; null when Qt is not on X11.
std::unique_ptr<IGlobalKeys> MakeX11GlobalKeys();
// The X11 way on DISPLAY's server beside a Wayland session, where none of the windows is ours;
// null without one.
std::unique_ptr<IGlobalKeys> MakeXWaylandGlobalKeys();

class QDBusConnection;
// The portal way on a given session bus (tests hand in a private one).
std::unique_ptr<IGlobalKeys> MakePortalGlobalKeys(const QDBusConnection& bus);
