#include "FakeHttpServer.h"
#include "TrayFixtures.h"

#include <QDateTime>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <zstd.h>

#include <unistd.h>

#include <memory>

using namespace Qt::StringLiterals;

// Where the usage went, through the real programs: generated logs of both assistants below a
// temporary home, read by the tray program and printed by tidemarker-status --breakdown.
namespace {

struct LogFile {
    enum class Write { whole, append, compressed, replace, fifo, linkOut, old, inflatesFar, lockedFolder };
    QString path; // below the home folder
    QByteArray lines;
    Write write = Write::whole;
};

QString minutesAgo(int minutes)
{
    return QDateTime::currentDateTimeUtc().addSecs(-60 * minutes).toString(Qt::ISODateWithMs);
}

QByteArray claudeLine(int minutes, const QString &request, qint64 output, const QString &model = u"claude-sonnet-4-7"_s,
                      const QString &cwd = u"/home/me/src/harbour"_s)
{
    const QJsonObject usage{{u"input_tokens"_s, 3}, {u"output_tokens"_s, output},
                            {u"cache_creation_input_tokens"_s, 4210}, {u"cache_read_input_tokens"_s, 18002}};
    const QJsonObject message{{u"id"_s, u"msg_"_s + request}, {u"model"_s, model}, {u"usage"_s, usage}};
    return QJsonDocument(QJsonObject{{u"type"_s, u"assistant"_s}, {u"timestamp"_s, minutesAgo(minutes)},
                                     {u"cwd"_s, cwd}, {u"requestId"_s, u"req_"_s + request},
                                     {u"message"_s, message}})
               .toJson(QJsonDocument::Compact)
        + '\n';
}

QByteArray codexSession(int minutes)
{
    const QString time = minutesAgo(minutes);
    const auto tokens = [&time](const QString &info) {
        return u"{\"timestamp\":\"%1\",\"type\":\"event_msg\",\"payload\":{\"type\":\"token_count\",\"info\":%2}}\n"_s
            .arg(time, info);
    };
    return (u"{\"timestamp\":\"%1\",\"type\":\"session_meta\",\"payload\":{\"cwd\":\"/home/me/src/lighthouse\"}}\n"
            "{\"timestamp\":\"%1\",\"type\":\"turn_context\",\"payload\":{\"model\":\"gpt-5.2-codex\"}}\n"_s.arg(time)
            + tokens(u"null"_s)
            + tokens(u"{\"last_token_usage\":{\"input_tokens\":14210,\"cached_input_tokens\":11008,\"output_tokens\":702}}"_s)
            + tokens(u"{\"last_token_usage\":{\"input_tokens\":16810,\"cached_input_tokens\":14592,\"output_tokens\":488}}"_s))
        .toUtf8();
}

QString minutesPast(const QDateTime &hour, double minutes)
{
    return hour.addMSecs(qint64(minutes * 60000)).toString(Qt::ISODateWithMs);
}

QByteArray codexLine(const QString &time, const QString &type, const QString &payload)
{
    return u"{\"timestamp\":\"%1\",\"type\":\"%2\",\"payload\":%3}\n"_s.arg(time, type, payload).toUtf8();
}

// A rollout's start in the folder given, with more of session_meta's members (",\"name\":value").
QByteArray codexStart(const QString &time, const QString &cwd, const QString &more = {})
{
    return codexLine(time, u"session_meta"_s, u"{\"cwd\":\"%1\"%2}"_s.arg(cwd, more))
        + codexLine(time, u"turn_context"_s, u"{\"model\":\"gpt-5.2-codex\"}"_s);
}

// A token_count whose running total, and the request's own counts (none when negative), are as
// many input tokens as output tokens, none cached.
QByteArray codexTokens(const QString &time, qint64 total, qint64 last = -1)
{
    const auto usage = [](qint64 tokens) {
        return u"{\"input_tokens\":%1,\"cached_input_tokens\":0,\"output_tokens\":%1}"_s.arg(tokens);
    };
    const QString info = u"{\"total_token_usage\":"_s + usage(total)
        + (last < 0 ? QString() : u",\"last_token_usage\":"_s + usage(last)) + u'}';
    return codexLine(time, u"event_msg"_s, u"{\"type\":\"token_count\",\"info\":"_s + info + u'}');
}

QByteArray compressed(const QByteArray &data)
{
    QByteArray out(qsizetype(ZSTD_compressBound(size_t(data.size()))), Qt::Uninitialized);
    out.resize(qsizetype(ZSTD_compress(out.data(), size_t(out.size()), data.constData(), size_t(data.size()), 3)));
    return out;
}

bool put(const QString &home, const LogFile &file)
{
    const QString path = home + u'/' + file.path;
    switch (file.write) {
    case LogFile::Write::whole:
        return writeFile(path, file.lines);
    case LogFile::Write::compressed:
        return writeFile(path, compressed(file.lines));
    case LogFile::Write::inflatesFar: // 257 frames of a line of 1 MiB each
        return writeFile(path, compressed(QByteArray((1 << 20) - 1, 'x') + '\n').repeated(257));
    case LogFile::Write::old: {
        QFile written(path);
        return writeFile(path, file.lines) && written.open(QIODevice::ReadWrite)
            && written.setFileTime(QDateTime::currentDateTimeUtc().addDays(-100), QFileDevice::FileModificationTime);
    }
    case LogFile::Write::replace: // a new file in its place, as editors and rotations do
        return writeFile(path + u".new"_s, file.lines) && QFile::remove(path) && QFile::rename(path + u".new"_s, path);
    case LogFile::Write::fifo:
        return makeFifo(path);
    case LogFile::Write::linkOut: // to a log outside the folder
        return writeFile(home + u"/elsewhere.jsonl"_s, file.lines) && QFile::link(home + u"/elsewhere.jsonl"_s, path);
    case LogFile::Write::lockedFolder: // mode 000
        return QDir().mkpath(path) && QFile::setPermissions(path, {});
    case LogFile::Write::append:
        break;
    }
    QFile log(path);
    return log.open(QIODevice::Append) && log.write(file.lines) == file.lines.size();
}

// "window project model input/output/cacheWrite/cacheRead", one for each model of each project.
QStringList counted(const QJsonObject &breakdown)
{
    QStringList found;
    for (const QJsonValue &provider : breakdown[u"providers"_s].toArray()) {
        for (const QJsonValue &window : provider[u"windows"_s].toArray()) {
            for (const QJsonValue &project : window[u"projects"_s].toArray()) {
                for (const QJsonValue &model : project[u"models"_s].toArray())
                    found.append(u"%1 %2 %3 %4/%5/%6/%7"_s.arg(
                        window[u"id"_s].toString(), project[u"name"_s].toString(), model[u"model"_s].toString(),
                        QString::number(model[u"input"_s].toInteger()), QString::number(model[u"output"_s].toInteger()),
                        QString::number(model[u"cacheWrite"_s].toInteger()),
                        QString::number(model[u"cacheRead"_s].toInteger())));
            }
        }
    }
    return found;
}

const QString claudeProject = u".claude/projects/-home-me-src-harbour/"_s;
const QString codexDay = u"codex/sessions/2026/12/07/"_s;
const QString codexArchive = u"codex/archived_sessions/"_s;

// Both of a provider's windows, as counted() names their rows.
QStringList inBoth(const QString &provider, const QString &row)
{
    return {provider + u"_fast "_s + row, provider + u"_slow "_s + row};
}

} // namespace

class TestBreakdown : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.listen()); }
    void init();
    void cleanup();
    void countsEachRequestOnce_data();
    void countsEachRequestOnce();
    void countsByWhatTheLogsMean_data();
    void countsByWhatTheLogsMean();
    void notRunningOrTurnedOff();
    void pointsOfEachWindowsLimit();
    void saysWhenNoTranscriptsAreKept();
    void saysWhileReadingNotWhatWasReadSoFar();
    void namesPrintAsOneCleanLine_data();
    void namesPrintAsOneCleanLine();
    void answerStaysBoundedAndShared();

private:
    struct Finished {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    void startProgram();
    Finished status(const QStringList &arguments);
    void compareComplaints(QStringList complaints);
    QStringList breakdown() { return counted(QJsonDocument::fromJson(status({u"--breakdown"_s, u"--format"_s, u"json"_s}).out).object()); }

    FakeHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QProcess> m_program;
};

void TestBreakdown::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    serveUsage(m_server);
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
}

void TestBreakdown::cleanup()
{
    if (m_program) {
        m_program->kill();
        m_program->waitForFinished();
    }
    m_program.reset();
}

void TestBreakdown::startProgram()
{
    m_program = std::make_unique<QProcess>();
    m_program->setProcessEnvironment(trayProgramEnvironment(m_home->path(), m_server));
    // Run as root, it reads a folder of mode 000 only with these capabilities.
    if (geteuid() == 0)
        m_program->start(u"setpriv"_s, {u"--bounding-set"_s, u"-dac_override,-dac_read_search"_s,
                                       QStringLiteral(TIDEMARKER_E2E_PROGRAM)});
    else
        m_program->start(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {});
    QVERIFY(m_program->waitForStarted());
}

TestBreakdown::Finished TestBreakdown::status(const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(trayProgramEnvironment(m_home->path(), m_server));
    process.start(QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM), arguments);
    // The fake server in this process answers the refreshes meanwhile, so the event loop runs.
    if (!QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; }, 60000))
        process.kill();
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

void TestBreakdown::countsEachRequestOnce_data()
{
    QTest::addColumn<QList<LogFile>>("logs");
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QList<LogFile>>("changes"); // made after the first reading, then a refresh
    QTest::addColumn<QStringList>("then");
    QTest::addColumn<QString>("line"); // one of the text lines at the end
    QTest::addColumn<QStringList>("complaints"); // on standard error, HOME for the home folder

    using W = LogFile::Write;
    const QString sonnet = u" harbour claude-sonnet-4-7 "_s;
    // A streaming placeholder, then the request once per content block.
    const QByteArray blocks = claudeLine(30, u"A"_s, 1) + claudeLine(30, u"A"_s, 612) + claudeLine(30, u"A"_s, 612)
        + "{\"type\": \"summary\"}\nnot json at all\n" + claudeLine(20, u"B"_s, 90, u"claude-opus-4-5"_s);
    QTest::newRow("content blocks and placeholders")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, blocks}}
        << QStringList{u"claude_fast harbour claude-opus-4-5 3/90/4210/18002"_s, u"claude_fast"_s + sonnet + u"3/612/4210/18002"_s,
                       u"claude_slow harbour claude-opus-4-5 3/90/4210/18002"_s, u"claude_slow"_s + sonnet + u"3/612/4210/18002"_s}
        << QList<LogFile>() << QStringList() << u"Claude 5h: harbour 100%"_s
        << QStringList{u"HOME/"_s + claudeProject + u"one.jsonl: 1 line skipped: not JSON, or over 1 MiB"_s};
    QTest::newRow("resumed session")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612)},
                          {claudeProject + u"two.jsonl"_s, claudeLine(30, u"A"_s, 612) + claudeLine(10, u"C"_s, 40)}}
        << QStringList{u"claude_fast"_s + sonnet + u"6/652/8420/36004"_s, u"claude_slow"_s + sonnet + u"6/652/8420/36004"_s}
        << QList<LogFile>() << QStringList() << u"Codex 5h: no logged use"_s << QStringList();
    const QString codex = u" lighthouse gpt-5.2-codex 5420/1190/0/25600"_s;
    QTest::newRow("compressed Codex session")
        << QList<LogFile>{{codexDay + u"rollout-1.jsonl.zst"_s, codexSession(40), W::compressed}}
        << QStringList{u"codex_fast"_s + codex, u"codex_slow"_s + codex} << QList<LogFile>() << QStringList()
        << u"Codex 5h: lighthouse 100%"_s << QStringList();
    QTest::newRow("before the window's start")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(6 * 60, u"A"_s, 500) + claudeLine(30, u"B"_s, 7)}}
        << QStringList{u"claude_fast"_s + sonnet + u"3/7/4210/18002"_s, u"claude_slow"_s + sonnet + u"6/507/8420/36004"_s}
        << QList<LogFile>() << QStringList() << QString() << QStringList();
    const QList<LogFile> one{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612)}};
    const QStringList first{u"claude_fast"_s + sonnet + u"3/612/4210/18002"_s, u"claude_slow"_s + sonnet + u"3/612/4210/18002"_s};
    QTest::newRow("appended line")
        << one << first << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(1, u"B"_s, 8), W::append}}
        << QStringList{u"claude_fast"_s + sonnet + u"6/620/8420/36004"_s, u"claude_slow"_s + sonnet + u"6/620/8420/36004"_s}
        << QString() << QStringList();
    QTest::newRow("replaced file")
        << one << first << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(5, u"D"_s, 50), W::replace}}
        << QStringList{u"claude_fast"_s + sonnet + u"3/50/4210/18002"_s, u"claude_slow"_s + sonnet + u"3/50/4210/18002"_s}
        << QString() << QStringList();
    // A request raised by a second file of its session: kept whichever file is read again.
    const QList<LogFile> resumed{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 1000)},
                                 {claudeProject + u"two.jsonl"_s, claudeLine(30, u"A"_s, 3000)}};
    const QByteArray another = claudeLine(5, u"B"_s, 7);
    QTest::newRow("first file of a resumed session copied over")
        << resumed << inBoth(u"claude"_s, sonnet.trimmed() + u" 3/3000/4210/18002"_s)
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 1000) + another, W::replace}}
        << inBoth(u"claude"_s, sonnet.trimmed() + u" 6/3007/8420/36004"_s) << QString() << QStringList();
    QTest::newRow("second file of a resumed session cut")
        << resumed << inBoth(u"claude"_s, sonnet.trimmed() + u" 3/3000/4210/18002"_s)
        << QList<LogFile>{{claudeProject + u"two.jsonl"_s, another, W::replace}}
        << inBoth(u"claude"_s, sonnet.trimmed() + u" 6/1007/8420/36004"_s) << QString() << QStringList();
    QTest::newRow("files that are skipped")
        << (one + QList<LogFile>{{claudeProject + u"pipe.jsonl"_s, {}, W::fifo},
                                 {claudeProject + u"out.jsonl"_s, claudeLine(5, u"E"_s, 9), W::linkOut},
                                 {codexDay + u"rollout-2.jsonl.zst"_s, "not zstd", W::whole}})
        << first << QList<LogFile>() << QStringList() << QString()
        << QStringList{u"HOME/"_s + claudeProject + u"out.jsonl: links out of HOME/.claude/projects, not followed"_s,
                       u"HOME/"_s + claudeProject + u"pipe.jsonl: is no regular file (a FIFO or a device), skipped"_s,
                       u"HOME/"_s + codexDay + u"rollout-2.jsonl.zst: not readable as zstd: Unknown frame descriptor"_s};
    QTest::newRow("folders that are skipped")
        << (one + QList<LogFile>{{claudeProject + u"locked"_s, {}, W::lockedFolder},
                                 {u"codex/sessions"_s, "a file", W::whole}})
        << first << QList<LogFile>() << QStringList() << QString()
        << QStringList{u"HOME/"_s + claudeProject + u"locked: cannot be read (Permission denied), skipped"_s,
                       u"HOME/codex/sessions: is no folder, not read"_s};
    QTest::newRow("placeholder first, its final counts at the next refresh")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(5, u"A"_s, 1)}}
        << QStringList{u"claude_fast"_s + sonnet + u"3/1/4210/18002"_s, u"claude_slow"_s + sonnet + u"3/1/4210/18002"_s}
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(5, u"A"_s, 612) + claudeLine(5, u"A"_s, 612), W::append}}
        << first << QString() << QStringList();
    // The Codex session's project and model stay known for the lines appended later.
    const QByteArray codexLater = QByteArray(codexSession(30)).split('\n').at(4) + '\n';
    QTest::newRow("Codex session appended to")
        << QList<LogFile>{{codexDay + u"rollout-1.jsonl"_s, codexSession(40)}}
        << QStringList{u"codex_fast"_s + codex, u"codex_slow"_s + codex}
        << QList<LogFile>{{codexDay + u"rollout-1.jsonl"_s, codexLater, W::append}}
        << QStringList{u"codex_fast lighthouse gpt-5.2-codex 7638/1678/0/40192"_s,
                       u"codex_slow lighthouse gpt-5.2-codex 7638/1678/0/40192"_s}
        << QString() << QStringList();
    QTest::newRow("file cut shorter in place")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612) + claudeLine(20, u"B"_s, 9)}}
        << QStringList{u"claude_fast"_s + sonnet + u"6/621/8420/36004"_s, u"claude_slow"_s + sonnet + u"6/621/8420/36004"_s}
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612)}} << first << QString()
        << QStringList();
    // A line over 1 MiB is skipped; the last one, without its newline yet, waits until it has one.
    const QByteArray beingWritten = claudeLine(3, u"B"_s, 8).chopped(1);
    QTest::newRow("long line, and one being written")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s,
                           "{\"usage\": \"" + QByteArray(3 << 19, 'x') + "\"}\n" + claudeLine(30, u"A"_s, 612) + beingWritten}}
        << first << QList<LogFile>{{claudeProject + u"one.jsonl"_s, "\n", W::append}}
        << QStringList{u"claude_fast"_s + sonnet + u"6/620/8420/36004"_s, u"claude_slow"_s + sonnet + u"6/620/8420/36004"_s}
        << QString() << QStringList{u"HOME/"_s + claudeProject + u"one.jsonl: 1 line skipped: not JSON, or over 1 MiB"_s};
    QTest::newRow("files too old, or too large inflated")
        << (one + QList<LogFile>{{claudeProject + u"old.jsonl"_s, claudeLine(5, u"F"_s, 9), W::old},
                                 {codexDay + u"rollout-3.jsonl.zst"_s, {}, W::inflatesFar}})
        << first << QList<LogFile>() << QStringList() << QString()
        << QStringList{u"HOME/"_s + codexDay + u"rollout-3.jsonl.zst: inflates past 256 MiB: abandoned"_s};
}

void TestBreakdown::countsEachRequestOnce()
{
    QFETCH(QList<LogFile>, logs);
    QFETCH(QStringList, first);
    QFETCH(QList<LogFile>, changes);
    QFETCH(QStringList, then);
    QFETCH(QString, line);
    QFETCH(QStringList, complaints);
    for (const LogFile &log : std::as_const(logs))
        QVERIFY(put(m_home->path(), log));
    startProgram();
    QTRY_COMPARE_WITH_TIMEOUT(breakdown(), first, 20000);
    if (!changes.isEmpty()) {
        for (const LogFile &log : std::as_const(changes))
            QVERIFY(put(m_home->path(), log));
        QCOMPARE(status({u"--refresh"_s}).exitCode, 0);
        QTRY_COMPARE_WITH_TIMEOUT(breakdown(), then, 20000);
    }
    const Finished text = status({u"--breakdown"_s});
    QCOMPARE(text.exitCode, 0);
    const QStringList lines = QString::fromUtf8(text.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4); // each provider's 5h and weekly windows
    if (!line.isEmpty())
        QVERIFY2(lines.contains(line), text.out);
    compareComplaints(complaints);
}

// The program's standard error against the complaints, HOME standing for the home folder.
void TestBreakdown::compareComplaints(QStringList complaints)
{
    // No tray is run here: the program waits for one, and says so.
    QStringList said = QString::fromUtf8(m_program->readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    said.removeAll(u"tidemarker: no system tray found; waiting for an X11 tray or a StatusNotifierItem host to appear"_s);
    said.sort();
    for (QString &complaint : complaints)
        complaint = u"tidemarker: "_s + complaint.replace(u"HOME"_s, m_home->path());
    QCOMPARE(said, complaints);
}

void TestBreakdown::countsByWhatTheLogsMean_data()
{
    QTest::addColumn<QList<LogFile>>("logs");
    QTest::addColumn<QDateTime>("weeklyStart"); // Codex's weekly window; invalid: the usual
    QTest::addColumn<QStringList>("counted");
    QTest::addColumn<QStringList>("complaints");

    using W = LogFile::Write;
    const QString lighthouse = u"/home/me/src/lighthouse"_s;
    const QString gpt = u" gpt-5.2-codex "_s;
    const QByteArray session = codexStart(minutesAgo(40), lighthouse) + codexTokens(minutesAgo(40), 100, 100);
    QTest::newRow("Codex repeats its totals")
        << QList<LogFile>{{codexDay + u"rollout-1.jsonl"_s,
                           session + codexTokens(minutesAgo(39), 100, 100) + codexTokens(minutesAgo(38), 150)
                               + codexTokens(minutesAgo(37), 150) + codexTokens(minutesAgo(36), 90, 90)}}
        << QDateTime() << inBoth(u"codex"_s, u"lighthouse"_s + gpt + u"150/150/0/0"_s) << QStringList();
    // The fork's copy of its parent, stamped with the fork's time, names the parent's folder too.
    const QString forkedAt = minutesAgo(30);
    const QByteArray copy = codexStart(forkedAt, lighthouse) + codexTokens(forkedAt, 100, 100);
    QTest::newRow("forked session")
        << QList<LogFile>{{codexDay + u"rollout-1.jsonl"_s, session},
                          {codexDay + u"rollout-2.jsonl"_s,
                           codexStart(forkedAt, u"/home/me/src/beacon"_s, u",\"forked_from_id\":\"1\""_s) + copy
                               + codexTokens(minutesAgo(20), 130, 30)}}
        << QDateTime()
        << inBoth(u"codex"_s, u"lighthouse"_s + gpt + u"100/100/0/0"_s) + inBoth(u"codex"_s, u"beacon"_s + gpt + u"30/30/0/0"_s)
        << QStringList();
    QTest::newRow("sub-agent session")
        << QList<LogFile>{{codexDay + u"rollout-2.jsonl"_s,
                           codexStart(forkedAt, u"/home/me/src/beacon"_s, u",\"source\":{\"subagent\":\"review\"}"_s)
                               + copy + codexTokens(minutesAgo(25), 110)}}
        << QDateTime() << inBoth(u"codex"_s, u"beacon"_s + gpt + u"10/10/0/0"_s) << QStringList();
    const QByteArray resumed = session + codexTokens(minutesAgo(10), 150, 50);
    QTest::newRow("plain copy beside the compressed session")
        << QList<LogFile>{{codexDay + u"rollout-1.jsonl.zst"_s, session, W::compressed},
                          {codexDay + u"rollout-1.jsonl"_s, resumed}}
        << QDateTime() << inBoth(u"codex"_s, u"lighthouse"_s + gpt + u"150/150/0/0"_s) << QStringList();
    QTest::newRow("archived session")
        << QList<LogFile>{{codexDay + u"rollout-1.jsonl"_s, session}, {codexArchive + u"rollout-1.jsonl"_s, resumed}}
        << QDateTime() << inBoth(u"codex"_s, u"lighthouse"_s + gpt + u"150/150/0/0"_s) << QStringList();
    const QByteArray sideQuestion = claudeLine(20, u"A"_s, 612).replace("req_A", "req_btw");
    const QString sonnet = u"harbour claude-sonnet-4-7 "_s;
    QTest::newRow("side question replays a request")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612) + sideQuestion}}
        << QDateTime() << inBoth(u"claude"_s, sonnet + u"3/612/4210/18002"_s) << QStringList();
    QTest::newRow("lines in a subfolder")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s,
                           claudeLine(30, u"A"_s, 612)
                               + claudeLine(20, u"B"_s, 8, u"claude-sonnet-4-7"_s, u"/home/me/src/harbour/web"_s)}}
        << QDateTime() << inBoth(u"claude"_s, sonnet + u"6/620/8420/36004"_s) << QStringList();
    QTest::newRow("other services' models")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612)
                                                                + claudeLine(20, u"G"_s, 900, u"glm-4.6"_s)
                                                                + claudeLine(20, u"S"_s, 0, u"<synthetic>"_s)}}
        << QDateTime() << inBoth(u"claude"_s, sonnet + u"3/612/4210/18002"_s) << QStringList();
    // An hour's use counted when most of the hour lay inside: one minute early at :29, lost at :32.
    const QDateTime hour = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() / 3600 * 3600 - 86400, Qt::UTC);
    for (const int start : {29, 32}) {
        QTest::addRow("window starting at :%d", start)
            << QList<LogFile>{{codexDay + u"rollout-1.jsonl"_s,
                               codexStart(minutesPast(hour, start - 0.5), lighthouse)
                                   + codexTokens(minutesPast(hour, start - 0.5), 100, 100)
                                   + codexTokens(minutesPast(hour, start + 0.5), 130, 30)}}
            << hour.addSecs(60 * start) << QStringList{u"codex_slow lighthouse"_s + gpt + u"30/30/0/0"_s} << QStringList();
    }
    QTest::newRow("counts no request reaches")
        << QList<LogFile>{{claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612) + claudeLine(20, u"H"_s, 5'000'000'000'000'000'000)
                                                                + claudeLine(10, u"I"_s, 5'000'000'000'000'000'000)},
                          {codexDay + u"rollout-1.jsonl"_s, session + codexTokens(minutesAgo(30), 5'000'000'000'000'000'000, 1)
                                                                + codexTokens(minutesAgo(20), 150, 50)}}
        << QDateTime()
        << inBoth(u"claude"_s, sonnet + u"3/612/4210/18002"_s) + inBoth(u"codex"_s, u"lighthouse"_s + gpt + u"150/150/0/0"_s)
        << QStringList{u"HOME/"_s + claudeProject + u"one.jsonl: 2 lines skipped: not JSON, or over 1 MiB"_s,
                       u"HOME/"_s + codexDay + u"rollout-1.jsonl: 1 line skipped: not JSON, or over 1 MiB"_s};
}

void TestBreakdown::countsByWhatTheLogsMean()
{
    QFETCH(QList<LogFile>, logs);
    QFETCH(QDateTime, weeklyStart);
    QFETCH(QStringList, counted);
    QFETCH(QStringList, complaints);
    if (weeklyStart.isValid()) {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        const qint64 secondsLeft = weeklyStart.toSecsSinceEpoch() + 604800 - now;
        m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(now, 63, secondsLeft)));
    }
    for (const LogFile &log : std::as_const(logs))
        QVERIFY(put(m_home->path(), log));
    startProgram();
    counted.sort();
    QTRY_COMPARE_WITH_TIMEOUT([this] { QStringList found = breakdown(); found.sort(); return found; }(), counted, 20000);
    compareComplaints(complaints);
}

void TestBreakdown::notRunningOrTurnedOff()
{
    const Finished alone = status({u"--breakdown"_s});
    QCOMPARE(alone.exitCode, 1);
    QCOMPARE(alone.err, "tidemarker-status: Tidemarker is not running in this session; the breakdown comes from it\n");

    QVERIFY(writeFile(m_home->filePath(u"config/tidemarker/tidemarker.conf"_s), "breakdown=false\n"));
    QVERIFY(put(m_home->path(), {claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612)}));
    startProgram();
    Finished off;
    QTRY_VERIFY_WITH_TIMEOUT((off = status({u"--breakdown"_s, u"--format"_s, u"json"_s})).exitCode == 1
                                 && !off.err.contains("not running"), 20000);
    QCOMPARE(off.err, "tidemarker-status: reading the assistants' logs is turned off (setting breakdown)\n");
    QCOMPARE(off.out, QByteArray());
}

// Each share again in percentage points of its window's limit, as the snapshot has it used:
// Claude 5h 20 %, weekly 80 %, Codex 5h 40 %, weekly 63 %.
void TestBreakdown::pointsOfEachWindowsLimit()
{
    QVERIFY(put(m_home->path(), {claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612) + claudeLine(20, u"B"_s, 90, u"claude-opus-4-5"_s)}));
    QVERIFY(put(m_home->path(), {u".claude/projects/-home-me-src-beacon/two.jsonl"_s,
                                 claudeLine(10, u"C"_s, 300, u"claude-sonnet-4-7"_s, u"/home/me/src/beacon"_s)}));
    startProgram();
    QTRY_COMPARE_WITH_TIMEOUT(breakdown().size(), 6, 20000);
    const QJsonObject answer = QJsonDocument::fromJson(status({u"--breakdown"_s, u"--format"_s, u"json"_s}).out).object();
    const QHash<QString, double> used{{u"codex_fast"_s, 40}, {u"codex_slow"_s, 63}, {u"claude_fast"_s, 20}, {u"claude_slow"_s, 80}};
    const auto pointsOfShare = [](const QJsonValue &entry, double windowUsed) {
        return std::abs(entry[u"points"_s].toDouble() - entry[u"share"_s].toDouble() * windowUsed / 100) <= 0.1;
    };
    for (const QJsonValue &provider : answer[u"providers"_s].toArray()) {
        for (const QJsonValue &window : provider[u"windows"_s].toArray()) {
            const double windowUsed = used.value(window[u"id"_s].toString());
            QCOMPARE(window[u"usedPercent"_s].toDouble(), windowUsed);
            double points = 0;
            for (const QJsonValue &project : window[u"projects"_s].toArray()) {
                QVERIFY2(pointsOfShare(project, windowUsed), qPrintable(window[u"id"_s].toString()));
                points += project[u"points"_s].toDouble();
                for (const QJsonValue &model : project[u"models"_s].toArray())
                    QVERIFY(pointsOfShare(model, windowUsed));
            }
            if (provider[u"provider"_s] == u"claude"_s)
                QVERIFY2(std::abs(points - windowUsed) <= 0.2, qPrintable(QString::number(points)));
        }
    }
}

void TestBreakdown::saysWhenNoTranscriptsAreKept()
{
    QVERIFY(writeFile(m_home->filePath(u".claude/settings.json"_s), R"({"model": "opus", "cleanupPeriodDays": 0})"));
    QVERIFY(put(m_home->path(), {claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612)}));
    QVERIFY(put(m_home->path(), {codexDay + u"rollout-1.jsonl"_s, codexSession(40)}));
    startProgram();
    QTRY_COMPARE_WITH_TIMEOUT(breakdown().size(), 4, 20000);
    const Finished text = status({u"--breakdown"_s});
    QCOMPARE(text.exitCode, 0);
    const QString unknown = u": Claude Code is set to keep no transcripts, so where the usage went is unknown"_s;
    QCOMPARE(QString::fromUtf8(text.out).split(u'\n', Qt::SkipEmptyParts),
             (QStringList{u"Codex 5h: lighthouse 100%"_s, u"Codex Weekly: lighthouse 100%"_s, u"Claude 5h"_s + unknown,
                          u"Claude Weekly"_s + unknown}));
}

// While a long first reading runs, the answer is how far it has come: the history file held by
// the test keeps the reading where it is.
void TestBreakdown::saysWhileReadingNotWhatWasReadSoFar()
{
    constexpr int files = 24;
    constexpr int requestsPerFile = 8000; // some 130 MB, several transactions: a reading that shows its progress
    for (int file = 0; file < files; ++file) {
        QByteArray lines;
        for (int request = 0; request < requestsPerFile; ++request)
            lines += claudeLine(30, u"%1_%2"_s.arg(file).arg(request), 2).chopped(1) + QByteArray(300, ' ') + '\n';
        QVERIFY(put(m_home->path(), {claudeProject + QString::number(file) + u".jsonl"_s, lines}));
    }
    startProgram();
    QSqlDatabase history = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"held"_s);
    history.setDatabaseName(m_home->filePath(u".local/state/tidemarker/history.sqlite3"_s));
    history.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=10000"_s);
    QSqlQuery query(history);
    // Held as soon as the reading has handed over its first requests.
    const auto holdOnceReading = [&history, &query] {
        if (!QFile::exists(history.databaseName()) || !(history.isOpen() || history.open()))
            return false;
        if (query.exec(u"BEGIN IMMEDIATE"_s) && query.exec(u"SELECT count(*) FROM breakdown_requests"_s) && query.next()
            && query.value(0).toInt() > 0)
            return true;
        query.exec(u"ROLLBACK"_s);
        return false;
    };
    // Looked at every few milliseconds: on a fast disk the whole reading takes a fraction of a second.
    QVERIFY(QTest::qWaitFor(holdOnceReading, 60000));
    const Finished text = status({u"--breakdown"_s});
    const QJsonObject json = QJsonDocument::fromJson(status({u"--breakdown"_s, u"--format"_s, u"json"_s}).out).object();
    QVERIFY(query.exec(u"ROLLBACK"_s));
    QCOMPARE(text.exitCode, 0);
    QVERIFY2(QRegularExpression(u"^reading the assistants' logs: \\d{1,3} %\n$"_s).match(QString::fromUtf8(text.out)).hasMatch(),
             text.out);
    QVERIFY2(json[u"reading"_s].isDouble() && json[u"reading"_s].toInt() <= 100, QJsonDocument(json).toJson());
    QCOMPARE(json[u"providers"_s].toArray().size(), 0);

    const QString whole = u"harbour claude-sonnet-4-7 576000/384000/808320000/3456384000"_s;
    QTRY_COMPARE_WITH_TIMEOUT(breakdown(), inBoth(u"claude"_s, whole), 60000);
    QVERIFY(QJsonDocument::fromJson(status({u"--breakdown"_s, u"--format"_s, u"json"_s}).out)[u"reading"_s].isNull());
    query.finish();
    history.close();
}

void TestBreakdown::namesPrintAsOneCleanLine_data()
{
    QTest::addColumn<QString>("cwd");
    QTest::addColumn<QString>("line");
    QTest::newRow("forged line") << u"/home/me/x\nFAKE: Claude 5h: evil 100%"_s
                                 << u"Claude 5h: xFAKE: Claude 5h: evil 100% 100%"_s;
    QTest::newRow("escape sequences") << u"/home/me/\x1b[2J\x1b]0;owned\x07tide"_s << u"Claude 5h: [2J]0;ownedtide 100%"_s;
    QTest::newRow("turned around") << u"/home/me/\u202Etxt.exe"_s << u"Claude 5h: txt.exe 100%"_s;
    QTest::newRow("long") << u"/home/me/"_s + QString(60, u'a') << u"Claude 5h: "_s + QString(47, u'a') + u"\u2026 100%"_s;
}

void TestBreakdown::namesPrintAsOneCleanLine()
{
    QFETCH(QString, cwd);
    QVERIFY(put(m_home->path(), {claudeProject + u"one.jsonl"_s, claudeLine(30, u"A"_s, 612, u"claude-sonnet-4-7"_s, cwd)}));
    startProgram();
    QTRY_COMPARE_WITH_TIMEOUT(breakdown().size(), 2, 20000);
    const Finished text = status({u"--breakdown"_s});
    QCOMPARE(text.exitCode, 0);
    const QStringList lines = QString::fromUtf8(text.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QFETCH(QString, line);
    QVERIFY2(lines.contains(line), text.out);
}

// However many projects and however long their folders, the answer fits the bus many times
// over; a flood of calls shares one answer, made once.
void TestBreakdown::answerStaysBoundedAndShared()
{
    // A session is one project: each in a file of its own.
    const QString longFolder = u"/home/me/"_s + QString(50 * 1024, u'p');
    for (int project = 0; project < 1000; ++project)
        QVERIFY(put(m_home->path(), {claudeProject + QString::number(project) + u".jsonl"_s,
                                     claudeLine(30, QString::number(project), 10 + project, u"claude-sonnet-4-7"_s,
                                                longFolder + QString::number(project))}));
    startProgram();
    QJsonArray projects;
    Finished json;
    QTRY_VERIFY_WITH_TIMEOUT((projects = QJsonDocument::fromJson((json = status({u"--breakdown"_s, u"--format"_s, u"json"_s})).out)
                                             .object()[u"providers"_s][1][u"windows"_s][0][u"projects"_s].toArray())
                                 .last()[u"project"_s] == u"950 more projects"_s,
                             60000);
    qInfo("answer for 1000 projects of 50 KB folders: %lld bytes", qint64(json.out.size()));
    QVERIFY2(json.out.size() < 256 * 1024, QByteArray::number(json.out.size()));
    QCOMPARE(projects.size(), 51);
    QCOMPARE(projects.last()[u"name"_s].toString(), u"others"_s);
    QCOMPARE(projects.last()[u"project"_s].toString(), u"950 more projects"_s);
    double shares = 0;
    for (const QJsonValue &project : std::as_const(projects)) {
        QVERIFY(project[u"project"_s].toString().size() <= 256);
        QVERIFY(project[u"name"_s].toString().size() <= 48);
        shares += project[u"share"_s].toDouble();
    }
    QVERIFY(std::abs(shares - 100) <= 0.05 * double(projects.size())); // each share is rounded to 0.1

    // After a refresh the kept answer is gone: the first call makes the next, the others wait for it.
    const auto busCall = [](const QString &method) {
        return QDBusMessage::createMethodCall(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s,
                                              u"org.tidemarker.Tidemarker1"_s, method);
    };
    QCOMPARE(QDBusConnection::sessionBus().call(busCall(u"Refresh"_s), QDBus::BlockWithGui, 60000).type(),
             QDBusMessage::ReplyMessage);
    QList<QDBusPendingCall> calls;
    const QDBusMessage call = busCall(u"Breakdown"_s);
    for (int i = 0; i < 300; ++i)
        calls.append(QDBusConnection::sessionBus().asyncCall(call, 60000));
    QTRY_VERIFY_WITH_TIMEOUT(std::ranges::all_of(calls, &QDBusPendingCall::isFinished), 60000);
    QSet<QString> answers; // each made at its own millisecond
    for (const QDBusPendingCall &finished : std::as_const(calls)) {
        QCOMPARE(finished.reply().type(), QDBusMessage::ReplyMessage);
        answers.insert(finished.reply().arguments().value(0).toString());
    }
    // One answer, or two should the program's own refresh have read the logs meanwhile.
    QVERIFY2(answers.size() <= 2, QByteArray::number(answers.size()));
    QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(u"org.tidemarker.Tidemarker"_s));
}

QTEST_GUILESS_MAIN(TestBreakdown)
#include "tst_breakdown.moc"
