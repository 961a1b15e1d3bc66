#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The program and tidemarker-status in the user's language, with their JSON as it always is.
class TestLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void germanMenuStatusAndHelpWithEnglishJson();

private:
    QByteArray run(const QString &program, const QStringList &arguments, const QString &language) const;

    FakeHttpServer m_server;
    QTemporaryDir m_home;
};

QByteArray TestLanguage::run(const QString &program, const QStringList &arguments, const QString &language) const
{
    QProcessEnvironment environment = trayProgramEnvironment(m_home.path(), m_server);
    environment.insert(u"LANGUAGE"_s, language);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    (void)QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000);
    return process.readAllStandardOutput() + process.readAllStandardError();
}

void TestLanguage::germanMenuStatusAndHelpWithEnglishJson()
{
    QVERIFY(m_server.listen());
    QVERIFY(writeFile(m_home.filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(writeFile(m_home.filePath(u"config/tidemarker/tidemarker.conf"_s), "[General]\nreset_times=false\n"));
    serveUsage(m_server);
    QProcessEnvironment environment = trayProgramEnvironment(m_home.path(), m_server);
    environment.insert(u"LANGUAGE"_s, u"de"_s);
    FakePanel panel;
    QProcess program;
    const std::unique_ptr<StatusItemProbe> item
        = startUnderPanel(program, QStringLiteral(TIDEMARKER_E2E_PROGRAM), environment, panel);
    QVERIFY(item);
    QVERIFY(item->aboutToShow());

    const QString percent = u"\u00A0%"_s;
    QTRY_COMPARE_WITH_TIMEOUT(item->menuLayout().value_or(MenuEntry()).childLabels(),
                              (QStringList{u"Codex"_s, u"    5 Std.: 60"_s + percent + u" übrig, +10"_s + percent + u" hoch"_s,
                                           u"    Wöchentlich: 37"_s + percent + u" übrig, -13"_s + percent + u" niedrig"_s,
                                           u"Claude"_s, u"    5 Std.: 80"_s + percent + u" übrig, +30"_s + percent + u" hoch"_s,
                                           u"    Wöchentlich: 20"_s + percent + u" übrig, -30"_s + percent + u" niedrig"_s,
                                           u"---"_s, u"Verlauf…"_s, u"Einstellungen…"_s, u"Aktualisieren"_s, u"Beenden"_s}),
                              20000);
    QCOMPARE(item->toolTipTitle(), u"Claude Wöchentlich -30"_s + percent + u" niedrig"_s);

    const QString status = QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM);
    QCOMPARE(QString::fromUtf8(run(status, {}, u"de"_s)),
             u"Codex Wöchentlich 37"_s + percent + u" -13"_s + percent + u" · Claude Wöchentlich 20"_s + percent
                 + u" -30"_s + percent + u'\n');
    QVERIFY(QString::fromUtf8(run(status, {u"--help"_s}, u"de"_s)).contains(u"Nur das Konto mit dieser Bezeichnung."_s));
    QVERIFY(run(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {u"--help"_s}, u"de"_s).contains("diese Hilfe ausgeben und beenden"));
    QVERIFY(QString::fromUtf8(run(status, {u"--days"_s, u"1"_s}, u"de"_s)).contains(u"--days gehört zu --history"_s));

    // Scripts read the same JSON whatever the language: the published snapshot too.
    const QByteArray english = run(status, {u"--format"_s, u"json"_s}, u"en"_s);
    QVERIFY(english.contains(R"("summary":"Claude Weekly -30% low")"));
    QCOMPARE(run(status, {u"--format"_s, u"json"_s}, u"de"_s), english);
    QDBusMessage get = QDBusMessage::createMethodCall(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s,
                                                      u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << u"org.tidemarker.Tidemarker1"_s << u"Snapshot"_s;
    const QDBusMessage published = QDBusConnection::sessionBus().call(get);
    QCOMPARE(published.arguments().value(0).value<QDBusVariant>().variant().toByteArray() + '\n', english);
    program.terminate();
    QVERIFY(program.waitForFinished());
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
