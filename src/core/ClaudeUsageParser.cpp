#include "ClaudeUsageParser.h"

#include "AnswerBounds.h"
#include "OutsideText.h"
#include "StoredText.h"

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
    QLatin1StringView limitKind; // the same window in limits[]
    WindowSpeed speed;
    double lengthSeconds;
};

constexpr double fiveHourSeconds = 5 * 3600;
constexpr double weekSeconds = 7 * 24 * 3600;

constexpr WindowRow windowRows[] = {
    {"five_hour"_L1, "session"_L1, WindowSpeed::fast, fiveHourSeconds},
    {"seven_day"_L1, "weekly_all"_L1, WindowSpeed::slow, weekSeconds},
};

// A model's (or a surface's) own cap in limits[]: its kind, the word after the name, its length.
struct ScopedRow {
    QLatin1StringView kind;
    QLatin1StringView word;
    QLatin1StringView idSuffix;
    double lengthSeconds;
};

constexpr ScopedRow scopedRows[] = {
    {"weekly_scoped"_L1, " weekly"_L1, ""_L1, weekSeconds},
    {"session_scoped"_L1, " 5h"_L1, "_5h"_L1, fiveHourSeconds},
};

// More rows than this in the weekly split are summed up as "others".
constexpr qsizetype maxModelShares = 4;

// The older answers' per-model windows, read only when limits[] names no model.
constexpr std::pair<QLatin1StringView, QLatin1StringView> legacyModelRows[] = {
    {"seven_day_opus"_L1, "Opus"_L1},
    {"seven_day_sonnet"_L1, "Sonnet"_L1},
};

// The weekly cap of routines (scheduled runs) under the names the answers have given it.
constexpr auto routinesMembers = {"seven_day_routines"_L1, "seven_day_claude_routines"_L1, "routines"_L1};

// Beyond this many decimal places an amount is not money any more.
constexpr double maxDecimalPlaces = 6;

constexpr auto percentMembers = {"utilization"_L1, "used_percent"_L1, "utilization_percent"_L1};
constexpr auto fractionMembers = {"used"_L1, "used_fraction"_L1};
constexpr auto resetMembers = {"resets_at"_L1, "reset_at"_L1, "resetsAt"_L1};

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

UsageWindow scopedWindow(const ScopedRow &row, const QString &model, double usedPercent,
                         const QJsonObject &window, const QDateTime &now)
{
    return UsageWindow::makeExtra(Provider::claude, u"claude_scoped_"_s + idPart(model) + row.idSuffix,
                                  OutsideText::name(model, row.word), usedPercent,
                                  resetOrFullWindow(window, row.lengthSeconds, now), row.lengthSeconds, now);
}

// "claude_code" is "Claude Code".
QString surfaceName(const QString &surface)
{
    QStringList words = surface.split(u'_', Qt::SkipEmptyParts);
    for (QString &word : words)
        word[0] = word[0].toUpper();
    return words.join(u' ');
}

// The model's name, else the surface's, else "Model".
QString scopeName(const QJsonValue &scope)
{
    QString name = OutsideText::name(scope["model"_L1]["display_name"_L1].toString());
    if (name.isEmpty() && scope["model"_L1].isNull())
        name = OutsideText::name(surfaceName(scope["surface"_L1].toString()));
    return name.isEmpty() ? u"Model"_s : name;
}

const ScopedRow *scopedRow(const QJsonValue &kind)
{
    const auto row = std::ranges::find_if(scopedRows, [&kind](const ScopedRow &row) { return kind == row.kind; });
    return row == std::end(scopedRows) ? nullptr : row;
}

QList<UsageWindow> scopedWindows(const QJsonArray &limits, const QDateTime &now)
{
    QList<UsageWindow> found;
    for (const QJsonValue &value : limits) {
        const QJsonObject limit = value.toObject();
        const auto percent = ClaudeUsageParser::numeric(limit.value("percent"_L1));
        const ScopedRow *row = scopedRow(limit.value("kind"_L1));
        if (row && percent)
            found.append(scopedWindow(*row, scopeName(limit.value("scope"_L1)), boundedPercent(*percent), limit, now));
    }
    return found;
}

// The entry of limits[] of that kind, when its share is readable.
std::optional<std::pair<double, QJsonObject>> limitOfKind(const QJsonArray &limits, QLatin1StringView kind)
{
    for (const QJsonValue &value : limits) {
        const QJsonObject limit = value.toObject();
        const auto percent = ClaudeUsageParser::numeric(limit.value("percent"_L1));
        if (limit.value("kind"_L1) == kind && percent)
            return std::pair(boundedPercent(*percent), limit);
    }
    return std::nullopt;
}

// The top-level member first; limits[] only where it says nothing readable.
std::optional<std::pair<double, QJsonObject>> mainWindow(const QJsonObject &response, const WindowRow &row)
{
    const QJsonObject window = response.value(row.member).toObject();
    if (const auto used = ClaudeUsageParser::usedPercent(window))
        return std::pair(*used, window);
    return limitOfKind(response.value("limits"_L1).toArray(), row.limitKind);
}

QList<UsageWindow> legacyModelWindows(const QJsonObject &response, const QDateTime &now)
{
    QList<UsageWindow> found;
    for (const auto &[member, model] : legacyModelRows) {
        const QJsonObject window = response.value(member).toObject();
        if (const auto used = ClaudeUsageParser::usedPercent(window))
            found.append(scopedWindow(scopedRows[0], model, *used, window, now));
    }
    return found;
}

std::optional<UsageWindow> routinesWindow(const QJsonObject &response, const QDateTime &now)
{
    for (const QLatin1StringView member : routinesMembers) {
        const QJsonObject window = response.value(member).toObject();
        if (const auto used = ClaudeUsageParser::usedPercent(window)) {
            return UsageWindow::makeExtra(Provider::claude, u"claude_routines"_s, StoredText::english(StoredText::routinesWeekly), *used,
                                          resetOrFullWindow(window, weekSeconds, now), weekSeconds, now);
        }
    }
    return std::nullopt;
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

// amount_minor in whole units, with the exponent counted in; none when unreadable.
std::optional<std::pair<double, int>> minorAmount(const QJsonValue &money)
{
    const auto places = decimalPlaces(money["exponent"_L1]);
    const auto minor = ClaudeUsageParser::numeric(money["amount_minor"_L1]);
    if (!places || !minor)
        return std::nullopt;
    const double amount = *minor / std::pow(10.0, *places);
    return isAmount(amount) ? std::optional(std::pair(amount, *places)) : std::nullopt;
}

QString currencyCode(const QJsonValue &value)
{
    return OutsideText::name(value.toString()).toUpper();
}

} // namespace

QList<UsageWindow> ClaudeUsageParser::windows(const QJsonObject &response, const QDateTime &now)
{
    QList<UsageWindow> found;
    for (const WindowRow &row : windowRows) {
        if (const auto window = mainWindow(response, row)) {
            found.append(UsageWindow::make(Provider::claude, row.speed, window->first,
                                           resetOrFullWindow(window->second, row.lengthSeconds, now),
                                           row.lengthSeconds, now));
        }
    }
    AnswerBounds::dropUnreadable(found);
    return found;
}

QList<UsageWindow> ClaudeUsageParser::extraWindows(const QJsonObject &response, const QDateTime &now)
{
    QList<UsageWindow> found = scopedWindows(response.value("limits"_L1).toArray(), now);
    if (found.isEmpty())
        found = legacyModelWindows(response, now);
    if (const auto routines = routinesWindow(response, now))
        found.append(*routines);
    AnswerBounds::dropUnreadable(found);
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
    const QString currency = currencyCode(extra.value("currency"_L1));
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

std::optional<ExtraUsage> ClaudeUsageParser::spend(const QJsonObject &response)
{
    const QJsonObject spend = response.value("spend"_L1).toObject();
    if (spend.value("enabled"_L1) != QJsonValue(true))
        return std::nullopt;
    const QJsonValue used = spend.value("used"_L1);
    const QJsonValue limitValue = spend.value("limit"_L1);
    const auto usedAmount = minorAmount(used);
    const auto limit = minorAmount(limitValue);
    const QString currency = currencyCode(used["currency"_L1]);
    if (!usedAmount || currency.isEmpty() || !(limit || limitValue.isNull() || limitValue.isUndefined()))
        return std::nullopt;
    ExtraUsage usage{usedAmount->first, std::nullopt, currency, usedAmount->second};
    if (limit)
        usage.limit = limit->first;
    return usage;
}

QList<ModelShare> ClaudeUsageParser::weeklyByModel(const QJsonObject &response)
{
    QList<ModelShare> shares;
    for (const QJsonValue &row : response.value("seven_day_breakdown"_L1)["rows"_L1].toArray()) {
        const auto percent = numeric(row["percent"_L1]);
        const QString name = OutsideText::name(row["display_name"_L1].toString());
        if (percent && !name.isEmpty())
            shares.append({name, boundedPercent(*percent)});
    }
    std::ranges::stable_sort(shares, std::ranges::greater(), &ModelShare::percent);
    if (shares.size() <= maxModelShares)
        return shares;
    double others = 0;
    for (const ModelShare &share : shares.sliced(maxModelShares))
        others += share.percent;
    shares.resize(maxModelShares);
    shares.append({u"others"_s, std::min(others, 100.0)});
    return shares;
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
        if (const auto found = date(window.value(member)))
            return found;
    }
    return std::nullopt;
}

std::optional<QDateTime> ClaudeUsageParser::date(const QJsonValue &value)
{
    if (value.isString()) {
        if (const auto date = internetDateTime(value.toString()))
            return date;
    }
    if (const auto time = numeric(value))
        return dateFromEpochTime(*time);
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
