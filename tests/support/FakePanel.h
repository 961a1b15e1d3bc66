#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>

class QDBusMessage;

// Plays a desktop panel on a session bus: the StatusNotifierWatcher with one host registered,
// which is what makes Qt export its tray icons over D-Bus. Records every item that registers,
// as "service/path".
class FakePanel : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit FakePanel(QDBusConnection bus = QDBusConnection::sessionBus(),
                       QObject *parent = nullptr);
    ~FakePanel() override;

    // Claims the watcher's name and object; false when the bus or the name is not available.
    bool start();

    QStringList registeredItems() const { return m_items; }
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString &serviceOrPath, const QDBusMessage &message);
    void RegisterStatusNotifierHost(const QString &service);

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString &item);
    void StatusNotifierItemUnregistered(const QString &item);
    void StatusNotifierHostRegistered();

private:
    void forgetItemsOf(const QString &service);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_owners;
    QStringList m_items;
};
