#include "TidemarkerBusClient.h"

#include "Diagnostics.h"
#include "StatusBusNames.h"
#include "UsageRequest.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <QCoroSignal>

#include <chrono>

using namespace Qt::StringLiterals;

namespace {

const QString propertiesInterface = u"org.freedesktop.DBus.Properties"_s;

// Longer than a refresh whose requests run to their own deadline, so that the answer still counts.
constexpr int refreshTimeoutMs
    = std::chrono::milliseconds(UsageRequest::defaultDeadline + std::chrono::seconds(30)).count();

} // namespace

TidemarkerBusClient::TidemarkerBusClient(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

QCoro::Task<std::optional<QByteArray>> TidemarkerBusClient::snapshot()
{
    const QVariantList property{StatusBusNames::interface, StatusBusNames::snapshotProperty};
    const auto reply = co_await call(propertiesInterface, u"Get"_s, property, -1);
    if (!reply)
        co_return std::nullopt;
    const QVariant value = reply->arguments().value(0).value<QDBusVariant>().variant();
    co_return value.toString().toUtf8();
}

QCoro::Task<std::optional<QByteArray>> TidemarkerBusClient::breakdown()
{
    const auto reply = co_await call(StatusBusNames::interface, u"Breakdown"_s, QVariantList(), -1);
    if (!reply)
        co_return std::nullopt;
    co_return reply->arguments().value(0).toString().toUtf8();
}

QCoro::Task<bool> TidemarkerBusClient::refresh()
{
    const auto reply = co_await call(StatusBusNames::interface, u"Refresh"_s, QVariantList(), refreshTimeoutMs);
    co_return reply.has_value();
}

void TidemarkerBusClient::watch()
{
    m_watcher.setConnection(m_bus);
    m_watcher.addWatchedService(StatusBusNames::service);
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &TidemarkerBusClient::appeared);
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &TidemarkerBusClient::vanished);
    m_bus.connect(StatusBusNames::service, StatusBusNames::path, propertiesInterface,
                  u"PropertiesChanged"_s, this,
                  SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
}

void TidemarkerBusClient::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                            const QStringList &)
{
    const auto snapshot = changed.find(StatusBusNames::snapshotProperty);
    if (interface == StatusBusNames::interface && snapshot != changed.end())
        Q_EMIT published(snapshot->toString().toUtf8());
}

QCoro::Task<std::optional<QDBusMessage>> TidemarkerBusClient::call(QString interface, QString method,
                                                                    QVariantList arguments, int timeoutMs)
{
    if (!m_bus.isConnected()) {
        // Without a bus the pending call has nothing behind it and would never finish.
        m_lastError = m_bus.lastError().message();
        m_notRunning = true;
        co_return std::nullopt;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(StatusBusNames::service,
                                                          StatusBusNames::path, interface, method);
    message.setArguments(arguments);
    // Watched from the start, so that an early answer cannot pass unseen.
    QDBusPendingCallWatcher watcher(m_bus.asyncCall(message, timeoutMs));
    co_await qCoro(&watcher, &QDBusPendingCallWatcher::finished);
    const QDBusMessage reply = watcher.reply();
    if (reply.type() == QDBusMessage::ReplyMessage) {
        m_lastError.clear();
        m_notRunning = false;
        m_noAnswer = false;
        co_return reply;
    }
    qCDebug(lcStatus) << method << "failed:" << reply.errorName() << reply.errorMessage();
    m_lastError = reply.errorMessage();
    m_notRunning = reply.errorName() == u"org.freedesktop.DBus.Error.ServiceUnknown"
        || reply.errorName() == u"org.freedesktop.DBus.Error.NameHasNoOwner";
    m_noAnswer = reply.errorName() == u"org.freedesktop.DBus.Error.NoReply"
        || reply.errorName() == u"org.freedesktop.DBus.Error.Timeout";
    co_return std::nullopt;
}
