#include "FakeNotifications.h"

#include <QDBusArgument>

using namespace Qt::StringLiterals;

namespace {

const QString service = u"org.freedesktop.Notifications"_s;
const QString path = u"/org/freedesktop/Notifications"_s;

QSize imageSize(const QVariant &hint)
{
    if (!hint.canConvert<QDBusArgument>())
        return {};
    const auto argument = hint.value<QDBusArgument>();
    int width = 0;
    int height = 0;
    argument.beginStructure();
    argument >> width >> height;
    return {width, height};
}

} // namespace

FakeNotifications::FakeNotifications(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

FakeNotifications::~FakeNotifications()
{
    m_bus.unregisterObject(path);
    m_bus.unregisterService(service);
}

bool FakeNotifications::start()
{
    return m_bus.registerObject(path, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)
        && m_bus.registerService(service);
}

uint FakeNotifications::Notify(const QString &appName, uint replacesId, const QString &appIcon,
                               const QString &summary, const QString &body, const QStringList &actions,
                               const QVariantMap &hints, int)
{
    const uint id = replacesId != 0 ? replacesId : ++m_lastId;
    m_calls.append({appName, replacesId, appIcon, summary, body, actions, hints.keys(),
                    imageSize(hints.value(u"image-data"_s)), id});
    Q_EMIT notified();
    return id;
}

QStringList FakeNotifications::GetCapabilities()
{
    ++m_capabilityQuestions;
    return m_capabilities;
}

void FakeNotifications::CloseNotification(uint id)
{
    Q_EMIT NotificationClosed(id, 3);
}
