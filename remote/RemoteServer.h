#pragma once

#include "RemoteLink.h"
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

class TImageList;
class TPlayer;

// The remote: the grid served to browsers on the network. Each finger of each client is a
// source of the player; a client that goes away, or stops answering for two seconds, has all it
// holds released at once. The page can only play: nothing it sends edits the set or reads a file.
// The network side is made only while the remote is on.
class TRemoteServer : public QObject, public IPlayerView, private IRemoteLinkOwner
{
    Q_OBJECT

public:
    struct TLinks
    {
        TPlayer& Player;
        const TImageList& Images;
        std::function<TColor()> Highlight;
        std::function<int()> Rows; // the grid as the window has it
        std::function<int()> Cols;
        std::function<void()> Panic; // the page's Panic control
    };
    TRemoteServer(TLinks links, TRemoteLinkFactory makeLink);
    ~TRemoteServer() override;

    // Listens on every address of the computer while active, with these settings: the port is
    // opened anew when it changed, and a new token drops every client. The text of a failure,
    // empty when listening (or off).
    QString Apply(const TRemoteSettings& settings);
    // What the set holds (a token made here included); Load takes a set's without starting.
    const TRemoteSettings& Settings() const { return m_settings; }
    void Load(const TRemoteSettings& settings) { m_settings = settings; }
    bool Listening() const { return m_link != nullptr; }
    // Shutdown: every client dropped, the port closed; the settings stay for the save.
    void Close() { m_link.reset(); }
    quint16 Port() const;
    int Clients() const { return m_link ? m_link->Clients() : 0; }
    // Definitions or the grid changed: every client gets the whole grid again.
    void GridChanged();

    void FaceShown(int number, TFace face) override;
    void HeldChanged(int number, bool held) override;
    void SwitchedChanged(int number, bool on) override;
    void FeedbackShown(int number, bool toggle, bool on) override;
    void HoldEnded(TPressSource source, int number, bool ownRelease) override;

private:
    // What the player does not keep: the face shown and the light of feedback.
    struct TButtonState
    {
        TFace Face = TFace::Press;
        bool Lit = false;
    };
    void Heard(quint16 client, const QString& text) override;
    void Gone(quint16 client) override;
    void ReleaseClient(quint16 id);
    void Changed(int number);
    void Flush();
    QByteArray GridFrame() const override;
    QJsonObject ButtonObject(int number) const;
    TButtonState& State(int number);

    TLinks m_links;
    TRemoteLinkFactory m_makeLink;
    TRemoteSettings m_settings;
    std::unique_ptr<IRemoteLink> m_link; // while on
    bool m_flushPosted = false;
    std::vector<TButtonState> m_states; // by button number - 1
    std::set<int> m_changed;
    bool m_gridChanged = false;
};
