#include "PendingWrites.h"

#include "Diagnostics.h"

#include <cstdio>

void PendingWrites::add(const QList<HistoryRow> &rows)
{
    if (rows.isEmpty())
        return;
    m_refreshes.append(rows);
    m_rowCount += rows.size();
    while (m_rowCount > rowLimit && m_refreshes.size() > 1) {
        m_rowCount -= m_refreshes.takeFirst().size();
        if (!std::exchange(m_droppedSaid, true))
            std::fprintf(stderr, "tidemarker: the history file has been busy for long: its oldest unwritten "
                                 "refreshes are dropped\n");
    }
    qCDebug(lcHistory) << m_rowCount << "rows wait for the file";
}

void PendingWrites::add(const RememberedAlert &alert)
{
    m_alerts.insert({alert.account, alert.windowId}, alert);
}

QList<HistoryRow> PendingWrites::rows() const
{
    QList<HistoryRow> all;
    all.reserve(m_rowCount);
    for (const QList<HistoryRow> &refresh : m_refreshes)
        all += refresh;
    return all;
}

void PendingWrites::clear()
{
    m_refreshes.clear();
    m_rowCount = 0;
    m_alerts.clear();
    m_labels.clear();
}
