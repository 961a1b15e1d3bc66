#pragma once

#include "UsageModels.h"

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
// model's price beside the provider's other models.
namespace TokenWeights {

// Claude: input + 1.25 × cache write + 0.1 × cache read + 5 × output;
// Codex: uncached input + 0.1 × cached input + 8 × output.
double weighted(Provider provider, const QString &model, const TokenCounts &counts);
// 1 for the provider's middle model, and for one not in the table.
double relativePrice(Provider provider, const QString &model);

} // namespace TokenWeights
