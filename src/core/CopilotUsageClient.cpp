#include "CopilotUsageClient.h"

#include "AnswerBounds.h"
#include "ClaudeUsageParser.h"
#include "EndpointUrl.h"
#include "GitHubToken.h"
#include "ProviderFailure.h"
#include "ProviderInput.h"
#include "StoredText.h"
#include "UsageRequest.h"

#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString documentName()
{
    return StoredText::english(StoredText::usageResponse);
}

ProviderResult answerDoesNotFit(const QString &member, StoredText::Form reason)
{
    return ProviderFailure::of(Provider::copilot, StoredText::english(StoredText::memberIs)
                                                      .arg(documentName(), member, StoredText::english(reason)));
}

// A good answer with nothing to measure.
ProviderResult withoutWindow(StoredText::Form why)
{
    return {Provider::copilot, true, u"live"_s, StoredText::english(why), {}, false};
}

bool isAbsent(const QJsonValue &value)
{
    return value.isUndefined() || value.isNull();
}

StoredText::Form whyNotANumber(const QJsonValue &value)
{
    if (value.isUndefined())
        return StoredText::isMissing;
    return value.isNull() ? StoredText::isNull : StoredText::isNotANumber;
}

ProviderResult failedReply(const HttpReply &reply, const QDateTime &now)
{
    if (reply.status == 401)
        return ProviderFailure::of(Provider::copilot, StoredText::english(StoredText::gitHubSignInRefused), true);
    // GitHub answers 404 to a token without the scopes or the seat to see it.
    if (reply.status == 404)
        return ProviderFailure::of(Provider::copilot, StoredText::english(StoredText::gitHubCannotSeeCopilot), true);
    return ProviderFailure::ofReply(Provider::copilot, reply, now);
}

} // namespace

CopilotUsageClient::CopilotUsageClient(Account account)
    : m_account(std::move(account))
{
}

QUrl CopilotUsageClient::usageUrl()
{
    return configuredEndpoint("TIDEMARKER_COPILOT_USAGE_URL", QUrl(u"https://api.github.com/copilot_internal/user"_s));
}

QDateTime CopilotUsageClient::resetAt(const QJsonObject &answer, const QDateTime &now)
{
    for (const QLatin1StringView member : {"quota_reset_date_utc"_L1, "quota_reset_date"_L1}) {
        const QJsonValue value = answer.value(member);
        if (const auto exact = ClaudeUsageParser::date(value))
            return *exact;
        const QDate day = QDate::fromString(value.toString(), Qt::ISODate);
        if (day.isValid())
            return QDateTime(day, QTime(0, 0), Qt::UTC);
    }
    // Premium requests are counted afresh on the first of each month, at midnight UTC.
    const QDate today = now.toUTC().date();
    return QDateTime(QDate(today.year(), today.month(), 1).addMonths(1), QTime(0, 0), Qt::UTC);
}

ProviderResult CopilotUsageClient::fromAnswer(const QByteArray &body, const QDateTime &now)
{
    const auto parsed = parseJsonDocument(body, documentName());
    if (const auto *error = std::get_if<PlainError>(&parsed))
        return ProviderFailure::of(Provider::copilot, error->description);
    if (!std::get<QJsonDocument>(parsed).isObject())
        return ProviderFailure::of(Provider::copilot, StoredText::english(StoredText::notJsonObject).arg(documentName()));
    const QJsonObject answer = std::get<QJsonDocument>(parsed).object();

    const QJsonValue snapshots = answer.value("quota_snapshots"_L1);
    if (isAbsent(snapshots))
        return withoutWindow(StoredText::noRateLimits);
    if (!snapshots.isObject())
        return answerDoesNotFit(u"quota_snapshots"_s, StoredText::isNotAnObject);
    const QString path = u"quota_snapshots.premium_interactions"_s;
    const QJsonValue premium = snapshots["premium_interactions"_L1];
    if (isAbsent(premium))
        return withoutWindow(StoredText::noRateLimits);
    if (!premium.isObject())
        return answerDoesNotFit(path, StoredText::isNotAnObject);
    if (premium["unlimited"_L1] == QJsonValue(true))
        return withoutWindow(StoredText::noPremiumRequestLimit);

    const QJsonValue percentValue = premium["percent_remaining"_L1];
    const auto percentRemaining = ClaudeUsageParser::numeric(percentValue);
    if (!percentRemaining || !std::isfinite(*percentRemaining))
        return answerDoesNotFit(path + u".percent_remaining"_s, whyNotANumber(percentValue));
    // Over the allowance the share left goes below zero; make() bounds the share used.
    const QDateTime reset = resetAt(answer, now);
    UsageWindow window = UsageWindow::make(Provider::copilot, WindowSpeed::slow, 100 - *percentRemaining, reset,
                                           double(reset.addMonths(-1).secsTo(reset)), now);
    window.name = StoredText::english(StoredText::monthly);
    ProviderResult result{Provider::copilot, true, u"live"_s, std::nullopt, {window}, false};
    AnswerBounds::dropUnreadable(result.windows);
    return result;
}

QCoro::Task<ProviderResult> CopilotUsageClient::result(QDateTime now) const
{
    // No lambda with captures inside the co_await: GCC 12 destroys its captures twice.
    QFuture<std::variant<std::optional<QString>, PlainError>> finding = QtConcurrent::run(&GitHubToken::find, m_account);
    const auto found = co_await finding;
    if (const auto *error = std::get_if<PlainError>(&found))
        co_return ProviderFailure::beforeRequest(Provider::copilot, error->description, false);
    const std::optional<QString> token = std::get<std::optional<QString>>(found);
    if (!token) {
        co_return ProviderFailure::beforeRequest(Provider::copilot, StoredText::english(StoredText::gitHubNotSignedIn),
                                                 true);
    }

    const UsageRequest::Headers headers = UsageRequest::bearerHeaders(token->toUtf8());
    const HttpOutcome outcome = co_await UsageRequest::get(usageUrl(), headers);
    if (const auto *error = std::get_if<PlainError>(&outcome))
        co_return ProviderFailure::of(Provider::copilot, error->description);
    const HttpReply reply = std::get<HttpReply>(outcome);
    if (!reply.isSuccess())
        co_return failedReply(reply, now);
    co_return fromAnswer(reply.body, now);
}
