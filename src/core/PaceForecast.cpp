#include "PaceForecast.h"

#include <algorithm>
#include <limits>

PaceForecast PaceForecast::of(const UsageWindow &window, const QDateTime &now)
{
    PaceForecast forecast;
    forecast.windowSeconds = window.limitWindowSeconds;
    forecast.usedShare = window.usedPercent / 100;
    forecast.pressurePercent = window.pressurePercent;
    forecast.secondsToReset = window.resetAt.isValid() ? now.msecsTo(window.resetAt) / 1000.0
                                                       : std::numeric_limits<double>::quiet_NaN();
    forecast.elapsedSeconds = window.limitWindowSeconds - forecast.secondsToReset;
    const double used = forecast.usedShare;
    forecast.secondsToRunout = used > 0 ? (1 - used) * forecast.elapsedSeconds / used
                                        : std::numeric_limits<double>::infinity();
    return forecast;
}

// Written so that a value that is not a number gives no alert.
bool PaceForecast::hasReset() const
{
    return !(secondsToReset >= 0);
}

bool PaceForecast::canJudge() const
{
    return elapsedSeconds > 0
        && (elapsedSeconds >= judgeAfterElapsedShare * windowSeconds || usedShare >= judgeFromUsedShare);
}

bool PaceForecast::runsOutBeforeReset() const
{
    return !hasReset() && canJudge() && secondsToRunout + runoutMarginSeconds < secondsToReset;
}

bool PaceForecast::runsOutWellBeforeReset() const
{
    return runsOutBeforeReset() && pressurePercent < evenPacePressure
        && secondsToReset - secondsToRunout >= std::max(alertMarginSeconds, alertMarginShare * windowSeconds);
}

bool PaceForecast::nearlyUsed(double nearlyUsedAt) const
{
    return !hasReset() && usedShare >= nearlyUsedAt;
}

PaceForecast::Alert PaceForecast::alert(double nearlyUsedAt) const
{
    if (nearlyUsed(nearlyUsedAt))
        return Alert::nearlyUsed;
    return runsOutWellBeforeReset() ? Alert::runout : Alert::none;
}
