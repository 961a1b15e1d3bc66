#include "DesktopNotifier.h"

#include "Diagnostics.h"
#include "OutsideText.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingReply>
#include <QPointer>

#include <QCoroDBus>

#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The "image-data" hint: raw RGBA rows, laid out as freedesktop.org notifications expect.
struct NotificationImage {
    int width = 0;
    int height = 0;
    int rowStride = 0;
    bool hasAlpha = true;
    int bitsPerSample = 8;
    int channels = 4;
    QByteArray data;
};

QDBusArgument &operator<<(QDBusArgument &argument, const NotificationImage &image)
{
    argument.beginStructure();
    argument << image.width << image.height << image.rowStride << image.hasAlpha
             << image.bitsPerSample << image.channels << image.data;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, NotificationImage &image)
{
    argument.beginStructure();
    argument >> image.width >> image.height >> image.rowStride >> image.hasAlpha
        >> image.bitsPerSample >> image.channels >> image.data;
    argument.endStructure();
    return argument;
}

NotificationImage notificationImage(const QImage &image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    return {rgba.width(), rgba.height(), int(rgba.bytesPerLine()), true, 8, 4,
            QByteArray(reinterpret_cast<const char *>(rgba.constBits()), rgba.sizeInBytes())};
}

const QString service = u"org.freedesktop.Notifications"_s;
const QString path = u"/org/freedesktop/Notifications"_s;
const QString defaultActionKey = u"default"_s;

} // namespace

Q_DECLARE_METATYPE(NotificationImage)

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_serviceOwner(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    // Another service may read bodies otherwise.
    connect(&m_serviceOwner, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { m_bodyMarkup.reset(); });
    qDBusRegisterMetaType<NotificationImage>();
    m_bus.connect(service, path, service, u"NotificationClosed"_s, this, SLOT(forgetClosed(uint)));
    m_bus.connect(service, path, service, u"ActionInvoked"_s, this, SLOT(takeAction(uint,QString)));
    m_bus.connect(service, path, service, u"ActivationToken"_s, this, SLOT(takeActivationToken(uint,QString)));
}

QCoro::Task<bool> DesktopNotifier::notify(QString key, QString summary, QString body, QImage image,
                                          QString defaultAction)
{
    QVariantMap hints{{u"desktop-entry"_s, u"org.tidemarker.Tidemarker"_s}};
    if (!image.isNull())
        hints.insert(u"image-data"_s, QVariant::fromValue(notificationImage(image)));

    QStringList actions;
    if (!defaultAction.isEmpty())
        actions = {defaultActionKey, defaultAction};

    QPointer<DesktopNotifier> self(this);
    const bool bodyMarkup = co_await readsBodyMarkup();
    if (!self)
        co_return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, u"Notify"_s);
    const int serverDefaultTimeout = -1;
    // A limit's name in the body is text, whether the service reads markup there or not.
    call << u"Tidemarker"_s << m_shownIds.value(key) << u"tidemarker"_s << OutsideText::plainLine(summary)
         << (bodyMarkup ? OutsideText::markup(body) : OutsideText::plainText(body)) << actions << hints
         << serverDefaultTimeout;

    // Named, so that the call the awaiter refers to surely outlives the suspension.
    const QDBusPendingCall pending = m_bus.asyncCall(call);
    const QDBusPendingReply<uint> reply = co_await pending;
    if (!self)
        co_return false;
    if (reply.isError()) {
        reportUndelivered(reply.error().message());
        co_return false;
    }
    m_shownIds.insert(key, reply.value());
    co_return true;
}

// Asked once of each service; until one answers, bodies go as plain text.
QCoro::Task<bool> DesktopNotifier::readsBodyMarkup()
{
    if (m_bodyMarkup)
        co_return *m_bodyMarkup;
    QPointer<DesktopNotifier> self(this);
    const QDBusPendingCall pending
        = m_bus.asyncCall(QDBusMessage::createMethodCall(service, path, service, u"GetCapabilities"_s));
    const QDBusPendingReply<QStringList> reply = co_await pending;
    if (!self || reply.isError())
        co_return false;
    m_bodyMarkup = reply.value().contains(u"body-markup"_s);
    qCDebug(lcUi) << "the notification service reads bodies as markup:" << *m_bodyMarkup;
    co_return *m_bodyMarkup;
}

void DesktopNotifier::forgetClosed(uint id)
{
    m_shownIds.removeIf([id](const auto &shown) { return shown.value() == id; });
}

void DesktopNotifier::takeAction(uint id, const QString &action)
{
    const QString key = m_shownIds.key(id);
    if (action == defaultActionKey && !key.isNull())
        Q_EMIT defaultActionInvoked(key);
}

// Sent just before the click's action: a Wayland compositor raises the window the click opens
// only with it, which Qt's Wayland backend takes from the environment when the window asks.
void DesktopNotifier::takeActivationToken(uint id, const QString &token)
{
    if (!m_shownIds.key(id).isNull() && !token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
}

void DesktopNotifier::reportUndelivered(const QString &reason)
{
    if (std::exchange(m_reportedUndelivered, true))
        return;
    std::fprintf(stderr, "tidemarker: %s\n",
                 qUtf8Printable(tr("desktop notifications are not available: %1").arg(reason)));
}
