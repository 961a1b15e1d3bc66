#include "CodexResetCredits.h"

#include "AnswerBounds.h"
#include "ClaudeUsageParser.h"
#include "CodexUsageClient.h"
#include "Diagnostics.h"
#include "ProviderInput.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString document = u"reset-credits response"_s;

PlainError misshapen(const QString &member, const QString &reason)
{
    return {document + u": \""_s + member + u"\" "_s + reason};
}

// Missing or null is no expiry at all; anything else must be a date.
std::variant<std::optional<QDateTime>, PlainError> expiryOf(const QJsonValue &credit)
{
    const QJsonValue expiresAt = credit["expires_at"_L1];
    if (expiresAt.isUndefined() || expiresAt.isNull())
        return std::optional<QDateTime>();
    const auto date = ClaudeUsageParser::date(expiresAt);
    if (!date)
        return misshapen(u"credits[].expires_at"_s, u"is not a date"_s);
    return date;
}

} // namespace

CodexResetCredits::CodexResetCredits(const QUrl &usageUrl)
    : m_url(listUrl(usageUrl))
{
}

QUrl CodexResetCredits::listUrl(const QUrl &usageUrl)
{
    return usageUrl.resolved(QUrl(u"/backend-api/wham/rate-limit-reset-credits"_s));
}

// The service's count says whether there are any; its list, where it gives one, which count:
// consumed and expired credits do not.
CodexResetCredits::Outcome CodexResetCredits::decode(const QByteArray &json, const QDateTime &now)
{
    const auto parsed = parseJsonDocument(json, document);
    if (const auto *error = std::get_if<PlainError>(&parsed))
        return *error;
    if (!std::get<QJsonDocument>(parsed).isObject())
        return PlainError{document + u" is not a JSON object"_s};
    const QJsonObject answer = std::get<QJsonDocument>(parsed).object();
    const auto count = ClaudeUsageParser::numeric(answer.value("available_count"_L1));
    if (!count || !std::isfinite(*count))
        return misshapen(u"available_count"_s, u"is not a number"_s);
    const QJsonValue listed = answer.value("credits"_L1);
    if (!listed.isUndefined() && !listed.isNull() && !listed.isArray())
        return misshapen(u"credits"_s, u"is not a list"_s);

    int available = 0;
    QDateTime nextExpiry;
    for (const QJsonValue &credit : listed.toArray()) {
        if (!credit.isObject())
            return misshapen(u"credits[]"_s, u"holds something that is not an object"_s);
        const auto expiry = expiryOf(credit);
        if (const auto *error = std::get_if<PlainError>(&expiry))
            return *error;
        const std::optional<QDateTime> &expiresAt = std::get<std::optional<QDateTime>>(expiry);
        const bool isAvailable = credit["status"_L1].toString().compare(u"available"_s, Qt::CaseInsensitive) == 0;
        if (!isAvailable || (expiresAt && *expiresAt <= now))
            continue;
        ++available;
        if (expiresAt && AnswerBounds::isWritable(*expiresAt) && (!nextExpiry.isValid() || *expiresAt < nextExpiry))
            nextExpiry = *expiresAt;
    }
    const double counted = listed.isArray() ? available : std::floor(*count);
    if (!(*count >= 1) || counted < 1)
        return std::optional<ResetCredits>();
    return ResetCredits{int(std::min<double>(counted, AnswerBounds::maxResetCredits)), nextExpiry};
}

QCoro::Task<CodexResetCredits::Outcome> CodexResetCredits::fetch(QUrl url, QString folder, QDateTime now)
{
    const auto signIn = co_await CodexUsageClient::requestHeaders(folder);
    if (const auto *failure = std::get_if<CodexFailure>(&signIn))
        co_return PlainError{CodexUsageClient::describe(*failure, folder)};
    const UsageRequest::Headers headers = std::get<UsageRequest::Headers>(signIn);
    const HttpOutcome outcome = co_await UsageRequest::get(url, headers);
    if (const auto *error = std::get_if<PlainError>(&outcome))
        co_return *error;
    const HttpReply &reply = std::get<HttpReply>(outcome);
    // Accounts the service keeps no list for.
    if (reply.status == 404)
        co_return std::optional<ResetCredits>();
    if (!reply.isSuccess())
        co_return PlainError{u"HTTP "_s + QString::number(reply.status)};
    co_return decode(reply.body, now);
}

bool CodexResetCredits::claim(const Account &account, ContinuousClock::time_point elapsed)
{
    Asked &asked = m_asked[account.id()];
    if (asked.at && elapsed - *asked.at < period)
        return false;
    asked.at = elapsed;
    return true;
}

bool CodexResetCredits::take(const Account &account, const Outcome &outcome)
{
    const auto asked = m_asked.find(account.id());
    if (asked == m_asked.end())
        return false; // dropped while it was asked
    const auto *failure = std::get_if<PlainError>(&outcome);
    if (failure && !std::exchange(m_failureSaid, true))
        qCWarning(lcCore).noquote() << account.displayName() + u": banked resets not shown: "_s + failure->description;
    const std::optional<ResetCredits> known = failure ? std::nullopt : std::get<std::optional<ResetCredits>>(outcome);
    return std::exchange(asked->second.known, known) != known;
}

std::optional<ResetCredits> CodexResetCredits::known(const Account &account) const
{
    const auto asked = m_asked.find(account.id());
    return asked == m_asked.end() ? std::nullopt : asked->second.known;
}

void CodexResetCredits::makeAllDue()
{
    for (auto &[account, asked] : m_asked)
        asked.at.reset();
}

void CodexResetCredits::keepOnly(const QList<Account> &accounts)
{
    std::erase_if(m_asked, [&accounts](const auto &entry) {
        return std::ranges::find(accounts, entry.first, &Account::id) == accounts.end();
    });
}
