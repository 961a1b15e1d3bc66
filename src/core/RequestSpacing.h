#pragma once

#include "ContinuousClock.h"
#include "UsageModels.h"

#include <optional>

// How often one sign-in may be asked where its service limits the asking: each token has limits
// of its own. After a request, not again for the provider's least interval after a success (240
// seconds for Claude), for a back-off after failures, or for as long as the service asked;
// measured on the continuous clock, which a wall-clock change does not move.
class RequestSpacing
{
public:
    static constexpr double claudeInterval = 240; // seconds
    static constexpr double firstBackoff = 60; // seconds, where no least interval is longer
    static constexpr double backoffFactor = 2;
    static constexpr double backoffCap = 900; // seconds
    static constexpr double retryAfterCap = 3600; // seconds; the longest a Retry-After may hold the gate

    explicit RequestSpacing(double minimumInterval)
        : m_minimumInterval(minimumInterval)
    {
    }

    bool isOpen(ContinuousClock::time_point now) const;
    // Measured from the start of the refresh that made the call, not from when it ended.
    void note(const ProviderResult &result, ContinuousClock::time_point now);

    std::optional<ContinuousClock::time_point> nextAllowed() const { return m_nextAllowed; }
    double backoff() const { return m_backoff; }
    // The back-off is for a request the service refused for its rate, not one that failed else.
    bool backingOffARateLimit() const { return m_backoff > 0 && m_rateLimited; }

private:
    double m_minimumInterval;
    std::optional<ContinuousClock::time_point> m_nextAllowed; // none: the gate is open
    double m_backoff = 0;
    bool m_rateLimited = false;
};
