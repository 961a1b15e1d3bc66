#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>

#include <QCoroTask>

class SharedBreakdown;
class StatusItemController;
class UsageBreakdown;

// Publishes the controller's snapshot on the session bus for status bars and scripts: the
// read-only Snapshot property (JSON, announced through PropertiesChanged as each account answers)
// and Refresh(), which answers once every account has: a call while a refresh runs joins it, so
// that a burst of calls asks each provider once. Breakdown() answers where the current windows'
// usage went, as JSON, all calls between two readings of the logs with one shared answer.
class UsageBusService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tidemarker.Tidemarker1")
    Q_PROPERTY(QString Snapshot READ snapshot)
public:
    // noBus: no session bus, or one that refuses the name; the program runs without the service.
    enum class NameClaim { claimed, taken, noBus };

    // Asks for the well-known name, and says on standard error when it cannot be had.
    static NameClaim claimName(QDBusConnection bus = QDBusConnection::sessionBus());

    explicit UsageBusService(StatusItemController &controller,
                             QDBusConnection bus = QDBusConnection::sessionBus());
    ~UsageBusService() override;

    QString snapshot() const;
    // What Breakdown() answers from; without it, it answers an error.
    void serveBreakdown(UsageBreakdown *breakdown);

public Q_SLOTS:
    Q_SCRIPTABLE void Refresh(const QDBusMessage &request);
    Q_SCRIPTABLE QString Breakdown(const QDBusMessage &request);

private:
    void publish();
    void answerRefreshes();
    QCoro::Task<void> answerBreakdown(QDBusMessage request);

    StatusItemController &m_controller;
    QDBusConnection m_bus;
    QList<QDBusMessage> m_waitingForSnapshot; // Refresh() calls not answered yet
    SharedBreakdown *m_breakdown = nullptr;
};
