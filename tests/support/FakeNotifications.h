#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// Plays the desktop's notification service (org.freedesktop.Notifications) on a session bus
// and records every bubble it is asked to show; the test plays the user who dismisses or clicks one.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString appName;
        uint replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QStringList hintNames;
        QSize imageSize; // of the "image-data" hint; invalid without one
        uint id = 0;     // the id this service answered with
    };

    explicit FakeNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                               QObject *parent = nullptr);
    ~FakeNotifications() override;

    // Claims the service's name and object; false when the bus or the name is not available.
    bool start();

    QList<Call> calls() const { return m_calls; }
    // What GetCapabilities answers from now on; "body" and "actions" unless told.
    void setCapabilities(const QStringList &capabilities) { m_capabilities = capabilities; }
    int capabilityQuestions() const { return m_capabilityQuestions; }
    void dismiss(uint id) { Q_EMIT NotificationClosed(id, 2); }
    void click(uint id) { Q_EMIT ActionInvoked(id, QStringLiteral("default")); }
    // As a Wayland desktop clicks: the token to raise a window with, then the action.
    void clickWithToken(uint id, const QString &token)
    {
        Q_EMIT ActivationToken(id, token);
        click(id);
    }

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expireTimeout);
    QStringList GetCapabilities();
    void CloseNotification(uint id);

Q_SIGNALS:
    void notified();
    void NotificationClosed(uint id, uint reason);
    void ActionInvoked(uint id, const QString &actionKey);
    void ActivationToken(uint id, const QString &token);

private:
    QDBusConnection m_bus;
    QList<Call> m_calls;
    uint m_lastId = 0;
    QStringList m_capabilities{QStringLiteral("body"), QStringLiteral("actions")};
    int m_capabilityQuestions = 0;
};
