#include "HistoryRow.h"

using namespace Qt::StringLiterals;

QHash<QString, QString> HistoryRow::labelsOf(const UsageStatus &status)
{
    QHash<QString, QString> labels;
    for (const ProviderResult &result : status.results)
        labels.insert(result.account.key(), result.account.label);
    return labels;
}

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
                rows.append({fetchedAt, window.provider, window.id(), window.displayLabel(Wording::english),
                             window.usedPercent, window.resetAt, window.limitWindowSeconds,
                             result.account.key(), result.account.label});
        }
    }
    return rows;
}
