#include "ZaiUsageParser.h"

#include "AnswerBounds.h"
#include "ClaudeUsageParser.h"
#include "StoredText.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr double hourSeconds = 3600;
constexpr double weekSeconds = 7 * 86400;
constexpr double maxMonths = 12;

// The codes of "unit"; "number" counts them.
constexpr double hoursUnit = 3;
constexpr double monthsUnit = 5;
constexpr double weeksUnit = 6;

std::optional<double> finiteNumber(const QJsonValue &value)
{
    const auto number = ClaudeUsageParser::numeric(value);
    return number && std::isfinite(*number) ? number : std::nullopt;
}

struct Span {
    QDateTime resetAt;
    double lengthSeconds = 0;
    bool calendarMonths = false;
};

// Months follow the calendar back from the reset, so their length is the month's own.
std::optional<Span> monthSpan(double count, const std::optional<QDateTime> &reset, const QDateTime &now)
{
    if (count > maxMonths)
        return std::nullopt;
    const QDateTime end = reset.value_or(now.addMonths(int(count)));
    return Span{end, double(end.addMonths(-int(count)).secsTo(end)), true};
}

// From unit, number and nextResetTime (epoch milliseconds); none for a unit not known.
std::optional<Span> spanOf(const QJsonObject &row, const QDateTime &now)
{
    const auto unit = finiteNumber(row.value("unit"_L1));
    const auto count = finiteNumber(row.value("number"_L1));
    if (!unit || !count || *count < 1 || *count != std::floor(*count))
        return std::nullopt;
    const auto resetTime = finiteNumber(row.value("nextResetTime"_L1));
    const std::optional<QDateTime> reset = resetTime ? std::optional(dateFromEpochTime(*resetTime)) : std::nullopt;
    if (*unit == monthsUnit)
        return monthSpan(*count, reset, now);
    const double unitSeconds = *unit == hoursUnit ? hourSeconds : *unit == weeksUnit ? weekSeconds : 0;
    const double length = *count * unitSeconds;
    if (length == 0 || length > UsageWindow::longestWindowSeconds)
        return std::nullopt;
    // No reset given: as for Claude, a whole window still to run.
    return Span{reset.value_or(now.addSecs(qint64(length))), length, false};
}

// Used over allowance where both are counted, else the percentage the answer rounds down.
std::optional<double> usedPercent(const QJsonObject &row)
{
    const auto used = finiteNumber(row.value("currentValue"_L1));
    const auto allowance = finiteNumber(row.value("usage"_L1));
    if (used && allowance && *used > 0 && *allowance > 0)
        return 100 * *used / *allowance;
    return finiteNumber(row.value("percentage"_L1));
}

void addRow(ZaiWindows &found, const QJsonObject &row, const QDateTime &now)
{
    const QJsonValue type = row.value("type"_L1);
    const bool model = type == "TOKENS_LIMIT"_L1 || type == "CREDIT_LIMIT"_L1;
    const auto span = spanOf(row, now);
    const auto used = usedPercent(row);
    if (!span || !used || (!model && type != "TIME_LIMIT"_L1))
        return;
    if (!model) {
        found.extraWindows.append(UsageWindow::makeExtra(Provider::zai, u"zai_tools"_s,
                                                         StoredText::english(StoredText::toolCalls), *used,
                                                         span->resetAt, span->lengthSeconds, now));
        return;
    }
    const WindowSpeed speed = span->lengthSeconds < 86400 ? WindowSpeed::fast : WindowSpeed::slow;
    if (std::ranges::any_of(found.windows, [speed](const UsageWindow &window) { return window.speed == speed; }))
        return;
    UsageWindow window = UsageWindow::make(Provider::zai, speed, *used, span->resetAt, span->lengthSeconds, now);
    if (span->calendarMonths)
        window.name = StoredText::english(StoredText::monthly);
    found.windows.append(window);
}

PlainError memberFault(const QString &member, StoredText::Form reason)
{
    return {StoredText::english(StoredText::memberIs)
                .arg(StoredText::english(StoredText::usageResponse), member, StoredText::english(reason))};
}

// Missing or null is the fault named; any other kind than the one wanted is named too.
std::optional<PlainError> shapeFault(const QJsonValue &value, const QString &member, StoredText::Form wrongKind)
{
    if (value.isUndefined())
        return memberFault(member, StoredText::isMissing);
    if (value.isNull())
        return memberFault(member, StoredText::isNull);
    if (wrongKind == StoredText::isNotAnObject ? !value.isObject() : !value.isArray())
        return memberFault(member, wrongKind);
    return std::nullopt;
}

} // namespace

std::optional<ZaiRefusal> ZaiUsageParser::refusal(const QJsonObject &answer)
{
    const auto code = finiteNumber(answer.value("code"_L1));
    if (answer.value("success"_L1) != QJsonValue(false) && (!code || *code == 200))
        return std::nullopt;
    return ZaiRefusal{code, answer.value("msg"_L1).toString()};
}

std::variant<ZaiWindows, PlainError> ZaiUsageParser::windows(const QJsonObject &answer, const QDateTime &now)
{
    const QJsonValue data = answer.value("data"_L1);
    if (const auto fault = shapeFault(data, u"data"_s, StoredText::isNotAnObject))
        return *fault;
    // A new account's data may hold no limits at all.
    const QJsonValue limits = data.toObject().value("limits"_L1);
    if (limits.isUndefined() || limits.isNull())
        return ZaiWindows{};
    if (const auto fault = shapeFault(limits, u"data.limits"_s, StoredText::isNotAnArray))
        return *fault;

    ZaiWindows found;
    for (const QJsonValue &row : limits.toArray())
        addRow(found, row.toObject(), now);
    AnswerBounds::dropUnreadable(found.windows);
    AnswerBounds::dropUnreadable(found.extraWindows);
    makeIdsUnique(found.extraWindows);
    return found;
}
