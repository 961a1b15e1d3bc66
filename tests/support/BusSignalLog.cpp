#include "BusSignalLog.h"

#include "StatusItemProbe.h"

#include <QDBusMessage>

using namespace Qt::StringLiterals;

BusSignalLog::BusSignalLog(const StatusItemProbe &item, QDBusConnection bus)
{
    for (const QString &signal : {u"NewIcon"_s, u"NewToolTip"_s})
        bus.connect(item.service(), item.path(), u"org.kde.StatusNotifierItem"_s, signal, this,
                    SLOT(record(QDBusMessage)));
    for (const QString &signal : {u"LayoutUpdated"_s, u"ItemsPropertiesUpdated"_s})
        bus.connect(item.service(), item.menuPath(), u"com.canonical.dbusmenu"_s, signal, this,
                    SLOT(record(QDBusMessage)));
}

void BusSignalLog::record(const QDBusMessage &message)
{
    m_signals.append(message.member());
}
