#include "UsageRequest.h"

#include "Diagnostics.h"
#include "RetryAfter.h"
#include "StoredText.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

#include <QCoroSignal>

#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

std::chrono::milliseconds idleTimeout = UsageRequest::defaultIdleTimeout;
std::chrono::milliseconds deadline = UsageRequest::defaultDeadline;

// What Qt may hold of an answer before it is taken: Qt stops reading the socket at this mark.
constexpr qint64 readBufferBytes = 64 * 1024;

enum class Abort { none, idle, deadline, tooLarge };

double seconds(std::chrono::milliseconds duration)
{
    return std::chrono::duration<double>(duration).count();
}

QString originOf(const QUrl &url)
{
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                        | QUrl::RemoveUserInfo)
        .toString();
}

// Takes a reply's body as it comes, never more than the cap, and ends the reply when it stalls,
// takes too long or grows too large. A child of the reply: its handlers live as long as it does.
class Transfer : public QObject
{
    Q_OBJECT
public:
    explicit Transfer(QNetworkReply *reply)
        : QObject(reply)
        , m_reply(reply)
    {
        reply->setReadBufferSize(readBufferBytes);
        m_idle.setSingleShot(true);
        m_deadline.setSingleShot(true);
        connect(&m_idle, &QTimer::timeout, this, [this] { stop(Abort::idle); });
        connect(&m_deadline, &QTimer::timeout, this, [this] { stop(Abort::deadline); });
        connect(reply, &QNetworkReply::metaDataChanged, this, &Transfer::refuseLargeAnnouncement);
        connect(reply, &QNetworkReply::readyRead, this, &Transfer::readAvailable);
        connect(reply, &QNetworkReply::downloadProgress, &m_idle, qOverload<>(&QTimer::start));
        connect(reply, &QNetworkReply::finished, this, &Transfer::end);
        connect(reply, &QNetworkReply::errorOccurred, this, &Transfer::endAfterError);
        m_idle.start(idleTimeout);
        m_deadline.start(deadline);
    }

    Abort abort() const { return m_abort; }

    // What arrived, once the reply has finished.
    QByteArray takeBody()
    {
        readAvailable();
        return std::exchange(m_body, {});
    }

Q_SIGNALS:
    // Once: the reply finished, or failed in a way that leaves nothing more to wait for.
    void ended();

private:
    void end()
    {
        if (!std::exchange(m_ended, true))
            Q_EMIT ended();
    }

    // Every error is followed by the end of the reply, but for one: a body that fails to
    // inflate (past the decompression check, say) leaves Qt 6.4 waiting for the rest for ever.
    void endAfterError()
    {
        QMetaObject::invokeMethod(this, &Transfer::end, Qt::QueuedConnection);
    }

    void refuseLargeAnnouncement()
    {
        m_idle.start();
        if (m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > UsageRequest::maxBodyBytes)
            stop(Abort::tooLarge);
    }

    void readAvailable()
    {
        if (m_abort != Abort::none)
            return;
        m_body += m_reply->readAll();
        if (m_body.size() > UsageRequest::maxBodyBytes)
            stop(Abort::tooLarge);
    }

    void stop(Abort reason)
    {
        if (m_abort != Abort::none)
            return;
        m_abort = reason;
        m_body.clear();
        m_reply->abort();
    }

    QNetworkReply *m_reply;
    QTimer m_idle;
    QTimer m_deadline;
    QByteArray m_body;
    Abort m_abort = Abort::none;
    bool m_ended = false;
};

QString describeFailure(const QNetworkReply &reply, Abort abort)
{
    switch (abort) {
    case Abort::idle:
        return StoredText::english(StoredText::timedOut).arg(seconds(idleTimeout));
    case Abort::deadline:
        return StoredText::english(StoredText::tookTooLong).arg(seconds(deadline));
    case Abort::tooLarge:
        return StoredText::english(StoredText::tooLarge).arg(UsageRequest::maxBodyBytes);
    case Abort::none:
        break;
    }
    switch (reply.error()) {
    case QNetworkReply::OperationCanceledError:
        return StoredText::english(StoredText::cancelled);
    case QNetworkReply::TooManyRedirectsError:
        return StoredText::english(StoredText::tooManyRedirects);
    case QNetworkReply::InsecureRedirectError: {
        const QUrl target = QUrl::fromEncoded(reply.rawHeader("Location"));
        return StoredText::english(StoredText::redirectRefused).arg(
            originOf(reply.url().resolved(target)));
    }
    default:
        break;
    }
    const QString text = reply.errorString();
    return text.isEmpty() ? StoredText::english(StoredText::networkError).arg(int(reply.error())) : text;
}

// Qt attaches a content or server error to every 4xx and 5xx answer: those stay answers, told by
// their status. Any other error (connection, proxy, protocol, content on a 2xx) failed the transfer.
bool isTransferFailure(QNetworkReply::NetworkError error, int status)
{
    if (error == QNetworkReply::NoError)
        return false;
    const bool contentOrServer = (error >= QNetworkReply::ContentAccessDenied
                                  && error <= QNetworkReply::UnknownContentError)
        || error >= QNetworkReply::InternalServerError;
    return !(contentOrServer && status >= 400);
}

HttpOutcome outcomeOf(const QNetworkReply &reply, Transfer &transfer)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); // 0: not HTTP
    QByteArray body = transfer.takeBody();
    if (transfer.abort() != Abort::none || isTransferFailure(reply.error(), status))
        return PlainError{describeFailure(reply, transfer.abort())};
    HttpReply answer{status, std::move(body), reply.rawHeader("Retry-After"),
                     spentQuotaReturn(reply.rawHeader("x-ratelimit-remaining"), reply.rawHeader("x-ratelimit-reset"))};
    // Qt does not always report a server that closed before the length it announced.
    const qint64 announced = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (answer.isSuccess() && announced > answer.body.size())
        return PlainError{StoredText::english(StoredText::endedEarly).arg(answer.body.size()).arg(announced)};
    return answer;
}

} // namespace

void UsageRequest::setIdleTimeout(std::chrono::milliseconds timeout)
{
    idleTimeout = timeout;
}

void UsageRequest::setDeadline(std::chrono::milliseconds limit)
{
    deadline = limit;
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
    // A line break in a value (a token pasted with one, say) would smuggle in another header,
    // and a NUL byte would cut the value short.
    for (const auto &[name, value] : headers) {
        const QString header = QString::fromLatin1(name);
        if (value.contains('\r') || value.contains('\n'))
            co_return PlainError{u"request header \"%1\" holds a line break"_s.arg(header)};
        if (value.contains('\0'))
            co_return PlainError{u"request header \"%1\" holds a NUL byte"_s.arg(header)};
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);

    // Qt checks decompressed answers for bombs only past this size; a plain answer's cap is enough.
    request.setDecompressedSafetyCheckThreshold(maxBodyBytes);

    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        networkManager().get(request), [](QNetworkReply *r) { r->deleteLater(); });
    auto *transfer = new Transfer(reply.get());
    qCDebug(lcCore) << "asking" << url.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery);
    if (!reply->isFinished()) // a local file's reply is finished from the start
        co_await qCoro(transfer, &Transfer::ended);
    qCDebug(lcCore) << "answer from" << url.host() << "HTTP"
                    << reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() << reply->errorString();
    co_return outcomeOf(*reply, *transfer);
}

#include "UsageRequest.moc"
