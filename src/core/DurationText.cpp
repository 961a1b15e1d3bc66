#include "DurationText.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString say(Wording wording, const char *text)
{
    return worded(wording, "DurationText", text);
}

// "3 h 10 min", or "3 h" when the smaller unit is none.
QString twoUnits(Wording wording, qint64 large, qint64 small, const char *both, const char *largeOnly)
{
    if (small == 0)
        return say(wording, largeOnly).arg(large);
    return say(wording, both).arg(large).arg(small);
}

} // namespace

QString compactDuration(double seconds, Wording wording)
{
    if (!(seconds >= 30)) // NaN too
        return say(wording, QT_TRANSLATE_NOOP("DurationText", "under 1 min"));
    seconds = std::min(seconds, 1e12); // far beyond any window, still exact in a qint64
    const auto minutes = qint64(std::llround(seconds / 60));
    if (minutes < 60)
        return say(wording, QT_TRANSLATE_NOOP("DurationText", "%1 min")).arg(minutes);
    if (minutes < 24 * 60)
        return twoUnits(wording, minutes / 60, minutes % 60, QT_TRANSLATE_NOOP("DurationText", "%1 h %2 min"),
                        QT_TRANSLATE_NOOP("DurationText", "%1 h"));
    const auto hours = qint64(std::llround(seconds / 3600));
    return twoUnits(wording, hours / 24, hours % 24, QT_TRANSLATE_NOOP("DurationText", "%1 d %2 h"),
                    QT_TRANSLATE_NOOP("DurationText", "%1 d"));
}

QString asOfText(double secondsAgo, Wording wording)
{
    if (!(secondsAgo >= 30))
        return say(wording, QT_TRANSLATE_NOOP("DurationText", "as of just now"));
    return say(wording, QT_TRANSLATE_NOOP("DurationText", "as of %1 ago")).arg(compactDuration(secondsAgo, wording));
}
