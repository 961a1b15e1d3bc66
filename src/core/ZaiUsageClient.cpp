#include "ZaiUsageClient.h"

#include "AnswerBounds.h"
#include "ApiKeyStore.h"
#include "EndpointUrl.h"
#include "OutsideText.h"
#include "ProviderFailure.h"
#include "ProviderInput.h"
#include "StoredText.h"
#include "UsageRequest.h"
#include "ZaiUsageParser.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// As much of the service's message as a menu line holds.
constexpr qsizetype maxMessageLength = 160;

ProviderResult failed(const QString &error)
{
    return ProviderFailure::of(Provider::zai, error);
}

ProviderResult keyRefused()
{
    return ProviderFailure::of(Provider::zai, StoredText::english(StoredText::keyRefused), true);
}

// 1001 no key sent, 1002 a key not known, 1003 one expired.
bool refusesTheKey(const std::optional<double> &code)
{
    return code && *code >= 1001 && *code <= 1003;
}

// The service's own words, one bounded line, with the key cut out should it be quoted.
ProviderResult refused(const ZaiRefusal &refusal, const QString &key)
{
    QString message = refusal.message;
    if (!key.isEmpty())
        message.replace(key, u"…"_s);
    message = OutsideText::cut(message.simplified(), maxMessageLength); // a line break parts words too
    if (message.isEmpty())
        message = StoredText::english(StoredText::fetchFailed);
    if (!refusal.code)
        return failed(message);
    return failed(StoredText::english(StoredText::withCode).arg(message, QString::number(*refusal.code, 'g', 15)));
}

ProviderResult fromWindows(const ZaiWindows &found)
{
    if (found.windows.isEmpty() && found.extraWindows.isEmpty())
        return failed(StoredText::english(StoredText::noUsageWindows));
    ProviderResult result{Provider::zai, true, u"live"_s, std::nullopt, found.windows, false};
    result.extraWindows = found.extraWindows;
    result.moreExtraLimits = AnswerBounds::keepTightest(result.extraWindows);
    return result;
}

ProviderResult fromReply(const HttpReply &reply, const QString &key, const QDateTime &now)
{
    if (reply.status == 401)
        return keyRefused();
    if (reply.status == 429 || reply.status == 503)
        return ProviderFailure::ofReply(Provider::zai, reply, now);
    const auto parsed = parseJsonDocument(reply.body, StoredText::english(StoredText::usageResponse));
    const auto *document = std::get_if<QJsonDocument>(&parsed);
    if (!reply.isSuccess() && !(document && document->isObject()))
        return ProviderFailure::ofReply(Provider::zai, reply, now);
    if (const auto *error = std::get_if<PlainError>(&parsed))
        return failed(error->description);
    if (!document->isObject())
        return failed(StoredText::english(StoredText::notJsonObject).arg(StoredText::english(StoredText::usageResponse)));

    const QJsonObject answer = document->object();
    if (const auto refusal = ZaiUsageParser::refusal(answer))
        return refusesTheKey(refusal->code) ? keyRefused() : refused(*refusal, key);
    if (!reply.isSuccess())
        return ProviderFailure::ofReply(Provider::zai, reply, now);
    const auto found = ZaiUsageParser::windows(answer, now);
    if (const auto *error = std::get_if<PlainError>(&found))
        return failed(error->description);
    return fromWindows(std::get<ZaiWindows>(found));
}

UsageRequest::Headers requestHeaders(const QString &key)
{
    // The key goes as it is: the mainland host refuses it after "Bearer ".
    return {{"Authorization", key.toUtf8()},
            {"Accept", "application/json"},
            {"Accept-Language", "en-US,en"},
            {"User-Agent", UsageRequest::productToken}};
}

bool isDefault(const Account &account)
{
    return account.folder.isEmpty() || account.folder == ZaiUsageClient::defaultFolder();
}

} // namespace

ZaiUsageClient::ZaiUsageClient(Account account, QString key)
    : m_account(std::move(account))
    , m_key(key.trimmed())
{
}

QString ZaiUsageClient::defaultFolder()
{
    return u"zai-default"_s;
}

QUrl ZaiUsageClient::usageUrl()
{
    return configuredEndpoint("TIDEMARKER_ZAI_USAGE_URL", QUrl(u"https://api.z.ai/api/monitor/usage/quota/limit"_s));
}

QCoro::Task<ProviderResult> ZaiUsageClient::result(QDateTime now) const
{
    if (m_key.isEmpty()) {
        ProviderResult result = ProviderFailure::beforeRequest(Provider::zai, StoredText::english(StoredText::noApiKey), true);
        result.account = m_account;
        co_return result;
    }
    // The client may be gone when the answer comes.
    const QString key = m_key;
    const Account account = m_account;
    const UsageRequest::Headers headers = requestHeaders(key);
    const HttpOutcome outcome = co_await UsageRequest::get(usageUrl(), headers);
    const auto *error = std::get_if<PlainError>(&outcome);
    ProviderResult result = error ? failed(error->description) : fromReply(std::get<HttpReply>(outcome), key, now);
    result.account = account;
    co_return result;
}

QCoro::Task<ProviderResult> ZaiUsageClient::fetch(Account account, QDateTime now)
{
    QString key = qEnvironmentVariable(keyVariable);
    if (!isDefault(account)) {
        const QByteArray fallback(keyVariable);
        const KeyringAnswer answer = co_await ApiKeyStore::read(account.folder, fallback);
        if (answer.state == KeyringAnswer::State::failed) {
            co_return ProviderFailure::beforeRequest(
                Provider::zai, StoredText::english(StoredText::keyringFailed).arg(OutsideText::cut(answer.problem, maxMessageLength)),
                false);
        }
        key = answer.key;
    }
    const ZaiUsageClient client(account, key);
    ProviderResult result = co_await client.result(now);
    co_return result;
}
