#include "UsageRequest.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

#include <QCoroNetworkReply>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

std::chrono::milliseconds idleTimeout = UsageRequest::defaultIdleTimeout;

enum class Abort { none, idle, tooLarge };

QString originOf(const QUrl &url)
{
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                        | QUrl::RemoveUserInfo)
        .toString();
}

QString describeFailure(const QNetworkReply &reply, Abort abort)
{
    const auto seconds = std::chrono::duration<double>(idleTimeout).count();
    switch (abort) {
    case Abort::idle:
        return u"request timed out (no data for %1 s)"_s.arg(seconds);
    case Abort::tooLarge:
        return u"response too large (over %1 bytes)"_s.arg(UsageRequest::maxBodyBytes);
    case Abort::none:
        break;
    }
    switch (reply.error()) {
    case QNetworkReply::OperationCanceledError:
        return u"request cancelled"_s;
    case QNetworkReply::TooManyRedirectsError:
        return u"too many redirects"_s;
    case QNetworkReply::InsecureRedirectError: {
        const QUrl target = QUrl::fromEncoded(reply.rawHeader("Location"));
        return u"redirect to %1 not followed: only the same origin may receive the token"_s.arg(
            originOf(reply.url().resolved(target)));
    }
    default:
        break;
    }
    const QString text = reply.errorString();
    return text.isEmpty() ? u"request failed (network error %1)"_s.arg(int(reply.error())) : text;
}

// Failures below HTTP; error statuses (4xx, 5xx) come back as answers with their status.
bool isPlainError(QNetworkReply::NetworkError error)
{
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

} // namespace

void UsageRequest::setIdleTimeout(std::chrono::milliseconds timeout)
{
    idleTimeout = timeout;
}

UsageRequest::Headers UsageRequest::bearerHeaders(const QByteArray &accessToken, const QByteArray &userAgent)
{
    return {
        {"Authorization", "Bearer " + accessToken},
        {"Accept", "application/json"},
        {"User-Agent", userAgent},
    };
}

QNetworkAccessManager &UsageRequest::networkManager()
{
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        // Honours http_proxy, https_proxy and no_proxy as users behind a proxy expect.
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    }
    return *manager;
}

QCoro::Task<HttpOutcome> UsageRequest::get(QUrl url, Headers headers)
{
    // A line break in a value (a token pasted with one, say) would smuggle in another header.
    for (const auto &[name, value] : headers) {
        if (value.contains('\r') || value.contains('\n') || value.contains('\0'))
            co_return PlainError{u"request header \"%1\" holds a line break"_s.arg(QString::fromLatin1(name))};
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);

    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        networkManager().get(request), [](QNetworkReply *r) { r->deleteLater(); });
    // Shared with the reply's handlers, which may outlive this frame if it is destroyed early.
    auto abort = std::make_shared<Abort>(Abort::none);

    auto *idle = new QTimer(reply.get());
    idle->setSingleShot(true);
    idle->setInterval(idleTimeout);
    QObject::connect(idle, &QTimer::timeout, reply.get(), [r = reply.get(), abort] {
        *abort = Abort::idle;
        r->abort();
    });
    const auto onProgress = [r = reply.get(), idle, abort](qint64 received, qint64 total) {
        idle->start();
        if (received > maxBodyBytes || total > maxBodyBytes) {
            *abort = Abort::tooLarge;
            r->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(), onProgress);
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, idle, qOverload<>(&QTimer::start));
    idle->start();

    co_await reply.get();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (*abort != Abort::none || isPlainError(reply->error()))
        co_return PlainError{describeFailure(*reply, *abort)};
    co_return HttpReply{status.toInt(), reply->readAll(), reply->rawHeader("Retry-After")}; // no status: not HTTP
}
