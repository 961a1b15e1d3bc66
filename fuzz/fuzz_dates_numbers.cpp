// The date and number rules: epoch seconds to dates, numbers in text, shares and the pace of a window.
#include "ClaudeUsageParser.h"
#include "FuzzChecks.h"

#include <QJsonObject>

#include <cmath>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// The first eight bytes as a double, so that NaN, infinities and denormals all come up.
double leadingDouble(const uint8_t *data, size_t size)
{
    double value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const double seconds = leadingDouble(data, size);
    const QDateTime date = dateFromEpochSeconds(seconds);
    requireUtc(date);
    require(std::abs(date.toMSecsSinceEpoch()) <= qint64(1e16), "a date beyond the pinned range");

    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto number = ClaudeUsageParser::numeric(QJsonValue(text)))
        require(!text.isEmpty() && !text.front().isSpace(), "a number read from blank-led text");
    for (const QJsonValue &value : {QJsonValue(text), QJsonValue(seconds)}) {
        const QJsonObject window{{u"utilization"_s, value}, {u"resets_at"_s, value}};
        if (const auto used = ClaudeUsageParser::usedPercent(window))
            require(*used >= 0 && *used <= 100, "a used share outside 0...100");
        if (const auto reset = ClaudeUsageParser::resetDate(window))
            requireUtc(*reset);
    }

    const QList<UsageWindow> windows = {
        UsageWindow::make(Provider::codex, WindowSpeed::fast, seconds, date, seconds, fuzzNow),
        UsageWindow::make(Provider::codex, WindowSpeed::slow, -seconds, fuzzNow, 1 / seconds, date)};
    requireSaneWindows(windows, Provider::codex);
    const QString label = pressureLabel(seconds);
    require(label == u"High" || label == u"Low" || label == u"Good", "a pressure label of its own");
    return 0;
}
