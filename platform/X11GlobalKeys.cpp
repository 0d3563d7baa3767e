// Global keys on X11: XInput2 raw key events of the whole display, on a connection of the
// program's own. Raw events are a copy for listeners, not a grab: the focused program still gets
// every key. The focus events of the program's own windows come on the same connection, in the
// server's order, so each key is placed in the window it went to when it was typed, however late
// it is read.
#include "GlobalKeys.h"

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <set>
#include <utility>

#if defined(KEYRILL_HAVE_XKB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#include <xcb/xinput.h>
// xkb.h names a member "explicit"; C++ cannot read that as it stands.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace {

struct TXcbDisconnect
{
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
struct TXkbContextFree
{
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct TXkbKeymapFree
{
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct TXkbStateFree
{
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};
struct TFree
{
    void operator()(void* reply) const { std::free(reply); }
};
template <class T> using TReply = std::unique_ptr<T, TFree>;

// Where the keys go: one of the program's own windows, another program's, or the window under
// the pointer (PointerRoot focus, as without a window manager).
enum class TFocus { Own, Other, Pointer };

// The raw key events of the display, and the keyboard state that tells what a key gives now
// (NumLock for the keypad) and which modifiers are held. The connection opens at the first
// question, so a program that never listens opens none.
class TX11GlobalKeys : public IGlobalKeys
{
public:
    // Without Qt's connection (Qt on Wayland, the keys of XWayland's programs) no window is ours.
    explicit TX11GlobalKeys(xcb_connection_t* qtConnection)
    {
        // Windows made on Qt's connection carry its resource base: the focus is ours when the
        // focused window has it.
        if (qtConnection) {
            const xcb_setup_t* setup = xcb_get_setup(qtConnection);
            m_ownBase = setup->resource_id_base;
            m_ownMask = setup->resource_id_mask;
        }
    }

    bool HearsKeyUps() const override { return m_listening; }

    QString Unavailable() override
    {
        Open();
        return m_unavailable;
    }

    void Listen(const QList<TGlobalHotKey>& keys) override
    {
        const bool listen = !keys.isEmpty();
        if (listen == m_listening || (listen && !Open()))
            return;
        struct
        {
            xcb_input_event_mask_t Head;
            uint32_t Mask;
        } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
               listen ? XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS |
                            XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE | kFocusMask
                      : 0u};
        xcb_input_xi_select_events(m_connection.get(), m_root, 1, &mask.Head);
        if (listen)
            FollowOwnWindows();
        xcb_flush(m_connection.get());
        m_listening = listen;
        if (!listen)
            ReleaseDown();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A window gets its focus events selected before it is shown, so that no focus change of
        // it goes unheard.
        if (m_connection && event->type() == QEvent::PlatformSurface && watched->isWindowType() &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceCreated) {
            SelectFocus(static_cast<QWindow*>(watched)->winId());
            xcb_flush(m_connection.get());
        }
        return IGlobalKeys::eventFilter(watched, event);
    }

private:
    bool Open()
    {
        if (m_opened)
            return m_connection != nullptr;
        m_opened = true;
        int screen = 0;
        // The display that DISPLAY names, as Qt's own.
        m_connection.reset(xcb_connect(nullptr, &screen));
        xcb_connection_t* c = m_connection.get();
        const xcb_query_extension_reply_t* xi =
            xcb_connection_has_error(c) ? nullptr : xcb_get_extension_data(c, &xcb_input_id);
        // Raw events come also while a client grabs the keyboard from XInput 2.1 on; a 2.0 server
        // still serves the keys typed without a grab.
        const TReply<xcb_input_xi_query_version_reply_t> version(
            xi && xi->present
                ? xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr)
                : nullptr);
        if (!version || version->major_version < 2) {
            m_unavailable = xi ? QStringLiteral("The X server lacks XInput 2, which global hot "
                                                "keys need to hear other programs' keys.")
                               : QStringLiteral("Keyrill cannot open a connection of its own to "
                                                "the X display.");
            m_connection.reset();
            return false;
        }
        m_xiOpcode = xi->major_opcode;
        xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (; screen > 0 && roots.rem > 1; --screen)
            xcb_screen_next(&roots);
        m_root = roots.data->root;
        FollowKeyboard();
        m_notifier =
            std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this,
                         [this] { ReadEvents(); });
        m_focus = FocusNow();
        // The keyboard's first XKB events may wait in the queue already, read by the map's replies.
        QTimer::singleShot(0, this, [this] { ReadEvents(); });
        return true;
    }

    // The keyboard's map and state, kept up to date by the XKB events of this connection.
    void FollowKeyboard()
    {
        xcb_connection_t* c = m_connection.get();
        if (!xkb_x11_setup_xkb_extension(
                c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &m_xkbEventBase, nullptr))
            return; // keys are still heard; only the keypad cannot follow NumLock
        m_context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
        m_device = xkb_x11_get_core_keyboard_device_id(c);
        constexpr uint16_t kEvents = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                                     XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                                     XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
        constexpr uint16_t kMapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                       XCB_XKB_MAP_PART_MODIFIER_MAP |
                                       XCB_XKB_MAP_PART_VIRTUAL_MODS;
        xcb_xkb_select_events_details_t details{};
        details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
        details.affectState = details.stateDetails =
            XCB_XKB_STATE_PART_MODIFIER_BASE | XCB_XKB_STATE_PART_MODIFIER_LATCH |
            XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_BASE |
            XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK;
        xcb_xkb_select_events_aux(c, XCB_XKB_ID_USE_CORE_KBD, kEvents, 0, 0, kMapParts, kMapParts,
                                  &details);
        LoadKeymap();
    }

    void LoadKeymap()
    {
        m_state.reset();
        m_keymap.reset(m_context && m_device >= 0
                           ? xkb_x11_keymap_new_from_device(m_context.get(), m_connection.get(),
                                                            m_device, XKB_KEYMAP_COMPILE_NO_FLAGS)
                           : nullptr);
        if (m_keymap)
            m_state.reset(
                xkb_x11_state_new_from_device(m_keymap.get(), m_connection.get(), m_device));
    }

    static constexpr uint32_t kFocusMask =
        XCB_INPUT_XI_EVENT_MASK_FOCUS_IN | XCB_INPUT_XI_EVENT_MASK_FOCUS_OUT;

    void SelectFocus(xcb_window_t window)
    {
        if (!m_connection || window == 0)
            return;
        struct
        {
            xcb_input_event_mask_t Head;
            uint32_t Mask;
        } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, kFocusMask};
        xcb_input_xi_select_events(m_connection.get(), window, 1, &mask.Head);
    }

    void FollowOwnWindows()
    {
        if (m_ownMask == 0 || m_following)
            return;
        m_following = true;
        qGuiApp->installEventFilter(this);
        for (QWindow* window : QGuiApplication::allWindows())
            if (window->handle())
                SelectFocus(window->winId());
        m_focus = FocusNow();
    }

    bool Own(xcb_window_t window) const
    {
        return m_ownMask != 0 && (window & ~m_ownMask) == m_ownBase;
    }

    void ReadEvents()
    {
        // A handler may run a modal box, whose loop reads on here: the keys typed meanwhile are
        // played in their turn, and this loop goes on with what is left.
        while (m_connection) {
            const TReply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection.get())};
            if (!event)
                break;
            Handle(*event);
        }
        if (m_connection && xcb_connection_has_error(m_connection.get())) {
            m_notifier.reset();
            m_connection.reset();
            m_listening = false;
            m_unavailable = QStringLiteral("The connection to the X display was lost.");
            ReleaseDown();
        }
    }

    void FocusChanged(const xcb_input_focus_in_event_t& focus)
    {
        const bool in = focus.event_type == XCB_INPUT_FOCUS_IN;
        // The virtual details tell of a window inside, whose own event comes too; NotifyPointer
        // of the pointer under PointerRoot focus, which is asked at the key.
        const uint8_t detail = focus.detail;
        if (detail == XCB_INPUT_NOTIFY_DETAIL_VIRTUAL ||
            detail == XCB_INPUT_NOTIFY_DETAIL_NONLINEAR_VIRTUAL ||
            detail == XCB_INPUT_NOTIFY_DETAIL_POINTER)
            return;
        if (focus.event == m_root) // PointerRoot or the root itself: the window under the pointer
            m_focus = in ? TFocus::Pointer : TFocus::Other; // a window's FocusIn may follow
        else if (Own(focus.event) && (in || detail != XCB_INPUT_NOTIFY_DETAIL_INFERIOR))
            m_focus = in ? TFocus::Own : TFocus::Other;
    }

    // Ctrl, Alt or Super held: the key is part of another program's shortcut.
    bool Modified() const
    {
        if (!m_state)
            return false;
        const auto held = xkb_state_component(XKB_STATE_MODS_DEPRESSED | XKB_STATE_MODS_LATCHED);
        for (const char* name : {XKB_MOD_NAME_CTRL, XKB_MOD_NAME_ALT, XKB_MOD_NAME_LOGO})
            if (xkb_state_mod_name_is_active(m_state.get(), name, held) > 0)
                return true;
        return false;
    }

    void Handle(const xcb_generic_event_t& event)
    {
        const int type = event.response_type & 0x7F;
        if (type == XCB_GE_GENERIC) {
            const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
            if (raw.extension != m_xiOpcode)
                return;
            if (raw.event_type == XCB_INPUT_FOCUS_IN || raw.event_type == XCB_INPUT_FOCUS_OUT)
                FocusChanged(reinterpret_cast<const xcb_input_focus_in_event_t&>(event));
            if (raw.event_type != XCB_INPUT_RAW_KEY_PRESS &&
                raw.event_type != XCB_INPUT_RAW_KEY_RELEASE)
                return;
            TGlobalKey key;
            key.Down = raw.event_type == XCB_INPUT_RAW_KEY_PRESS;
            key.ScanCode = raw.detail;
            key.Symbol = m_state ? xkb_state_key_get_one_sym(m_state.get(), raw.detail) : 0;
            key.ToOwnWindow =
                m_focus == TFocus::Own || (m_focus == TFocus::Pointer && PointerIsOverOwn());
            key.Modified = key.Down && Modified();
            if (key.Down)
                m_down.insert(key.ScanCode);
            else if (m_down.erase(key.ScanCode) == 0)
                return; // down before listening began
            emit KeyHeard(key);
        } else if (m_xkbEventBase != 0 && type == m_xkbEventBase) {
            const auto& xkb = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
            if (xkb.xkbType == XCB_XKB_STATE_NOTIFY && m_state)
                xkb_state_update_mask(m_state.get(), xkb.baseMods, xkb.latchedMods, xkb.lockedMods,
                                      xkb.baseGroup, xkb.latchedGroup, xkb.lockedGroup);
            else if (xkb.xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY ||
                     xkb.xkbType == XCB_XKB_MAP_NOTIFY)
                LoadKeymap();
        }
    }

    // Every key heard going down is heard coming up once, also when listening ends first.
    void ReleaseDown()
    {
        for (quint32 scanCode : std::exchange(m_down, {})) {
            TGlobalKey key;
            key.ScanCode = scanCode;
            emit KeyHeard(key);
        }
    }

    TFocus FocusNow() const
    {
        xcb_connection_t* c = m_connection.get();
        const TReply<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        if (!focus || focus->focus <= XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == m_root)
            return TFocus::Pointer;
        return Own(focus->focus) ? TFocus::Own : TFocus::Other;
    }

    // The keys go to the window under the pointer: ours when it or a window it lies in is ours
    // (a window manager's frame holds the program's window).
    bool PointerIsOverOwn() const
    {
        xcb_connection_t* c = m_connection.get();
        for (xcb_window_t window = m_root; window != XCB_NONE;) {
            if (Own(window))
                return true;
            const TReply<xcb_query_pointer_reply_t> pointer(
                xcb_query_pointer_reply(c, xcb_query_pointer(c, window), nullptr));
            window = pointer && pointer->same_screen ? pointer->child : XCB_NONE;
        }
        return false;
    }

    uint32_t m_ownBase = 0;
    uint32_t m_ownMask = 0;
    bool m_opened = false;
    bool m_listening = false;
    bool m_following = false;
    TFocus m_focus = TFocus::Other;
    QString m_unavailable;
    std::unique_ptr<xcb_connection_t, TXcbDisconnect> m_connection;
    xcb_window_t m_root = 0;
    uint8_t m_xiOpcode = 0;
    uint8_t m_xkbEventBase = 0;
    int32_t m_device = -1;
    std::unique_ptr<xkb_context, TXkbContextFree> m_context;
    std::unique_ptr<xkb_keymap, TXkbKeymapFree> m_keymap;
    std::unique_ptr<xkb_state, TXkbStateFree> m_state;
    std::set<quint32> m_down;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace

std::unique_ptr<IGlobalKeys> MakeX11GlobalKeys()
{
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    return std::make_unique<TX11GlobalKeys>(x11->connection());
}

std::unique_ptr<IGlobalKeys> MakeXWaylandGlobalKeys()
{
    if (std::unique_ptr<IGlobalKeys> x11 = MakeX11GlobalKeys())
        return x11;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    return std::make_unique<TX11GlobalKeys>(nullptr);
}

#else

std::unique_ptr<IGlobalKeys> MakeX11GlobalKeys()
{
    return nullptr;
}

std::unique_ptr<IGlobalKeys> MakeXWaylandGlobalKeys()
{
    return nullptr;
}

#endif
