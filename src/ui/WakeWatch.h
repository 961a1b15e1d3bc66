#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// Says when the computer is back from sleep, whose figures are then as old as the sleep was
// long: logind's PrepareForSleep(false) on the system bus, or where there is none, the wall
// clock running ahead of the (sleep-blind) monotonic clock by more than two refresh periods.
class WakeWatch : public QObject
{
    Q_OBJECT
public:
    using Period = std::function<std::chrono::milliseconds()>;

    explicit WakeWatch(Period refreshPeriod, QObject *parent = nullptr);

Q_SIGNALS:
    void awoke();

private Q_SLOTS:
    void prepareForSleep(bool goingToSleep);

private:
    void compareClocks();

    Period m_refreshPeriod;
    QTimer m_tick;
    QElapsedTimer m_monotonic;
    QDateTime m_wall;
};
