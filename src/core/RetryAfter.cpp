#include "RetryAfter.h"

#include <algorithm>

namespace {

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Qt reads IMF-fixdate as RFC 2822 once its "GMT" is gone (no zone there means UTC), and the
// obsolete asctime form as it stands; either way in UTC, clear of local-time gaps. Invalid
// for anything else.
QDateTime httpDate(QString text)
{
    if (text.endsWith(u" GMT"))
        text.chop(4);
    return QDateTime::fromString(text, Qt::RFC2822Date);
}

bool isAsciiNumber(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), isAsciiDigit);
}

} // namespace

std::chrono::seconds retryAfterWait(const QByteArray &field, const QDateTime &now)
{
    const QByteArray text = field.trimmed();
    if (isAsciiNumber(text)) {
        bool fits = false;
        const qint64 seconds = text.toLongLong(&fits);
        return fits ? std::chrono::seconds(seconds) : std::chrono::seconds::max(); // still a number
    }
    const QDateTime date = httpDate(QString::fromLatin1(text));
    return std::chrono::seconds(date.isValid() ? std::max<qint64>(now.secsTo(date), 0) : 0);
}

QDateTime spentQuotaReturn(const QByteArray &remaining, const QByteArray &reset)
{
    const QByteArray when = reset.trimmed();
    bool fits = false;
    const qint64 seconds = when.toLongLong(&fits);
    if (remaining.trimmed() != "0" || !isAsciiNumber(when) || !fits)
        return {};
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

std::chrono::seconds replyWait(const QByteArray &retryAfter, const QDateTime &spentQuotaBack, const QDateTime &now)
{
    if (retryAfter.trimmed().isEmpty() && spentQuotaBack.isValid())
        return std::chrono::seconds(std::max<qint64>(now.secsTo(spentQuotaBack), 0));
    return retryAfterWait(retryAfter, now);
}
