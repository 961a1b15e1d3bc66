#include "FakePanel.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

using namespace Qt::StringLiterals;

namespace {

const QString watcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString watcherPath = u"/StatusNotifierWatcher"_s;
const QString defaultItemPath = u"/StatusNotifierItem"_s;

} // namespace

FakePanel::FakePanel(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_owners(QString(), m_bus, QDBusServiceWatcher::WatchForUnregistration)
{
    connect(&m_owners, &QDBusServiceWatcher::serviceUnregistered, this, &FakePanel::forgetItemsOf);
}

FakePanel::~FakePanel()
{
    m_bus.unregisterObject(watcherPath);
    m_bus.unregisterService(watcherService);
}

bool FakePanel::start()
{
    return m_bus.registerObject(watcherPath, this,
                                QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
                                    | QDBusConnection::ExportAllProperties)
        && m_bus.registerService(watcherService);
}

// Items name either their service (the object then sits at the usual path) or only their
// path on the caller's connection; both forms are in use.
void FakePanel::RegisterStatusNotifierItem(const QString &serviceOrPath, const QDBusMessage &message)
{
    const bool isPath = serviceOrPath.startsWith(u'/');
    const QString service = isPath ? message.service() : serviceOrPath;
    const QString item = service + (isPath ? serviceOrPath : defaultItemPath);
    if (m_items.contains(item))
        return;
    m_items.append(item);
    m_owners.addWatchedService(service);
    Q_EMIT StatusNotifierItemRegistered(item);
}

void FakePanel::RegisterStatusNotifierHost(const QString &)
{
    Q_EMIT StatusNotifierHostRegistered();
}

void FakePanel::forgetItemsOf(const QString &service)
{
    m_owners.removeWatchedService(service);
    const QStringList items = m_items;
    for (const QString &item : items) {
        if (item.startsWith(service + u'/')) {
            m_items.removeOne(item);
            Q_EMIT StatusNotifierItemUnregistered(item);
        }
    }
}
