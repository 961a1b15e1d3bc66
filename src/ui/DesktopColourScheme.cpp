#include "DesktopColourScheme.h"

#include "Diagnostics.h"

#include <QApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::StringLiterals;

namespace {

const QString portalService = u"org.freedesktop.portal.Desktop"_s;
const QString portalPath = u"/org/freedesktop/portal/desktop"_s;
const QString settingsInterface = u"org.freedesktop.portal.Settings"_s;
const QString appearance = u"org.freedesktop.appearance"_s;
const QString colourScheme = u"color-scheme"_s;

// Read answers a variant in a variant on older portals, a variant on newer ones.
uint unwrapped(QVariant value)
{
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value.toUInt();
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace

DesktopColourScheme::DesktopColourScheme(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

void DesktopColourScheme::start()
{
    if (!m_bus.isConnected())
        return;
    if (!m_bus.connect(portalService, portalPath, settingsInterface, u"SettingChanged"_s, this,
                       SLOT(settingChanged(QDBusMessage))))
        qCDebug(lcUi) << "cannot listen to the settings portal's changes:" << m_bus.lastError().message();
    QDBusMessage read = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, u"Read"_s);
    read << appearance << colourScheme;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *answered) {
        answered->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *answered;
        if (reply.isError()) // no portal, or one without the setting: Qt's own palette it is
            qCDebug(lcUi) << "no colour scheme from the settings portal:" << reply.error().message();
        else
            follow(Preference(unwrapped(QVariant::fromValue(reply.value()))));
    });
}

void DesktopColourScheme::settingChanged(const QDBusMessage &change)
{
    const QVariantList arguments = change.arguments();
    if (arguments.size() == 3 && arguments[0].toString() == appearance && arguments[1].toString() == colourScheme)
        follow(Preference(unwrapped(arguments[2])));
}

void DesktopColourScheme::follow(Preference preference)
{
    qCDebug(lcUi) << "the desktop's colour scheme preference:" << uint(preference);
    if (preference == Preference::dark && !m_madeDark && !isDark(QApplication::palette())) {
        m_ownPalette = QApplication::palette();
        m_madeDark = true;
        QApplication::setPalette(darkPalette());
    } else if (preference != Preference::dark && m_madeDark) {
        m_madeDark = false;
        QApplication::setPalette(m_ownPalette);
    }
}

QPalette DesktopColourScheme::darkPalette()
{
    const QColor window(0x2d, 0x2d, 0x2d);
    const QColor base(0x1e, 0x1e, 0x1e);
    const QColor text(0xe6, 0xe6, 0xe6);
    const QColor disabledText(0x80, 0x80, 0x80);
    QPalette palette(window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    palette.setColor(QPalette::LinkVisited, QColor(0xb4, 0x9c, 0xff));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}
