#include "FakeHttpServer.h"
#include "FakeNotifications.h"
#include "FakePanel.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <memory>

using namespace Qt::StringLiterals;

// The usage history through the real programs: the tray program records into a real file below
// a temporary home while this test plays the panel, and tidemarker-status reads it back.
namespace {

const QString historyItem = u"History\u2026"_s;
const QString claudeWeekly = u"    Weekly: 20% left, -30% low"_s;

struct Finished {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QStringList labels(const std::optional<MenuEntry> &menu)
{
    QStringList labels;
    for (const MenuEntry &entry : menu ? menu->children : QList<MenuEntry>())
        labels.append(entry.label());
    return labels;
}

int entryId(const std::optional<MenuEntry> &menu, const QString &label)
{
    for (const MenuEntry &entry : menu ? menu->children : QList<MenuEntry>()) {
        if (entry.label() == label)
            return entry.id;
    }
    return -1;
}

int visibleHistoryWindows()
{
    QProcess search;
    search.start(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^History"_s});
    search.waitForFinished();
    return int(search.readAllStandardOutput().count('\n'));
}

bool hasColourNear(const QImage &image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (std::abs(qRed(pixel) - qRed(colour)) + std::abs(qGreen(pixel) - qGreen(colour))
                    + std::abs(qBlue(pixel) - qBlue(colour)) < 12)
                return true;
        }
    }
    return false;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void recordsLiveRefreshesOnly();
    void chartFromMenuAndCommand();
    void unusableFile_data();
    void unusableFile();
    void fifoAtTheHistoryPath();
    void restartDoesNotRepeatAlerts();
    void wrongOptions_data();
    void wrongOptions();

private:
    void startProgram(const QProcessEnvironment &extra = {}, bool withoutOverridingModes = false);
    void quitProgram();
    void clickItem(const QString &label) { QVERIFY(m_item->click(entryId(m_item->menuLayout(), label))); }
    Finished run(const QString &program, const QStringList &arguments);
    QJsonArray exported() { return QJsonDocument::fromJson(run(statusProgram, {u"--history"_s, u"--format"_s, u"json"_s}).out).array(); }
    QString database() const { return m_home->filePath(u".local/state/tidemarker/history.sqlite3"_s); }

    const QString trayProgram = QStringLiteral(TIDEMARKER_E2E_PROGRAM);
    const QString statusProgram = QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM);
    FakeHttpServer m_server;
    FakePanel m_panel;
    std::unique_ptr<QSignalSpy> m_registered;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QProcess> m_program;
    std::unique_ptr<StatusItemProbe> m_item;
};

void TestHistory::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X display: run under xvfb-run");
    QVERIFY(m_server.listen());
    QVERIFY(m_panel.start());
    m_registered = std::make_unique<QSignalSpy>(&m_panel, &FakePanel::StatusNotifierItemRegistered);
}

void TestHistory::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    m_server.clearRequests();
    serveUsage(m_server);
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
}

void TestHistory::cleanup()
{
    m_item.reset();
    if (m_program) {
        m_program->kill();
        m_program->waitForFinished();
    }
    m_program.reset();
}

// As root, without the power to write files whatever their mode, when the test asks for it.
void TestHistory::startProgram(const QProcessEnvironment &extra, bool withoutOverridingModes)
{
    QProcessEnvironment environment = trayProgramEnvironment(m_home->path(), m_server);
    environment.insert(extra);
    m_program = std::make_unique<QProcess>();
    m_program->setProcessEnvironment(environment);
    m_registered->clear();
    if (withoutOverridingModes && geteuid() == 0)
        m_program->start(u"setpriv"_s, {u"--bounding-set"_s, u"-dac_override,-dac_read_search"_s, trayProgram});
    else
        m_program->start(trayProgram, {});
    QVERIFY(m_registered->wait(20000));
    m_item = std::make_unique<StatusItemProbe>(m_registered->first().first().toString());
    QVERIFY(m_item->aboutToShow());
    QTRY_VERIFY_WITH_TIMEOUT(labels(m_item->menuLayout()).contains(claudeWeekly), 20000);
}

void TestHistory::quitProgram()
{
    clickItem(u"Quit"_s);
    QTRY_COMPARE(m_program->state(), QProcess::NotRunning);
    QCOMPARE(m_program->exitCode(), 0);
}

Finished TestHistory::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(trayProgramEnvironment(m_home->path(), m_server));
    process.setWorkingDirectory(m_home->path());
    process.start(program, arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Codex fails, and its windows are shown cached; Claude waits 4 minutes between calls, and its
// windows are throttled: neither writes. A changed Codex window writes one row.
void TestHistory::recordsLiveRefreshesOnly()
{
    const Finished none = run(statusProgram, {u"--history"_s});
    QCOMPARE(none.exitCode, 0);
    QCOMPARE(none.out, "fetched_at,provider,id,name,used_percent,reset_at,limit_window_seconds\n");
    QCOMPARE(exported(), QJsonArray());

    startProgram();
    QTRY_COMPARE(exported().size(), 4);
    const QJsonObject claudeSlow = exported().at(3).toObject();
    QCOMPARE(claudeSlow[u"id"_s].toString(), u"claude_slow"_s);
    QCOMPARE(claudeSlow[u"name"_s].toString(), u"Weekly"_s);
    QCOMPARE(claudeSlow[u"usedPercent"_s].toDouble(), 80.0);
    QCOMPARE(claudeSlow[u"limitWindowSeconds"_s].toDouble(), 604800.0);
    QVERIFY(claudeSlow[u"resetAt"_s].toString().endsWith(u'Z'));

    m_server.respond(codexUsagePath, FakeResponse::json("{}", 500));
    clickItem(u"Refresh"_s);
    QTRY_VERIFY(labels(m_item->menuLayout()).contains(u"Codex (cached)"_s));
    m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(QDateTime::currentSecsSinceEpoch(), 70)));
    clickItem(u"Refresh"_s);
    QTRY_VERIFY(labels(m_item->menuLayout()).contains(u"    Weekly: 30% left, -20% low"_s));
    QTRY_COMPARE(exported().size(), 5);
    QCOMPARE(exported().at(4)[u"id"_s].toString(), u"codex_slow"_s);
    QCOMPARE(exported().at(4)[u"usedPercent"_s].toDouble(), 70.0);

    const QList<QByteArray> csv = run(statusProgram, {u"--history"_s, u"--days"_s, u"1"_s}).out.split('\n');
    QCOMPARE(csv.size(), 7); // the header, five rows and the end of the last line
    QVERIFY2(csv[5].contains(",codex,codex_slow,Weekly,70,"), csv[5]);
    QCOMPARE(m_program->readAllStandardError(), QByteArray());

    // Killed while it may be writing, it leaves a sound file.
    clickItem(u"Refresh"_s);
    m_program->kill();
    m_program->waitForFinished();
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
        file.setDatabaseName(database());
        QVERIFY(file.open());
        QSqlQuery check(file);
        QVERIFY(check.exec(u"PRAGMA integrity_check"_s) && check.next());
        QCOMPARE(check.value(0).toString(), u"ok"_s);
    }
    QSqlDatabase::removeDatabase(u"check"_s);
}

void TestHistory::chartFromMenuAndCommand()
{
    startProgram();
    QCOMPARE(visibleHistoryWindows(), 0);
    clickItem(historyItem);
    QTRY_COMPARE(visibleHistoryWindows(), 1);
    clickItem(historyItem); // raises the one window
    QTest::qWait(500);
    QCOMPARE(visibleHistoryWindows(), 1);

    QTRY_COMPARE(exported().size(), 4);
    const Finished drawn = run(trayProgram, {u"--render-history"_s, u"chart.png"_s, u"--days"_s, u"1"_s});
    QCOMPARE(drawn.err, QByteArray());
    QCOMPARE(drawn.out, "wrote chart.png\n");
    QCOMPARE(drawn.exitCode, 0);
    const QImage chart(m_home->filePath(u"chart.png"_s));
    QCOMPARE(chart.size(), QSize(960, 600));
    QVERIFY(hasColourNear(chart, qRgb(143, 59, 20))); // a Claude line, darkened for a light palette
    QCOMPARE(run(trayProgram, {u"--render-history"_s, u"chart.png"_s, u"--days"_s, u"week"_s}).exitCode, 2);
}

void TestHistory::unusableFile_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("shortOfItsVersion"); // of version 4, without its windows
    QTest::newRow("damaged") << false << false;
    QTest::newRow("read-only") << true << false;
    QTest::newRow("short of its version") << false << true;
}

// Either way the tray goes on; a damaged file is kept aside and a new one started.
void TestHistory::unusableFile()
{
    QFETCH(bool, readOnly);
    QFETCH(bool, shortOfItsVersion);
    QByteArray damage = QByteArray("this is no database\n").repeated(300);
    QVERIFY(writeFile(database(), readOnly ? QByteArray() : damage));
    if (readOnly)
        QVERIFY(QFile::setPermissions(database(), QFile::ReadOwner));
    if (shortOfItsVersion) {
        QVERIFY(QFile::remove(database()));
        {
            QSqlDatabase file = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"short"_s);
            file.setDatabaseName(database());
            QVERIFY(file.open());
            QVERIFY(QSqlQuery(file).exec(u"CREATE TABLE samples (window INTEGER)"_s));
            QVERIFY(QSqlQuery(file).exec(u"PRAGMA user_version = 4"_s));
        }
        QSqlDatabase::removeDatabase(u"short"_s);
        QFile made(database());
        QVERIFY(made.open(QIODevice::ReadOnly));
        damage = made.readAll();
    }

    const Finished fromStatus = run(statusProgram, {u"--history"_s});
    if (!shortOfItsVersion)
        QCOMPARE(fromStatus.exitCode, readOnly ? 0 : 1);
    if (!readOnly && !shortOfItsVersion)
        QCOMPARE(fromStatus.err, "tidemarker-status: cannot read the history: " + database().toUtf8()
                                  + ": file is not a database\n");

    startProgram({}, readOnly);
    QByteArray error;
    QTRY_VERIFY((error += m_program->readAllStandardError()).endsWith('\n'));
    QCOMPARE(error.count('\n'), 1);
    if (readOnly) {
        QVERIFY2(error.startsWith("tidemarker: history is off for this run: ") && error.contains("readonly"), error);
        QCOMPARE(exported().size(), 0);
        return;
    }
    const QByteArray why = shortOfItsVersion ? " lacks " : " was damaged: moved aside as ";
    QVERIFY2(error.startsWith("tidemarker: " + database().toUtf8() + why)
                 && error.contains(" of its version 4: moved aside as history.sqlite3.corrupt-") == shortOfItsVersion
                 && error.contains(" samples.fetched_at, ") == shortOfItsVersion
                 && error.contains(": moved aside as history.sqlite3.corrupt-"),
             error);
    const QStringList aside = QDir(QFileInfo(database()).path()).entryList({u"history.sqlite3.corrupt-*"_s});
    QCOMPARE(aside.size(), 1);
    QFile kept(QFileInfo(database()).path() + u'/' + aside.first());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), damage);
    QTRY_COMPARE(exported().size(), 4);
}

// Opened the plain way, the FIFO held the writer in open for ever, and Quit and the export with it.
void TestHistory::fifoAtTheHistoryPath()
{
    QVERIFY(makeFifo(database()));
    const QByteArray line = database().toUtf8() + " is a FIFO, not a file\n";
    const Finished fromStatus = run(statusProgram, {u"--history"_s});
    QCOMPARE(fromStatus.err, "tidemarker-status: cannot read the history: " + line);
    QCOMPARE(fromStatus.exitCode, 1);

    startProgram();
    QByteArray error;
    QTRY_VERIFY((error += m_program->readAllStandardError()).endsWith('\n'));
    QCOMPARE(error, "tidemarker: history is off for this run: " + line);
    quitProgram();
}

// The served weekly windows run ahead of pace: the first run tells both in one bubble, the
// second neither.
void TestHistory::restartDoesNotRepeatAlerts()
{
    FakeNotifications notifications;
    QVERIFY(notifications.start());
    QProcessEnvironment alertsOn;
    alertsOn.insert(u"TIDEMARKER_NOTIFY"_s, u"1"_s);
    startProgram(alertsOn);
    QTRY_COMPARE_WITH_TIMEOUT(notifications.calls().size(), 1, 20000);
    quitProgram();

    startProgram(alertsOn);
    QTest::qWait(1000); // a bubble would have been asked for as the menu was rebuilt

    QCOMPARE(notifications.calls().size(), 1);
    QCOMPARE(m_program->readAllStandardError(), QByteArray());
}

void TestHistory::wrongOptions_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("error");
    const QString status = statusProgram;
    QTest::newRow("text history") << status << QStringList{u"--history"_s, u"--format"_s, u"text"_s}
                                  << QByteArray("tidemarker-status: unknown history format \"text\": use csv or json\n");
    QTest::newRow("no days") << status << QStringList{u"--history"_s, u"--days"_s, u"0"_s}
                             << QByteArray("tidemarker-status: --days takes a whole number of days, 1 or more\n");
    QTest::newRow("days alone") << status << QStringList{u"--days"_s, u"3"_s}
                                << QByteArray("tidemarker-status: --days goes with --history\n");
    QTest::newRow("following history") << status << QStringList{u"--history"_s, u"--follow"_s}
                                       << QByteArray("tidemarker-status: --history prints the record once and takes "
                                                     "only --days and --format\n");
    QTest::newRow("chart without a path") << trayProgram << QStringList{u"--render-history"_s, u"--days"_s, u"7"_s}
                                          << QByteArray("tidemarker: --render-history needs the path of the PNG file "
                                                        "to write\n");
}

void TestHistory::wrongOptions()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, error);
    const Finished finished = run(program, arguments);
    QCOMPARE(finished.err, error);
    QCOMPARE(finished.out, QByteArray());
    QCOMPARE(finished.exitCode, 2);
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
