#include "FakeHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {

QByteArray framed(const QByteArray &piece, const FakeResponse &response)
{
    if (response.framing != FakeResponse::Framing::chunked || piece.isEmpty())
        return piece;
    return QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
}

QByteArray framingHeader(const FakeResponse &response)
{
    switch (response.framing) {
    case FakeResponse::Framing::chunked:
        return "Transfer-Encoding: chunked\r\n";
    case FakeResponse::Framing::untilClose:
        return {};
    case FakeResponse::Framing::length:
        break;
    }
    const qint64 length = response.announcedLength.value_or(response.body.size() + response.streamedBytes);
    return "Content-Length: " + QByteArray::number(length) + "\r\n";
}

} // namespace

FakeResponse FakeResponse::json(const QByteArray &body, int status)
{
    FakeResponse response;
    response.status = status;
    response.body = body;
    response.headers = {{"Content-Type", "application/json"}};
    return response;
}

FakeResponse FakeResponse::redirect(const QUrl &location, int status)
{
    FakeResponse response;
    response.status = status;
    response.headers = {{"Location", location.toEncoded()}};
    return response;
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    return headerValue(name).value_or(QByteArray());
}

bool RecordedRequest::hasHeader(const QByteArray &name) const
{
    return headerValue(name).has_value();
}

std::optional<QByteArray> RecordedRequest::headerValue(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

FakeHttpServer::FakeHttpServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &FakeHttpServer::accept);
}

bool FakeHttpServer::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

QUrl FakeHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void FakeHttpServer::respond(const QByteArray &path, const FakeResponse &response)
{
    m_routes.insert(path, response);
}

void FakeHttpServer::respondToToken(const QByteArray &path, const QByteArray &token, const FakeResponse &response)
{
    m_tokenRoutes.insert({path, "Bearer " + token}, response);
}

QList<RecordedRequest> FakeHttpServer::requests(const QByteArray &path) const
{
    QList<RecordedRequest> matching;
    for (const RecordedRequest &request : m_requests) {
        if (request.path == path)
            matching.append(request);
    }
    return matching;
}

void FakeHttpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
}

// Requests carry no body, so a request is complete at its blank line.
void FakeHttpServer::readRequest(QTcpSocket *socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    while (true) {
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            break;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        buffer.remove(0, end + 4);

        RecordedRequest request;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        const QByteArray target = requestLine.value(1);
        request.path = target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.append({lines[i].left(colon), lines[i].mid(colon + 1).trimmed()});
        }
        m_requests.append(request);
        Q_EMIT requestReceived(request);

        if (m_held.contains(request.path)) {
            m_held[request.path].append(socket);
            continue;
        }
        answer(socket, route(request));
    }
    socket->setProperty("buffer", buffer);
}

FakeResponse FakeHttpServer::route(const RecordedRequest &request) const
{
    const auto byToken = m_tokenRoutes.constFind({request.path, request.header("Authorization")});
    return byToken == m_tokenRoutes.cend() ? route(request.path) : *byToken;
}

FakeResponse FakeHttpServer::route(const QByteArray &path) const
{
    FakeResponse notFound;
    notFound.status = 404;
    return m_routes.value(path, notFound);
}

void FakeHttpServer::hold(const QByteArray &path)
{
    m_held.insert(path, {});
}

void FakeHttpServer::release(const QByteArray &path)
{
    for (const QPointer<QTcpSocket> &socket : m_held.take(path)) {
        if (socket)
            answer(socket, route(path));
    }
}

void FakeHttpServer::answer(QTcpSocket *socket, const FakeResponse &response)
{
    QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(response.delayMs, this, [this, guard, response] {
        if (!guard)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Fake\r\n";
        for (const auto &[name, value] : response.headers)
            head += name + ": " + value + "\r\n";
        head += framingHeader(response);
        head += "Connection: close\r\n\r\n";
        guard->write(head);

        QByteArray body = response.body;
        if (response.stopAfter)
            body.truncate(*response.stopAfter);
        sendBody(guard, body, response);
    });
}

void FakeHttpServer::sendBody(QTcpSocket *socket, const QByteArray &body, const FakeResponse &response)
{
    const bool paced = response.chunkSize > 0 && body.size() > response.chunkSize;
    socket->write(framed(paced ? body.left(response.chunkSize) : body, response));
    if (paced) {
        QPointer<QTcpSocket> guard(socket);
        const QByteArray rest = body.mid(response.chunkSize);
        QTimer::singleShot(response.chunkIntervalMs, this, [this, guard, rest, response] {
            if (guard)
                sendBody(guard, rest, response);
        });
        return;
    }
    if (response.streamedBytes > 0)
        stream(socket, response);
    else
        finish(socket, response);
}

// Tops up the socket's send buffer as the client drains it, so the server never holds much.
void FakeHttpServer::stream(QTcpSocket *socket, const FakeResponse &response)
{
    static const QByteArray piece(256 * 1024, ' ');
    auto left = std::make_shared<qint64>(response.streamedBytes);
    const auto pump = [this, socket, left, response] {
        while (*left > 0 && socket->bytesToWrite() < piece.size()) {
            const QByteArray part = piece.left(std::min<qint64>(*left, piece.size()));
            socket->write(framed(part, response));
            *left -= part.size();
            if (*left == 0)
                finish(socket, response);
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, pump);
    pump();
}

void FakeHttpServer::finish(QTcpSocket *socket, const FakeResponse &response)
{
    if (response.framing == FakeResponse::Framing::chunked && !response.stopAfter)
        socket->write("0\r\n\r\n");
    if (!response.stopAfter || response.closeWhenStopped)
        socket->disconnectFromHost(); // a stalled answer keeps the connection open instead
}
