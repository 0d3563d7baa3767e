// The remote against its real server on the loopback: who is refused, what a client plays and
// what is released when it goes, and hostile frames that must play nothing.

#include "remote/RemoteServer.h"
#include "remote/WebSocketLink.h"
#include "support/PlayerRig.h"
#include "support/TestApplication.h"
#include "widgets/ImageList.h"

#include <QDir>
#include <QTcpSocket>
#include <QWebSocket>

#include <random>

namespace {

const QString kToken = QStringLiteral("0123456789abcdefghijklmnopqrstuv");

class RemoteTest : public testing::Test, protected TPlayerRig
{
protected:
    RemoteTest()
    {
        for (int n = 1; n <= 4; ++n) {
            TCommandSet& d = m_list.Get(m_list.Add());
            d.Action = actPressRelease;
            d.Press.Msg = {1, 0, std::uint8_t(n), 100};
        }
        m_player.SetDefinitions(&m_list);
        m_player.SetButtonsInPlay(4);
        EXPECT_EQ(m_server.Apply({true, 0, kToken}), QString());
        m_port = m_server.Port();
        m_service.ClearRecords();
    }

    // The status line the server answers a request with.
    QByteArray Status(const QByteArray& target, const QByteArray& origin = {}, bool upgrade = false)
    {
        // The server runs on this thread: the event loop turns while the answer is awaited.
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                             QByteArray::number(m_port) + "\r\n";
        if (upgrade)
            request += "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                       "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nOrigin: " + origin + "\r\n";
        socket.write(request + "\r\n");
        QByteArray answer;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                answer += socket.readAll();
                return answer.contains("\r\n");
            },
            2000));
        return answer.left(answer.indexOf("\r\n"));
    }
    QByteArray Page() { return "/?token=" + kToken.toLatin1(); }
    QByteArray Socket() { return "/ws?token=" + kToken.toLatin1(); }
    QByteArray Origin() { return "http://127.0.0.1:" + QByteArray::number(m_port); }

    std::unique_ptr<QWebSocket> Client()
    {
        auto client = std::make_unique<QWebSocket>(Origin());
        client->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?token=%2").arg(m_port).arg(kToken)));
        EXPECT_EVENTUALLY(client->state() == QAbstractSocket::ConnectedState);
        return client;
    }
    int Sent() const { return int(m_service.Sent().size()); }

    // Before the icon list, which starts loading on a thread of its own at once.
    const bool m_application = (TestApplication(), true);
    TImageList m_images;
    TRemoteServer m_server{
        {m_player, m_images, [] { return TColor(0); }, [] { return 2; }, [] { return 2; },
         [this] { m_player.Panic(); }},
        &MakeWebSocketLink};
    quint16 m_port = 0;
};

TEST_F(RemoteTest, OnlyThePageAndItsSocketWithTheTokenGetIn)
{
    const QByteArray forbidden = "HTTP/1.1 403 Forbidden";
    const std::pair<QByteArray, QByteArray> cases[] = {
        {Status(Page()), "HTTP/1.1 200 OK"},
        {Status("/"), forbidden},
        {Status("/?token=" + kToken.left(31).toLatin1()), forbidden},
        {Status("/../keyrill.ini?token=" + kToken.toLatin1()), forbidden},
        {Status("/page.html?token=" + kToken.toLatin1()), forbidden},
        {Status(Socket(), "http://evil.example", true), forbidden},
        {Status(Socket(), Origin(), true), "HTTP/1.1 101 Switching Protocols"},
    };
    for (const auto& [status, expected] : cases)
        EXPECT_EQ(status, expected);
}

TEST_F(RemoteTest, AnAddressGuessingTwentyTimesIsShutOutAndTheSeventeenthClientToo)
{
    std::vector<std::unique_ptr<QWebSocket>> clients;
    for (int i = 0; i < 16; ++i)
        clients.push_back(Client());
    EXPECT_EVENTUALLY(m_server.Clients() == 16);
    EXPECT_EQ(Status(Socket(), Origin(), true), "HTTP/1.1 403 Forbidden") << "the 17th client";
    for (int i = 0; i < 20; ++i)
        Status("/?token=wrong");
    EXPECT_EQ(Status(Page()), "HTTP/1.1 403 Forbidden") << "the right token after 20 wrong ones";
}

TEST_F(RemoteTest, AClientsFingersPlayAndAreReleasedWhenItGoes)
{
    const auto client = Client();
    ASSERT_EVENTUALLY(m_server.Clients() == 1);
    client->sendTextMessage(R"({"t":"down","f":7,"n":1})");
    client->sendTextMessage(R"({"t":"down","f":8,"n":2})");
    client->sendTextMessage(R"({"t":"up","f":7})");
    EXPECT_EVENTUALLY(Sent() == 3);
    client->abort();
    EXPECT_EVENTUALLY(Sent() == 4) << "the finger still down is released";
    EXPECT_TRUE(m_player.Empty());
}

// Frames of the corpus, then random, oversized and flooding ones: none plays, none stops the
// server serving.
TEST_F(RemoteTest, HostileFramesPlayNothing)
{
    QStringList frames;
    for (const QFileInfo& file : QDir(QStringLiteral(KEYRILL_REMOTE_CORPUS)).entryInfoList(QDir::Files)) {
        QFile corpus(file.filePath());
        ASSERT_TRUE(corpus.open(QIODevice::ReadOnly));
        frames << QString::fromUtf8(corpus.readAll());
    }
    std::mt19937 random(20261210);
    for (int i = 0; i < 300; ++i) {
        QString frame;
        for (int c = std::uniform_int_distribution<int>(0, 40)(random); c > 0; --c)
            frame += QChar(u"{}[]\":,tfndowup0123456789.e-"[random() % 29]);
        frames << frame;
    }
    frames << QStringLiteral(R"({"t":"down","f":1,"n":1,"x":"%1"})").arg(QString(5000, u'x'));
    const auto client = Client();
    ASSERT_EVENTUALLY(m_server.Clients() == 1);
    for (const QString& frame : frames)
        client->sendTextMessage(frame);
    client->sendBinaryMessage(QByteArray(100, '\x90'));
    QTest::qWait(1100); // past the second those frames counted in
    EXPECT_EQ(Sent(), 0);
    // A flood: past 200 frames a second the rest is dropped; each pair plays a note on and off.
    for (int i = 0; i < 200; ++i) {
        client->sendTextMessage(QStringLiteral(R"({"t":"down","f":1,"n":3})"));
        client->sendTextMessage(QStringLiteral(R"({"t":"up","f":1})"));
    }
    QTest::qWait(300);
    EXPECT_GE(Sent(), 100) << "what came in time was played";
    EXPECT_LE(Sent(), 200);
    EXPECT_EQ(Status(Page()), "HTTP/1.1 200 OK");
}

} // namespace
