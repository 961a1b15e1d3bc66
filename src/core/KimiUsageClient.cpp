#include "KimiUsageClient.h"

#include "AnswerBounds.h"
#include "ClaudeUsageParser.h"
#include "EndpointUrl.h"
#include "KimiUsageParser.h"
#include "ProviderFailure.h"
#include "ProviderInput.h"
#include "StoredText.h"
#include "UsageRequest.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

using namespace Qt::StringLiterals;

namespace {

QString credentialsIn(const QString &folder)
{
    return QDir(folder).filePath(u"credentials/kimi-code.json"_s);
}

bool isDefaultFolder(const QString &folder)
{
    return folder.isEmpty() || QDir::cleanPath(folder) == QDir::cleanPath(KimiUsageClient::defaultFolder());
}

ProviderResult notSignedIn()
{
    return ProviderFailure::beforeRequest(Provider::kimi, StoredText::english(StoredText::kimiNotSignedIn), true);
}

// A record that cannot be read is mended by a new sign-in, which writes it afresh.
std::variant<KimiCredential, ProviderResult> credentialFromRecord(const QByteArray &record, const QString &shownAs)
{
    const auto parsed = parseJsonDocument(record, shownAs);
    if (const auto *error = std::get_if<PlainError>(&parsed))
        return ProviderFailure::beforeRequest(Provider::kimi, error->description, true);
    const QJsonDocument &document = std::get<QJsonDocument>(parsed);
    if (!document.isObject()) {
        return ProviderFailure::beforeRequest(Provider::kimi, StoredText::english(StoredText::notJsonObject).arg(shownAs),
                                              true);
    }
    const QJsonObject object = document.object();
    const QString accessToken = object.value("access_token"_L1).toString().trimmed();
    if (accessToken.isEmpty())
        return notSignedIn();
    // Seconds since the epoch, with a fraction; anything else leaves the expiry unknown.
    const auto expiresAt = ClaudeUsageParser::numeric(object.value("expires_at"_L1));
    if (!expiresAt)
        return KimiCredential{accessToken, std::nullopt};
    return KimiCredential{accessToken, dateFromEpochSeconds(*expiresAt)};
}

} // namespace

KimiUsageClient::KimiUsageClient(Account account)
    : m_account(std::move(account))
{
}

QString KimiUsageClient::defaultFolder()
{
    return folderFromEnvironment("KIMI_CODE_HOME", u".kimi-code"_s);
}

QString KimiUsageClient::credentialPath(const Account &account)
{
    const QString current = credentialsIn(account.folder.isEmpty() ? defaultFolder() : account.folder);
    if (!isDefaultFolder(account.folder) || QFileInfo::exists(current))
        return current;
    const QString legacy = credentialsIn(folderFromEnvironment("KIMI_SHARE_DIR", u".kimi"_s));
    return QFileInfo::exists(legacy) ? legacy : current;
}

std::variant<KimiCredential, ProviderResult> KimiUsageClient::loadCredential(const Account &account)
{
    const QString path = credentialPath(account);
    const QString shownAs = homeRelative(path);
    const auto bytes = readSmallFile(path, shownAs);
    if (const auto *error = std::get_if<FileReadError>(&bytes)) {
        if (error->missing)
            return notSignedIn();
        return ProviderFailure::beforeRequest(Provider::kimi, error->description, error->tooLarge);
    }
    return credentialFromRecord(std::get<QByteArray>(bytes), shownAs);
}

QUrl KimiUsageClient::usageUrl()
{
    return configuredEndpoint("TIDEMARKER_KIMI_USAGE_URL", QUrl(u"https://api.kimi.com/coding/v1/usages"_s));
}

QCoro::Task<ProviderResult> KimiUsageClient::result(QDateTime now) const
{
    // No lambda with captures inside the co_await: GCC 12 destroys its captures twice.
    QFuture<std::variant<KimiCredential, ProviderResult>> loading = QtConcurrent::run(&loadCredential, m_account);
    const auto credential = co_await loading;
    if (const auto *failure = std::get_if<ProviderResult>(&credential))
        co_return *failure;
    const KimiCredential found = std::get<KimiCredential>(credential);
    if (found.expiresAt && *found.expiresAt <= now) {
        co_return ProviderFailure::beforeRequest(Provider::kimi, StoredText::english(StoredText::kimiSignInExpired),
                                                 true);
    }

    const UsageRequest::Headers headers = UsageRequest::bearerHeaders(found.accessToken.toUtf8());
    const HttpOutcome outcome = co_await UsageRequest::get(usageUrl(), headers);
    if (const auto *error = std::get_if<PlainError>(&outcome))
        co_return ProviderFailure::of(Provider::kimi, error->description);
    const HttpReply reply = std::get<HttpReply>(outcome);
    if (reply.status == 401)
        co_return ProviderFailure::of(Provider::kimi, StoredText::english(StoredText::kimiSignInRefused), true);
    if (!reply.isSuccess())
        co_return ProviderFailure::ofReply(Provider::kimi, reply, now);

    const auto usage = KimiUsageParser::parse(reply.body, now);
    if (const auto *error = std::get_if<PlainError>(&usage))
        co_return ProviderFailure::of(Provider::kimi, error->description);
    ProviderResult result{Provider::kimi, true, u"live"_s, std::nullopt, std::get<KimiUsage>(usage).windows, false};
    AnswerBounds::dropUnreadable(result.windows);
    result.extraWindows = std::get<KimiUsage>(usage).extraWindows;
    AnswerBounds::dropUnreadable(result.extraWindows);
    result.moreExtraLimits = AnswerBounds::keepTightest(result.extraWindows);
    // A plan without allowances answers well but has nothing to measure.
    if (result.windows.isEmpty())
        result.error = StoredText::english(StoredText::noRateLimits);
    co_return result;
}
