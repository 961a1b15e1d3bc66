#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>

#include <QCoroTask>

// Desktop notifications through the session's notification service
// (org.freedesktop.Notifications). A bubble sent under a key replaces the one shown earlier
// under the same key. Without a service the bubble is lost, and that is said on standard
// error once.
class DesktopNotifier : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject *parent = nullptr);

    // True once the service has shown the bubble. Callers need not wait for it.
    QCoro::Task<bool> notify(QString key, QString summary, QString body, QImage image = {});

private:
    void reportUndelivered(const QString &reason);

    QDBusConnection m_bus;
    QHash<QString, uint> m_shownIds; // the service's id of the last bubble under each key
    bool m_reportedUndelivered = false;
};
