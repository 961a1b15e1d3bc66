#include "WindowLineText.h"

#include <QLocale>
#include <QRegularExpression>

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

// Day and short month in the order of the locale's own dates: "18 Dec", "Dec 18".
QString dayAndMonth(const QLocale &locale, const QDate &date)
{
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const bool monthFirst = dateFormat.indexOf(u'M') < dateFormat.indexOf(u'd');
    return locale.toString(date, monthFirst ? u"MMM d"_s : u"d MMM"_s);
}

// The locale's short time, less the seconds some locales (C among them) keep in it.
QString hoursAndMinutes(const QLocale &locale, const QTime &time)
{
    static const QRegularExpression seconds(u"[^hHmaAp']*s+"_s);
    return locale.toString(time, locale.timeFormat(QLocale::ShortFormat).remove(seconds));
}

QString whenText(const QDateTime &reset, const QDateTime &now)
{
    const QLocale locale;
    const QString time = hoursAndMinutes(locale, reset.time());
    const qint64 daysAhead = now.date().daysTo(reset.date());
    if (daysAhead == 0)
        return time;
    if (daysAhead > 0 && daysAhead < 7)
        return locale.dayName(reset.date().dayOfWeek(), QLocale::ShortFormat) + u' ' + time;
    return dayAndMonth(locale, reset.date());
}

} // namespace

QString resetSuffix(const QDateTime &resetAt, const QDateTime &now)
{
    if (!resetAt.isValid())
        return {};
    return u" \u00B7 resets "_s + whenText(resetAt.toLocalTime(), now.toLocalTime());
}

QString shortDate(const QDateTime &when)
{
    return dayAndMonth(QLocale(), when.toLocalTime().date());
}

QString menuLine(const UsageWindow &window, const QDateTime &now, bool withReset)
{
    const QString line = indent + window.displayLabel() + u": "_s + remainingText(window.remainingPercent)
        + u"% left, "_s + window.pressureDisplay() + u' ' + window.pressureLabel().toLower();
    return withReset ? line + resetSuffix(window.resetAt, now) : line;
}

QString toolTip(const UsageStatus &status, const QDateTime &now, bool withReset)
{
    const auto worst = status.worst();
    if (!withReset || !worst)
        return status.summary();
    return status.summary() + resetSuffix(worst->resetAt, now);
}

} // namespace WindowLineText
