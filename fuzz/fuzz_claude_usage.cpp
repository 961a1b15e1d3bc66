// The Claude usage answer: the document, then the lenient window reader.
#include "ClaudeUsageParser.h"
#include "FuzzChecks.h"
#include "ProviderInput.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto parsed = parseJsonDocument(inputWithSecret(data, size), u"usage response"_s);
    if (const auto *error = std::get_if<PlainError>(&parsed)) {
        requireNoSecret(error->description);
        return 0;
    }
    const QList<UsageWindow> windows = ClaudeUsageParser::windows(std::get<QJsonDocument>(parsed).object(), fuzzNow);
    requireSaneWindows(windows, Provider::claude);
    if (windows.size() == 2)
        require(windows[0].speed == WindowSpeed::fast, "the weekly window before the 5-hour one");
    return 0;
}
