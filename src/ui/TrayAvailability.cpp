#include "TrayAvailability.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

#include <QCoroDBus>

#include <cstdio>
#include <cstdlib>
#include <memory>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString watcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString watcherPath = u"/StatusNotifierWatcher"_s;

#if QT_CONFIG(xcb)
xcb_intern_atom_cookie_t askForAtom(xcb_connection_t *connection, const QByteArray &name)
{
    return xcb_intern_atom(connection, false, name.size(), name.constData());
}

std::uint32_t atom(xcb_connection_t *connection, xcb_intern_atom_cookie_t asked)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, asked, nullptr), &std::free);
    return reply ? reply->atom : std::uint32_t(XCB_ATOM_NONE);
}
#endif

} // namespace

TrayAvailability::TrayAvailability(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
#if QT_CONFIG(xcb)
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    m_x11 = x11 ? x11->connection() : nullptr; // a platform may offer the interface without a connection
    if (m_x11) {
        // Both asked before either answer is awaited: one round trip to the X server.
        const xcb_intern_atom_cookie_t tray = askForAtom(m_x11, "_NET_SYSTEM_TRAY_S0");
        const xcb_intern_atom_cookie_t manager = askForAtom(m_x11, "MANAGER");
        m_trayAtom = atom(m_x11, tray);
        m_managerAtom = atom(m_x11, manager);
    }
#endif
}

TrayAvailability::~TrayAvailability()
{
    stopWatching();
}

// Watching takes round trips to the bus before the icon can show, and is needed only while there
// is no tray: so it looks first, and when there is none, watches and looks once more for a tray
// that came up in between.
QCoro::Task<void> TrayAvailability::start()
{
    QPointer<TrayAvailability> self(this);
    bool available = co_await isAvailable();
    if (!self)
        co_return;
    if (!available) {
        startWatching();
        available = co_await isAvailable();
        if (!self || m_announced)
            co_return;
    }
    if (available) {
        announce();
        co_return;
    }
    const QString waiting = m_x11 ? tr("no system tray found; waiting for an X11 tray or a StatusNotifierItem host "
                                       "to appear")
                                  : tr("no system tray found; waiting for a StatusNotifierItem host (a panel's tray) "
                                       "to appear");
    std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(waiting));
}

void TrayAvailability::lookForStatusNotifierHost()
{
    announceWhenHosted();
}

QCoro::Task<void> TrayAvailability::announceWhenHosted()
{
    QPointer<TrayAvailability> self(this);
    const bool hosted = co_await hasStatusNotifierHost();
    if (self && hosted)
        announce();
}

QCoro::Task<bool> TrayAvailability::isAvailable()
{
    if (hasXEmbedTray())
        co_return true;
    // A plain statement around the co_await: GCC 12 mishandles one inside || or ?:.
    const bool hosted = co_await hasStatusNotifierHost();
    co_return hosted;
}

// Asked the way Qt asks when it decides between a D-Bus and an XEmbed tray icon.
QCoro::Task<bool> TrayAvailability::hasStatusNotifierHost()
{
    QDBusMessage get = QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                      u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << watcherService << u"IsStatusNotifierHostRegistered"_s;
    get.setAutoStartService(false);
    // Named, so that the call the awaiter refers to surely outlives the suspension.
    const QDBusPendingCall pending = m_bus.asyncCall(get);
    const QDBusMessage reply = co_await pending;
    co_return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

bool TrayAvailability::hasXEmbedTray() const
{
#if QT_CONFIG(xcb)
    if (m_x11) {
        const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
            xcb_get_selection_owner_reply(m_x11, xcb_get_selection_owner(m_x11, m_trayAtom), nullptr),
            &std::free);
        return reply && reply->owner != XCB_WINDOW_NONE;
    }
#endif
    return false;
}

bool TrayAvailability::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#if QT_CONFIG(xcb)
    if (eventType != "xcb_generic_event_t"
        || (static_cast<const xcb_generic_event_t *>(message)->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *event = static_cast<const xcb_client_message_event_t *>(message);
    if (event->type == m_managerAtom && event->data.data32[1] == m_trayAtom)
        // Outside Qt's event handling, which the new icon's window takes part in.
        QTimer::singleShot(0, this, &TrayAvailability::announce);
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

void TrayAvailability::announce()
{
    if (m_announced)
        return;
    m_announced = true;
    stopWatching();
    Q_EMIT appeared();
}

void TrayAvailability::startWatching()
{
    // A panel claims the watcher's name first and registers its host a moment later.
    m_watcher.setConnection(m_bus);
    m_watcher.setWatchMode(QDBusServiceWatcher::WatchForRegistration);
    m_watcher.addWatchedService(watcherService);
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this,
            &TrayAvailability::lookForStatusNotifierHost);
    m_bus.connect(watcherService, watcherPath, watcherService, u"StatusNotifierHostRegistered"_s, this,
                  SLOT(lookForStatusNotifierHost()));
    // A new tray announces itself with a MANAGER message to the root window.
    if (m_x11)
        QCoreApplication::instance()->installNativeEventFilter(this);
}

void TrayAvailability::stopWatching()
{
    m_watcher.setWatchedServices({});
    m_bus.disconnect(watcherService, watcherPath, watcherService, u"StatusNotifierHostRegistered"_s, this,
                     SLOT(lookForStatusNotifierHost()));
    if (m_x11)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}
