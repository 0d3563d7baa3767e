#include "RemoteServer.h"

#include "model/qelCommandList.h"
#include "play/Player.h"
#include "settings/Settings.h"
#include "widgets/ImageList.h"
#include "widgets/TAdvToolButton.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace {

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

TRemoteServer::TRemoteServer(TLinks links, TRemoteLinkFactory makeLink)
    : m_links(std::move(links)), m_makeLink(std::move(makeLink))
{
    m_links.Player.AddView(*this);
}

TRemoteServer::~TRemoteServer()
{
    m_link.reset();
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
    if (!settings.Active) {
        m_link.reset();
        return {};
    }
    if (m_link) {
        m_link->SetToken(settings.Token);
        if (tokenChanged)
            m_link->DropAll();
        if (!portChanged)
            return {};
        m_link.reset();
    }
    QString failure;
    std::unique_ptr<IRemoteLink> link = m_makeLink(*this, failure);
    if (!link)
        return failure;
    link->SetToken(settings.Token);
    failure = link->Listen(quint16(settings.Port));
    if (failure.isEmpty())
        m_link = std::move(link);
    return failure;
}

quint16 TRemoteServer::Port() const
{
    return m_link ? m_link->Port() : 0;
}

void TRemoteServer::Heard(quint16 id, const QString& text)
{
    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
    const QString kind = message.value(QStringLiteral("t")).toString();
    if (kind == QLatin1String("cancel")) {
        ReleaseClient(id);
        return;
    }
    if (kind == QLatin1String("panic")) {
        m_links.Panic();
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

void TRemoteServer::Gone(quint16 client)
{
    ReleaseClient(client);
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
    m_gridChanged = Clients() > 0;
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
    if (Clients() == 0)
        return;
    if (number > 0)
        m_changed.insert(number);
    if (!std::exchange(m_flushPosted, true))
        QTimer::singleShot(0, this, &TRemoteServer::Flush);
}

void TRemoteServer::Flush()
{
    m_flushPosted = false;
    if (Clients() == 0)
        return;
    if (std::exchange(m_gridChanged, false)) {
        m_changed.clear();
        m_link->Send(GridFrame());
        return;
    }
    for (int number : std::exchange(m_changed, {})) {
        QJsonObject button = ButtonObject(number);
        button.insert(QStringLiteral("t"), QStringLiteral("button"));
        m_link->Send(QJsonDocument(button).toJson(QJsonDocument::Compact));
    }
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
