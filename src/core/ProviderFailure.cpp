#include "ProviderFailure.h"

#include "RetryAfter.h"
#include "StoredText.h"

using namespace Qt::StringLiterals;

namespace ProviderFailure {

ProviderResult of(Provider provider, const QString &error, bool needsAuth)
{
    return {provider, false, u"error"_s, error, {}, needsAuth};
}

ProviderResult beforeRequest(Provider provider, const QString &error, bool needsAuth)
{
    ProviderResult result = of(provider, error, needsAuth);
    result.failedBeforeRequest = true;
    return result;
}

ProviderResult ofReply(Provider provider, const HttpReply &reply, const QDateTime &now)
{
    const QString error = reply.status == 0
        ? StoredText::english(StoredText::fetchFailed)
        : StoredText::english(StoredText::fetchFailedWithStatus).arg(reply.status);
    ProviderResult result = of(provider, error);
    // GitHub answers a spent request quota and its secondary limits with a 403 that says when to
    // come back; a bare 403 is a refusal.
    const bool saysWhen = !reply.retryAfter.trimmed().isEmpty() || reply.spentQuotaBack.isValid();
    result.rateLimited = reply.status == 429 || (reply.status == 403 && saysWhen);
    if (result.rateLimited || reply.status == 503)
        result.retryAfter = replyWait(reply.retryAfter, reply.spentQuotaBack, now);
    return result;
}

} // namespace ProviderFailure
