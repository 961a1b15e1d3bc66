#pragma once

#include "UsageModels.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

// What every fuzz target checks. A broken rule aborts, which libFuzzer reports as a crash.

// A fixed moment, so that a crash found once can be replayed.
inline const QDateTime fuzzNow = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);

// The input, with every "@@" replaced by a secret that must never reach a message: seeds put
// it where a token goes, and the fuzzer moves it anywhere.
QByteArray inputWithSecret(const uint8_t *data, size_t size);

void require(bool rule, const char *what);
void requireNoSecret(const QString &message);
void requireUtc(const QDateTime &date);
// At most two windows of the given provider, one of each speed, all within their ranges.
void requireSaneWindows(const QList<UsageWindow> &windows, Provider provider);
// Any number of named windows of the given provider, within their ranges, no two with one id.
void requireSaneExtraWindows(const QList<UsageWindow> &windows, Provider provider);
// The same once cut down to the tightest twelve, and none lost uncounted.
void requireBoundedExtraWindows(QList<UsageWindow> windows, Provider provider);
// Amounts finite and not negative, in a named currency.
void requireSaneExtraUsage(const std::optional<ExtraUsage> &usage);
