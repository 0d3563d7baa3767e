#include "WebSocketLink.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {

constexpr qsizetype kMaxHead = 8192;
constexpr int kHeadTimeoutMs = 5000;
constexpr qint64 kSilentMs = 2000;

} // namespace

struct TWebSocketLink::TClient
{
    quint16 Id;
    QWebSocket* Socket; // a child of the link, deleted later when dropped
    qint64 LastHeard;
    qint64 SecondStart;
    int Frames = 0;
};

// The page is a resource of this static library: registered by hand, as nothing else refers to it.
static void RegisterPage()
{
    Q_INIT_RESOURCE(remote);
}

std::unique_ptr<IRemoteLink> MakeWebSocketLink(IRemoteLinkOwner& owner, QString&)
{
    return std::make_unique<TWebSocketLink>(owner);
}

TWebSocketLink::TWebSocketLink(IRemoteLinkOwner& owner) : m_owner(owner)
{
    RegisterPage();
    connect(&m_ping, &QTimer::timeout, this, &TWebSocketLink::Ping);
}

TWebSocketLink::~TWebSocketLink()
{
    DropAll();
}

QString TWebSocketLink::Listen(quint16 port)
{
    m_sockets = std::make_unique<QWebSocketServer>(QStringLiteral("Keyrill"),
                                                   QWebSocketServer::NonSecureMode);
    m_sockets->setMaxPendingConnections(TRemoteGate::kMaxClients);
    connect(m_sockets.get(), &QWebSocketServer::newConnection, this, &TWebSocketLink::SocketOpened);
    m_tcp = std::make_unique<QTcpServer>();
    connect(m_tcp.get(), &QTcpServer::newConnection, this, &TWebSocketLink::Connected);
    if (!m_tcp->listen(QHostAddress::Any, port)) {
        const QString reason = m_tcp->errorString();
        m_tcp.reset();
        return QStringLiteral("The remote control cannot listen on port %1: %2")
            .arg(port)
            .arg(reason);
    }
    m_ping.start(500);
    return {};
}

quint16 TWebSocketLink::Port() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

void TWebSocketLink::DropAll()
{
    while (!m_clients.empty())
        Drop(m_clients.front()->Id);
}

void TWebSocketLink::Heard(TClient& client, const QString& text)
{
    const qint64 now = RemoteClock();
    client.LastHeard = now;
    if (now - client.SecondStart >= 1000) {
        client.SecondStart = now;
        client.Frames = 0;
    }
    if (++client.Frames > kMaxFramesPerSecond || text.size() > kMaxFrame)
        return;
    m_owner.Heard(client.Id, text);
}

void TWebSocketLink::Connected()
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

void TWebSocketLink::ReadHead(QTcpSocket* socket)
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

void TWebSocketLink::Refuse(QTcpSocket* socket)
{
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->write("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
}

void TWebSocketLink::ServePage(QTcpSocket* socket)
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

void TWebSocketLink::SocketOpened()
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
        m_clients.push_back(
            std::make_unique<TClient>(TClient{id, socket, RemoteClock(), RemoteClock()}));
        TClient* client = m_clients.back().get();
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, client](const QString& text) { Heard(*client, text); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [client] { client->LastHeard = RemoteClock(); });
        connect(socket, &QWebSocket::pong, this, [client] { client->LastHeard = RemoteClock(); });
        connect(socket, &QWebSocket::disconnected, this, [this, id] { Drop(id); });
        socket->sendTextMessage(QString::fromUtf8(m_owner.GridFrame()));
    }
}

void TWebSocketLink::Drop(quint16 id)
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
    m_owner.Gone(id);
}

void TWebSocketLink::Ping()
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

void TWebSocketLink::Send(const QByteArray& frame)
{
    const QString text = QString::fromUtf8(frame);
    for (const auto& client : m_clients)
        client->Socket->sendTextMessage(text);
}
