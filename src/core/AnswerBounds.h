#pragma once

#include "UsageModels.h"

#include <QDateTime>
#include <QList>
#include <QString>

// What any answer is cut down to before it reaches the menu, the alerts, the snapshot and the
// history, so that no answer can flood them. Its names are cut by OutsideText::name.
namespace AnswerBounds {

inline constexpr qsizetype maxExtraWindows = 12;
// More banked resets than anyone is given; a larger count is shown as this many.
inline constexpr int maxResetCredits = 999;

// Whether the snapshot can write the time (years 1 to 9999).
bool isWritable(const QDateTime &date);

// Drops the windows longer than 366 days or resetting at a time the snapshot cannot write.
void dropUnreadable(QList<UsageWindow> &windows);

// Keeps the 12 extra windows with the lowest pressure, in the answer's order; how many were left out.
int keepTightest(QList<UsageWindow> &extraWindows);

} // namespace AnswerBounds
