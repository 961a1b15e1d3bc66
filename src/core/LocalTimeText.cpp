#include "LocalTimeText.h"

#include <QLocale>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace LocalTimeText {

namespace {

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

} // namespace

QString when(const QDateTime &moment, const QDateTime &now)
{
    const QLocale locale;
    const QDateTime local = moment.toLocalTime();
    const QString time = hoursAndMinutes(locale, local.time());
    const qint64 daysAhead = now.toLocalTime().date().daysTo(local.date());
    if (daysAhead == 0)
        return time;
    if (daysAhead > 0 && daysAhead < 7)
        return locale.dayName(local.date().dayOfWeek(), QLocale::ShortFormat) + u' ' + time;
    return dayAndMonth(locale, local.date());
}

} // namespace LocalTimeText
