#include "ClaudeUsageParser.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <ctype.h>
#include <stdlib.h>
#include <initializer_list>
#include <utility>

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

constexpr double weekSeconds = 7 * 24 * 3600;

// The older answers' per-model windows, read only when limits[] names no model.
constexpr std::pair<QLatin1StringView, QLatin1StringView> legacyModelRows[] = {
    {"seven_day_opus"_L1, "Opus"_L1},
    {"seven_day_sonnet"_L1, "Sonnet"_L1},
};

// Beyond this many decimal places an amount is not money any more.
constexpr double maxDecimalPlaces = 6;

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

// Written so that a value that is not a number falls to the floor.
double boundedPercent(double percent)
{
    return std::min(percent >= 0 ? percent : 0.0, 100.0);
}

// Without a reset time, the whole window is taken to be still ahead.
QDateTime resetOrFullWindow(const QJsonObject &window, double lengthSeconds, const QDateTime &now)
{
    return ClaudeUsageParser::resetDate(window).value_or(now.addSecs(static_cast<qint64>(lengthSeconds)));
}

UsageWindow modelWeeklyWindow(const QString &model, double usedPercent, const QJsonObject &window,
                              const QDateTime &now)
{
    return UsageWindow::makeExtra(Provider::claude, u"claude_scoped_"_s + idPart(model),
                                  model + u" weekly"_s, usedPercent,
                                  resetOrFullWindow(window, weekSeconds, now), weekSeconds, now);
}

QList<UsageWindow> scopedWindows(const QJsonArray &limits, const QDateTime &now)
{
    QList<UsageWindow> found;
    for (const QJsonValue &value : limits) {
        const QJsonObject limit = value.toObject();
        const auto percent = ClaudeUsageParser::numeric(limit.value("percent"_L1));
        if (limit.value("kind"_L1) != u"weekly_scoped"_s || !percent)
            continue;
        const QJsonValue name = limit.value("scope"_L1)["model"_L1]["display_name"_L1];
        const QString model = name.toString().trimmed();
        found.append(modelWeeklyWindow(model.isEmpty() ? u"Model"_s : model, boundedPercent(*percent),
                                       limit, now));
    }
    return found;
}

QList<UsageWindow> legacyModelWindows(const QJsonObject &response, const QDateTime &now)
{
    QList<UsageWindow> found;
    for (const auto &[member, model] : legacyModelRows) {
        const QJsonObject window = response.value(member).toObject();
        if (const auto used = ClaudeUsageParser::usedPercent(window))
            found.append(modelWeeklyWindow(model, *used, window, now));
    }
    return found;
}

// Missing means the usual two; anything but a small whole number is unreadable.
std::optional<int> decimalPlaces(const QJsonValue &value)
{
    if (value.isUndefined() || value.isNull())
        return 2;
    const auto places = ClaudeUsageParser::numeric(value);
    if (!places || !(*places >= 0 && *places <= maxDecimalPlaces) || *places != std::floor(*places))
        return std::nullopt;
    return int(*places);
}

bool isAmount(double value)
{
    return std::isfinite(value) && value >= 0;
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
        found.append(UsageWindow::make(Provider::claude, row.speed, *used,
                                       resetOrFullWindow(window, row.lengthSeconds, now),
                                       row.lengthSeconds, now));
    }
    return found;
}

QList<UsageWindow> ClaudeUsageParser::extraWindows(const QJsonObject &response, const QDateTime &now)
{
    QList<UsageWindow> found = scopedWindows(response.value("limits"_L1).toArray(), now);
    if (found.isEmpty())
        found = legacyModelWindows(response, now);
    makeIdsUnique(found);
    return found;
}

std::optional<ExtraUsage> ClaudeUsageParser::extraUsage(const QJsonObject &response)
{
    const QJsonObject extra = response.value("extra_usage"_L1).toObject();
    if (extra.value("is_enabled"_L1) != QJsonValue(true))
        return std::nullopt;
    const auto places = decimalPlaces(extra.value("decimal_places"_L1));
    const auto used = numeric(extra.value("used_credits"_L1));
    const QJsonValue limitValue = extra.value("monthly_limit"_L1);
    const auto limit = numeric(limitValue);
    const bool noLimit = limitValue.isNull() || limitValue.isUndefined();
    const QString currency = extra.value("currency"_L1).toString().trimmed().toUpper();
    if (!places || !used || !(limit || noLimit) || currency.isEmpty())
        return std::nullopt;

    const double scale = std::pow(10.0, *places);
    ExtraUsage usage{*used / scale, std::nullopt, currency, *places};
    if (limit)
        usage.limit = *limit / scale;
    if (!isAmount(usage.used) || (usage.limit && !isAmount(*usage.limit)))
        return std::nullopt;
    return usage;
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
    return boundedPercent(*percent);
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
