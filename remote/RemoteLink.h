#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// What the network side tells the remote: it knows sockets and frames, not buttons.
class IRemoteLinkOwner
{
public:
    virtual QByteArray GridFrame() const = 0;                    // a new client's first frame
    virtual void Heard(quint16 client, const QString& text) = 0; // a frame within the limits
    virtual void Gone(quint16 client) = 0;                       // dropped, or fell silent

protected:
    ~IRemoteLinkOwner() = default;
};

// The network side of the remote: the page and the WebSockets of the clients the token lets
// in. Destroying it drops every client (each told to the owner) and closes the port.
class IRemoteLink
{
public:
    virtual ~IRemoteLink() = default;
    // Listens on every address of the computer (port 0: any free one); the failure's text,
    // empty when listening.
    virtual QString Listen(quint16 port) = 0;
    virtual quint16 Port() const = 0;
    virtual void SetToken(const QString& token) = 0;
    virtual void DropAll() = 0;
    virtual int Clients() const = 0;
    virtual void Send(const QByteArray& frame) = 0; // one text frame to every client
};

// Makes the network side, or returns nullptr with `failure` set to the text the user is shown.
using TRemoteLinkFactory =
    std::function<std::unique_ptr<IRemoteLink>(IRemoteLinkOwner& owner, QString& failure)>;

// The remote's network code lives in a module of its own (keyrill-remote.so), loaded when the
// remote is first turned on or its page shown: with the remote off, the program carries none
// of the network libraries. The module exports one function returning this table.
struct TRemoteModuleEntry
{
    IRemoteLink* (*CreateLink)(IRemoteLinkOwner& owner);
    QStringList (*Addresses)(int port, const QString& token);
    QImage (*QrCode)(const QString& text, int scale);
};
using TKeyrillRemoteEntry = const TRemoteModuleEntry* (*)();
#define KEYRILL_REMOTE_ENTRY_NAME "KeyrillRemoteEntry"
