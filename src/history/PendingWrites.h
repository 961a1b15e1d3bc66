#pragma once

#include "HistoryRow.h"

#include <QHash>
#include <QList>

// What the writer was handed and has not written yet, kept while another connection holds the
// file: whole refreshes, oldest first and bounded in rows, and each window's latest alert.
class PendingWrites
{
public:
    // About a week of refreshes a minute apart: past it, the oldest refreshes go.
    static constexpr qsizetype rowLimit = 40'000;

    void add(const QList<HistoryRow> &rows);
    void add(const RememberedAlert &alert);
    bool isEmpty() const { return m_refreshes.isEmpty() && m_alerts.isEmpty(); }
    bool hasRows() const { return !m_refreshes.isEmpty(); }
    // Oldest first.
    QList<HistoryRow> rows() const;
    QList<RememberedAlert> alerts() const { return m_alerts.values(); }
    void clear();

private:
    QList<QList<HistoryRow>> m_refreshes;
    qsizetype m_rowCount = 0;
    QHash<std::pair<QString, QString>, RememberedAlert> m_alerts; // by account and window
    bool m_droppedSaid = false;
};
