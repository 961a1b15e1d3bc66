#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

class QDBusMessage;
class StatusItemProbe;

// Hears, as a panel does, the signals by which a tray item and its menu announce changes
// (NewIcon, NewToolTip, LayoutUpdated, ItemsPropertiesUpdated), from its creation on.
class BusSignalLog : public QObject
{
    Q_OBJECT
public:
    explicit BusSignalLog(const StatusItemProbe &item,
                          QDBusConnection bus = QDBusConnection::sessionBus());

    qsizetype count(const QString &signal) const { return m_signals.count(signal); }

private Q_SLOTS:
    void record(const QDBusMessage &message);

private:
    QStringList m_signals;
};
