#include "DesktopColourScheme.h"
#include "HistoryWindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Plays the desktop's settings portal: answers Read with the colour scheme it holds, as the
// older portals do (a variant in a variant), and says when it changes.
class FakeSettingsPortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint scheme = 1;

    bool start()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        return bus.registerObject(u"/org/freedesktop/portal/desktop"_s, this, QDBusConnection::ExportAllSlots)
            && bus.registerService(u"org.freedesktop.portal.Desktop"_s);
    }

    void change(uint newScheme)
    {
        scheme = newScheme;
        QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/portal/desktop"_s,
                                                         u"org.freedesktop.portal.Settings"_s, u"SettingChanged"_s);
        signal << u"org.freedesktop.appearance"_s << u"color-scheme"_s
               << QVariant::fromValue(QDBusVariant(newScheme));
        QDBusConnection::sessionBus().send(signal);
    }

public Q_SLOTS:
    QDBusVariant Read(const QString &group, const QString &key)
    {
        if (group != "org.freedesktop.appearance"_L1 || key != "color-scheme"_L1)
            return QDBusVariant(QVariant::fromValue(QDBusVariant(0u)));
        return QDBusVariant(QVariant::fromValue(QDBusVariant(scheme)));
    }
};

bool isDark(const QWidget &widget)
{
    return widget.palette().color(QPalette::Window).lightness() < 128;
}

} // namespace

// Needs a session bus of its own: runs under dbus-run-session.
class TestDesktopColourScheme : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The desktop's preference, read at start and followed while the window is open.
    void historyWindowFollowsThePortalLive()
    {
        FakeSettingsPortal portal;
        QVERIFY(portal.start());
        QTemporaryDir home;
        HistoryWindow window(home.filePath(u"history.sqlite"_s));
        window.show();
        QVERIFY(!isDark(window));
        DesktopColourScheme scheme;
        scheme.start();
        QTRY_VERIFY(isDark(window));
        portal.change(2);
        QTRY_VERIFY(!isDark(window));
        portal.change(1);
        QTRY_VERIFY(isDark(window));
        portal.change(0);
        QTRY_VERIFY(!isDark(window));
    }
};

QTEST_MAIN(TestDesktopColourScheme)
#include "tst_desktopcolourscheme.moc"
