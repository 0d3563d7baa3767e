// The X11 keyboard map, read with libxkbcommon from Qt's own X connection.
#include "KeyboardMap.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

#if defined(KEYRILL_HAVE_XKB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
// xkb.h names a member "explicit"; C++ cannot read that as it stands.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>
#endif

namespace {

class TNoKeyboardMap : public IKeyboardMap
{
public:
    std::vector<quint32> Symbols(quint32) override { return {}; }
};

#if defined(KEYRILL_HAVE_XKB) && QT_CONFIG(xcb)

struct TXkbContextFree
{
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct TXkbKeymapFree
{
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};

class TX11KeyboardMap : public IKeyboardMap, public QAbstractNativeEventFilter
{
public:
    explicit TX11KeyboardMap(xcb_connection_t* connection) : m_connection(connection)
    {
        if (const xcb_query_extension_reply_t* xkb =
                xcb_get_extension_data(m_connection, &xcb_xkb_id);
            xkb && xkb->present)
            m_xkbEventBase = xkb->first_event;
        EnableDetectableAutoRepeat();
        if (QCoreApplication* application = QCoreApplication::instance())
            application->installNativeEventFilter(this);
    }

    ~TX11KeyboardMap() override
    {
        if (QCoreApplication* application = QCoreApplication::instance())
            application->removeNativeEventFilter(this);
    }

    std::vector<quint32> Symbols(quint32 scanCode) override
    {
        if (!m_keymap)
            Load();
        std::vector<quint32> symbols;
        if (!m_keymap || scanCode < xkb_keymap_min_keycode(m_keymap.get()) ||
            scanCode > xkb_keymap_max_keycode(m_keymap.get()))
            return symbols;
        xkb_keymap* keymap = m_keymap.get();
        const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, scanCode);
        for (xkb_layout_index_t layout = 0; layout < layouts; ++layout) {
            const xkb_level_index_t levels =
                xkb_keymap_num_levels_for_key(keymap, scanCode, layout);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* syms = nullptr;
                const int count =
                    xkb_keymap_key_get_syms_by_level(keymap, scanCode, layout, level, &syms);
                symbols.insert(symbols.end(), syms, syms + count);
            }
        }
        // Linux layouts give F13 to F24 media symbols (F13 is XF86Tools): the key is still the
        // function key its name says.
        if (const char* name = xkb_keymap_key_get_name(keymap, scanCode);
            name && std::strncmp(name, "FK", 2) == 0) {
            if (const int n = std::atoi(name + 2); n >= 1 && n <= 24)
                symbols.push_back(XKB_KEY_F1 + xkb_keysym_t(n - 1));
        }
        return symbols;
    }

    bool RepeatsArePressesOnly() const override { return m_detectableAutoRepeat; }

    // A new layout (setxkbmap, a keyboard plugged in) makes the map read again at the next key.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const int type = event->response_type & 0x7F;
        if (type == XCB_MAPPING_NOTIFY)
            m_keymap.reset();
        else if (m_xkbEventBase != 0 && type == m_xkbEventBase) {
            // Every XKB event carries its own kind in the second byte.
            const auto kind =
                reinterpret_cast<const xcb_xkb_new_keyboard_notify_event_t*>(event)->xkbType;
            if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY)
                m_keymap.reset();
        }
        return false;
    }

private:
    void Load()
    {
        if (!xkb_x11_setup_xkb_extension(
                m_connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
            return;
        if (!m_context)
            m_context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
        const int32_t device = xkb_x11_get_core_keyboard_device_id(m_connection);
        if (!m_context || device < 0)
            return;
        m_keymap.reset(xkb_x11_keymap_new_from_device(m_context.get(), m_connection, device,
                                                      XKB_KEYMAP_COMPILE_NO_FLAGS));
    }

    // X11 auto-repeat comes as release/press pairs, which Qt tells from real releases only when
    // both have arrived by the time it reads the release: under load it often has not. With this
    // flag the server sends the repeats as presses alone.
    void EnableDetectableAutoRepeat()
    {
        if (m_xkbEventBase == 0)
            return;
        const auto flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        const xcb_xkb_per_client_flags_cookie_t cookie =
            xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
        xcb_xkb_per_client_flags_reply_t* reply =
            xcb_xkb_per_client_flags_reply(m_connection, cookie, nullptr);
        m_detectableAutoRepeat = reply && (reply->value & flag) != 0;
        free(reply);
    }

    xcb_connection_t* m_connection;
    int m_xkbEventBase = 0;
    bool m_detectableAutoRepeat = false;
    std::unique_ptr<xkb_context, TXkbContextFree> m_context;
    std::unique_ptr<xkb_keymap, TXkbKeymapFree> m_keymap;
};

#endif

} // namespace

std::unique_ptr<IKeyboardMap> MakeSystemKeyboardMap()
{
#if defined(KEYRILL_HAVE_XKB) && QT_CONFIG(xcb)
    if (const auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        x11 && x11->connection())
        return std::make_unique<TX11KeyboardMap>(x11->connection());
#endif
    return std::make_unique<TNoKeyboardMap>();
}
