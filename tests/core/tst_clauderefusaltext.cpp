#include "ClaudeRefusalText.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime refusedAt = QDateTime::fromString(u"2026-12-07T21:02:11Z"_s, Qt::ISODate);

QDateTime utc(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODate);
}

// Claude's 5h window resets at 23:00, its weekly one on the 10th, the Opus cap on the 9th.
ProviderResult claudeWindows()
{
    ProviderResult result{Provider::claude, true, u"live"_s, std::nullopt,
                          {UsageWindow::make(Provider::claude, WindowSpeed::fast, 100, utc(u"2026-12-07T23:00:00Z"_s), 18000, refusedAt),
                           UsageWindow::make(Provider::claude, WindowSpeed::slow, 40, utc(u"2026-12-10T09:00:00Z"_s), 604800, refusedAt)},
                          false};
    result.extraWindows = {UsageWindow::makeExtra(Provider::claude, u"claude_scoped_opus"_s, u"Opus weekly"_s, 100,
                                                  utc(u"2026-12-09T12:00:00Z"_s), 604800, refusedAt)};
    return result;
}

} // namespace

class TestClaudeRefusalText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void statedReset_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("until"); // invalid: none
        QTest::newRow("12-hour, zone in brackets")
            << u"You've hit your session limit \u00B7 resets 9:50pm (UTC)"_s << utc(u"2026-12-07T21:50:00Z"_s);
        QTest::newRow("24-hour") << u"resets 21:50 (UTC)"_s << utc(u"2026-12-07T21:50:00Z"_s);
        QTest::newRow("passed today: tomorrow") << u"resets 8:15pm (UTC)"_s << utc(u"2026-12-08T20:15:00Z"_s);
        QTest::newRow("midnight") << u"resets 12am (UTC)"_s << utc(u"2026-12-08T00:00:00Z"_s);
        QTest::newRow("another zone") << u"resets 9:30am (Europe/Berlin)"_s << utc(u"2026-12-08T08:30:00Z"_s);
        QTest::newRow("no time") << u"You've hit your weekly limit"_s << QDateTime();
        QTest::newRow("a date, not a time") << u"resets 10 Dec"_s << QDateTime();
        QTest::newRow("hour out of range") << u"resets 25:00 (UTC)"_s << QDateTime();
        QTest::newRow("minutes out of range") << u"resets 9:75PM (UTC)"_s << QDateTime();
        QTest::newRow("unknown zone") << u"resets 9:50pm (Mars/Olympus)"_s << QDateTime();
        QTest::newRow("garbage") << u"\u0000resets \uFFFF:: ((("_s << QDateTime();
    }
    void statedReset()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, until);
        QCOMPARE(ClaudeRefusalText::statedReset(text, refusedAt), until);
    }

    void blocked_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QDateTime>("until");
        QTest::newRow("session: the 5h window's reset, before the text's time")
            << u"You've hit your session limit \u00B7 resets 9:50pm (UTC)"_s << u"session limit"_s
            << utc(u"2026-12-07T23:00:00Z"_s);
        QTest::newRow("weekly") << u"You've hit your weekly limit \u00B7 resets Dec 10, 9am"_s << u"weekly limit"_s
                                << utc(u"2026-12-10T09:00:00Z"_s);
        QTest::newRow("a model's cap") << u"You've reached your Opus limit \u00B7 resets 9pm"_s << u"Opus limit"_s
                                       << utc(u"2026-12-09T12:00:00Z"_s);
        QTest::newRow("no limit named: the text's time") << u"Limit hit \u00B7 resets 9:50pm (UTC)"_s
                                                         << u"usage limit"_s << utc(u"2026-12-07T21:50:00Z"_s);
        QTest::newRow("a text that does not fit") << u"Too many requests"_s << u"usage limit"_s << QDateTime();
    }
    void blocked()
    {
        QFETCH(QString, text);
        QFETCH(QString, reason);
        QFETCH(QDateTime, until);
        const Blocked block = ClaudeRefusalText::blocked({text, refusedAt}, claudeWindows());
        QCOMPARE(block.reason, reason);
        QCOMPARE(block.until, until);
    }
};

QTEST_APPLESS_MAIN(TestClaudeRefusalText)
#include "tst_clauderefusaltext.moc"
