#include "WindowLineText.h"

#include "LocalTimeText.h"

#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;

namespace WindowLineText {

namespace {

const QString indent = u"    "_s;

QString remainingText(double percent)
{
    // Halves away from zero, as std::round does. Only what fits a qint64 converts to one; the
    // comparison is false for infinities and NaN as well.
    const double rounded = std::round(percent);
    return std::abs(rounded) < 0x1p63 ? QString::number(qint64(rounded)) : u"?"_s;
}

} // namespace

QString resetSuffix(const QDateTime &resetAt, const QDateTime &now)
{
    if (!resetAt.isValid())
        return {};
    return u" \u00B7 resets "_s + LocalTimeText::when(resetAt, now);
}

QString menuLine(const UsageWindow &window, const QDateTime &now, bool withReset)
{
    const QString line = indent + window.displayLabel() + u": "_s + remainingText(window.remainingPercent)
        + u"% left, "_s + window.pressureDisplay() + u' ' + window.pressureLabel().toLower();
    if (window.blocked)
        return line + u" \u00B7 blocked"_s + window.blocked->untilText(now);
    return withReset ? line + resetSuffix(window.resetAt, now) : line;
}

QString briefLine(const UsageWindow &window)
{
    return window.displayLabel() + u' ' + remainingText(window.remainingPercent) + u"% left"_s;
}

QString toolTip(const UsageStatus &status, const QDateTime &now, bool withReset)
{
    QStringList lines;
    for (const ProviderResult &result : status.results) {
        if (result.blocked)
            lines.append(result.displayName() + u" blocked"_s + result.blocked->untilText(now));
    }
    const auto worst = status.worst();
    lines.append(withReset && worst ? status.summary() + resetSuffix(worst->resetAt, now) : status.summary());
    return lines.join(u'\n');
}

} // namespace WindowLineText
