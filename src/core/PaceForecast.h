#pragma once

#include "UsageModels.h"

#include <QDateTime>

// Where a window is heading if it keeps being used at the rate it has been so far, and whether
// that calls for telling the user. Pure arithmetic on one window and the moment it was asked for.
struct PaceForecast {
    // Ordered by urgency: a window that is nearly used up has nothing more to warn about.
    enum class Alert { none, runout, nearlyUsed };

    // The rate is judged once a tenth of the window has run or a quarter of it is used. Usage
    // comes in whole points, so one point in the first minutes extrapolates to a runout that
    // means nothing; a longer run, or a large share used, measures the rate well enough.
    static constexpr double judgeAfterElapsedShare = 0.10;
    static constexpr double judgeFromUsedShare = 0.25;
    static constexpr double nearlyUsedShare = 0.90; // the default; the user may set another
    // A runout closer to the reset than this is on pace, not ahead of it.
    static constexpr double runoutMarginSeconds = 60;
    // A runout alert needs the larger of these to spare before the reset: a window a little
    // ahead of pace runs out only just before it, which is no news.
    static constexpr double alertMarginSeconds = 3600;
    static constexpr double alertMarginShare = 0.10;
    // A pressure at or above this is even pace: no runout alert, whatever the arithmetic says.
    static constexpr double evenPacePressure = -2;

    double elapsedSeconds = 0;  // window length minus time left
    double usedShare = 0;       // 0 to 1
    double secondsToReset = 0;  // negative once the window has reset
    double secondsToRunout = 0; // at the rate so far; infinite while nothing is used
    double windowSeconds = 60;
    double pressurePercent = 0;

    static PaceForecast of(const UsageWindow &window, const QDateTime &now);

    // The figures describe a period that has ended (or a reset moment nobody knows).
    bool hasReset() const;
    bool canJudge() const;
    bool runsOutBeforeReset() const;
    // Runs out before the reset by enough, and far enough behind pace, to tell the user.
    bool runsOutWellBeforeReset() const;
    bool nearlyUsed(double nearlyUsedAt = nearlyUsedShare) const;
    Alert alert(double nearlyUsedAt = nearlyUsedShare) const;
};
