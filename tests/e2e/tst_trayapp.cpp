#include "BusSignalLog.h"
#include "ExampleAnswers.h"
#include "FakeHttpServer.h"
#include "FakeNotifications.h"
#include "FakePanel.h"
#include "GaugeProbe.h"
#include "LocalTimeText.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDBusInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

// The real program, run the way a desktop session runs it: on an X display (Xvfb), with a
// session bus on which this test plays the panel, and both usage endpoints served here.
namespace {

// Codex's own folder is home/codex here (CODEX_HOME).
const QString noCodexAuth = u"    no Codex auth (~/codex/auth.json)"_s;
const QString signInToCodex = u"    Sign in to Codex\u2026"_s;
const QString history = u"History\u2026"_s;
const QString settings = u"Settings\u2026"_s;
const QString recordedCommand = u"codex login; exec \"${SHELL:-sh}\""_s;
const QByteArray waitingForTray
    = "tidemarker: no system tray found; waiting for an X11 tray or a StatusNotifierItem host to appear\n";

QStringList labels(const std::optional<MenuEntry> &menu)
{
    QStringList labels;
    if (!menu)
        return labels;
    for (const MenuEntry &entry : menu->children)
        labels.append(entry.isSeparator() ? u"---"_s : entry.label());
    return labels;
}

QList<int> entryIds(const std::optional<MenuEntry> &menu)
{
    QList<int> ids;
    for (const MenuEntry &entry : menu ? menu->children : QList<MenuEntry>())
        ids.append(entry.id);
    return ids;
}

// Both Codex windows just begun: with nothing used, neither their hands nor their texts move
// for a while.
QByteArray freshCodexUsage(qint64 now, double fastUsed)
{
    const auto window = [now](double used, double length) {
        return QJsonObject{{u"used_percent"_s, used}, {u"reset_at"_s, double(now) + length},
                           {u"limit_window_seconds"_s, length}};
    };
    return QJsonDocument(QJsonObject{{u"rate_limit"_s, QJsonObject{{u"primary_window"_s, window(fastUsed, 18000)},
                                                                  {u"secondary_window"_s, window(0, 604800)}}}})
        .toJson();
}

// What a dbusmenu panel shows for a label: "__" is an underscore, any other "_" marks a mnemonic.
QString shownByPanel(const QString &label)
{
    QString shown;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == u'_' && ++i == label.size())
            break;
        shown += label[i];
    }
    return shown;
}

// An entry with id -1 and nothing else when there is none, so that checks fail, not crash.
MenuEntry entryLabelled(const std::optional<MenuEntry> &menu, const QString &label)
{
    for (const MenuEntry &entry : menu ? menu->children : QList<MenuEntry>()) {
        if (entry.label() == label)
            return entry;
    }
    return {-1, {}, {}};
}

QProcessEnvironment alertsTurned(const QString &value)
{
    QProcessEnvironment environment;
    environment.insert(u"TIDEMARKER_NOTIFY"_s, value);
    return environment;
}

// Codex's 5h window 95% used, its weekly one 93%, and another model's 5h window 91%.
QByteArray threeNearlyUsed(qint64 now)
{
    const auto window = [now](double used, double length) {
        return QJsonObject{{u"used_percent"_s, used}, {u"reset_at"_s, double(now) + length / 2},
                           {u"limit_window_seconds"_s, length}};
    };
    const QJsonObject quill{{u"limit_name"_s, u"Quill-Preview"_s},
                            {u"rate_limit"_s, QJsonObject{{u"primary_window"_s, window(91, 18000)}}}};
    return QJsonDocument(QJsonObject{{u"rate_limit"_s, QJsonObject{{u"primary_window"_s, window(95, 18000)},
                                                                  {u"secondary_window"_s, window(93, 604800)}}},
                                     {u"additional_rate_limits"_s, QJsonArray{quill}}})
        .toJson();
}

QRgb centre(const QImage &image)
{
    return image.pixel(image.width() / 2, image.height() / 2);
}

bool hasInk(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
        }
    }
    return false;
}

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(u"xdotool"_s, arguments) == 0;
}

// The windows an xdotool query names, one a line.
QStringList xdotoolWindows(const QStringList &arguments)
{
    QProcess query;
    query.start(u"xdotool"_s, arguments);
    query.waitForFinished();
    return QString::fromLatin1(query.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The program's windows on the X display: its icon in an XEmbed tray, its menu while open; or
// those of the title given.
QStringList visibleWindows(const QString &title = {})
{
    return xdotoolWindows({u"search"_s, u"--onlyvisible"_s, title.isEmpty() ? u"--class"_s : u"--name"_s,
                           title.isEmpty() ? u"tidemarker"_s : title});
}

// The providers of the snapshot the program publishes on the bus, in its order.
QJsonArray snapshotResults()
{
    QDBusInterface service(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s,
                           u"org.tidemarker.Tidemarker1"_s);
    return QJsonDocument::fromJson(service.property("Snapshot").toString().toUtf8())[u"providers"_s].toArray();
}

QStringList snapshotProviders()
{
    QStringList providers;
    for (const QJsonValue &provider : snapshotResults())
        providers.append(provider[u"provider"_s].toString());
    return providers;
}

// What tidemarker-status prints, asking the program.
QByteArray statusOutput(const QStringList &arguments)
{
    QProcess status;
    status.start(QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM), arguments);
    (void)QTest::qWaitFor([&] { return status.state() == QProcess::NotRunning; }, 30000);
    return status.readAllStandardOutput();
}

// As editors save: a new file put in place of the old one.
bool replaceFile(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
        && file.commit();
}

// Every pixel that shows is white, whatever its opacity.
bool isAllWhite(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) > 0 && std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 250)
                return false;
        }
    }
    return !image.isNull();
}

// A line of a Claude Code transcript, that many seconds ago: an answer, or a refusal.
QByteArray claudeLine(qint64 secondsAgo, bool refused)
{
    const QString time = QDateTime::currentDateTimeUtc().addSecs(-secondsAgo).toString(Qt::ISODateWithMs);
    const QString message = refused
        ? u"\"isApiErrorMessage\":true,\"error\":\"rate_limit\",\"message\":{\"model\":\"<synthetic>\",\"content\":"
          "[{\"type\":\"text\",\"text\":\"You've hit your session limit \u00B7 resets 9:50pm (UTC)\"}],"
          "\"usage\":{\"input_tokens\":0,\"output_tokens\":0}}"_s
        : u"\"message\":{\"id\":\"m1\",\"model\":\"claude-sonnet-4-5\",\"usage\":{\"input_tokens\":10,\"output_tokens\":100}}"_s;
    return (u"{\"type\":\"assistant\",\"sessionId\":\"s1\",\"timestamp\":\""_s + time + u"\","_s + message + u"}\n"_s)
        .toUtf8();
}

// Codex's hands stand at the empty end of the dial, in the red zone, not where 25 % used puts the fast one.
bool codexHandsAtEmpty(const QImage &icon)
{
    const GaugeProbe probe(icon, QPoint(0, 0), icon.width() / 22.0);
    return isClose(probe.atPosition(100, 9), codexColor) && isClose(probe.atPosition(100, 4), codexColor)
        && !isClose(probe.atPosition(25, 9), codexColor);
}

const QStringList claudeOnlyMenu{u"Claude"_s, u"    5h: 80% left, +30% high"_s, u"    Weekly: 20% left, -30% low"_s,
                                 u"---"_s, history, settings, u"Refresh"_s, u"Quit"_s};

} // namespace

class TestTrayApp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void showsIconWhenPanelStartsLater();
    void xembedTrayStartsLaterAndMenuShortcutsAct();
    void panelSeesIconMenuAndCommands();
    void refreshUpdatesMenuInPlace();
    void panelShowsErrorTextsExactly();
    void fifoForCodexAuthBlocksNeitherClaudeNorQuit();
    void refusedAndMissingSignInsOfferOneUsedAtOnce();
    void alertsOncePerWindowPeriod();
    void alertsAsTurned_data();
    void alertsAsTurned();
    void settingsFileHidesCodex();
    void settingsFileFollowedWhileRunning();
    void settingsDialogWritesTheFile();
    void refreshesOnWakingFromSleep();
    void codexRefusesWhileQuarterUsed();
    void claudeRefusalInTranscriptUntilAnswered();

private:
    // Alerts are off unless the extra environment turns them on.
    void startProgram(const QProcessEnvironment &extra = {});
    void startProgramUnder(FakePanel &panel, const QProcessEnvironment &extra = {});
    void clickRefresh() { QVERIFY(m_item->click(entryLabelled(menu(), u"Refresh"_s).id)); }
    void waitUntilRefreshedWithoutTray();
    std::optional<MenuEntry> menu() const { return m_item->menuLayout(); }

    QString settingsPath() const { return m_home->filePath(u"config/tidemarker/tidemarker.conf"_s); }

    FakeHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QProcess> m_program;
    std::unique_ptr<StatusItemProbe> m_item;
};

void TestTrayApp::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X display: run under xvfb-run");
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"),
             "needs a private session bus: run under dbus-run-session");
    QVERIFY(m_server.listen());
}

void TestTrayApp::init()
{
    // Every path the program names has an "&" and an "_" in it.
    m_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/R&D_e2e-XXXXXX"_s);
    QVERIFY(m_home->isValid());
    m_server.clearRequests();
    serveUsage(m_server);

    // Never signed in to Codex: there is no auth file at all.
    QVERIFY(QDir(m_home->path()).mkpath(u"bin"_s));
}

void TestTrayApp::cleanup()
{
    m_item.reset();
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished();
    }
    m_program.reset();
}

void TestTrayApp::startProgram(const QProcessEnvironment &extra)
{
    QProcessEnvironment environment = trayProgramEnvironment(m_home->path(), m_server);
    // No terminal but those the test puts there, and the user's own named as tiling desktops do.
    environment.insert(u"PATH"_s, m_home->filePath(u"bin"_s));
    environment.insert(u"TERMINAL"_s, u"my-terminal"_s);
    environment.insert(extra);

    m_program = std::make_unique<QProcess>();
    m_program->setProcessEnvironment(environment);
    m_program->setWorkingDirectory(m_home->path());
    m_program->start(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {});
    QVERIFY(m_program->waitForStarted());
}

// Starts the program where a panel runs and reads the item as that panel does.
void TestTrayApp::startProgramUnder(FakePanel &panel, const QProcessEnvironment &extra)
{
    QVERIFY(panel.start());
    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    startProgram(extra);
    QVERIFY(registered.wait(20000));
    m_item = std::make_unique<StatusItemProbe>(registered.first().first().toString());
    QVERIFY(m_item->aboutToShow());
}

// Refreshes run while the program waits for a tray, which it says once.
void TestTrayApp::waitUntilRefreshedWithoutTray()
{
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    startProgram();
    QTRY_VERIFY(!m_server.requests(codexUsagePath).isEmpty() && !m_server.requests(claudeUsagePath).isEmpty());
    QByteArray error;
    QTRY_COMPARE(error += m_program->readAllStandardError(), waitingForTray);
}

void TestTrayApp::showsIconWhenPanelStartsLater()
{
    waitUntilRefreshedWithoutTray();
    QTest::qWait(2000); // as a panel started in the same breath comes up a moment later

    FakePanel panel;
    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    QVERIFY(panel.start());
    QVERIFY(registered.wait(20000));
    m_item = std::make_unique<StatusItemProbe>(registered.first().first().toString());
    QVERIFY(m_item->aboutToShow());
    QTRY_COMPARE(labels(menu()).mid(7), (QStringList{history, settings, u"Refresh"_s, u"Quit"_s}));

    // A click, and panels that draw no menu (swaybar) asking for it, open the program's menu.
    for (const QString &method : {u"Activate"_s, u"ContextMenu"_s}) {
        QVERIFY2(m_item->activate(method), qPrintable(m_item->lastError()));
        QTRY_COMPARE(visibleWindows().size(), 1);
        QVERIFY(xdotool({u"key"_s, u"Escape"_s}));
        QTRY_COMPARE(visibleWindows().size(), 0);
    }
}

void TestTrayApp::xembedTrayStartsLaterAndMenuShortcutsAct()
{
    waitUntilRefreshedWithoutTray();
    QProcess tray;
    tray.start(u"trayer"_s, {});
    QVERIFY(tray.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindows().size(), 1, 20000);

    // Qt's own menu, on a right click; the keys it shows act while it is open.
    QVERIFY(xdotool({u"mousemove"_s, u"--window"_s, visibleWindows().first(), u"5"_s, u"5"_s, u"click"_s, u"3"_s}));
    QTRY_COMPARE(visibleWindows().size(), 2);
    QVERIFY(xdotool({u"key"_s, u"ctrl+r"_s}));
    QTRY_COMPARE(m_server.requests(codexUsagePath).size(), 2);
    QCOMPARE(visibleWindows().size(), 2);
    QVERIFY(xdotool({u"key"_s, u"ctrl+q"_s}));
    QTRY_COMPARE(m_program->state(), QProcess::NotRunning);
    QCOMPARE(m_program->exitCode(), 0);
    tray.terminate();
    QVERIFY(tray.waitForFinished());
}

void TestTrayApp::panelSeesIconMenuAndCommands()
{
    FakeNotifications notifications;
    QVERIFY(notifications.start());
    FakePanel panel;
    startProgramUnder(panel);
    QVERIFY(m_item);

    // The first refresh: Claude's windows, and Codex asking for a sign-in.
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()),
                              (QStringList{u"Codex"_s, noCodexAuth, signInToCodex, u"Claude"_s,
                                           u"    5h: 80% left, +30% high"_s,
                                           u"    Weekly: 20% left, -30% low"_s, u"---"_s,
                                           history, settings, u"Refresh"_s, u"Quit"_s}),
                              20000);
    QCOMPARE(m_item->status(), u"Active"_s);
    QCOMPARE(m_item->title(), u"Tidemarker"_s);
    QCOMPARE(m_item->id(), u"Tidemarker"_s);
    QVERIFY(m_item->toolTipTitle().startsWith(u"Claude Weekly -30% low \u00B7 resets "_s));
    QList<QSize> iconSizes;
    for (const QImage &pixmap : m_item->iconPixmaps()) {
        iconSizes.append(pixmap.size());
        QVERIFY(hasInk(pixmap));
    }
    QCOMPARE(iconSizes, (QList<QSize>{QSize(16, 16), QSize(22, 22), QSize(32, 32), QSize(44, 44), QSize(64, 64)}));

    std::optional<MenuEntry> layout = menu();
    QVERIFY(layout);
    QList<bool> enabled;
    for (const MenuEntry &entry : layout->children)
        enabled.append(entry.isEnabled());
    QCOMPARE(enabled, QList<bool>(11, true)); // Plasma greys disabled lines, dots and all
    QCOMPARE(entryLabelled(layout, history).shortcut(), (QList<QStringList>{{u"Control"_s, u"H"_s}}));
    QCOMPARE(entryLabelled(layout, u"Refresh"_s).shortcut(), (QList<QStringList>{{u"Control"_s, u"R"_s}}));
    QCOMPARE(entryLabelled(layout, u"Quit"_s).shortcut(), (QList<QStringList>{{u"Control"_s, u"Q"_s}}));
    const QImage claudeSwatch = entryLabelled(layout, u"Claude"_s).icon();
    QCOMPARE(claudeSwatch.size(), QSize(11, 11));
    QCOMPARE(centre(claudeSwatch), qRgb(255, 140, 87));
    const QImage highDot = entryLabelled(layout, u"    5h: 80% left, +30% high"_s).icon();
    QCOMPARE(highDot.size(), QSize(10, 10));
    QCOMPARE(centre(highDot), qRgb(0, 88, 208));
    QCOMPARE(centre(entryLabelled(layout, u"    Weekly: 20% left, -30% low"_s).icon()), qRgb(196, 30, 22));
    // A line without a dot keeps the room of one, so that its text starts where the others do.
    const QImage noDot = entryLabelled(layout, noCodexAuth).icon();
    QCOMPARE(noDot.size(), QSize(10, 10));
    QCOMPARE(qAlpha(centre(noDot)), 0);

    // A window's line opens the History window on that window.
    QVERIFY(m_item->click(entryLabelled(layout, u"    Weekly: 20% left, -30% low"_s).id));
    QTRY_COMPARE(visibleWindows(u"^History — Claude Weekly$"_s).size(), 1);

    // With no terminal to open, sign-in says what to run instead.
    QVERIFY(m_item->click(entryLabelled(layout, signInToCodex).id));
    QTRY_COMPARE(notifications.calls().size(), 1);
    QCOMPARE(notifications.calls().first().summary, u"No terminal could be opened to sign in to Codex"_s);
    QCOMPARE(notifications.calls().first().body, u"Run 'codex login' in a terminal"_s);

    // With one, it opens the user's terminal with the Codex command and does not wait for it.
    QVERIFY(writeRecorder(m_home->filePath(u"bin/my-terminal"_s), m_home->filePath(u"terminal-ran"_s)));
    QVERIFY(m_item->click(entryLabelled(layout, signInToCodex).id));
    QTRY_COMPARE(readFile(m_home->filePath(u"terminal-ran"_s)),
                 u"-e\nsh\n-c\n"_s + recordedCommand + u'\n');

    // Signed in now; Refresh asks Codex, while Claude's windows come from the last answer.
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(m_item->click(entryLabelled(layout, u"Refresh"_s).id));
    QTRY_COMPARE(labels(menu()),
                 (QStringList{u"Codex"_s, u"    5h: 60% left, +10% high"_s, u"    Weekly: 37% left, -13% low"_s,
                              u"Claude (cached)"_s, u"    5h: 80% left, +30% high"_s,
                              u"    Weekly: 20% left, -30% low"_s, u"---"_s, history, settings,
                              u"Refresh"_s, u"Quit"_s}));
    QCOMPARE(m_server.requests(claudeUsagePath).size(), 1);
    QCOMPARE(m_server.requests(codexUsagePath).size(), 1);
    QCOMPARE(m_server.requests(codexUsagePath).first().header("Authorization"), "Bearer fake-codex-token");

    layout = menu();
    QVERIFY(m_item->click(entryLabelled(layout, u"Quit"_s).id));
    QTRY_COMPARE(m_program->state(), QProcess::NotRunning);
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
    QCOMPARE(m_program->readAllStandardError(), QByteArray());
}

// A refresh touches only the lines whose figures changed: a panel keeps its item ids and hears of
// no new layout and no icon that looks the same, and the menu Qt draws itself stays open.
void TestTrayApp::refreshUpdatesMenuInPlace()
{
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    m_server.respond(codexUsagePath, FakeResponse::json(freshCodexUsage(now, 0)));
    FakePanel panel;
    startProgramUnder(panel);
    QVERIFY(m_item);
    // Claude's own lines: a Refresh while the first Claude request runs would be answered by that request.
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()).mid(0, 5),
                              (QStringList{u"Codex"_s, u"    5h: 100% left, 0% good"_s,
                                           u"    Weekly: 100% left, 0% good"_s, u"Claude"_s, claudeOnlyMenu.at(1)}),
                              20000);
    const QList<int> ids = entryIds(menu());
    QVERIFY2(m_item->activate(u"Activate"_s), qPrintable(m_item->lastError()));
    QTRY_COMPARE(visibleWindows().size(), 1);
    const BusSignalLog heard(*m_item);

    // Claude is asked only at start: from now on its figures are the cached ones, drawn alike.
    clickRefresh();
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()).at(3), u"Claude (cached)"_s, 20000); // the refresh may wait on a busy machine
    QTest::qWait(200);
    QCOMPARE(heard.count(u"NewIcon"_s), 0);
    QCOMPARE(heard.count(u"NewToolTip"_s), 0);
    QCOMPARE(heard.count(u"ItemsPropertiesUpdated"_s), 1);

    m_server.respond(codexUsagePath, FakeResponse::json(freshCodexUsage(now, 50)));
    clickRefresh();
    QTRY_COMPARE(labels(menu()).at(1), u"    5h: 50% left, -50% low"_s);
    QTRY_COMPARE(heard.count(u"NewIcon"_s), 1);
    QCOMPARE(heard.count(u"LayoutUpdated"_s), 0);
    QCOMPARE(entryIds(menu()), ids);
    QCOMPARE(visibleWindows().size(), 1);
}

// The Codex error names the auth file's path. The line begins with a zero-width space, which the
// program spends on the "&" that Qt's export turns into a mnemonic mark.
void TestTrayApp::panelShowsErrorTextsExactly()
{
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), "not JSON"));
    FakePanel panel;
    startProgramUnder(panel);
    QVERIFY(m_item);
    QTRY_VERIFY_WITH_TIMEOUT(labels(menu()).size() > 1, 20000);
    const QString shown = shownByPanel(labels(menu()).at(1));
    QVERIFY2(shown.startsWith(u"\u200B    auth.json is not valid JSON: "_s), qPrintable(shown));
    QVERIFY2(shown.endsWith(u" (%1)"_s.arg(m_home->filePath(u"codex/auth.json"_s))), qPrintable(shown));
}

// Read the plain way, the FIFO held a worker thread for ever, and Quit then waited for it.
void TestTrayApp::fifoForCodexAuthBlocksNeitherClaudeNorQuit()
{
    const QString auth = m_home->filePath(u"codex/auth.json"_s);
    QVERIFY(makeFifo(auth));
    FakePanel panel;
    startProgramUnder(panel);
    QVERIFY(m_item);
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()).mid(2, 3),
                              (QStringList{u"Claude"_s, u"    5h: 80% left, +30% high"_s,
                                           u"    Weekly: 20% left, -30% low"_s}),
                              20000);
    QCOMPARE(shownByPanel(labels(menu()).at(1)),
             u"\u200B    cannot read %1: not a regular file"_s.arg(auth));
    QVERIFY(m_item->click(entryLabelled(menu(), u"Quit"_s).id));
    QTRY_COMPARE(m_program->state(), QProcess::NotRunning);
    QCOMPARE(m_program->exitCode(), 0);
}

// Codex refuses its sign-in; Claude's record is a FIFO, then gone, then copied in. Nothing was
// asked of Claude until then, so no back-off holds the new sign-in up.
void TestTrayApp::refusedAndMissingSignInsOfferOneUsedAtOnce()
{
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    m_server.respond(codexUsagePath, FakeResponse::json("{}", 401));
    const QString record = m_home->filePath(u".claude/.credentials.json"_s);
    QVERIFY(makeFifo(record));
    QProcessEnvironment noClaudeToken;
    noClaudeToken.insert(u"CLAUDE_CODE_OAUTH_TOKEN"_s, QString());
    FakePanel panel;
    startProgramUnder(panel, noClaudeToken);
    QVERIFY(m_item);
    const QStringList codex{u"Codex"_s, u"    usage fetch failed (HTTP 401)"_s, signInToCodex, u"Claude"_s};
    const QStringList end{u"---"_s, history, settings, u"Refresh"_s, u"Quit"_s};
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()),
                              (codex + QStringList{u"    cannot read ~/.claude/.credentials.json: not a regular file"_s} + end),
                              20000);

    QVERIFY(QFile::remove(record));
    clickRefresh();
    QTRY_COMPARE(labels(menu()),
                 (codex + QStringList{u"    not signed in to Claude Code"_s, u"    Sign in to Claude\u2026"_s} + end));

    QVERIFY(writeFile(record, R"({"claudeAiOauth": {"accessToken": "fake-claude-token"}})"));
    clickRefresh();
    QTRY_COMPARE(labels(menu()),
                 (codex + QStringList{u"    5h: 80% left, +30% high"_s, u"    Weekly: 20% left, -30% low"_s} + end));
    QCOMPARE(m_server.requests(claudeUsagePath).size(), 1);
}

// Claude is asked only at start (it waits 240 s between calls); later refreshes carry its
// figures as cached ones, which never alert but, told already, are told again in the bubble
// that replaces theirs.
void TestTrayApp::alertsOncePerWindowPeriod()
{
    // Both weekly windows run ahead of pace; Codex's is then nearly used, then resets.
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(now)));
    FakeNotifications notifications;
    QVERIFY(notifications.start());
    FakePanel panel;
    startProgramUnder(panel, alertsTurned(u"1"_s));
    QVERIFY(m_item);
    QTRY_COMPARE_WITH_TIMEOUT(notifications.calls().size(), 1, 20000);

    m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(now, 92)));
    clickRefresh();
    QTRY_COMPARE(notifications.calls().size(), 2);
    clickRefresh(); // the same figures again
    QTRY_COMPARE(m_server.requests(codexUsagePath).size(), 3);
    notifications.dismiss(1);
    m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(now, 63, 302400 + 3600)));
    clickRefresh();
    QTRY_COMPARE(notifications.calls().size(), 3);

    const QList<FakeNotifications::Call> calls = notifications.calls();
    QStringList texts; // each with the id of the bubble it replaces
    for (const FakeNotifications::Call &call : calls)
        texts.append(QString::number(call.replacesId) + u" "_s + call.summary + u" | "_s + call.body);
    QCOMPARE(calls[0].id, 1u);
    QCOMPARE(texts, (QStringList{
        u"0 Claude Weekly will run out in about 21 h, 1 more limit near | 20% left, resets in 3 d 12 h; at this pace it is used up 2 d 15 h before the reset\nand 1 more limit needs attention: Codex Weekly"_s,
        u"1 Codex Weekly is 92% used, 1 more limit near | 8% left, resets in 3 d 12 h; at this pace it is used up 3 d 5 h before the reset\nand 1 more limit needs attention: Claude Weekly"_s,
        u"0 Codex Weekly will run out in about 2 d 1 h | 37% left, resets in 3 d 13 h; at this pace it is used up 1 d 12 h before the reset"_s}));
    QCOMPARE(calls[0].appName, u"Tidemarker"_s);
    QCOMPARE(calls[0].imageSize, QSize(66, 66));
    QCOMPARE(calls[0].actions, (QStringList{u"default"_s, u"Show history"_s}));

    // A click on the bubble opens the history, as "History…" does.
    QCOMPARE(visibleWindows(u"^History"_s).size(), 0);
    notifications.click(calls[2].id);
    QTRY_COMPARE(visibleWindows(u"^History"_s).size(), 1);
    QCOMPARE(visibleWindows(u"^History — Codex Weekly$"_s).size(), 1); // the window it leads with
    QCOMPARE(m_program->readAllStandardError(), QByteArray());
}

// What the refresh at start tells: one bubble, its title and its text's last line.
void TestTrayApp::alertsAsTurned_data()
{
    QTest::addColumn<QString>("notify"); // TIDEMARKER_NOTIFY
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("codexAnswer"); // none: the one served to every test
    QTest::addColumn<QString>("shown");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QByteArray codexOnly = "providers=codex\n";
    QTest::newRow("off in the environment") << u"0"_s << QByteArray() << QByteArray() << QString();
    QTest::newRow("the environment wins") << u"0"_s << QByteArray("alerts=true\n") << QByteArray() << QString();
    QTest::newRow("off in the settings") << u"1"_s << QByteArray("alerts=false\n") << QByteArray() << QString();
    QTest::newRow("nearly used at 60%")
        << u"1"_s << QByteArray("alert_at_percent=60\n") << QByteArray()
        << u"Claude Weekly is 80% used, 1 more limit near | and 1 more limit needs attention: Codex Weekly"_s;
    QTest::newRow("three near their limits")
        << u"1"_s << codexOnly << threeNearlyUsed(now)
        << u"Codex 5h is 95% used, 2 more limits near | and 2 more limits need attention: Codex Weekly, Codex Quill-Preview 5h"_s;
    QTest::newRow("even pace") << u"1"_s << codexOnly << codexUsage(now, 50) << QString();
    QTest::newRow("used up 30 min before the reset") << u"1"_s << codexOnly << codexUsage(now, 50.15) << QString();
    QTest::newRow("used up 2 days before the reset")
        << u"1"_s << codexOnly << codexUsage(now, 70, 302400 + 600)
        << u"Codex Weekly will run out in about 1 d 12 h | 30% left, resets in 3 d 12 h; at this pace it is used up 2 d before the reset"_s;
}

void TestTrayApp::alertsAsTurned()
{
    QFETCH(QString, notify);
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, codexAnswer);
    QFETCH(QString, shown);
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(writeFile(settingsPath(), "[General]\n" + settings));
    if (!codexAnswer.isEmpty())
        m_server.respond(codexUsagePath, FakeResponse::json(codexAnswer));
    FakeNotifications notifications;
    QVERIFY(notifications.start());
    FakePanel panel;
    startProgramUnder(panel, alertsTurned(notify));
    QVERIFY(m_item);
    QTRY_VERIFY_WITH_TIMEOUT(labels(menu()).join(u'\n').contains(u"    Weekly: "_s), 20000);
    const auto texts = [&notifications] {
        QStringList texts;
        for (const FakeNotifications::Call &call : notifications.calls())
            texts.append(call.summary + u" | "_s + call.body.split(u'\n').last());
        return texts;
    };
    if (shown.isEmpty())
        QTest::qWait(1000); // alerts wait for the history, which may open after the first refresh
    QTRY_COMPARE(texts(), shown.isEmpty() ? QStringList() : QStringList{shown});
}

// Signed in to both, the user wants to hear of Claude only.
void TestTrayApp::settingsFileHidesCodex()
{
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(writeFile(settingsPath(), "[General]\nproviders=claude\n"));
    FakePanel panel;
    startProgramUnder(panel);
    QVERIFY(m_item);
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()), claudeOnlyMenu, 20000);
    QCOMPARE(snapshotProviders(), QStringList{u"claude"_s});
    QVERIFY(m_item->toolTipTitle().startsWith(u"Claude Weekly -30% low \u00B7 resets "_s));
    clickRefresh();
    QTRY_COMPARE(labels(menu()).first(), u"Claude (cached)"_s);
    QVERIFY(m_server.requests(codexUsagePath).isEmpty());
    QCOMPARE(m_program->readAllStandardError(), QByteArray());
}

void TestTrayApp::settingsFileFollowedWhileRunning()
{
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    FakePanel panel;
    startProgramUnder(panel);
    QVERIFY(m_item);
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()).size(), 11, 20000);
    const qsizetype codexAsked = m_server.requests(codexUsagePath).size();

    // The folder is new as well; the refresh period cannot be read, and takes its default.
    QVERIFY(replaceFile(settingsPath(), "[General]\nproviders=claude\nicon=light\nrefresh_seconds=30\n"));
    QTRY_COMPARE(labels(menu()), claudeOnlyMenu);
    QTRY_COMPARE(snapshotProviders(), QStringList{u"claude"_s});
    QTRY_VERIFY(isAllWhite(m_item->iconPixmaps().value(0)));
    QByteArray error;
    QTRY_COMPARE(error += m_program->readAllStandardError(),
                 "tidemarker: " + settingsPath().toUtf8()
                     + ": refresh_seconds \"30\" is not a whole number from 60 to 3600; using 60\n");

    // Shown again, Codex is asked at once.
    QVERIFY(replaceFile(settingsPath(), "[General]\nproviders=codex, claude\n"));
    QTRY_COMPARE(m_server.requests(codexUsagePath).size(), codexAsked + 1);
    QTRY_COMPARE(labels(menu()).mid(0, 3), (QStringList{u"Codex"_s, u"    5h: 60% left, +10% high"_s,
                                                         u"    Weekly: 37% left, -13% low"_s}));
    QCOMPARE(m_program->readAllStandardError(), QByteArray());
}

// The dialog, as a keyboard user drives it: the providers first; Return is "OK".
void TestTrayApp::settingsDialogWritesTheFile()
{
    FakePanel panel;
    startProgramUnder(panel);
    QVERIFY(m_item);
    QTRY_VERIFY_WITH_TIMEOUT(labels(menu()).contains(u"Settings\u2026"_s), 20000);
    QVERIFY(m_item->click(entryLabelled(menu(), u"Settings\u2026"_s).id));
    QTRY_COMPARE(visibleWindows(u"^Settings"_s).size(), 1);
    // With no window manager the dialog takes the keyboard itself. The keys are typed, not sent
    // to its window: Return closes it, and its window can be gone before the key comes up.
    const QString dialog = visibleWindows(u"^Settings"_s).first();
    QTRY_COMPARE(xdotoolWindows({u"getwindowfocus"_s}), QStringList{dialog});
    // "Claude only", the icon "Dark, for a light panel", the gauge "the 5-hour and weekly windows".
    QVERIFY(xdotool({u"key"_s, u"Down"_s, u"Down"_s, u"Tab"_s, u"End"_s, u"Tab"_s, u"End"_s, u"Return"_s}));
    QTRY_COMPARE(readFile(settingsPath()), u"[General]\nalert_at_percent=90\nalerts=true\nbreakdown=true\ngauge=main\n"
                                           "icon=dark\nproviders=claude\nrefresh_seconds=60\nreset_times=true\n"_s);
    QTRY_COMPARE(labels(menu()), claudeOnlyMenu);
    QTRY_COMPARE(visibleWindows().size(), 0);
    QCOMPARE(m_program->readAllStandardError(), QByteArray());
}

// Back from sleep the figures are as old as the sleep was long: asked again at once, not a
// period later. The test's bus plays the system bus, and this test logind on it.
void TestTrayApp::refreshesOnWakingFromSleep()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(bus.registerService(u"org.freedesktop.login1"_s));
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QProcessEnvironment systemBus;
    systemBus.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
    startProgram(systemBus);
    QTRY_VERIFY_WITH_TIMEOUT(!m_server.requests(claudeUsagePath).isEmpty(), 20000);
    QTest::qWait(500); // the first refresh done, the loop asleep
    const qsizetype asked = m_server.requests(codexUsagePath).size();

    QDBusMessage woken = QDBusMessage::createSignal(u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s,
                                                    u"PrepareForSleep"_s);
    woken << false;
    QVERIFY(bus.send(woken));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requests(codexUsagePath).size(), asked + 1, 10000);
    bus.unregisterService(u"org.freedesktop.login1"_s);
}

// Codex refuses while its windows read 25 % used: the menu, tooltip, gauge, snapshot, status
// line and one alert say so until it lets requests through again.
void TestTrayApp::codexRefusesWhileQuarterUsed()
{
    FakeNotifications notifications;
    QVERIFY(notifications.start());
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(writeFile(settingsPath(), "[General]\nproviders=codex\n"));
    m_server.respond(codexUsagePath,
                     FakeResponse::json(exampleAnswer(u"codex-blocked.json"_s, QDateTime::currentDateTimeUtc())));
    FakePanel panel;
    startProgramUnder(panel, alertsTurned(u"1"_s));
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()).value(1), u"    Blocked (workspace member usage limit)"_s, 20000);
    QVERIFY(labels(menu()).value(2).startsWith(u"    5h: 75% left"_s));
    // The refused model's limit says so on its lines; code review lets requests through.
    const QStringList refusedLines = labels(menu()).filter(u" \u00B7 blocked"_s);
    QCOMPARE(refusedLines.size(), 2);
    QVERIFY(refusedLines[0].startsWith(u"    Quill-Preview 5h: 20% left"_s));
    QCOMPARE(m_item->toolTipTitle().section(u'\n', 0, 0), u"Codex blocked"_s);
    QTRY_VERIFY(codexHandsAtEmpty(m_item->iconPixmaps().value(4)));

    const QJsonObject codex = snapshotResults()[0].toObject();
    QCOMPARE(codex[u"blocked"_s].toObject(),
             (QJsonObject{{u"reason"_s, u"workspace member usage limit"_s}, {u"until"_s, QJsonValue()}}));
    QCOMPARE(codex[u"extraWindows"_s][1][u"blocked"_s][u"reason"_s].toString(), u"Quill-Preview limit"_s);
    QVERIFY(!codex[u"extraWindows"_s][0].toObject().contains(u"blocked"_s));
    QCOMPARE(statusOutput({}), "Codex blocked\n");
    QCOMPARE(QJsonDocument::fromJson(statusOutput({u"--format"_s, u"waybar"_s}))[u"class"_s].toString(), u"blocked"_s);

    // One alert for the blocking, however many refreshes still find it.
    QTRY_COMPARE_WITH_TIMEOUT(notifications.calls().size(), 1, 20000);
    QCOMPARE(notifications.calls().first().summary, u"Codex is blocked, 1 more limit near"_s);
    clickRefresh();
    QTRY_COMPARE(m_server.requests(codexUsagePath).size(), 2);
    QTest::qWait(1000);
    QCOMPARE(notifications.calls().size(), 1);

    // Allowed again: the line, the member and the class go.
    m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(QDateTime::currentSecsSinceEpoch())));
    clickRefresh();
    QTRY_VERIFY(labels(menu()).value(1).startsWith(u"    5h: 60% left"_s));
    QVERIFY(snapshotResults()[0][u"blocked"_s].isNull());
    QVERIFY(!codexHandsAtEmpty(m_item->iconPixmaps().value(4)));
}

// Claude Code's transcript holds a refusal: blocked until the session's reset, until a later
// request is answered.
void TestTrayApp::claudeRefusalInTranscriptUntilAnswered()
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    m_server.respond(claudeUsagePath, FakeResponse::json(claudeUsage(now)));
    const QString transcript = m_home->filePath(u"claude/projects/-src-harbour/s1.jsonl"_s);
    QVERIFY(writeFile(transcript, claudeLine(120, false) + claudeLine(60, true)));
    QVERIFY(writeFile(settingsPath(), "[General]\nproviders=claude\n"));
    QProcessEnvironment claudeFolder;
    claudeFolder.insert(u"CLAUDE_CONFIG_DIR"_s, m_home->filePath(u"claude"_s));
    FakePanel panel;
    startProgramUnder(panel, claudeFolder);

    // Until the reset of the session's window, which the answer gives, rather than the text's time.
    const QDateTime reset = QDateTime::fromSecsSinceEpoch(now + 9000, Qt::UTC);
    const QString until = LocalTimeText::when(reset, QDateTime::currentDateTime());
    QTRY_COMPARE_WITH_TIMEOUT(labels(menu()).value(1), u"    Blocked until "_s + until + u" (session limit)"_s, 20000);
    QVERIFY(m_item->toolTipTitle().startsWith(u"Claude blocked until "_s + until + u'\n'));
    QCOMPARE(snapshotResults()[0][u"blocked"_s].toObject(),
             (QJsonObject{{u"reason"_s, u"session limit"_s}, {u"until"_s, reset.toString(Qt::ISODateWithMs)}}));
    QCOMPARE(statusOutput({}), (u"Claude blocked until "_s + until + u'\n').toUtf8());

    // The next answered request clears it, although Claude's usage is not asked again so soon.
    QVERIFY(appendFile(transcript, claudeLine(0, false)));
    clickRefresh();
    QTRY_VERIFY(labels(menu()).value(1).startsWith(u"    5h: "_s));
    QVERIFY(snapshotResults()[0][u"blocked"_s].isNull());
    QCOMPARE(m_server.requests(claudeUsagePath).size(), 1);
}

QTEST_GUILESS_MAIN(TestTrayApp)
#include "tst_trayapp.moc"
