#pragma once

#include <QByteArray>
#include <QDateTime>

#include <chrono>

// How long from now a Retry-After field asks the client to stay away: delta-seconds or an
// HTTP date. Zero when the field is absent, malformed or already past.
std::chrono::seconds retryAfterWait(const QByteArray &field, const QDateTime &now);
