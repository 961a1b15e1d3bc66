#pragma once

#include "UsageModels.h"

#include <QDateTime>
#include <QList>
#include <QString>

// What any answer is cut down to before it reaches the menu, the alerts, the snapshot and the
// history, so that no answer can flood them.
namespace AnswerBounds {

inline constexpr qsizetype maxNameLength = 48;
inline constexpr qsizetype maxExtraWindows = 12;

// A name as an answer gives it, without control or bidi characters, trimmed and cut with "…"
// so that it fits 48 characters with the suffix after it; empty when nothing is left.
QString nameFromAnswer(const QString &text, const QString &suffix = {});

// Whether the snapshot can write the time (years 1 to 9999).
bool isWritable(const QDateTime &date);

// Drops the windows longer than 366 days or resetting at a time the snapshot cannot write.
void dropUnreadable(QList<UsageWindow> &windows);

// Keeps the 12 extra windows with the lowest pressure, in the answer's order; how many were left out.
int keepTightest(QList<UsageWindow> &extraWindows);

} // namespace AnswerBounds
