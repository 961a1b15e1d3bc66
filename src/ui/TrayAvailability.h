#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

#include <QCoroTask>

#include <cstdint>

struct xcb_connection_t;

// Tells when the desktop offers a system tray: a StatusNotifierWatcher with a host registered
// on the session bus, or on X11 an XEmbed tray (the owner of the _NET_SYSTEM_TRAY_S0 selection).
// Qt settles the kind of tray at the first QSystemTrayIcon and never again, so the icon waits
// for this. Watches only while there is none, until the first tray appears.
class TrayAvailability : public QObject, private QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit TrayAvailability(QDBusConnection bus = QDBusConnection::sessionBus(),
                              QObject *parent = nullptr);
    ~TrayAvailability() override;

    // Looks now; when there is no tray yet, says on standard error what it waits for.
    QCoro::Task<void> start();

Q_SIGNALS:
    // Once, when a tray is there at start or first appears; nothing is watched after.
    void appeared();

private Q_SLOTS:
    void lookForStatusNotifierHost();

private:
    QCoro::Task<void> announceWhenHosted();
    QCoro::Task<bool> isAvailable();
    QCoro::Task<bool> hasStatusNotifierHost();
    bool hasXEmbedTray() const;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
    void announce();
    void startWatching();
    void stopWatching();

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    bool m_announced = false;
    // The X connection and its atoms; null on other platforms.
    xcb_connection_t *m_x11 = nullptr;
    std::uint32_t m_trayAtom = 0;
    std::uint32_t m_managerAtom = 0;
};
