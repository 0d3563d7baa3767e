// Global keys in a Wayland session: the desktop portal's GlobalShortcuts, one shortcut per
// hot-key name in a session of their own. The desktop asks the user to approve them and tells of
// each press (Activated) and release (Deactivated).
#include "GlobalKeys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include <set>
#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

using TShortcutList = QList<QPair<QString, QVariantMap>>;

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
            m_unavailable.clear();
            if (m_request.isEmpty())
                Rebind();
        });
    }

    ~TPortalGlobalKeys() override
    {
        blockSignals(true); // the window that listened is going: nothing is played any more
        CloseSession();
    }

    QString Unavailable() override
    {
        if (!m_checked && m_unavailable.isEmpty()) {
            m_checked = true;
            QDBusMessage get = QDBusMessage::createMethodCall(
                kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("Get"));
            get << kShortcuts << QStringLiteral("version");
            const QDBusMessage reply = m_bus.call(get, QDBus::Block, 5000);
            if (reply.type() != QDBusMessage::ReplyMessage)
                Fail(m_bus.isConnected() ? reply.errorMessage()
                                         : QStringLiteral("there is no session bus"));
        }
        return m_unavailable;
    }

    void Listen(const QStringList& names) override
    {
        if (names == m_wanted)
            return;
        m_wanted = names;
        m_stale = !m_request.isEmpty(); // the answer in flight starts again
        if (!m_stale)
            Rebind();
    }

    bool Takes(const QString& name) const override { return m_bound.count(name) > 0; }

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
        // BindShortcuts' answer: the shortcuts the desktop holds now (the user may decline).
        m_bound.clear();
        if (granted)
            for (const auto& shortcut :
                 qdbus_cast<TShortcutList>(results.value(QStringLiteral("shortcuts"))))
                m_bound.insert(shortcut.first);
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
        for (const QString& name : std::as_const(m_wanted)) {
            // The shortcut notation names keys by their key symbols: letters in lower case.
            const QString trigger = name.size() == 1 ? name.toLower() : name;
            shortcuts.append({name, QVariantMap{{QStringLiteral("description"),
                                                 QStringLiteral("Hot key %1").arg(name)},
                                                {QStringLiteral("preferred_trigger"), trigger}}});
        }
        const QString token = NextToken();
        Ask(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts),
             QString(), QVariantMap{{QStringLiteral("handle_token"), token}}},
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
        if (!m_wanted.contains(id) || (!down && m_active.erase(id) == 0))
            return;
        if (down)
            m_active.insert(id);
        TGlobalKey key;
        key.Down = down;
        key.Name = id;
        emit KeyHeard(key);
    }

    // Every shortcut that went down comes up once, also when its session ends first.
    void ReleaseActive()
    {
        for (const QString& id : std::exchange(m_active, {})) {
            TGlobalKey key;
            key.Name = id;
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

    void Fail(const QString& reason)
    {
        m_unavailable = QStringLiteral("The desktop offers no global shortcuts: %1").arg(reason);
    }

    QString NextToken() { return QStringLiteral("keyrill%1").arg(++m_tokens); }

    QDBusConnection m_bus;
    QDBusServiceWatcher m_portal;
    QStringList m_wanted;       // the names asked for
    QString m_request;          // the request whose answer is awaited
    bool m_stale = false;       // the names changed while it was awaited
    QString m_session;          // the session that holds the shortcuts
    std::set<QString> m_bound;  // the shortcuts the desktop granted
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
