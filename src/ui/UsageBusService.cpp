#include "UsageBusService.h"

#include "SharedBreakdown.h"
#include "StatusBusNames.h"
#include "StatusItemController.h"
#include "UsageBreakdown.h"
#include "UsageSnapshotJson.h"
#include "UsageStore.h"

#include <QDBusConnectionInterface>
#include <QPointer>

#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

UsageBusService::NameClaim UsageBusService::claimName(QDBusConnection bus)
{
    if (!bus.isConnected()) {
        std::fprintf(stderr, "tidemarker: %s\n",
                     qUtf8Printable(tr("no session bus; status bars and tidemarker-status cannot read the usage")));
        return NameClaim::noBus;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        StatusBusNames::service, QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    // A bus that refuses the name (a sandbox's policy, say) is no second Tidemarker: carry on.
    if (!reply.isValid()) {
        std::fprintf(stderr, "tidemarker: %s\n",
                     qUtf8Printable(tr("cannot publish the usage on the session bus: %1").arg(reply.error().message())));
        return NameClaim::noBus;
    }
    if (reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return NameClaim::claimed;
    std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(tr("already running in this session")));
    return NameClaim::taken;
}

UsageBusService::UsageBusService(StatusItemController &controller, QDBusConnection bus)
    : m_controller(controller)
    , m_bus(std::move(bus))
{
    connect(&controller.store(), &UsageStore::statusChanged, this, &UsageBusService::publish);
    connect(&controller.store(), &UsageStore::refreshed, this, &UsageBusService::answerRefreshes);
    m_bus.registerObject(StatusBusNames::path, this,
                         QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllProperties);
}

UsageBusService::~UsageBusService()
{
    m_bus.unregisterObject(StatusBusNames::path);
}

void UsageBusService::serveBreakdown(UsageBreakdown *breakdown)
{
    delete m_breakdown;
    m_breakdown = breakdown ? new SharedBreakdown(*breakdown, this) : nullptr;
    // A refresh's end starts a reading of the logs, which an answer after it is to include.
    if (m_breakdown)
        connect(&m_controller.store(), &UsageStore::refreshed, m_breakdown, &SharedBreakdown::forget);
}

void UsageBusService::Refresh(const QDBusMessage &request)
{
    request.setDelayedReply(true);
    m_waitingForSnapshot.append(request);
    if (!m_controller.store().isRefreshing())
        m_controller.refresh();
}

QString UsageBusService::Breakdown(const QDBusMessage &request)
{
    request.setDelayedReply(true);
    answerBreakdown(request);
    return {};
}

QCoro::Task<void> UsageBusService::answerBreakdown(QDBusMessage request)
{
    QPointer<UsageBusService> self(this);
    if (!m_breakdown) {
        m_bus.send(request.createErrorReply(StatusBusNames::noBreakdownError, UsageBreakdown::offText()));
        co_return;
    }
    QList<BreakdownWindow> windows = BreakdownWindow::ofStatus(m_controller.store().status());
    const SharedBreakdown::Answer answer = co_await m_breakdown->answer(std::move(windows));
    if (!self)
        co_return;
    if (answer.error.isEmpty())
        m_bus.send(request.createReply(answer.json));
    else
        m_bus.send(request.createErrorReply(StatusBusNames::noBreakdownError, answer.error));
}

QString UsageBusService::snapshot() const
{
    return QString::fromUtf8(UsageSnapshotJson::toText(m_controller.store().status()));
}

void UsageBusService::publish()
{
    QDBusMessage changed = QDBusMessage::createSignal(
        StatusBusNames::path, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
    changed << StatusBusNames::interface
            << QVariantMap{{StatusBusNames::snapshotProperty, snapshot()}} << QStringList();
    m_bus.send(changed);
}

void UsageBusService::answerRefreshes()
{
    for (const QDBusMessage &request : std::exchange(m_waitingForSnapshot, {}))
        m_bus.send(request.createReply());
}
