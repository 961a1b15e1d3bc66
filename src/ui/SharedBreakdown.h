#pragma once

#include "BreakdownQuery.h"

#include <QList>
#include <QObject>
#include <QString>

#include <QCoroTask>

#include <optional>

class UsageBreakdown;

// One Breakdown answer for everyone who asks about the same windows: made once after each
// reading of the logs, or when the windows change, and shared by every call meanwhile, so that
// a flood of calls costs one reading of the index and one answer's memory.
class SharedBreakdown : public QObject
{
    Q_OBJECT
public:
    // The answer as the bus sends it: the compact JSON, or why there is none.
    struct Answer {
        QString json;
        QString error;
    };

    explicit SharedBreakdown(UsageBreakdown &breakdown, QObject *parent = nullptr);

    QCoro::Task<Answer> answer(QList<BreakdownWindow> windows);
    // The logs are being read again: the next call waits for that reading, as the first one did.
    void forget();

Q_SIGNALS:
    // An answer has been made; those waiting for it look again.
    void made();

private:
    QCoro::Task<void> make(QList<BreakdownWindow> windows);

    UsageBreakdown &m_breakdown;
    QList<BreakdownWindow> m_windows; // what m_answer is for
    std::optional<Answer> m_answer;
    bool m_making = false;
    quint64 m_readings = 0; // readings of the logs finished; an answer made across one is stale
};
