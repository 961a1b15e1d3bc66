#include "CodexBlocking.h"

#include "OutsideText.h"
#include "StoredText.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace CodexBlocking {

namespace {

std::optional<RateLimitWindow> namedWindow(const RateLimit &limit, const QString &type)
{
    if (type.contains(u"primary"_s, Qt::CaseInsensitive))
        return limit.primaryWindow;
    if (type.contains(u"secondary"_s, Qt::CaseInsensitive))
        return limit.secondaryWindow;
    for (const auto &window : {limit.primaryWindow, limit.secondaryWindow}) {
        if (window && type.contains(CodexUsageClient::lengthWord(window->limitWindowSeconds), Qt::CaseInsensitive))
            return window;
    }
    return std::nullopt;
}

// Of the windows used up, the one that resets last: requests wait for it.
std::optional<RateLimitWindow> usedUpWindow(const RateLimit &limit)
{
    std::optional<RateLimitWindow> found;
    for (const auto &window : {limit.primaryWindow, limit.secondaryWindow}) {
        if (window && window->usedPercent >= 100 && (!found || window->resetAt > found->resetAt))
            found = window;
    }
    return found;
}

// "workspace_member_usage_limit_reached" reads "workspace member usage limit".
QString typeWords(const QString &type)
{
    QString words = QString(type).replace(u'_', u' ').trimmed();
    if (words.endsWith(u" reached"_s, Qt::CaseInsensitive))
        words.chop(8);
    return OutsideText::name(words);
}

} // namespace

bool refuses(const QJsonValue &rateLimit)
{
    return rateLimit["allowed"_L1] == QJsonValue(false) || rateLimit["limit_reached"_L1] == QJsonValue(true);
}

QString reachedType(const QJsonValue &value)
{
    return value.isObject() ? value["type"_L1].toString() : value.toString();
}

std::optional<Blocked> of(const RateLimit &limit, const QString &reachedType, const QString &limitName)
{
    if (!limit.refused)
        return std::nullopt;
    auto window = namedWindow(limit, reachedType);
    if (!window)
        window = usedUpWindow(limit);
    if (window) {
        const QString length = CodexUsageClient::lengthWord(window->limitWindowSeconds);
        return Blocked{OutsideText::name(limitName.isEmpty() ? length : limitName + u' ' + length, u" limit"_s),
                       dateFromEpochTime(window->resetAt)};
    }
    const QString type = typeWords(reachedType);
    if (!type.isEmpty())
        return Blocked{type, {}};
    return Blocked{limitName.isEmpty() ? StoredText::english(StoredText::usageLimit) : OutsideText::name(limitName, u" limit"_s), {}};
}

} // namespace CodexBlocking
