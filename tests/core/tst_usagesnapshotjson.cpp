#include "UsageSnapshotJson.h"

#include <QJsonArray>
#include <QTest>

using namespace Qt::StringLiterals;

class TestUsageSnapshotJson : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTripsEveryField();
    void publishesErrorsWithoutFolders_data();
    void publishesErrorsWithoutFolders();
    void oneEntryPerAccount_data();
    void oneEntryPerAccount();
};

void TestUsageSnapshotJson::roundTripsEveryField()
{
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(1'800'000'000'123, Qt::UTC);
    const UsageWindow window = UsageWindow::make(Provider::claude, WindowSpeed::slow, 80,
                                                 now.addSecs(302400), 604800, now);
    UsageStatus status{now, {{Provider::codex, false, u"error"_s, u"usage fetch failed"_s, {}, true},
                             {Provider::claude, true, u"cached"_s, std::nullopt, {window}, false}}};
    status.results[1].fetchedAt = now.addSecs(-60);
    status.results[1].lastFetchFailed = true;
    status.results[0].resetCredits = ResetCredits{2, now.addDays(11)};

    const QJsonObject json = UsageSnapshotJson::toJson(status);
    QCOMPARE(json.value(u"generatedAt"_s).toString(), u"2027-01-15T08:00:00.123Z"_s);
    QCOMPARE(json.value(u"worst"_s).toString(), u"claude_slow"_s);
    QCOMPARE(json[u"worstAccount"_s].toObject(), (QJsonObject{{u"provider"_s, u"claude"_s}, {u"account"_s, QJsonValue()}}));
    QCOMPARE(json.value(u"summary"_s).toString(), u"Claude Weekly -30% low"_s);
    const QJsonObject windowJson = json[u"providers"_s][1][u"windows"_s][0].toObject();
    QCOMPARE(windowJson.keys(),
             (QStringList{u"expectedRemainingPercent"_s, u"id"_s, u"label"_s, u"limitWindowSeconds"_s,
                          u"pressureDisplay"_s, u"pressureLabel"_s, u"pressurePercent"_s, u"provider"_s,
                          u"remainingPercent"_s, u"resetAt"_s, u"speed"_s, u"usedPercent"_s}));
    QVERIFY(json[u"providers"_s][1][u"error"_s].isNull());
    QCOMPARE(json[u"providers"_s][1][u"note"_s].toString(), u"figures from the last request, as of 1 min ago"_s);
    QVERIFY(json[u"providers"_s][0][u"note"_s].isNull());
    QCOMPARE(json[u"providers"_s][1][u"fetchedAt"_s].toString(), u"2027-01-15T07:59:00.123Z"_s);
    QVERIFY(json[u"providers"_s][0][u"fetchedAt"_s].isNull());
    QCOMPARE(json[u"providers"_s][0][u"resetCredits"_s].toObject(),
             (QJsonObject{{u"available"_s, 2}, {u"nextExpiry"_s, u"2027-01-26T08:00:00.123Z"_s}}));
    QVERIFY(json[u"providers"_s][1][u"resetCredits"_s].isNull());

    const auto decoded = UsageSnapshotJson::fromText(UsageSnapshotJson::toText(status));
    QVERIFY(decoded);
    QCOMPARE(UsageSnapshotJson::toJson(*decoded), json);
}

void TestUsageSnapshotJson::publishesErrorsWithoutFolders_data()
{
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("published");
    QTest::newRow("home shorthand") << u"no Codex auth (~/.codex/auth.json)"_s << u"no Codex auth (auth.json)"_s;
    QTest::newRow("absolute")
        << u"cannot read /home/ann/.codex/auth.json: Permission denied"_s
        << u"cannot read auth.json: Permission denied"_s;
    QTest::newRow("relative, twice") << u"a/b.json and c/d/e.json"_s << u"b.json and e.json"_s;
    QTest::newRow("address kept")
        << u"redirect to https://other.example/x not followed"_s
        << u"redirect to https://other.example/x not followed"_s;
}

void TestUsageSnapshotJson::publishesErrorsWithoutFolders()
{
    QFETCH(QString, error);
    const UsageStatus status{QDateTime::currentDateTimeUtc(),
                             {{Provider::codex, false, u"error"_s, error, {}, false}}};
    QTEST(UsageSnapshotJson::toJson(status)[u"providers"_s][0][u"error"_s].toString(), "published");
}

void TestUsageSnapshotJson::oneEntryPerAccount_data()
{
    QTest::addColumn<QStringList>("accounts"); // of the Claude entries, "" for none
    QTest::addColumn<bool>("read");
    QTest::newRow("one account") << QStringList{u""_s} << true;
    QTest::newRow("two accounts") << QStringList{u"personal"_s, u"work"_s} << true;
    QTest::newRow("the same twice") << QStringList{u"work"_s, u"work"_s} << false;
    QTest::newRow("the provider twice") << QStringList{u""_s, u""_s} << false;
}

void TestUsageSnapshotJson::oneEntryPerAccount()
{
    QFETCH(QStringList, accounts);
    UsageStatus status{QDateTime::currentDateTimeUtc(), {}};
    for (const QString &label : accounts) {
        status.results.append({Provider::claude, false, u"error"_s, {}, {}, false});
        status.results.last().account = {Provider::claude, {}, label};
    }
    const auto decoded = UsageSnapshotJson::fromText(UsageSnapshotJson::toText(status));
    QFETCH(bool, read);
    QCOMPARE(decoded.has_value(), read);
    if (decoded)
        QCOMPARE(UsageSnapshotJson::toJson(*decoded)[u"providers"_s][0][u"account"_s].toString(), accounts.first());
}

QTEST_GUILESS_MAIN(TestUsageSnapshotJson)
#include "tst_usagesnapshotjson.moc"
