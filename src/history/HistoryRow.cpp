#include "HistoryRow.h"

using namespace Qt::StringLiterals;

QList<HistoryRow> HistoryRow::ofLiveResults(const UsageStatus &status)
{
    QList<HistoryRow> rows;
    for (const ProviderResult &result : status.results) {
        if (!result.ok || result.source != u"live")
            continue;
        // Each account's own time: of overlapping refreshes, each shows the answers it had.
        const QDateTime fetchedAt = result.fetchedAt.isValid() ? result.fetchedAt : status.generatedAt;
        for (const QList<UsageWindow> *windows : {&result.windows, &result.extraWindows}) {
            for (const UsageWindow &window : *windows)
                rows.append({fetchedAt, window.provider, window.id(), window.displayLabel(),
                             window.usedPercent, window.resetAt, window.limitWindowSeconds,
                             result.account.recordName()});
        }
    }
    return rows;
}
