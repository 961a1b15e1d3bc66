#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QPair>
#include <QTcpServer>
#include <QUrl>

#include <optional>

// What the fake server answers on one path.
struct FakeResponse {
    enum class Framing { length, chunked, untilClose };

    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    int delayMs = 0;                 // wait before sending anything
    std::optional<int> stopAfter;    // send only this many body bytes, then stall or close
    bool closeWhenStopped = false;   // with stopAfter: close the connection instead of stalling
    int chunkSize = 0;               // with chunkIntervalMs: send the body a piece at a time
    int chunkIntervalMs = 0;
    Framing framing = Framing::length;
    std::optional<qint64> announcedLength; // with Framing::length: sent in place of the true one
    qint64 streamedBytes = 0;              // spaces sent after the body, as fast as they are taken

    static FakeResponse json(const QByteArray &body, int status = 200);
    static FakeResponse redirect(const QUrl &location, int status = 302);
};

struct RecordedRequest {
    QByteArray method;
    QByteArray path;
    QList<QPair<QByteArray, QByteArray>> headers; // in the order they arrived

    QByteArray header(const QByteArray &name) const; // case-insensitive; empty when absent
    bool hasHeader(const QByteArray &name) const;
    std::optional<QByteArray> headerValue(const QByteArray &name) const;
};

// A loopback HTTP/1.1 server that tests script path by path and that records every request.
class FakeHttpServer : public QObject
{
    Q_OBJECT
public:
    explicit FakeHttpServer(QObject *parent = nullptr);

    bool listen(quint16 port = 0);
    quint16 port() const { return m_server.serverPort(); }
    QUrl url(const QString &path) const;

    void respond(const QByteArray &path, const FakeResponse &response);
    // Answers requests of this bearer token so, ahead of the path's own answer.
    void respondToToken(const QByteArray &path, const QByteArray &token, const FakeResponse &response);
    // Answers on a held path wait until it is released.
    void hold(const QByteArray &path);
    void release(const QByteArray &path);
    QList<RecordedRequest> requests() const { return m_requests; }
    QList<RecordedRequest> requests(const QByteArray &path) const;
    void clearRequests() { m_requests.clear(); }

Q_SIGNALS:
    void requestReceived(const RecordedRequest &request);

private:
    void accept();
    void readRequest(QTcpSocket *socket);
    FakeResponse route(const QByteArray &path) const;
    FakeResponse route(const RecordedRequest &request) const;
    void answer(QTcpSocket *socket, const FakeResponse &response);
    void sendBody(QTcpSocket *socket, const QByteArray &body, const FakeResponse &response);
    void stream(QTcpSocket *socket, const FakeResponse &response);
    void finish(QTcpSocket *socket, const FakeResponse &response);

    QTcpServer m_server;
    QHash<QByteArray, FakeResponse> m_routes;
    QHash<QPair<QByteArray, QByteArray>, FakeResponse> m_tokenRoutes; // by path and Authorization
    QHash<QByteArray, QList<QPointer<QTcpSocket>>> m_held; // path -> sockets waiting for it
    QList<RecordedRequest> m_requests;
};
