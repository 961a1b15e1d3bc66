#include "FuzzChecks.h"

#include "AnswerBounds.h"
#include "OutsideText.h"

#include <QSet>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr char secret[] = "sk-fuzz-secret-5d1e";

bool withinPercent(double value)
{
    return value >= 0 && value <= 100; // false for NaN
}

void requireSaneWindow(const UsageWindow &window, Provider provider)
{
    require(window.provider == provider, "a window of the other provider");
    require(withinPercent(window.usedPercent), "used share outside 0...100");
    require(withinPercent(window.remainingPercent), "remaining share outside 0...100");
    require(withinPercent(window.expectedRemainingPercent), "expected share outside 0...100");
    require(window.pressurePercent >= -100 && window.pressurePercent <= 100, "pressure outside -100...100");
    require(window.limitWindowSeconds >= 60, "window length not a number or under a minute");
    requireUtc(window.resetAt);
    require(!window.pressureDisplay().isEmpty() && !window.pressureLabel().isEmpty(), "an empty label");
}

} // namespace

QByteArray inputWithSecret(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).replace("@@", secret);
}

void require(bool rule, const char *what)
{
    if (rule)
        return;
    std::fprintf(stderr, "broken rule: %s\n", what);
    std::abort();
}

void requireNoSecret(const QString &message)
{
    require(!message.contains(QLatin1StringView(secret)), "a message holds the token");
}

void requireUtc(const QDateTime &date)
{
    require(date.isValid(), "an invalid date");
    require(date.timeSpec() == Qt::UTC, "a date that is not in UTC");
}

void requireSaneWindows(const QList<UsageWindow> &windows, Provider provider)
{
    require(windows.size() <= 2, "more than two windows");
    if (windows.size() == 2)
        require(windows[0].speed != windows[1].speed, "two windows of one speed");
    for (const UsageWindow &window : windows) {
        require(window.extraId.isEmpty() && window.name.isEmpty(), "a window named as an extra one");
        requireSaneWindow(window, provider);
    }
}

void requireSaneExtraWindows(const QList<UsageWindow> &windows, Provider provider)
{
    QSet<QString> ids;
    for (const UsageWindow &window : windows) {
        requireSaneWindow(window, provider);
        require(!window.extraId.isEmpty() && !window.name.trimmed().isEmpty(), "an extra window without id or name");
        require(window.name.size() <= OutsideText::maxNameLength && window.extraId.size() <= 80, "a name or id unbounded");
        require(OutsideText::name(window.name) == window.name, "a control character in a name");
        require(!ids.contains(window.id()), "two extra windows with one id");
        ids.insert(window.id());
    }
}

void requireBoundedExtraWindows(QList<UsageWindow> windows, Provider provider)
{
    const qsizetype given = windows.size();
    const int left = AnswerBounds::keepTightest(windows);
    require(windows.size() <= AnswerBounds::maxExtraWindows && windows.size() + left == given, "extra windows unbounded");
    requireSaneExtraWindows(windows, provider);
}

void requireSaneExtraUsage(const std::optional<ExtraUsage> &usage)
{
    if (!usage)
        return;
    require(std::isfinite(usage->used) && usage->used >= 0, "extra usage not a finite amount");
    require(!usage->limit || (std::isfinite(*usage->limit) && *usage->limit >= 0), "limit not a finite amount");
    require(!usage->currency.isEmpty(), "extra usage without a currency");
}
