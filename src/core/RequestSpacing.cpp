#include "RequestSpacing.h"

#include <algorithm>

bool RequestSpacing::isOpen(ContinuousClock::time_point now) const
{
    return !m_nextAllowed || now >= *m_nextAllowed;
}

// A wait the service asked for can only push the gate further out, and leaves the back-off
// alone. A failure before any request asked nothing of the service, so a new sign-in counts at once.
void RequestSpacing::note(const ProviderResult &result, ContinuousClock::time_point now)
{
    if (result.failedBeforeRequest)
        return;
    m_rateLimited = result.rateLimited;
    if (result.ok)
        m_backoff = 0;
    else if (m_backoff == 0)
        m_backoff = std::max(m_minimumInterval, firstBackoff);
    else
        m_backoff = std::min(m_backoff * backoffFactor, backoffCap);
    const double requested = std::min(double(result.retryAfter.count()), retryAfterCap);
    const double wait = result.ok ? m_minimumInterval : std::max(m_backoff, requested);
    m_nextAllowed = now + std::chrono::milliseconds(qint64(wait * 1000));
}
