#pragma once

#include "HistoryRow.h"

#include <QHash>
#include <QList>

// What the writer was handed and has not written yet, kept while another connection holds the
// file: whole refreshes, oldest first and bounded in rows, each window's latest alert, and each
// account's latest label.
class PendingWrites
{
public:
    // About a week of refreshes a minute apart: past it, the oldest refreshes go.
    static constexpr qsizetype rowLimit = 40'000;

    void add(const QList<HistoryRow> &rows);
    void add(const RememberedAlert &alert);
    void relabel(const QString &account, const QString &label) { m_labels.insert(account, label); }
    bool isEmpty() const { return m_refreshes.isEmpty() && m_alerts.isEmpty() && m_labels.isEmpty(); }
    bool hasRows() const { return !m_refreshes.isEmpty(); }
    // Oldest first.
    QList<HistoryRow> rows() const;
    QList<RememberedAlert> alerts() const { return m_alerts.values(); }
    const QHash<QString, QString> &labels() const { return m_labels; }
    void clear();

private:
    QList<QList<HistoryRow>> m_refreshes;
    qsizetype m_rowCount = 0;
    QHash<std::pair<QString, QString>, RememberedAlert> m_alerts; // by account and window
    QHash<QString, QString> m_labels; // by account
    bool m_droppedSaid = false;
};
