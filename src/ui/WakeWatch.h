#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QSocketNotifier;

// Says when the computer is back from sleep, whose figures are then as old as the sleep was
// long: logind's PrepareForSleep(false) on the system bus, or where there is none, the wall
// clock running ahead of the (sleep-blind) monotonic clock by more than two refresh periods.
// The clocks are compared only when the kernel says the wall clock was set, which it also says
// on resume, so nothing wakes the program while it idles.
class WakeWatch : public QObject
{
    Q_OBJECT
public:
    using Period = std::function<std::chrono::milliseconds()>;

    explicit WakeWatch(Period refreshPeriod, QObject *parent = nullptr);
    ~WakeWatch() override;

Q_SIGNALS:
    void awoke();

private Q_SLOTS:
    void prepareForSleep(bool goingToSleep);

private:
    bool watchClockSets();
    bool armClockSetTimer();
    void clockWasSet();
    void compareClocks();

    Period m_refreshPeriod;
    QTimer m_tick; // only where the kernel cannot tell of clock changes
    int m_clockSetFd = -1;
    std::unique_ptr<QSocketNotifier> m_clockSetNotifier;
    QElapsedTimer m_monotonic;
    QDateTime m_wall;
};
