#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <QCoroTask>

#include <optional>

// The running Tidemarker, seen over the session bus: its published snapshot, its Refresh(), and
// its comings and goings.
class TidemarkerBusClient : public QObject
{
    Q_OBJECT
public:
    explicit TidemarkerBusClient(QDBusConnection bus = QDBusConnection::sessionBus(),
                                 QObject *parent = nullptr);

    bool hasBus() const { return m_bus.isConnected(); }

    // None when Tidemarker does not answer; lastError() says why.
    QCoro::Task<std::optional<QByteArray>> snapshot();
    // The Breakdown JSON; none when Tidemarker does not answer or has none, lastError() says why.
    QCoro::Task<std::optional<QByteArray>> breakdown();
    // Answers once the new snapshot is published; false when Tidemarker does not answer.
    QCoro::Task<bool> refresh();

    // From now on: published() on every new snapshot, vanished() whenever Tidemarker goes away
    // and appeared() when it is back.
    void watch();

    // True when the last failure was that nobody holds Tidemarker's name.
    bool lastErrorIsNotRunning() const { return m_notRunning; }
    // True when the last call had no answer within the bus's timeout.
    bool lastErrorIsNoAnswer() const { return m_noAnswer; }
    QString lastError() const { return m_lastError; }

Q_SIGNALS:
    void published(const QByteArray &snapshot);
    void appeared();
    void vanished();

private Q_SLOTS:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated);

private:
    // timeoutMs -1: the bus's default.
    QCoro::Task<std::optional<QDBusMessage>> call(QString interface, QString method,
                                                  QVariantList arguments, int timeoutMs);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    QString m_lastError;
    bool m_notRunning = false;
    bool m_noAnswer = false;
};
