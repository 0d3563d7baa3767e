#pragma once

#include "RemoteGate.h"
#include "RemoteSettings.h"
#include "model/Colour.h"
#include "play/PlayerView.h"

#include <QJsonObject>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <set>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QWebSocket;
class QWebSocketServer;
class TImageList;
class TPlayer;

// The remote: the grid served to browsers on the network. Each finger of each client is a
// source of the player; a client that goes away, or stops answering for two seconds, has all it
// holds released at once. The page can only play: nothing it sends edits the set or reads a file.
class TRemoteServer : public QObject, public IPlayerView
{
    Q_OBJECT

public:
    static constexpr int kMaxFrame = 4096;
    static constexpr int kMaxFramesPerSecond = 200;

    struct TLinks
    {
        TPlayer& Player;
        const TImageList& Images;
        std::function<TColor()> Highlight;
        std::function<int()> Rows; // the grid as the window has it
        std::function<int()> Cols;
    };
    explicit TRemoteServer(TLinks links);
    ~TRemoteServer() override;

    // Listens on every address of the computer while active, with these settings: the port is
    // opened anew when it changed, and a new token drops every client. The text of a failure,
    // empty when listening (or off).
    QString Apply(const TRemoteSettings& settings);
    // What the set holds (a token made here included); Load takes a set's without starting.
    const TRemoteSettings& Settings() const { return m_settings; }
    void Load(const TRemoteSettings& settings) { m_settings = settings; }
    bool Listening() const;
    // Shutdown: every client dropped, the port closed; the settings stay for the save.
    void Close() { Stop(); }
    quint16 Port() const;
    int Clients() const { return int(m_clients.size()); }
    // Definitions or the grid changed: every client gets the whole grid again.
    void GridChanged();

    void FaceShown(int number, TFace face) override;
    void HeldChanged(int number, bool held) override;
    void SwitchedChanged(int number, bool on) override;
    void FeedbackShown(int number, bool toggle, bool on) override;
    void HoldEnded(TPressSource source, int number, bool ownRelease) override;

private:
    struct TClient;
    // What the player does not keep: the face shown and the light of feedback.
    struct TButtonState
    {
        TFace Face = TFace::Press;
        bool Lit = false;
    };
    void Stop();
    void Connected();
    void ReadHead(QTcpSocket* socket);
    void Refuse(QTcpSocket* socket);
    void ServePage(QTcpSocket* socket);
    void SocketOpened();
    void Heard(TClient& client, const QString& text);
    void Drop(quint16 id);
    void ReleaseClient(quint16 id);
    void Ping();
    void Changed(int number);
    void Flush();
    void Send(const QByteArray& frame);
    QByteArray GridFrame() const;
    QJsonObject ButtonObject(int number) const;
    TButtonState& State(int number);

    TLinks m_links;
    TRemoteSettings m_settings;
    TRemoteGate m_gate;
    std::unique_ptr<QTcpServer> m_tcp;
    std::unique_ptr<QWebSocketServer> m_sockets;
    std::vector<std::unique_ptr<TClient>> m_clients;
    quint16 m_nextId = 0;
    bool m_flushPosted = false;
    std::vector<TButtonState> m_states; // by button number - 1
    std::set<int> m_changed;
    bool m_gridChanged = false;
    QTimer m_ping;
};
