#include "DesktopNotifier.h"
#include "FakeNotifications.h"

#include <QDBusServiceWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <QCoroTask>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Drives the coroutine to its end on this thread's event loop.
std::optional<bool> delivered(QCoro::Task<bool> task)
{
    std::optional<bool> result;
    task.then([&result](bool ok) { result = ok; });
    if (!QTest::qWaitFor([&result] { return result.has_value(); }, 5000))
        return std::nullopt;
    return result;
}

} // namespace

// Needs a session bus of its own: runs under dbus-run-session.
class TestDesktopNotifier : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void laterBubbleUnderTheSameKeyReplacesTheEarlier()
    {
        FakeNotifications service;
        QVERIFY(service.start());
        DesktopNotifier notifier;
        QImage gauge(22, 11, QImage::Format_ARGB32);
        gauge.fill(Qt::red);

        QCOMPARE(delivered(notifier.notify(u"claude-slow"_s, u"first"_s, u"body"_s, gauge)), true);
        QCOMPARE(delivered(notifier.notify(u"codex-fast"_s, u"other"_s, u"body"_s)), true);
        QCOMPARE(delivered(notifier.notify(u"claude-slow"_s, u"second"_s, u"body"_s)), true);

        const QList<FakeNotifications::Call> calls = service.calls();
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls[0].appName, u"Tidemarker"_s);
        QCOMPARE(calls[0].imageSize, QSize(22, 11));
        QVERIFY(!calls[1].hintNames.contains(u"image-data"_s));
        QCOMPARE(calls[1].replacesId, 0u);
        QCOMPARE(calls[2].replacesId, calls[0].id);
        QCOMPARE(service.capabilityQuestions(), 1);
    }

    // On Wayland the click comes with a token, without which the window it opens is not raised.
    void clickHandsOnItsActivationToken()
    {
        FakeNotifications service;
        QVERIFY(service.start());
        DesktopNotifier notifier;
        QSignalSpy clicked(&notifier, &DesktopNotifier::defaultActionInvoked);
        QCOMPARE(delivered(notifier.notify(u"alerts"_s, u"summary"_s, u"body"_s, {}, u"Show history"_s)), true);
        qunsetenv("XDG_ACTIVATION_TOKEN");
        service.clickWithToken(service.calls().constFirst().id, u"token-from-the-compositor"_s);
        QVERIFY(clicked.wait(5000));
        QCOMPARE(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("token-from-the-compositor"));
    }

    // A name in a bubble shows as it is written, whether the service reads markup or not.
    void bodyIsEscapedOnlyForServicesReadingMarkup_data()
    {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("sentSummary");
        QTest::addColumn<QString>("sentBody");
        const QString name = u"<img src=\"/dev/zero\"> &amp;\u202e\x1b]0;title\x07"_s;
        QTest::newRow("body-markup") << QStringList{u"body"_s, u"body-markup"_s} << u"Low: "_s + name
                                     << name + u"\nresets in 2h"_s << u"Low: <img src=\"/dev/zero\"> &amp;]0;title"_s
                                     << u"&lt;img src=&quot;/dev/zero&quot;&gt; &amp;amp;]0;title\nresets in 2h"_s;
        QTest::newRow("plain text") << QStringList{u"body"_s} << u"Low:\nforged"_s << name + u"\nresets in 2h"_s
                                    << u"Low:forged"_s << u"<img src=\"/dev/zero\"> &amp;]0;title\nresets in 2h"_s;
    }

    void bodyIsEscapedOnlyForServicesReadingMarkup()
    {
        QFETCH(QStringList, capabilities);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        FakeNotifications service;
        service.setCapabilities(capabilities);
        QVERIFY(service.start());
        DesktopNotifier notifier;

        QCOMPARE(delivered(notifier.notify(u"claude-slow"_s, summary, body)), true);
        QTEST(service.calls().first().summary, "sentSummary");
        QTEST(service.calls().first().body, "sentBody");
    }

    // What a service reads is remembered for that service only.
    void askedAgainWhenAnotherServiceTakesOver()
    {
        DesktopNotifier notifier;
        QDBusServiceWatcher watcher(u"org.freedesktop.Notifications"_s, QDBusConnection::sessionBus(),
                                    QDBusServiceWatcher::WatchForOwnerChange);
        QSignalSpy ownerChanges(&watcher, &QDBusServiceWatcher::serviceOwnerChanged);
        auto first = std::make_unique<FakeNotifications>();
        first->setCapabilities({u"body-markup"_s});
        QVERIFY(first->start());
        QCOMPARE(delivered(notifier.notify(u"a"_s, u"s"_s, u"a & b"_s)), true);
        QCOMPARE(first->calls().first().body, u"a &amp; b"_s);
        first.reset();
        FakeNotifications second;
        QVERIFY(second.start());
        QTRY_COMPARE(ownerChanges.size(), 3); // the first came, went, and the second came
        QCOMPARE(delivered(notifier.notify(u"a"_s, u"s"_s, u"a & b"_s)), true);
        QCOMPARE(second.calls().first().body, u"a & b"_s);
        QCOMPARE(second.capabilityQuestions(), 1);
    }

    // Without a service nothing breaks, and the one line on standard error comes only once.
    void withoutServiceSaysSoOnce()
    {
        if (qEnvironmentVariableIsSet("TIDEMARKER_NOTIFIER_CHILD")) {
            DesktopNotifier notifier;
            QCOMPARE(delivered(notifier.notify(u"a"_s, u"s"_s, u"b"_s)), false);
            QCOMPARE(delivered(notifier.notify(u"a"_s, u"s"_s, u"b"_s)), false);
            return;
        }
        QProcess child;
        child.setProcessEnvironment([] {
            auto environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"TIDEMARKER_NOTIFIER_CHILD"_s, u"1"_s);
            return environment;
        }());
        child.start(QCoreApplication::applicationFilePath(), {u"withoutServiceSaysSoOnce"_s});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitCode(), 0);
        const QByteArray errors = child.readAllStandardError();
        QCOMPARE(errors.count("tidemarker: "), 1);
        QVERIFY(errors.contains("tidemarker: desktop notifications are not available: "));
    }
};

QTEST_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"
