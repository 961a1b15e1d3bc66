#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QPalette>

// Follows the desktop's light or dark preference as the XDG settings portal tells it
// (org.freedesktop.appearance color-scheme), live, where Qt's own platform theme does not:
// the application's palette turns dark when the desktop prefers dark and Qt's is light, and
// back to Qt's own when the preference goes.
class DesktopColourScheme : public QObject
{
    Q_OBJECT
public:
    enum class Preference : uint { none = 0, dark = 1, light = 2 };

    explicit DesktopColourScheme(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    // Asks the portal once and listens to its changes; without a portal nothing happens.
    void start();

    // A dark palette in the colours of Qt's Fusion style.
    static QPalette darkPalette();

private Q_SLOTS:
    void settingChanged(const QDBusMessage &change);

private:
    void follow(Preference preference);

    QDBusConnection m_bus;
    QPalette m_ownPalette; // Qt's, before this made it dark
    bool m_madeDark = false;
};
