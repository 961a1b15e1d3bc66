// The Codex usage answer and auth.json, through the strict decoders, and the answer's other
// limits and credits through the lenient readers.
#include "CodexUsageClient.h"
#include "FuzzChecks.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = inputWithSecret(data, size);

    const auto payload = CodexUsageClient::decodePayload(input);
    if (const auto *error = std::get_if<PlainError>(&payload)) {
        requireNoSecret(CodexUsageClient::describe(*error));
    } else {
        const UsagePayload &decoded = std::get<UsagePayload>(payload);
        const RateLimit rateLimit = decoded.rateLimit.value_or(RateLimit{});
        const QList<UsageWindow> windows = CodexUsageClient::windows(rateLimit, fuzzNow);
        requireSaneWindows(windows, Provider::codex);
        require(windows.size() == int(rateLimit.primaryWindow.has_value()) + int(rateLimit.secondaryWindow.has_value()),
                "a window lost or made up");
        qsizetype extraCount = 0;
        for (const ExtraRateLimit &limit : decoded.extraLimits)
            extraCount += int(limit.rateLimit.primaryWindow.has_value()) + int(limit.rateLimit.secondaryWindow.has_value());
        const QList<UsageWindow> extras = CodexUsageClient::extraWindows(decoded.extraLimits, fuzzNow);
        requireBoundedExtraWindows(extras, Provider::codex);
        require(extras.size() <= extraCount, "an extra window made up"); // too long ones are skipped
        require(!decoded.credits || decoded.credits->unlimited || std::isfinite(decoded.credits->balance.value_or(NAN)),
                "credits not a finite amount");
    }

    const auto auth = CodexUsageClient::decodeAuth(input);
    if (const auto *error = std::get_if<PlainError>(&auth))
        requireNoSecret(CodexUsageClient::describe(*error));
    return 0;
}
