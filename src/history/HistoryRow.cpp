#include "HistoryRow.h"

using namespace Qt::StringLiterals;

QList<HistoryRow> HistoryRow::ofLiveResults(const UsageStatus &status)
{
    QList<HistoryRow> rows;
    for (const ProviderResult &result : status.results) {
        if (!result.ok || result.source != u"live")
            continue;
        for (const QList<UsageWindow> *windows : {&result.windows, &result.extraWindows}) {
            for (const UsageWindow &window : *windows)
                rows.append({status.generatedAt, window.provider, window.id(), window.displayLabel(),
                             window.usedPercent, window.resetAt, window.limitWindowSeconds,
                             result.account.recordName()});
        }
    }
    return rows;
}
