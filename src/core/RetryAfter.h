#pragma once

#include <QByteArray>
#include <QDateTime>

#include <chrono>

// How long from now a Retry-After field asks the client to stay away: delta-seconds or an
// HTTP date. Zero when the field is absent, malformed or already past.
std::chrono::seconds retryAfterWait(const QByteArray &field, const QDateTime &now);

// When a request quota comes back that the server says is spent (x-ratelimit-remaining 0), from
// its x-ratelimit-reset in seconds since the epoch. Invalid when it is not spent or says no time.
QDateTime spentQuotaReturn(const QByteArray &remaining, const QByteArray &reset);

// How long from now a refused request should wait: its Retry-After, or else the return of its
// spent quota; zero when it says neither.
std::chrono::seconds replyWait(const QByteArray &retryAfter, const QDateTime &spentQuotaBack, const QDateTime &now);
