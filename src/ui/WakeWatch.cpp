#include "WakeWatch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString login = u"org.freedesktop.login1"_s;
constexpr std::chrono::seconds tickPeriod{10};

} // namespace

WakeWatch::WakeWatch(Period refreshPeriod, QObject *parent)
    : QObject(parent)
    , m_refreshPeriod(std::move(refreshPeriod))
{
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected() && system.interface()->isServiceRegistered(login)
        && system.connect(login, u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s,
                          u"PrepareForSleep"_s, this, SLOT(prepareForSleep(bool))))
        return;
    m_monotonic.start();
    m_wall = QDateTime::currentDateTimeUtc();
    if (watchClockSets())
        return;
    connect(&m_tick, &QTimer::timeout, this, &WakeWatch::compareClocks);
    m_tick.start(tickPeriod);
}

WakeWatch::~WakeWatch()
{
    m_clockSetNotifier.reset();
    if (m_clockSetFd >= 0)
        ::close(m_clockSetFd);
}

void WakeWatch::prepareForSleep(bool goingToSleep)
{
    if (!goingToSleep)
        Q_EMIT awoke();
}

// A timer on the wall clock set to fire at the end of time, cancelled by the kernel whenever
// that clock is set or the machine resumes: the fd turns readable then and only then.
bool WakeWatch::watchClockSets()
{
    m_clockSetFd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_clockSetFd < 0)
        return false;
    if (!armClockSetTimer()) {
        ::close(m_clockSetFd);
        m_clockSetFd = -1;
        return false;
    }
    m_clockSetNotifier = std::make_unique<QSocketNotifier>(m_clockSetFd, QSocketNotifier::Read);
    connect(m_clockSetNotifier.get(), &QSocketNotifier::activated, this, &WakeWatch::clockWasSet);
    return true;
}

bool WakeWatch::armClockSetTimer()
{
    itimerspec never{};
    never.it_value.tv_sec = std::numeric_limits<time_t>::max() / 2;
    return ::timerfd_settime(m_clockSetFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr) == 0;
}

void WakeWatch::clockWasSet()
{
    std::uint64_t expirations = 0;
    // ECANCELED is the news itself; reading it, like re-arming, clears the readable state.
    [[maybe_unused]] const ssize_t read = ::read(m_clockSetFd, &expirations, sizeof expirations);
    armClockSetTimer();
    compareClocks();
}

void WakeWatch::compareClocks()
{
    const QDateTime wall = QDateTime::currentDateTimeUtc();
    const qint64 ahead = m_wall.msecsTo(wall) - m_monotonic.restart();
    m_wall = wall;
    if (ahead > 2 * m_refreshPeriod().count())
        Q_EMIT awoke();
}
