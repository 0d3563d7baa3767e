// Drives one page of a headless Chromium over its DevTools protocol, one command a line on
// standard input, one answer a line on standard output. A single session for the whole run: the
// browser lifts every touch point of a session that ends.
//   eval EXPRESSION            -> the value as JSON
//   touch TYPE [ID:X:Y ...]    -> ok (TYPE: touchStart, touchMove, touchEnd, touchCancel)
//   raw {"method":...}         -> ok, or the value a protocol command returns
// Usage: cdp_driver WEBSOCKET_DEBUGGER_URL
#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebSocket>

#include <iostream>
#include <string>

namespace {

QJsonObject Command(const QString& line)
{
    const QString verb = line.section(QLatin1Char(' '), 0, 0);
    const QString rest = line.section(QLatin1Char(' '), 1);
    if (verb == QLatin1String("eval"))
        return {{"method", "Runtime.evaluate"},
                {"params", QJsonObject{{"expression", rest}, {"returnByValue", true}}}};
    if (verb == QLatin1String("raw"))
        return QJsonDocument::fromJson(rest.toUtf8()).object();
    if (verb == QLatin1String("touch")) {
        const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QJsonArray points;
        for (const QString& word : words.mid(1)) {
            const QStringList p = word.split(QLatin1Char(':'));
            if (p.size() == 3)
                points.append(QJsonObject{
                    {"id", p[0].toInt()}, {"x", p[1].toDouble()}, {"y", p[2].toDouble()}});
        }
        return {{"method", "Input.dispatchTouchEvent"},
                {"params", QJsonObject{{"type", words.value(0)}, {"touchPoints", points}}}};
    }
    return {};
}

// The answer to request ID, or an error text after ten seconds.
QString Call(QWebSocket& socket, QJsonObject request, int id)
{
    request.insert("id", id);
    QString answer = QStringLiteral("error: no answer");
    QEventLoop loop;
    auto receive =
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [&](const QString& text) {
            const QJsonObject reply = QJsonDocument::fromJson(text.toUtf8()).object();
            if (reply.value("id").toInt() != id)
                return;
            const QJsonObject result = reply.value("result").toObject();
            if (reply.contains("error") || result.contains("exceptionDetails"))
                answer = QStringLiteral("error: ") + text;
            else if (result.contains("result"))
                answer =
                    QString::fromUtf8(
                        QJsonDocument(QJsonArray{result.value("result").toObject().value("value")})
                            .toJson(QJsonDocument::Compact))
                        .mid(1)
                        .chopped(1);
            else
                answer = QStringLiteral("ok");
            loop.quit();
        });
    auto lost = QObject::connect(&socket, &QWebSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    socket.sendTextMessage(
        QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)));
    loop.exec();
    QObject::disconnect(receive);
    QObject::disconnect(lost);
    return answer;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: cdp_driver WEBSOCKET_DEBUGGER_URL\n";
        return 2;
    }
    QWebSocket socket;
    QEventLoop opening;
    QObject::connect(&socket, &QWebSocket::connected, &opening, &QEventLoop::quit);
    QObject::connect(&socket, &QWebSocket::stateChanged, &opening,
                     [&](QAbstractSocket::SocketState state) {
                         if (state == QAbstractSocket::UnconnectedState)
                             opening.quit();
                     });
    QTimer::singleShot(10000, &opening, &QEventLoop::quit);
    socket.open(QUrl(QString::fromLocal8Bit(argv[1])));
    opening.exec();
    if (socket.state() != QAbstractSocket::ConnectedState) {
        std::cerr << "cdp_driver: cannot reach " << argv[1] << '\n';
        return 1;
    }
    int id = 0;
    for (std::string line; std::getline(std::cin, line);) {
        const QJsonObject request = Command(QString::fromStdString(line));
        const QString answer = request.isEmpty() ? QStringLiteral("error: unknown command")
                                                 : Call(socket, request, ++id);
        std::cout << answer.toStdString() << std::endl;
    }
    return 0;
}
