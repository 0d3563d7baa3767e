#pragma once

#include "RemoteGate.h"
#include "RemoteLink.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QWebSocketServer;

// The remote's network side over Qt's TCP and WebSocket servers: the page for a request with
// the token, a WebSocket for each client the gate lets in, frames over the limits dropped, and a
// client that stops answering for two seconds dropped.
class TWebSocketLink : public QObject, public IRemoteLink
{
    Q_OBJECT

public:
    static constexpr int kMaxFrame = 4096;
    static constexpr int kMaxFramesPerSecond = 200;

    explicit TWebSocketLink(IRemoteLinkOwner& owner);
    ~TWebSocketLink() override;

    QString Listen(quint16 port) override;
    quint16 Port() const override;
    void SetToken(const QString& token) override { m_gate.SetToken(token); }
    void DropAll() override;
    int Clients() const override { return int(m_clients.size()); }
    void Send(const QByteArray& frame) override;

private:
    struct TClient;
    void Connected();
    void ReadHead(QTcpSocket* socket);
    void Refuse(QTcpSocket* socket);
    void ServePage(QTcpSocket* socket);
    void SocketOpened();
    void Heard(TClient& client, const QString& text);
    void Drop(quint16 id);
    void Ping();

    IRemoteLinkOwner& m_owner;
    TRemoteGate m_gate;
    std::unique_ptr<QWebSocketServer> m_sockets;
    std::unique_ptr<QTcpServer> m_tcp;
    std::vector<std::unique_ptr<TClient>> m_clients;
    quint16 m_nextId = 0;
    QTimer m_ping;
};

// The network side as a link factory: the module's, and the tests' without the module.
std::unique_ptr<IRemoteLink> MakeWebSocketLink(IRemoteLinkOwner& owner, QString& failure);
