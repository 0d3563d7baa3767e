#include "RemoteServer.h"

#include "model/qelCommandList.h"
#include "play/Player.h"
#include "settings/Settings.h"
#include "widgets/ImageList.h"
#include "widgets/TAdvToolButton.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {

constexpr qsizetype kMaxHead = 8192;
constexpr int kHeadTimeoutMs = 5000;
constexpr qint64 kSilentMs = 2000;

QString IconUrl(const QImage& glyph)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    glyph.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

// A whole number in [low, high], or -1.
qint64 Whole(const QJsonValue& value, qint64 low, qint64 high)
{
    if (!value.isDouble())
        return -1;
    const double number = value.toDouble();
    if (number < double(low) || number > double(high) || number != double(qint64(number)))
        return -1;
    return qint64(number);
}

} // namespace

struct TRemoteServer::TClient
{
    quint16 Id;
    QWebSocket* Socket; // a child of the server, deleted later when dropped
    qint64 LastHeard;
    qint64 SecondStart;
    int Frames = 0;
};

TRemoteServer::TRemoteServer(TLinks links) : m_links(std::move(links))
{
    m_links.Player.AddView(*this);
    connect(&m_ping, &QTimer::timeout, this, &TRemoteServer::Ping);
}

TRemoteServer::~TRemoteServer()
{
    Stop();
    m_links.Player.RemoveView(*this);
}

QString TRemoteServer::Apply(const TRemoteSettings& given)
{
    TRemoteSettings settings = given;
    // A secret too short to keep strangers out is replaced before anyone can use it.
    if (settings.Active && !settings.Secret())
        settings.Token = TRemoteSettings::NewToken();
    const bool portChanged = settings.Port != m_settings.Port;
    const bool tokenChanged = settings.Token != m_settings.Token;
    m_settings = settings;
    m_gate.SetToken(settings.Token);
    if (!settings.Active) {
        Stop();
        return {};
    }
    if (tokenChanged)
        while (!m_clients.empty())
            Drop(m_clients.front()->Id);
    if (m_tcp && !portChanged)
        return {};
    Stop();
    m_sockets = std::make_unique<QWebSocketServer>(QStringLiteral("Keyrill"),
                                                   QWebSocketServer::NonSecureMode);
    m_sockets->setMaxPendingConnections(TRemoteGate::kMaxClients);
    connect(m_sockets.get(), &QWebSocketServer::newConnection, this, &TRemoteServer::SocketOpened);
    m_tcp = std::make_unique<QTcpServer>();
    connect(m_tcp.get(), &QTcpServer::newConnection, this, &TRemoteServer::Connected);
    if (!m_tcp->listen(QHostAddress::Any, quint16(settings.Port))) {
        const QString reason = m_tcp->errorString();
        Stop();
        return QStringLiteral("The remote control cannot listen on port %1: %2")
            .arg(settings.Port)
            .arg(reason);
    }
    m_ping.start(500);
    return {};
}

bool TRemoteServer::Listening() const
{
    return m_tcp && m_tcp->isListening();
}

quint16 TRemoteServer::Port() const
{
    return Listening() ? m_tcp->serverPort() : 0;
}

void TRemoteServer::Stop()
{
    m_ping.stop();
    while (!m_clients.empty())
        Drop(m_clients.front()->Id);
    m_tcp.reset();
    m_sockets.reset();
}

void TRemoteServer::Connected()
{
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { ReadHead(socket); });
        // A request that never ends holds nothing for long.
        auto* deadline = new QTimer(socket);
        deadline->setObjectName(QStringLiteral("deadline"));
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, &QTcpSocket::abort);
        deadline->start(kHeadTimeoutMs);
    }
}

void TRemoteServer::ReadHead(QTcpSocket* socket)
{
    // Peeked, not read: a WebSocket's handshake is read again by the WebSocket server.
    const QByteArray head = socket->peek(kMaxHead);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        if (head.size() >= kMaxHead)
            Refuse(socket);
        return;
    }
    const auto request = ParseRequestHead(head.left(end), socket->peerAddress().toString());
    switch (m_gate.Check(request, Clients())) {
    case TRemoteGate::TVerdict::Page:
        socket->read(end + 4);
        ServePage(socket);
        break;
    case TRemoteGate::TVerdict::Socket:
        disconnect(socket, nullptr, this, nullptr);
        delete socket->findChild<QTimer*>(QStringLiteral("deadline"));
        m_sockets->handleConnection(socket);
        break;
    case TRemoteGate::TVerdict::Refused:
        Refuse(socket);
        break;
    }
}

void TRemoteServer::Refuse(QTcpSocket* socket)
{
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->write("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
}

void TRemoteServer::ServePage(QTcpSocket* socket)
{
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    QFile file(QStringLiteral(":/remote/page.html"));
    const QByteArray page = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    // The token is in the address: no other site may learn it from a link the page follows.
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                  "Cache-Control: no-store\r\nReferrer-Policy: no-referrer\r\n"
                  "X-Content-Type-Options: nosniff\r\nContent-Length: " +
                  QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
    socket->disconnectFromHost();
}

void TRemoteServer::SocketOpened()
{
    while (QWebSocket* socket = m_sockets->nextPendingConnection()) {
        socket->setParent(this);
        if (Clients() >= TRemoteGate::kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // A frame over 4 KB is read and dropped; one of megabytes ends the connection.
        socket->setMaxAllowedIncomingFrameSize(16 * kMaxFrame);
        socket->setMaxAllowedIncomingMessageSize(16 * kMaxFrame);
        if (++m_nextId == 0)
            ++m_nextId; // 0 is no client
        const quint16 id = m_nextId;
        m_clients.push_back(std::make_unique<TClient>(TClient{id, socket, RemoteClock(), RemoteClock()}));
        TClient* client = m_clients.back().get();
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, client](const QString& text) { Heard(*client, text); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [client] { client->LastHeard = RemoteClock(); });
        connect(socket, &QWebSocket::pong, this, [client] { client->LastHeard = RemoteClock(); });
        connect(socket, &QWebSocket::disconnected, this, [this, id] { Drop(id); });
        socket->sendTextMessage(QString::fromUtf8(GridFrame()));
    }
}

void TRemoteServer::Heard(TClient& client, const QString& text)
{
    const qint64 now = RemoteClock();
    client.LastHeard = now;
    if (now - client.SecondStart >= 1000) {
        client.SecondStart = now;
        client.Frames = 0;
    }
    if (++client.Frames > kMaxFramesPerSecond || text.size() > kMaxFrame)
        return;
    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
    const QString kind = message.value(QStringLiteral("t")).toString();
    const quint16 id = client.Id; // a send's box may run the event loop and drop the client
    if (kind == QLatin1String("cancel")) {
        ReleaseClient(id);
        return;
    }
    const qint64 finger = Whole(message.value(QStringLiteral("f")), 0, 0x7FFFFFFF);
    if (finger < 0)
        return;
    const TPressSource source = TPressSource::Remote(id, quint32(finger));
    if (kind == QLatin1String("down")) {
        const qint64 number =
            Whole(message.value(QStringLiteral("n")), 1, m_links.Player.ButtonsInPlay());
        if (number > 0)
            m_links.Player.Press(int(number), source);
    } else if (kind == QLatin1String("up")) {
        m_links.Player.Release(source);
    }
}

void TRemoteServer::Drop(quint16 id)
{
    const auto at = std::find_if(m_clients.begin(), m_clients.end(),
                                 [id](const auto& client) { return client->Id == id; });
    if (at == m_clients.end())
        return;
    QWebSocket* socket = (*at)->Socket;
    m_clients.erase(at);
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
    ReleaseClient(id);
}

void TRemoteServer::ReleaseClient(quint16 id)
{
    // Once the presses running have finished: a release never overtakes its press.
    m_links.Player.WhenIdle([this, id] {
        m_links.Player.ReleaseIf([id](const THeldPress& h) {
            return h.Source.Kind == TSourceKind::Remote && h.Source.Client == id;
        });
    });
}

void TRemoteServer::Ping()
{
    const qint64 now = RemoteClock();
    std::vector<quint16> silent;
    for (const auto& client : m_clients) {
        if (now - client->LastHeard > kSilentMs)
            silent.push_back(client->Id);
        else
            client->Socket->ping();
    }
    for (quint16 id : silent)
        Drop(id);
}

TRemoteServer::TButtonState& TRemoteServer::State(int number)
{
    if (number > int(m_states.size()))
        m_states.resize(std::size_t(number));
    return m_states[std::size_t(number - 1)];
}

void TRemoteServer::GridChanged()
{
    // A refreshed grid shows every Press face, unlit; held and on are read from the player.
    m_states.assign(std::size_t(std::max(0, m_links.Rows() * m_links.Cols())), {});
    m_gridChanged = !m_clients.empty();
    Changed(0);
}

void TRemoteServer::FaceShown(int number, TFace face)
{
    State(number).Face = face;
    Changed(number);
}

void TRemoteServer::HeldChanged(int number, bool)
{
    Changed(number);
}

void TRemoteServer::SwitchedChanged(int number, bool)
{
    Changed(number);
}

void TRemoteServer::FeedbackShown(int number, bool toggle, bool on)
{
    State(number).Lit = on && !toggle;
    Changed(number);
}

void TRemoteServer::HoldEnded(TPressSource, int, bool) {}

void TRemoteServer::Changed(int number)
{
    // Told synchronously after each send: the clients hear of it once the event is done.
    if (m_clients.empty())
        return;
    if (number > 0)
        m_changed.insert(number);
    if (!std::exchange(m_flushPosted, true))
        QTimer::singleShot(0, this, &TRemoteServer::Flush);
}

void TRemoteServer::Flush()
{
    m_flushPosted = false;
    if (std::exchange(m_gridChanged, false)) {
        m_changed.clear();
        Send(GridFrame());
        return;
    }
    for (int number : std::exchange(m_changed, {})) {
        QJsonObject button = ButtonObject(number);
        button.insert(QStringLiteral("t"), QStringLiteral("button"));
        Send(QJsonDocument(button).toJson(QJsonDocument::Compact));
    }
}

void TRemoteServer::Send(const QByteArray& frame)
{
    const QString text = QString::fromUtf8(frame);
    for (const auto& client : m_clients)
        client->Socket->sendTextMessage(text);
}

QJsonObject TRemoteServer::ButtonObject(int number) const
{
    const TButtonState state = number <= int(m_states.size()) ? m_states[std::size_t(number - 1)]
                                                              : TButtonState{};
    const TCommandSet* d = m_links.Player.Definition(number);
    if (!d)
        return {{QStringLiteral("n"), number}};
    const TCommand& side = state.Face == TFace::Release ? d->Release : d->Press;
    const bool icon = !m_links.Images.Glyph(side.ImageIndex).isNull();
    return {{QStringLiteral("n"), number},
            {QStringLiteral("caption"), WithoutMnemonics(FaceCaption(side.Caption))},
            {QStringLiteral("face"), ColourToHex(side.ButtonColour)},
            {QStringLiteral("text"), ColourToHex(side.TextColour)},
            {QStringLiteral("icon"), icon ? side.ImageIndex : -1},
            {QStringLiteral("held"), m_links.Player.Held(number)},
            {QStringLiteral("on"), d->Action == actToggle && d->Pressed},
            {QStringLiteral("lit"), state.Lit},
            {QStringLiteral("toggle"), d->Action == actToggle}};
}

QByteArray TRemoteServer::GridFrame() const
{
    const int rows = m_links.Rows();
    const int cols = m_links.Cols();
    QJsonArray buttons;
    QJsonObject icons;
    for (int number = 1; number <= rows * cols; ++number) {
        const QJsonObject button = ButtonObject(number);
        const int icon = button.value(QStringLiteral("icon")).toInt(-1);
        if (icon >= 0 && !icons.contains(QString::number(icon)))
            icons.insert(QString::number(icon), IconUrl(m_links.Images.Glyph(icon)));
        buttons.append(button);
    }
    const QJsonObject grid{{QStringLiteral("t"), QStringLiteral("grid")},
                           {QStringLiteral("rows"), rows},
                           {QStringLiteral("cols"), cols},
                           {QStringLiteral("highlight"), ColourToHex(m_links.Highlight())},
                           {QStringLiteral("icons"), icons},
                           {QStringLiteral("buttons"), buttons}};
    return QJsonDocument(grid).toJson(QJsonDocument::Compact);
}
