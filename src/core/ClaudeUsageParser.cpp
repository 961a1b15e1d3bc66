#include "ClaudeUsageParser.h"

#include <QRegularExpression>

#include <algorithm>
#include <clocale>
#include <ctype.h>
#include <stdlib.h>
#include <initializer_list>

#if defined(Q_OS_DARWIN) || defined(Q_OS_FREEBSD)
#include <xlocale.h>
#endif

using namespace Qt::StringLiterals;

namespace {

struct WindowRow {
    QLatin1StringView member;
    WindowSpeed speed;
    double lengthSeconds;
};

constexpr WindowRow windowRows[] = {
    {"five_hour"_L1, WindowSpeed::fast, 5 * 3600},
    {"seven_day"_L1, WindowSpeed::slow, 7 * 24 * 3600},
};

constexpr auto percentMembers = {"utilization"_L1, "used_percent"_L1, "utilization_percent"_L1};
constexpr auto fractionMembers = {"used"_L1, "used_fraction"_L1};
constexpr auto resetMembers = {"resets_at"_L1, "reset_at"_L1, "resetsAt"_L1};

// Above this a Unix time is taken for milliseconds; no reset lies 30,000 years away.
constexpr double millisecondsThreshold = 1e12;

// Qt adopts the user's locale at start, so the plain strtod could read "42,5" and refuse "42.5".
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

std::optional<double> cLocaleNumber(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    // strtod would skip leading white space, and would take the empty text for a zero.
    if (bytes.isEmpty() || isspace_l(static_cast<unsigned char>(bytes.front()), cLocale()))
        return std::nullopt;
    char *end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale());
    if (end != bytes.constData() + bytes.size())
        return std::nullopt;
    return value;
}

std::optional<double> firstNumber(const QJsonObject &object,
                                  std::initializer_list<QLatin1StringView> members)
{
    for (const QLatin1StringView member : members) {
        if (const auto number = ClaudeUsageParser::numeric(object.value(member)))
            return number;
    }
    return std::nullopt;
}

// Qt's ISO parser also takes a date alone, a time without seconds or zone (as local time),
// a comma before the fraction and 24:00, so the text must pass the internet profile first.
std::optional<QDateTime> internetDateTime(const QString &text)
{
    static const QRegularExpression profile(QRegularExpression::anchoredPattern(
        u"([0-9]{4}-[0-9]{2}-[0-9]{2}T(?:[01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9])(\\.[0-9]+)?"
        "(Z|[+-][0-9]{2}:[0-9]{2})"_s));
    const QRegularExpressionMatch match = profile.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    // Qt gives up on very long fractions; it keeps milliseconds only, so the rest can go.
    const QString kept = match.captured(1) + match.captured(2).left(4) + match.captured(3);
    const QDateTime date = QDateTime::fromString(kept, Qt::ISODateWithMs);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

} // namespace

QList<UsageWindow> ClaudeUsageParser::windows(const QJsonObject &response, const QDateTime &now)
{
    QList<UsageWindow> found;
    for (const WindowRow &row : windowRows) {
        const QJsonValue member = response.value(row.member);
        if (!member.isObject())
            continue;
        const QJsonObject window = member.toObject();
        const auto used = usedPercent(window);
        if (!used)
            continue;
        // Without a reset time, the whole window is taken to be still ahead.
        const QDateTime reset = resetDate(window).value_or(
            now.addSecs(static_cast<qint64>(row.lengthSeconds)));
        found.append(UsageWindow::make(Provider::claude, row.speed, *used, reset,
                                       row.lengthSeconds, now));
    }
    return found;
}

std::optional<double> ClaudeUsageParser::usedPercent(const QJsonObject &window)
{
    auto percent = firstNumber(window, percentMembers);
    if (!percent) {
        if (const auto fraction = firstNumber(window, fractionMembers))
            percent = *fraction * 100;
    }
    if (!percent)
        return std::nullopt;
    // Written so that a value that is not a number falls to the floor.
    return std::min(*percent >= 0 ? *percent : 0.0, 100.0);
}

std::optional<QDateTime> ClaudeUsageParser::resetDate(const QJsonObject &window)
{
    for (const QLatin1StringView member : resetMembers) {
        const QJsonValue value = window.value(member);
        if (value.isString()) {
            if (const auto date = internetDateTime(value.toString()))
                return date;
        }
        if (const auto time = numeric(value)) {
            return dateFromEpochSeconds(*time > millisecondsThreshold ? *time / 1000 : *time);
        }
    }
    return std::nullopt;
}

// JSON booleans are not numbers: no usage service sends a share as true or false.
std::optional<double> ClaudeUsageParser::numeric(const QJsonValue &value)
{
    if (value.isDouble())
        return value.toDouble();
    if (value.isString())
        return cLocaleNumber(value.toString());
    return std::nullopt;
}
