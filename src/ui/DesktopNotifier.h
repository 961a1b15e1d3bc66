#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>

#include <QCoroTask>

#include <optional>

// Desktop notifications through the session's notification service
// (org.freedesktop.Notifications). A bubble sent under a key replaces the one still shown
// under the same key. Without a service the bubble is lost, and that is said on standard
// error once. The body is escaped as markup only for a service that reads it as markup.
class DesktopNotifier : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject *parent = nullptr);

    // True once the service has shown the bubble. Callers need not wait for it. With a
    // default action, a click on the bubble emits defaultActionInvoked where the service
    // offers actions; other services ignore it.
    QCoro::Task<bool> notify(QString key, QString summary, QString body, QImage image = {},
                             QString defaultAction = {});
    // The bubble last sent under the key is shown still, as far as the service has told.
    bool isShown(const QString &key) const { return m_shownIds.contains(key); }

Q_SIGNALS:
    void defaultActionInvoked(const QString &key);

private Q_SLOTS:
    void forgetClosed(uint id);
    void takeAction(uint id, const QString &action);
    void takeActivationToken(uint id, const QString &token);

private:
    QCoro::Task<bool> readsBodyMarkup();
    void reportUndelivered(const QString &reason);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_serviceOwner;
    std::optional<bool> m_bodyMarkup; // as the service now running announced it
    QHash<QString, uint> m_shownIds; // the service's id of the bubble shown under each key
    bool m_reportedUndelivered = false;
};
