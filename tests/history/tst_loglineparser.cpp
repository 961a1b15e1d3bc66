#include "LogLineParser.h"
#include "LogLineReader.h"
#include "LogTime.h"
#include "TemporaryHome.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The lines a cheap look at the bytes leaves unparsed never hold a count; those parsed read as
// they always have.
namespace {

const QByteArray claudeUsage = "\"usage\":{\"input_tokens\":3,\"output_tokens\":612,\"cache_creation_input_tokens\":4210,\"cache_read_input_tokens\":18002}";

QByteArray claudeLine(const QByteArray &before, const QByteArray &usage = claudeUsage)
{
    return "{\"type\":\"assistant\",\"timestamp\":\"2026-12-08T14:02:11.123Z\",\"cwd\":\"/home/me/src/harbour\"," + before
        + "\"message\":{\"id\":\"msg_A\",\"model\":\"claude-sonnet-4-7\"," + usage + "}}";
}

QByteArray codexLine(const QByteArray &payload)
{
    return "{\"timestamp\":\"2026-12-08T14:02:11.123Z\",\"type\":\"event_msg\",\"payload\":" + payload + '}';
}

// "usage TIME PROJECT MODEL input/output/cacheWrite/cacheRead KEY", "other" or "malformed".
QString reading(const LineReading &read)
{
    if (read.kind != LineReading::Kind::usage)
        return read.kind == LineReading::Kind::other ? u"other"_s : u"malformed"_s;
    const LogEntry &entry = read.entry;
    return u"usage %1 %2 %3 %4/%5/%6/%7 %8"_s.arg(QString::number(entry.time), entry.project, entry.model,
                                                   QString::number(entry.counts.input), QString::number(entry.counts.output),
                                                   QString::number(entry.counts.cacheWrite),
                                                   QString::number(entry.counts.cacheRead), entry.requestKey);
}

} // namespace

class TestLogLineParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsEveryLineThatCounts_data()
    {
        QTest::addColumn<bool>("claude");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("read");

        const QString counted = u"usage 1796738531 /home/me/src/harbour claude-sonnet-4-7 3/612/4210/18002 msg_A"_s;
        QTest::newRow("usage after escaped quotes") << true << claudeLine("\"text\":\"a \\\"usage\\\": {\\\"x\\\"} \\\\\",") << counted;
        QTest::newRow("usage spaced out")
            << true << claudeLine({}, QByteArray(claudeUsage).replace("\"usage\":", "\"usage\" :\t ")) << counted;
        QTest::newRow("usage only in a text") << true << QByteArray("{\"type\":\"user\",\"message\":{\"content\":\"my \\\"usage\\\"\"}}")
                                              << u"other"_s;
        QTest::newRow("usage of a tool, not the message")
            << true << QByteArray("{\"type\":\"user\",\"toolUseResult\":{\"usage\":{\"output_tokens\":9}}}") << u"other"_s;
        QTest::newRow("counts as text count none")
            << true << claudeLine({}, QByteArray(claudeUsage).replace("612", "\"612\""))
            << u"usage 1796738531 /home/me/src/harbour claude-sonnet-4-7 3/0/4210/18002 msg_A"_s;
        QTest::newRow("counts as fractions")
            << true << claudeLine({}, QByteArray(claudeUsage).replace("612", "612.9")) << counted;
        QTest::newRow("a count beyond any request's")
            << true << claudeLine({}, QByteArray(claudeUsage).replace("612", "10000000001")) << u"malformed"_s;
        QTest::newRow("a count beyond any number")
            << true << claudeLine({}, QByteArray(claudeUsage).replace("612", "1e999")) << u"malformed"_s;
        QTest::newRow("broken after the usage") << true << claudeLine({}).replace("}}", "},}") << u"malformed"_s;
        QTest::newRow("escaped folder")
            << true << claudeLine({}).replace("/home/me/src/harbour", "/home/me/caf\\u00e9 \\\"x\\\"")
            << u"usage 1796738531 /home/me/café \"x\" claude-sonnet-4-7 3/612/4210/18002 msg_A"_s;
        QTest::newRow("time with an offset") << true << claudeLine({}).replace(".123Z", "+02:00")
                                             << QString(counted).replace(u"1796738531"_s, u"1796731331"_s);
        QTest::newRow("token_count spaced out")
            << false << codexLine("{\"type\" : \"token_count\",\"info\":{\"last_token_usage\":{\"input_tokens\":5,\"output_tokens\":2}}}")
            << u"usage 1796738531   5/2/0/0 "_s;
        QTest::newRow("token_count only in a text")
            << false << codexLine("{\"type\":\"message\",\"content\":\"\\\"type\\\":\\\"token_count\\\"\"}") << u"other"_s;
    }

    void readsEveryLineThatCounts()
    {
        QFETCH(bool, claude);
        QFETCH(QByteArray, line);
        QFETCH(QString, read);
        LogSession session;
        QCOMPARE(reading(claude ? LogLineParser::claude(line, session, u"-home-me"_s) : LogLineParser::codex(line, session)),
                 read);
    }

    // Times of the usual form are read by hand: to the second as QDateTime reads them.
    void readsTimesAsQDateTimeDoes_data()
    {
        QTest::addColumn<QString>("time");
        for (const QString &time : {u"2026-03-01T00:00:00Z"_s, u"2028-02-29T23:59:59.999Z"_s, u"2026-12-08T14:02:11.123+05:30"_s,
                                    u"2026-12-08T01:02:11-09:45"_s, u"2026-12-08T14:02:11.123456Z"_s,
                                    u"2026-12-08T14:02:11"_s, u"2026-02-30T00:00:00Z"_s, u"2026-12-08 14:02:11Z"_s})
            QTest::newRow(qPrintable(time)) << time;
    }

    void readsTimesAsQDateTimeDoes()
    {
        QFETCH(QString, time);
        const QDateTime read = QDateTime::fromString(time, Qt::ISODateWithMs);
        const QByteArray text = time.toUtf8();
        QCOMPARE(LogTime::secondsOf({text.constData(), size_t(text.size())}),
                 read.isValid() ? std::optional(read.toSecsSinceEpoch()) : std::nullopt);
    }

    // A line of many MiB is passed over without being held, and the next one read.
    void skipsAHugeLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"rollout.jsonl"_s);
        const QByteArray huge = "{\"type\":\"compacted\",\"payload\":{\"message\":\"" + QByteArray(64 << 20, 'x') + "\"}}\n";
        QVERIFY(writeFile(path, claudeLine({}) + '\n' + huge + claudeLine({}) + '\n'));
        QFile file(path);
        QVERIFY(!LogLineReader::open(file));
        int lines = 0;
        const auto result = LogLineReader::readPlain(file, 0, [&lines](QByteArrayView line, qint64) {
            lines += line.startsWith("{\"type\":\"assistant\"");
            return true;
        });
        QCOMPARE(lines, 2);
        QCOMPARE(result.overlongLines, 1);
        QCOMPARE(result.offset, file.size());
    }
};

QTEST_GUILESS_MAIN(TestLogLineParser)
#include "tst_loglineparser.moc"
