#include "ExampleAnswers.h"
#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// A Codex account's banked full resets through the real program: the list the service gives
// (with the count as text, an expired and a consumed credit), none (404), a failing one (500) and
// one that does not fit, each beside the usage, which it never holds up.
class TestBankedResets : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shownWhenBankedAskedEvery15Minutes_data();
    void shownWhenBankedAskedEvery15Minutes();
};

void TestBankedResets::shownWhenBankedAskedEvery15Minutes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QStringList>("lines");       // after the windows
    QTest::addColumn<QJsonValue>("resetCredits"); // in the snapshot
    QTest::addColumn<QByteArray>("standardError");

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime expiry = now.addSecs(1296000);
    const QString expires = QLocale(QLocale::English, QLocale::UnitedKingdom).toString(expiry.date(), u"d MMM"_s);
    QTest::newRow("banked") << 200 << exampleAnswer(u"codex-reset-credits.json"_s, now)
                            << QStringList{u"    Resets banked: 2 \u00B7 next expires "_s + expires}
                            << QJsonValue(QJsonObject{{u"available"_s, 2}, {u"nextExpiry"_s, expiry.toString(Qt::ISODateWithMs)}})
                            << QByteArray();
    QTest::newRow("none") << 404 << QByteArray() << QStringList() << QJsonValue() << QByteArray();
    QTest::newRow("failing") << 500 << QByteArray("{}") << QStringList() << QJsonValue()
                             << QByteArray("tidemarker.core: Codex: banked resets not shown: HTTP 500\n");
    QTest::newRow("misshapen") << 200 << QByteArray(R"({"available_count": 1, "credits": {}})") << QStringList()
                               << QJsonValue()
                               << QByteArray("tidemarker.core: Codex: banked resets not shown: reset-credits "
                                             "response: \"credits\" is not a list\n");
}

void TestBankedResets::shownWhenBankedAskedEvery15Minutes()
{
    QFETCH(int, status);
    QFETCH(QByteArray, answer);
    QFETCH(QStringList, lines);
    QFETCH(QJsonValue, resetCredits);
    QFETCH(QByteArray, standardError);
    const QByteArray listPath = "/backend-api/wham/rate-limit-reset-credits";
    FakeHttpServer server;
    QVERIFY(server.listen());
    serveUsage(server);
    server.respond(listPath, FakeResponse::json(answer, status));
    QTemporaryDir home;
    QVERIFY(writeFile(home.filePath(u"config/tidemarker/tidemarker.conf"_s), "[General]\nproviders=codex\n"));
    QVERIFY(writeFile(home.filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QProcessEnvironment environment = trayProgramEnvironment(home.path(), server);
    environment.insert(u"LC_ALL"_s, u"en_GB.UTF-8"_s);
    environment.insert(u"TZ"_s, u"UTC"_s);
    FakePanel panel;
    QProcess program;
    const auto item = startUnderPanel(program, QStringLiteral(TIDEMARKER_E2E_PROGRAM), environment, panel);
    QVERIFY(item && item->aboutToShow());
    const auto menu = [&item] { return item->menuLayout().value_or(MenuEntry()).childLabels(); };
    const QStringList shown = QStringList{u"Codex"_s, u"    5h: 60% left, +10% high"_s, u"    Weekly: 37% left, -13% low"_s}
        + lines + QStringList{u"---"_s, u"History\u2026"_s, u"Settings\u2026"_s, u"Refresh"_s, u"Quit"_s};
    QTRY_COMPARE_WITH_TIMEOUT(menu(), shown, 20000);
    QTRY_COMPARE(server.requests(listPath).size(), 1);
    QDBusInterface bus(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s, u"org.tidemarker.Tidemarker1"_s);
    const auto published = [&bus] { return QJsonDocument::fromJson(bus.property("Snapshot").toString().toUtf8()); };
    QTRY_COMPARE(published()[u"providers"_s][0][u"resetCredits"_s], resetCredits);
    // The usage request's own headers, in its order, on its origin.
    QCOMPARE(server.requests(listPath).constFirst().headers, server.requests(codexUsagePath).constFirst().headers);

    // Other refreshes ask for the usage again, not for the list (the first may join the one at
    // start); the menu's asks for both at once.
    for (int i = 0; i < 2; ++i)
        QVERIFY(QDBusReply<void>(bus.call(QDBus::BlockWithGui, u"Refresh"_s)).isValid());
    QVERIFY(server.requests(codexUsagePath).size() >= 2);
    QCOMPARE(server.requests(listPath).size(), 1);
    QVERIFY(item->click(item->menuLayout().value_or(MenuEntry()).childId(u"Refresh"_s)));
    QTRY_COMPARE(server.requests(listPath).size(), 2);
    QTRY_COMPARE(menu(), shown);
    for (const RecordedRequest &request : server.requests()) // read only: nothing but the two GETs
        QVERIFY(request.method == "GET" && (request.path == codexUsagePath || request.path == listPath));

    QVERIFY(item->click(item->menuLayout().value_or(MenuEntry()).childId(u"Quit"_s)));
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.readAllStandardError(), standardError);
}

QTEST_GUILESS_MAIN(TestBankedResets)
#include "tst_bankedresets.moc"
