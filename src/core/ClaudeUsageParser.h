#pragma once

#include "UsageModels.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>

#include <optional>

// Reads the Claude usage answer leniently: several member names, numbers as JSON numbers or
// text, used shares as percentages or fractions, reset times as date-times or Unix times.
// Whatever cannot be read is skipped, never reported.
class ClaudeUsageParser
{
public:
    ClaudeUsageParser() = delete;

    // The five-hour window before the seven-day one, each only when its used share is readable,
    // from the top-level members or else from limits[] ("session", "weekly_all").
    static QList<UsageWindow> windows(const QJsonObject &response, const QDateTime &now);
    // The models' (or surfaces') own weekly and 5-hour caps, from limits[] or else from the
    // older per-model members, in the order the answer gives them.
    static QList<UsageWindow> extraWindows(const QJsonObject &response, const QDateTime &now);
    // Paid use beyond the plan, when it is turned on and readable.
    static std::optional<ExtraUsage> extraUsage(const QJsonObject &response);
    // Paid use as spend gives it, when enabled and readable.
    static std::optional<ExtraUsage> spend(const QJsonObject &response);
    // The weekly share by model, largest first: at most four, then "others" for the rest together.
    static QList<ModelShare> weeklyByModel(const QJsonObject &response);

    // Bounded to 0...100.
    static std::optional<double> usedPercent(const QJsonObject &window);
    static std::optional<QDateTime> resetDate(const QJsonObject &window);
    // An RFC 3339 date-time, or a Unix time in seconds or milliseconds (a number or its text).
    static std::optional<QDateTime> date(const QJsonValue &value);
    // A JSON number, or text that is wholly a C-locale floating-point literal.
    static std::optional<double> numeric(const QJsonValue &value);
};
