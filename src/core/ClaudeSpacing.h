#pragma once

#include "UsageModels.h"

#include <QDateTime>

// How often one Claude sign-in may be asked: each token has limits of its own. After a request,
// not again for 240 seconds after a success, for a back-off after failures, or for as long as
// the service asked.
class ClaudeSpacing
{
public:
    static constexpr double minimumInterval = 240; // seconds
    static constexpr double backoffFactor = 2;
    static constexpr double backoffCap = 900; // seconds
    static constexpr double retryAfterCap = 3600; // seconds; the longest a Retry-After may hold the gate

    bool isOpen(const QDateTime &now) const;
    // Measured from the start of the refresh that made the call, not from when it ended.
    void note(const ProviderResult &result, const QDateTime &now);

    QDateTime nextAllowed() const { return m_nextAllowed; }
    double backoff() const { return m_backoff; }

private:
    QDateTime m_nextAllowed; // invalid: the distant past, the gate is open
    double m_backoff = 0;
};
