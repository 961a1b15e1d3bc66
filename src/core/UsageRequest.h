#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <QCoroTask>

#include <chrono>
#include <variant>

class QNetworkAccessManager;

// What came back over HTTP, whatever the status.
struct HttpReply {
    int status = 0; // 0 when the answer was not HTTP at all
    QByteArray body;
    QByteArray retryAfter; // the Retry-After field as sent; empty when absent
    QDateTime spentQuotaBack; // when a request quota the server says is spent comes back; invalid otherwise

    bool isSuccess() const { return status >= 200 && status <= 299; }
};

// A failure that is not a provider's own (transport, file, decoding), shown by its description.
struct PlainError {
    QString description;
};

using HttpOutcome = std::variant<HttpReply, PlainError>;

// Sends the usage requests of both providers through one network manager on the GUI thread.
class UsageRequest
{
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    static constexpr qint64 maxBodyBytes = 1024 * 1024;
    static constexpr std::chrono::milliseconds defaultIdleTimeout = std::chrono::seconds(60);
    static constexpr std::chrono::milliseconds defaultDeadline = std::chrono::seconds(120);

    // GET with the headers in the given order and no body. Redirects are followed only
    // within the same origin, so a bearer token never travels to another host.
    static QCoro::Task<HttpOutcome> get(QUrl url, Headers headers);

    static constexpr const char *productToken = "Tidemarker/0.3";

    // Authorization, Accept and User-Agent, in that order, as both usage endpoints expect.
    static Headers bearerHeaders(const QByteArray &accessToken, const QByteArray &userAgent = productToken);

    // How long a request may go without receiving a byte; tests shorten it.
    static void setIdleTimeout(std::chrono::milliseconds timeout);
    // How long a request may take in all, however steadily the answer comes; tests shorten it.
    static void setDeadline(std::chrono::milliseconds deadline);

    static QNetworkAccessManager &networkManager();
};
