// The Claude usage answer: the document, then the lenient readers of its windows (limits[]
// kinds too), the models' own caps, the extra usage, the spend and the weekly split by model.
#include "ClaudeUsageParser.h"
#include "FuzzChecks.h"
#include "OutsideText.h"
#include "ProviderInput.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto parsed = parseJsonDocument(inputWithSecret(data, size), u"usage response"_s);
    if (const auto *error = std::get_if<PlainError>(&parsed)) {
        requireNoSecret(error->description);
        return 0;
    }
    const QJsonObject answer = std::get<QJsonDocument>(parsed).object();
    const QList<UsageWindow> windows = ClaudeUsageParser::windows(answer, fuzzNow);
    requireSaneWindows(windows, Provider::claude);
    if (windows.size() == 2)
        require(windows[0].speed == WindowSpeed::fast, "the weekly window before the 5-hour one");
    requireBoundedExtraWindows(ClaudeUsageParser::extraWindows(answer, fuzzNow), Provider::claude);
    requireSaneExtraUsage(ClaudeUsageParser::extraUsage(answer));
    requireSaneExtraUsage(ClaudeUsageParser::spend(answer));
    const QList<ModelShare> shares = ClaudeUsageParser::weeklyByModel(answer);
    require(shares.size() <= 5, "the weekly split unbounded");
    for (const ModelShare &share : shares)
        require(share.percent >= 0 && share.percent <= 100 && !share.name.isEmpty()
                    && share.name.size() <= OutsideText::maxNameLength,
                "a model's share out of bounds");
    return 0;
}
