#include "WakeWatch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

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
    connect(&m_tick, &QTimer::timeout, this, &WakeWatch::compareClocks);
    m_tick.start(tickPeriod);
}

void WakeWatch::prepareForSleep(bool goingToSleep)
{
    if (!goingToSleep)
        Q_EMIT awoke();
}

void WakeWatch::compareClocks()
{
    const QDateTime wall = QDateTime::currentDateTimeUtc();
    const qint64 ahead = m_wall.msecsTo(wall) - m_monotonic.restart();
    m_wall = wall;
    if (ahead > 2 * m_refreshPeriod().count())
        Q_EMIT awoke();
}
