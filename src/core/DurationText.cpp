#include "DurationText.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString twoUnits(qint64 large, const QString &largeUnit, qint64 small, const QString &smallUnit)
{
    const QString first = QString::number(large) + u' ' + largeUnit;
    return small == 0 ? first : first + u' ' + QString::number(small) + u' ' + smallUnit;
}

} // namespace

QString compactDuration(double seconds)
{
    if (!(seconds >= 30)) // NaN too
        return u"under 1 min"_s;
    seconds = std::min(seconds, 1e12); // far beyond any window, still exact in a qint64
    const auto minutes = qint64(std::llround(seconds / 60));
    if (minutes < 60)
        return QString::number(minutes) + u" min"_s;
    if (minutes < 24 * 60)
        return twoUnits(minutes / 60, u"h"_s, minutes % 60, u"min"_s);
    const auto hours = qint64(std::llround(seconds / 3600));
    return twoUnits(hours / 24, u"d"_s, hours % 24, u"h"_s);
}

QString asOfText(double secondsAgo)
{
    if (!(secondsAgo >= 30))
        return u"as of just now"_s;
    return u"as of "_s + compactDuration(secondsAgo) + u" ago"_s;
}
