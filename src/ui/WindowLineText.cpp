#include "WindowLineText.h"

#include "LocalNumberText.h"
#include "LocalTimeText.h"

#include <QCoreApplication>
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
    return std::abs(rounded) < 0x1p63 ? LocalNumberText::wholePercent(qint64(rounded)) : LocalNumberText::percent(u"?"_s);
}

} // namespace

QString resetSuffix(const QDateTime &resetAt, const QDateTime &now)
{
    if (!resetAt.isValid())
        return {};
    return QCoreApplication::translate("WindowLineText", " · resets %1").arg(LocalTimeText::when(resetAt, now));
}

QString menuLine(const UsageWindow &window, const QDateTime &now, bool withReset)
{
    // One arg() call: a second one would read a "%2" in a limit's name as its own.
    const QString line = indent
        + QCoreApplication::translate("WindowLineText", "%1: %2 left, %3 %4")
              .arg(window.displayLabel(), remainingText(window.remainingPercent), window.pressureDisplay(),
                   window.pressureLabel().toLower());
    if (window.blocked)
        return line + QCoreApplication::translate("WindowLineText", " · blocked") + window.blocked->untilText(now);
    return withReset ? line + resetSuffix(window.resetAt, now) : line;
}

QString briefLine(const UsageWindow &window)
{
    return QCoreApplication::translate("WindowLineText", "%1 %2 left").arg(window.displayLabel(), remainingText(window.remainingPercent));
}

QString toolTip(const UsageStatus &status, const QDateTime &now, bool withReset)
{
    QStringList lines;
    for (const ProviderResult &result : status.results) {
        if (result.blocked)
            lines.append(QCoreApplication::translate("WindowLineText", "%1 blocked").arg(result.displayName())
                         + result.blocked->untilText(now));
    }
    const auto worst = status.worst();
    lines.append(withReset && worst ? status.summary() + resetSuffix(worst->resetAt, now) : status.summary());
    return lines.join(u'\n');
}

} // namespace WindowLineText
