#pragma once

#include "UsageModels.h"
#include "UsageRequest.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

// The answer's own verdict when it is not a usage answer: its business code and message.
struct ZaiRefusal {
    std::optional<double> code;
    QString message; // as the service wrote it
};

// The windows of one z.ai answer.
struct ZaiWindows {
    QList<UsageWindow> windows;      // the model windows: at most a fast and a slow one
    QList<UsageWindow> extraWindows; // the monthly tool calls
};

// Reads z.ai's quota answer leniently: numbers as JSON numbers or text, unknown members and rows
// of a kind or length unit it does not know left out. Only a shape that does not fit is an error.
namespace ZaiUsageParser {

// Set when "success" is false or "code" is a number other than 200.
std::optional<ZaiRefusal> refusal(const QJsonObject &answer);

// data.limits[]: TOKENS_LIMIT and CREDIT_LIMIT rows are the model windows (under a day fast, else
// slow, the first of each kept), TIME_LIMIT rows the tool calls ("zai_tools"). A row without a
// reset time is taken as a whole window still to run, as for Claude.
std::variant<ZaiWindows, PlainError> windows(const QJsonObject &answer, const QDateTime &now);

} // namespace ZaiUsageParser
