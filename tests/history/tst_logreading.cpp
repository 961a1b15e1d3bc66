#include "HistoryConnection.h"
#include "HistoryWriter.h"
#include "LogIndexer.h"
#include "LogLineReader.h"
#include "TemporaryHome.h"
#include "UsageBreakdown.h"
#include "Version7LogTables.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <tuple>

using namespace Qt::StringLiterals;

// The log reader on its threads, against the real history file: stopped in the middle of a
// reading, it goes on from what it wrote.
namespace {

constexpr int logFiles = 8;
constexpr int requestsPerFile = 5000; // some 32 MB in all: a reading long enough to show its progress
const QByteArray padding(600, 'x');

QByteArray claudeRequests(int file, qint64 secondsAgo = 600)
{
    const QByteArray time = QDateTime::currentDateTimeUtc().addSecs(-secondsAgo).toString(Qt::ISODate).toUtf8();
    QByteArray lines;
    for (int request = 0; request < requestsPerFile; ++request) {
        const QByteArray id = QByteArray::number(file) + '_' + QByteArray::number(request);
        lines += "{\"type\":\"assistant\",\"timestamp\":\"" + time + "\",\"cwd\":\"/home/me/src/harbour\",\"requestId\":\"req_"
            + id + "\",\"message\":{\"id\":\"msg_" + id + "\",\"model\":\"claude-sonnet-4-5\",\"content\":\"" + padding
            + "\",\"usage\":{\"input_tokens\":1,\"output_tokens\":2,\"cache_creation_input_tokens\":0,"
              "\"cache_read_input_tokens\":0}}}\n";
    }
    return lines;
}

// Requests kept once each, the output tokens counted for them, and requests of no file known.
std::tuple<qint64, qint64, qint64> indexed(const QString &database)
{
    std::tuple<qint64, qint64, qint64> found;
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
        connection.setDatabaseName(database);
        QSqlQuery query(connection);
        if (connection.open() && query.exec(u"SELECT (SELECT count(*) FROM breakdown_requests), "
                                            "(SELECT sum(output) FROM breakdown_minutes), (SELECT count(*) FROM breakdown_requests "
                                            "WHERE file NOT IN (SELECT id FROM breakdown_files))"_s) && query.next())
            found = {query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toLongLong()};
    }
    QSqlDatabase::removeDatabase(u"check"_s);
    return found;
}

// A log that the first reading left partway, and where it stopped.
std::pair<QString, qint64> fileLeftPartway(const QString &database)
{
    std::pair<QString, qint64> found;
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"partway"_s);
        connection.setDatabaseName(database);
        QSqlQuery query(connection);
        if (connection.open()
            && query.exec(u"SELECT path, offset FROM breakdown_files WHERE size = -1 AND offset > 8192"_s) && query.next())
            found = {query.value(0).toString(), query.value(1).toLongLong()};
    }
    QSqlDatabase::removeDatabase(u"partway"_s);
    return found;
}

// Raises one request's output by a token in place, past the file's head and before offset: a
// reading that goes on from offset never sees it, one that starts again counts it.
bool raiseOneRequestBefore(const QString &path, qint64 offset)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray read = file.read(offset);
    const QByteArray raised = "\"output_tokens\":3";
    const qsizetype at = read.indexOf("\"output_tokens\":2", 4096);
    return at > 0 && file.seek(at) && file.write(raised) == raised.size();
}

} // namespace

class TestLogReading : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Opened the plain way, a log replaced by a FIFO held the reader in open, and Quit for ever.
    void stopsMidReadingAndGoesOnFromThere()
    {
        QTemporaryDir dir;
        const QString database = dir.filePath(u"history.sqlite3"_s);
        HistoryWriter(database).open();
        const QList<LogFolder> folders{{Provider::claude, dir.filePath(u"projects"_s), {}}};
        QStringList logs;
        for (int file = 0; file < logFiles; ++file) {
            logs.append(dir.filePath(u"projects/-home-me-src-harbour/s%1.jsonl"_s.arg(file)));
            QVERIFY(writeFile(logs.last(), claudeRequests(file)));
        }

        auto reading = std::make_unique<UsageBreakdown>(database, folders);
        QSignalSpy progress(reading.get(), &UsageBreakdown::progressChanged);
        reading->start();
        // Woken by the signal, not a 50 ms poll: the first file must still be open when it stops.
        while (reading->progress() <= 0)
            QVERIFY(progress.wait(60000));
        for (const QString &log : std::as_const(logs))
            QVERIFY(QFile::rename(log, log + u".kept"_s) && makeFifo(log));
        QElapsedTimer quitting;
        quitting.start();
        reading.reset();
        // Far above what it takes, for a loaded machine: waiting on a FIFO it never returned.
        QVERIFY2(quitting.elapsed() < 5000, qPrintable(QString::number(quitting.elapsed())));
        const qint64 total = qint64(logFiles) * requestsPerFile;
        const qint64 readBefore = std::get<0>(indexed(database));
        QVERIFY2(readBefore > 0 && readBefore < total, qPrintable(QString::number(readBefore)));

        for (const QString &log : std::as_const(logs))
            QVERIFY(QFile::remove(log) && QFile::rename(log + u".kept"_s, log));
        const auto [partway, offset] = fileLeftPartway(database);
        QVERIFY(!partway.isEmpty());
        QVERIFY(raiseOneRequestBefore(partway, offset));
        UsageBreakdown again(database, folders);
        QSignalSpy scanned(&again, &UsageBreakdown::scanned);
        again.start();
        QVERIFY(scanned.wait(120000));
        QCOMPARE(indexed(database), std::tuple(total, total * 2, qint64(0)));
    }

    // The prune trusts no clock: one a year ahead, at a start or while running, deletes no counts.
    void aClockAheadDeletesNothing()
    {
        QTemporaryDir dir;
        const QString database = dir.filePath(u"history.sqlite3"_s);
        HistoryWriter(database).open();
        QVERIFY(writeFile(dir.filePath(u"projects/-home-me-src-harbour/s.jsonl"_s), claudeRequests(0)));
        const QList<LogFolder> folders{{Provider::claude, dir.filePath(u"projects"_s), {}}};
        const auto writer = std::make_shared<IndexWriter>(database);
        qint64 ahead = 0;
        LogIndexer running(writer, [&ahead] { return QDateTime::currentSecsSinceEpoch() + ahead; });
        running.scan(folders);
        const auto counted = indexed(database);
        QCOMPARE(std::get<0>(counted), requestsPerFile);
        ahead = 365 * 86400;
        LogIndexer started(writer, [ahead] { return QDateTime::currentSecsSinceEpoch() + ahead; });
        started.scan(folders);
        running.scan(folders);
        QCOMPARE(indexed(database), counted);
    }

    // A first reading counts the logs' last 90 days with the clock wrong: one a year ahead of
    // them found nothing. One behind them still bounds what goes, and so keeps the older file too.
    void aFirstReadingWithTheClockWrongCountsTheLastDays_data()
    {
        QTest::addColumn<qint64>("clockAhead");
        QTest::addColumn<qint64>("requests");
        QTest::newRow("right") << qint64(0) << qint64(requestsPerFile);
        QTest::newRow("a year ahead") << qint64(365 * 86400) << qint64(requestsPerFile);
        QTest::newRow("a year behind") << qint64(-365 * 86400) << qint64(2 * requestsPerFile);
    }

    void aFirstReadingWithTheClockWrongCountsTheLastDays()
    {
        QFETCH(qint64, clockAhead);
        QFETCH(qint64, requests);
        QTemporaryDir dir;
        const QString database = dir.filePath(u"history.sqlite3"_s);
        HistoryWriter(database).open();
        const QString old = dir.filePath(u"projects/-home-me-src-harbour/old.jsonl"_s);
        QVERIFY(writeFile(dir.filePath(u"projects/-home-me-src-harbour/recent.jsonl"_s), claudeRequests(0)));
        QVERIFY(writeFile(old, claudeRequests(1, 100 * 86400)));
        QFile oldFile(old);
        QVERIFY(oldFile.open(QIODevice::ReadWrite)
                && oldFile.setFileTime(QDateTime::currentDateTimeUtc().addDays(-100), QFileDevice::FileModificationTime));
        oldFile.close();
        const QList<LogFolder> folders{{Provider::claude, dir.filePath(u"projects"_s), {}}};
        const auto writer = std::make_shared<IndexWriter>(database);
        const auto wrongClock = [clockAhead] { return QDateTime::currentSecsSinceEpoch() + clockAhead; };
        LogIndexer(writer, wrongClock).scan(folders);
        QCOMPARE(indexed(database), std::tuple(requests, requests * 2, qint64(0)));
        LogIndexer(writer, wrongClock).scan(folders); // started again: it prunes by the counts it finds
        QCOMPARE(indexed(database), std::tuple(requests, requests * 2, qint64(0)));
    }

    // A record of version 7 keeps its counts, and its requests stay known by their ids: one logged
    // again with more output, in a file read since, counts once.
    void aRecordOfVersion7KeepsItsCountsAndRequests()
    {
        QTemporaryDir dir;
        const QString database = dir.filePath(u"history.sqlite3"_s);
        HistoryWriter(database).open();
        const qint64 minute = QDateTime::currentSecsSinceEpoch() / 3600 * 3600 - 3600;
        const QByteArray time = QDateTime::fromSecsSinceEpoch(minute, Qt::UTC).toString(Qt::ISODate).toUtf8();
        const auto requestLine = [&time](int output) {
            return "{\"type\":\"assistant\",\"timestamp\":\"" + time + "\",\"cwd\":\"/home/me/src/harbour\","
                   "\"requestId\":\"req_again\",\"message\":{\"id\":\"msg_resumed\",\"model\":\"claude-sonnet-4-5\","
                   "\"usage\":{\"input_tokens\":1,\"output_tokens\":" + QByteArray::number(output) + "}}}\n";
        };
        // The file holds what its rows say: the transcripts are read again once after the step.
        const QString earlier = dir.filePath(u"projects/-home-me-src-harbour/earlier.jsonl"_s);
        QVERIFY(writeFile(earlier, requestLine(5)));
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(earlier).constData(), &status), 0);
        const qint64 modifiedMs = QFileInfo(earlier).lastModified().toMSecsSinceEpoch();
        const QString counts = u"'/home/me/src/harbour', 'claude-sonnet-4-5', 1, 1, 5, 0, 0"_s;
        {
            HistoryConnection version7(database, HistoryConnection::Mode::readWrite);
            QStringList statements = version7LogTables();
            statements += {u"INSERT INTO breakdown_files (id, path, provider, account, size, modified_ms, inode, offset) "
                           "VALUES (1, '%1', 'claude', '', %2, %3, %4, %2)"_s.arg(earlier).arg(status.st_size).arg(modifiedMs).arg(status.st_ino),
                           u"INSERT INTO breakdown_minutes VALUES ('claude', '', %1, %2, 5)"_s.arg(minute).arg(counts),
                           u"INSERT INTO breakdown_by_hour VALUES ('claude', '', %1, %2, 5)"_s.arg(minute).arg(counts),
                           u"INSERT INTO breakdown_requests VALUES ('', 'msg_resumed', 1, %1, '/home/me/src/harbour', "
                           "'claude-sonnet-4-5', 1, 5, 0, 0, 1)"_s.arg(minute),
                           u"PRAGMA user_version = 7"_s};
            QCOMPARE(version7.execute(statements), std::nullopt);
        }
        HistoryWriter(database).open();
        QVERIFY(writeFile(dir.filePath(u"projects/-home-me-src-harbour/resumed.jsonl"_s), requestLine(9)));
        LogIndexer(std::make_shared<IndexWriter>(database)).scan({{Provider::claude, dir.filePath(u"projects"_s), {}}});
        QCOMPARE(indexed(database), std::tuple(qint64(2), qint64(9), qint64(0)));
    }

    void aFifoIsOpenedWithoutWaiting()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"rollout.jsonl"_s);
        QVERIFY(makeFifo(path));
        QFile fifo(path);
        QVERIFY(LogLineReader::open(fifo).has_value());
    }
};

QTEST_GUILESS_MAIN(TestLogReading)
#include "tst_logreading.moc"
