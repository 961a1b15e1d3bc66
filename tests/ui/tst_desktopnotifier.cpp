#include "DesktopNotifier.h"
#include "FakeNotifications.h"

#include <QProcess>
#include <QTest>

#include <QCoroTask>

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
        QCOMPARE(delivered(notifier.notify(u"claude-slow"_s, u"second"_s, u"<img src=\"/dev/zero\"> &amp;"_s)), true);

        const QList<FakeNotifications::Call> calls = service.calls();
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls[0].appName, u"Tidemarker"_s);
        QCOMPARE(calls[0].imageSize, QSize(22, 11));
        QVERIFY(!calls[1].hintNames.contains(u"image-data"_s));
        QCOMPARE(calls[1].replacesId, 0u);
        QCOMPARE(calls[2].replacesId, calls[0].id);
        QCOMPARE(calls[2].body, u"&lt;img src=&quot;/dev/zero&quot;&gt; &amp;amp;"_s); // servers read markup there
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
