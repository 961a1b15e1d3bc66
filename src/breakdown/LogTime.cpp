#include "LogTime.h"

#include <QDateTime>

namespace {

// The number of the digits at text[from, from + count), or -1 where one is not a digit.
int digits(std::string_view text, size_t from, size_t count)
{
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int daysInMonth(int year, int month)
{
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
qint64 daysSinceEpoch(int year, int month, int day)
{
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return qint64(era) * 146097 + dayOfEra - 719468;
}

// "YYYY-MM-DDTHH:MM:SS", then ".mmm" or nothing, then "Z" or "+HH:MM" / "-HH:MM", after 1970
// (where a fraction rounds the same either way); nothing for any other, left to QDateTime.
std::optional<qint64> usualForm(std::string_view text)
{
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (year <= 1970 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 59 || day > daysInMonth(year, month))
        return std::nullopt;
    std::string_view zone = text.substr(19);
    if (zone.size() >= 4 && zone[0] == '.') {
        if (digits(zone, 1, 3) < 0)
            return std::nullopt;
        zone.remove_prefix(4);
    }
    qint64 offset = 0;
    if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
        const int hours = digits(zone, 1, 2);
        const int minutes = digits(zone, 4, 2);
        if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
            return std::nullopt;
        offset = (zone[0] == '+' ? 1 : -1) * (hours * 3600 + minutes * 60);
    } else if (zone != "Z") {
        return std::nullopt;
    }
    return daysSinceEpoch(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset;
}

} // namespace

std::optional<qint64> LogTime::secondsOf(std::string_view text)
{
    if (const std::optional<qint64> seconds = usualForm(text))
        return seconds;
    const QDateTime time =
        QDateTime::fromString(QString::fromUtf8(text.data(), qsizetype(text.size())), Qt::ISODateWithMs);
    return time.isValid() ? std::optional(time.toSecsSinceEpoch()) : std::nullopt;
}
