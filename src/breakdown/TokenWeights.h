#pragma once

#include "ProviderTraits.h"

#include <QString>

// The tokens of one request, or of many added up, by kind.
struct TokenCounts {
    qint64 input = 0; // not read from a cache
    qint64 output = 0;
    qint64 cacheWrite = 0;
    qint64 cacheRead = 0;

    TokenCounts &operator+=(const TokenCounts &other);
    TokenCounts operator-(const TokenCounts &other) const;
    bool operator==(const TokenCounts &) const = default;
};

// How much a request weighs against a window: its tokens as the service charges them, times the
// model's price beside its provider's other models. The logs' format tells how they count tokens.
namespace TokenWeights {

// Claude Code's logs: input + 1.25 × cache write + 0.1 × cache read + 5 × output;
// Codex's: uncached input + 0.1 × cached input + 8 × output.
double weighted(ProviderTraits::Logs logs, const QString &model, const TokenCounts &counts);
// 1 for the middle model of the logs' own provider, for one not in the table, and for another
// provider's model driven through Claude Code.
double relativePrice(ProviderTraits::Logs logs, const QString &model);

} // namespace TokenWeights
