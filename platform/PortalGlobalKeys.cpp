// Global keys in a Wayland session: the desktop portal's GlobalShortcuts, one shortcut per
// hot-key name (and one more for a digit's keypad key) in a session of their own. The desktop
// asks the user to approve them, may give them other keys, and tells of each press (Activated)
// and release (Deactivated).
#include "GlobalKeys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include <map>
#include <set>
#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

using TShortcutList = QList<QPair<QString, QVariantMap>>;

// A digit's keypad key is bound as a shortcut of its own, named so.
const QString kKeypad = QStringLiteral("KP_");

QString HotKeyOf(const QString& id)
{
    return id.startsWith(kKeypad) ? id.mid(kKeypad.size()) : id;
}

// The shortcut notation names keys by their key symbols: letters in lower case.
QString TriggerOf(const QString& id)
{
    return id.size() == 1 ? id.toLower() : id;
}

QString PathOf(const QVariant& value)
{
    return value.userType() == qMetaTypeId<QDBusObjectPath>()
               ? value.value<QDBusObjectPath>().path()
               : value.toString();
}

// The binding of the hot keys in use, renewed in a new session whenever they change (a session
// binds its shortcuts once), with at most one portal request in flight.
class TPortalGlobalKeys : public IGlobalKeys
{
    Q_OBJECT

public:
    explicit TPortalGlobalKeys(const QDBusConnection& bus)
        : m_bus(bus), m_portal(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange)
    {
        qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
        qDBusRegisterMetaType<TShortcutList>();
        m_bus.connect(kService, kPath, kShortcuts, QStringLiteral("Activated"), this,
                      SLOT(Activated(QDBusMessage)));
        m_bus.connect(kService, kPath, kShortcuts, QStringLiteral("Deactivated"), this,
                      SLOT(Deactivated(QDBusMessage)));
        connect(&m_portal, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
            // The desktop's portal has gone: what it held is let go, and its successor binds the
            // hot keys anew.
            Follow({});
            m_session.clear();
            m_bound.clear();
            m_stale = false;
            ReleaseActive();
        });
        connect(&m_portal, &QDBusServiceWatcher::serviceRegistered, this, [this] {
            m_checked = false;
            const bool changed = !std::exchange(m_unavailable, {}).isEmpty();
            if (m_request.isEmpty())
                Rebind();
            if (changed)
                emit AvailabilityChanged();
        });
    }

    ~TPortalGlobalKeys() override
    {
        blockSignals(true); // the window that listened is going: nothing is played any more
        CloseSession();
    }

    // Empty also while the portal has not answered yet: the answer comes as AvailabilityChanged.
    QString Unavailable() override
    {
        Check();
        return m_unavailable;
    }

    void Listen(const QList<TGlobalHotKey>& keys) override
    {
        Check();
        QStringList names, descriptions;
        for (const TGlobalHotKey& key : keys) {
            names << key.Name;
            descriptions << key.Description;
        }
        if (names == m_wanted && descriptions == m_descriptions)
            return;
        m_wanted = names;
        m_descriptions = descriptions;
        m_stale = !m_request.isEmpty(); // the answer in flight starts again
        if (!m_stale)
            Rebind();
    }

    // Only while the desktop has given the shortcut the hot key itself: a shortcut the user moved
    // to another key (or to none) leaves the hot key to the focused window.
    bool Takes(const QString& name) const override
    {
        for (const auto& [id, trigger] : m_bound)
            if (HotKeyOf(id) == name &&
                trigger.simplified().remove(' ').compare(TriggerOf(id), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }

    void SetWindow(std::function<quintptr()> window) override { m_window = std::move(window); }

private slots:
    void Response(const QDBusMessage& message)
    {
        const QVariantList arguments = message.arguments();
        if (message.path() != m_request || arguments.size() < 2)
            return;
        Follow({});
        const bool granted = arguments[0].toUInt() == 0;
        const auto results = qdbus_cast<QVariantMap>(arguments[1]);
        if (m_session.isEmpty()) {
            // CreateSession's answer. A refused session binds nothing until the hot keys change.
            if (granted)
                m_session = PathOf(results.value(QStringLiteral("session_handle")));
            if (m_stale)
                Rebind();
            else if (!m_session.isEmpty())
                Bind();
            return;
        }
        // BindShortcuts' answer: the shortcuts the desktop holds now (the user may decline) and
        // their keys. A desktop that names no key is taken to have given the one asked for.
        m_bound.clear();
        if (granted)
            for (const auto& [id, details] :
                 qdbus_cast<TShortcutList>(results.value(QStringLiteral("shortcuts"))))
                m_bound[id] =
                    details.value(QStringLiteral("trigger_description"), TriggerOf(id)).toString();
        if (m_stale)
            Rebind();
    }

    void Activated(const QDBusMessage& message) { Shortcut(message, true); }
    void Deactivated(const QDBusMessage& message) { Shortcut(message, false); }

private:
    void Rebind()
    {
        CloseSession();
        m_stale = false;
        if (m_wanted.isEmpty())
            return;
        const QString token = NextToken();
        Ask(QStringLiteral("CreateSession"),
            {QVariantMap{{QStringLiteral("handle_token"), token},
                         {QStringLiteral("session_handle_token"), token}}},
            token);
    }

    void Bind()
    {
        TShortcutList shortcuts;
        for (qsizetype i = 0; i < m_wanted.size(); ++i) {
            const QString& name = m_wanted[i];
            // A digit plays from the number row and from the keypad alike.
            const bool digit = name.size() == 1 && name.front().isDigit();
            for (const QString& id : digit ? QStringList{name, kKeypad + name} : QStringList{name})
                shortcuts.append(
                    {id, QVariantMap{{QStringLiteral("description"), m_descriptions[i]},
                                     {QStringLiteral("preferred_trigger"), TriggerOf(id)}}});
        }
        const quintptr window = m_window ? m_window() : 0;
        const QString parent = window != 0 && QGuiApplication::platformName() == u"xcb"
                                   ? QStringLiteral("x11:%1").arg(window, 0, 16)
                                   : QString();
        const QString token = NextToken();
        Ask(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts),
             parent, QVariantMap{{QStringLiteral("handle_token"), token}}},
            token);
    }

    // A portal call answers through the Response signal of a request object, listened for before
    // the call goes out, at the path that the token makes.
    void Ask(const QString& method, const QVariantList& arguments, const QString& token)
    {
        const QString expected =
            QStringLiteral("%1/request/%2/%3")
                .arg(kPath, m_bus.baseService().mid(1).replace('.', '_'), token);
        Follow(expected);
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kShortcuts, method);
        call.setArguments(arguments);
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, expected] {
            watcher->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
            if (m_request != expected)
                return; // answered already
            if (reply.isError()) {
                Follow({});
                Fail(reply.error().message());
                emit AvailabilityChanged();
            } else if (reply.value().path() != expected) {
                Follow(reply.value().path()); // a portal that picks its own request paths
            }
        });
    }

    void Follow(const QString& request)
    {
        const QString response = QStringLiteral("Response");
        if (!m_request.isEmpty())
            m_bus.disconnect(kService, m_request, kRequest, response, this,
                             SLOT(Response(QDBusMessage)));
        m_request = request;
        if (!m_request.isEmpty())
            m_bus.connect(kService, m_request, kRequest, response, this,
                          SLOT(Response(QDBusMessage)));
    }

    void Shortcut(const QDBusMessage& message, bool down)
    {
        const QVariantList arguments = message.arguments();
        if (m_session.isEmpty() || arguments.size() < 2 || PathOf(arguments[0]) != m_session)
            return;
        const QString id = arguments[1].toString();
        if (!m_wanted.contains(HotKeyOf(id)) || (!down && m_active.erase(id) == 0))
            return;
        if (down)
            m_active.insert(id);
        TGlobalKey key;
        key.Down = down;
        key.Name = HotKeyOf(id);
        emit KeyHeard(key);
    }

    // Every shortcut that went down comes up once, also when its session ends first.
    void ReleaseActive()
    {
        for (const QString& id : std::exchange(m_active, {})) {
            TGlobalKey key;
            key.Name = HotKeyOf(id);
            emit KeyHeard(key);
        }
    }

    void CloseSession()
    {
        m_bound.clear();
        if (const QString session = std::exchange(m_session, {}); !session.isEmpty())
            m_bus.asyncCall(QDBusMessage::createMethodCall(
                kService, session, QStringLiteral("org.freedesktop.portal.Session"),
                QStringLiteral("Close")));
        ReleaseActive();
    }

    // Whether the portal offers GlobalShortcuts, asked without waiting for the answer.
    void Check()
    {
        if (m_checked || !m_unavailable.isEmpty())
            return;
        m_checked = true;
        if (!m_bus.isConnected()) {
            Fail(QStringLiteral("there is no session bus"));
            return;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(
            kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << kShortcuts << QStringLiteral("version");
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
            watcher->deleteLater();
            if (watcher->isError() && m_unavailable.isEmpty()) {
                Fail(watcher->error().message());
                emit AvailabilityChanged();
            }
        });
    }

    void Fail(const QString& reason)
    {
        m_unavailable = QStringLiteral("The desktop offers no global shortcuts: %1").arg(reason);
    }

    QString NextToken() { return QStringLiteral("keyrill%1").arg(++m_tokens); }

    QDBusConnection m_bus;
    QDBusServiceWatcher m_portal;
    QStringList m_wanted;       // the names asked for
    QStringList m_descriptions; // and what the desktop shows of each
    std::function<quintptr()> m_window;
    QString m_request;          // the request whose answer is awaited
    bool m_stale = false;       // the names changed while it was awaited
    QString m_session;          // the session that holds the shortcuts
    std::map<QString, QString> m_bound; // the shortcuts the desktop granted, with their keys
    std::set<QString> m_active; // the shortcuts down now
    bool m_checked = false;
    QString m_unavailable;
    int m_tokens = 0;
};

} // namespace

std::unique_ptr<IGlobalKeys> MakePortalGlobalKeys(const QDBusConnection& bus)
{
    return std::make_unique<TPortalGlobalKeys>(bus);
}

#include "PortalGlobalKeys.moc"
