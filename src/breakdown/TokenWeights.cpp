#include "TokenWeights.h"

using namespace Qt::StringLiterals;

namespace {

struct ModelPrice {
    Provider provider;
    QLatin1StringView family; // found anywhere in the model's name
    double relative;          // beside the provider's middle model
};

// List prices per million tokens as published in November 2025, beside the middle model:
// Claude Opus $5/$25, Sonnet $3/$15, Haiku $1/$5; GPT-5 codex $1.25/$10, mini $0.25/$2,
// nano $0.05/$0.40. Input and output keep the same ratio within each provider, so one number
// per family does. The more specific family comes first.
constexpr ModelPrice prices[] = {
    {Provider::claude, "opus"_L1, 5.0 / 3},
    {Provider::claude, "sonnet"_L1, 1},
    {Provider::claude, "haiku"_L1, 1.0 / 3},
    {Provider::codex, "nano"_L1, 0.04},
    {Provider::codex, "mini"_L1, 0.2},
    {Provider::codex, "codex"_L1, 1},
    {Provider::codex, "gpt-5"_L1, 1},
};

} // namespace

TokenCounts &TokenCounts::operator+=(const TokenCounts &other)
{
    input += other.input;
    output += other.output;
    cacheWrite += other.cacheWrite;
    cacheRead += other.cacheRead;
    return *this;
}

TokenCounts TokenCounts::operator-(const TokenCounts &other) const
{
    return {input - other.input, output - other.output, cacheWrite - other.cacheWrite, cacheRead - other.cacheRead};
}

double TokenWeights::relativePrice(Provider provider, const QString &model)
{
    for (const ModelPrice &price : prices) {
        if (price.provider == provider && model.contains(price.family, Qt::CaseInsensitive))
            return price.relative;
    }
    return 1;
}

double TokenWeights::weighted(Provider provider, const QString &model, const TokenCounts &counts)
{
    const double tokens = provider == Provider::claude
        ? counts.input + 1.25 * counts.cacheWrite + 0.1 * counts.cacheRead + 5.0 * counts.output
        : counts.input + 0.1 * counts.cacheRead + 8.0 * counts.output;
    return tokens * relativePrice(provider, model);
}
