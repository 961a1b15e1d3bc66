#include "TokenWeights.h"

#include "TranscriptModels.h"

using namespace Qt::StringLiterals;

namespace {

using Logs = ProviderTraits::Logs;

struct ModelPrice {
    Logs logs; // whose models: Claude Code's, Codex's
    QLatin1StringView family; // found anywhere in the model's name
    double relative;          // beside the provider's middle model
};

// List prices per million tokens as published in November 2025, beside the middle model:
// Claude Opus $5/$25, Sonnet $3/$15, Haiku $1/$5; GPT-5 codex $1.25/$10, mini $0.25/$2,
// nano $0.05/$0.40. Input and output keep the same ratio within each provider, so one number
// per family does. The more specific family comes first.
constexpr ModelPrice prices[] = {
    {Logs::claudeCode, "opus"_L1, 5.0 / 3},
    {Logs::claudeCode, "sonnet"_L1, 1},
    {Logs::claudeCode, "haiku"_L1, 1.0 / 3},
    {Logs::codex, "nano"_L1, 0.04},
    {Logs::codex, "mini"_L1, 0.2},
    {Logs::codex, "codex"_L1, 1},
    {Logs::codex, "gpt-5"_L1, 1},
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

double TokenWeights::relativePrice(Logs logs, const QString &model)
{
    if (TranscriptModels::providerOf(model))
        return 1;
    for (const ModelPrice &price : prices) {
        if (price.logs == logs && model.contains(price.family, Qt::CaseInsensitive))
            return price.relative;
    }
    return 1;
}

double TokenWeights::weighted(Logs logs, const QString &model, const TokenCounts &counts)
{
    const double tokens = logs == Logs::claudeCode
        ? counts.input + 1.25 * counts.cacheWrite + 0.1 * counts.cacheRead + 5.0 * counts.output
        : counts.input + 0.1 * counts.cacheRead + 8.0 * counts.output;
    return tokens * relativePrice(logs, model);
}
