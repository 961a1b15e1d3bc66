#include "ClaudeUsageClient.h"
#include "CodexUsageClient.h"
#include "ExampleAnswers.h"
#include "FakeHttpServer.h"
#include "StatusItemController.h"
#include "TrayFixtures.h"
#include "UsageStore.h"
#include "WcagContrast.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <QCoroTimer>

#include <cmath>
#include <limits>
#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QDateTime start = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);
const QString signInToClaude = u"    Sign in to Claude\u2026"_s;
// What every menu ends with, after the providers' sections.
const QStringList commandLines{u"---"_s, u"History\u2026"_s, u"Settings\u2026"_s, u"Refresh"_s, u"Quit"_s};

UsageWindow window(Provider provider, WindowSpeed speed, double remaining, double pressure)
{
    UsageWindow window;
    window.provider = provider;
    window.speed = speed;
    window.remainingPercent = remaining;
    window.pressurePercent = pressure;
    window.limitWindowSeconds = speed == WindowSpeed::fast ? 5 * 3600 : 7 * 86400;
    return window;
}

ProviderResult result(Provider provider, bool ok, const QString &source,
                      std::optional<QString> error, QList<UsageWindow> windows,
                      bool needsAuth = false)
{
    return {provider, ok, source, error, windows, needsAuth};
}

ProviderResult live(Provider provider, QList<UsageWindow> windows)
{
    return result(provider, true, u"live"_s, std::nullopt, windows);
}

// A provider whose answer the test sets, optionally after a delay; counts calls and overlaps.
struct ScriptedProvider {
    ProviderResult result;
    std::chrono::milliseconds delay{0};
    int calls = 0;
    int inFlight = 0;
    int mostInFlight = 0;

    UsageStore::Fetch fetch()
    {
        return [this](QDateTime) { return answer(this); };
    }

    // Takes the provider by value: its fetch may outlive the store that holds the lambda.
    static QCoro::Task<ProviderResult> answer(ScriptedProvider *provider)
    {
        ++provider->calls;
        provider->mostInFlight = std::max(provider->mostInFlight, ++provider->inFlight);
        const ProviderResult given = provider->result;
        if (provider->delay > 0ms)
            co_await QCoro::sleepFor(provider->delay);
        --provider->inFlight;
        co_return given;
    }
};

QStringList texts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *item : menu->actions())
        texts.append(item->isSeparator() ? u"---"_s : item->text());
    return texts;
}

QList<bool> enabledFlags(const QMenu *menu)
{
    QList<bool> flags;
    for (const QAction *item : menu->actions())
        flags.append(item->isEnabled());
    return flags;
}

QAction *itemNamed(const QMenu *menu, const QString &text)
{
    for (QAction *item : menu->actions()) {
        if (item->text() == text)
            return item;
    }
    return nullptr;
}

QRgb centreColour(const QIcon &icon, QIcon::Mode mode)
{
    const QImage image = icon.pixmap(icon.availableSizes(mode).value(0), mode).toImage();
    return image.pixel(image.width() / 2, image.height() / 2);
}

} // namespace

class TestStatusItemController : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startsEmptyWithInitialSnapshot();
    void menuTexts_data();
    void menuTexts();
    void windowLinesEndWithTheirReset_data();
    void windowLinesEndWithTheirReset();
    void exampleAnswersShowEveryLimit_data();
    void exampleAnswersShowEveryLimit();
    void missingResultsShowUnavailable();
    void linesShowTheirTextsExactly();
    void paceDotColours_data();
    void paceDotColours();
    void paceColoursStandOut_data();
    void paceColoursStandOut();
    void swatches();
    void refreshItemRefreshesAndRebuilds();
    void loopWaitsForEachRefresh();
    void signInLaunchesTheProviderCommand();
    void destroyedWhileRefreshing();

private:
    void makeController(std::chrono::milliseconds period = 1h);
    void refreshOnce();
    // A settings file that says only this.
    QString settingsFile(const QByteArray &text);

    QTemporaryDir m_settingsDir;

    ScriptedProvider m_codex;
    ScriptedProvider m_claude;
    std::unique_ptr<StatusItemController> m_controller;
};

void TestStatusItemController::init()
{
    m_codex = {live(Provider::codex, {window(Provider::codex, WindowSpeed::fast, 80, 20)})};
    m_claude = {live(Provider::claude, {window(Provider::claude, WindowSpeed::fast, 50, 0)})};
}

void TestStatusItemController::cleanup()
{
    m_controller.reset();
}

void TestStatusItemController::makeController(std::chrono::milliseconds period)
{
    auto *store = new UsageStore({[] { return start; }}, m_codex.fetch(), m_claude.fetch());
    m_controller = std::make_unique<StatusItemController>(store, period);
}

QString TestStatusItemController::settingsFile(const QByteArray &text)
{
    const QString path = m_settingsDir.filePath(u"tidemarker.conf"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The start-up refresh has finished once both providers were asked and the menu is built.
void TestStatusItemController::refreshOnce()
{
    QTRY_VERIFY(!m_controller->menu()->actions().isEmpty());
}

void TestStatusItemController::startsEmptyWithInitialSnapshot()
{
    m_codex.delay = 1h;
    m_claude.delay = 1h;
    makeController();
    QVERIFY(m_controller->menu()->actions().isEmpty());
    QVERIFY(!m_controller->statusItem());
    m_controller->showStatusItem();
    QCOMPARE(m_controller->statusItem()->toolTip(), u"Tidemarker: usage unavailable"_s);
    QVERIFY(!m_controller->statusItem()->icon().isNull());
}

void TestStatusItemController::menuTexts_data()
{
    QTest::addColumn<ProviderResult>("codex");
    QTest::addColumn<ProviderResult>("claude");
    QTest::addColumn<QStringList>("section"); // Codex's and Claude's lines, before the commands
    QTest::addColumn<QList<bool>>("enabled");

    const auto codexFast = window(Provider::codex, WindowSpeed::fast, 62.5, 12.4);
    const auto codexSlow = window(Provider::codex, WindowSpeed::slow, 0.4, -12.6);
    const auto claudeFast = window(Provider::claude, WindowSpeed::fast, 99.5, -0.4);

    QTest::newRow("live, rounded halves away from zero")
        << live(Provider::codex, {codexFast, codexSlow}) << live(Provider::claude, {claudeFast})
        << QStringList{u"Codex"_s, u"    5h: 63% left, +12% high"_s,
                       u"    Weekly: 0% left, -13% low"_s, u"Claude"_s,
                       u"    5h: 100% left, 0% good"_s}
        << QList<bool>{true, true, true, true, true};
    QTest::newRow("remaining beyond a whole number")
        << live(Provider::codex, {window(Provider::codex, WindowSpeed::fast, 1e300, 0),
                                  window(Provider::codex, WindowSpeed::slow, -0x1p63, 0)})
        << live(Provider::claude, {window(Provider::claude, WindowSpeed::fast,
                                          std::numeric_limits<double>::quiet_NaN(), 0)})
        << QStringList{u"Codex"_s, u"    5h: ?% left, 0% good"_s, u"    Weekly: ?% left, 0% good"_s,
                       u"Claude"_s, u"    5h: ?% left, 0% good"_s}
        << QList<bool>{true, true, true, true, true};
    QTest::newRow("cached keeps its windows and says so")
        << result(Provider::codex, true, u"cached"_s, u"boom"_s, {codexFast})
        << result(Provider::claude, true, u"cached"_s, u"rate-limited \u2014 retrying"_s, {claudeFast})
        << QStringList{u"Codex (cached)"_s, u"    5h: 63% left, +12% high"_s,
                       u"Claude (cached)"_s, u"    5h: 100% left, 0% good"_s}
        << QList<bool>{true, true, true, true};
    QTest::newRow("ok without windows shows the error")
        << result(Provider::codex, true, u"live"_s, u"x"_s, {})
        << result(Provider::claude, false, u"throttled"_s, u"the last request failed \u2014 retrying"_s, {})
        << QStringList{u"Codex"_s, u"    x"_s, u"Claude"_s, u"    the last request failed \u2014 retrying"_s}
        << QList<bool>{true, true, true, true};
    QTest::newRow("failure without message")
        << result(Provider::codex, false, u"error"_s, std::nullopt, {})
        << live(Provider::claude, {claudeFast})
        << QStringList{u"Codex"_s, u"    usage unavailable"_s, u"Claude"_s,
                       u"    5h: 100% left, 0% good"_s}
        << QList<bool>{true, true, true, true};
    QTest::newRow("sign-in after the error line")
        << live(Provider::codex, {codexFast})
        << result(Provider::claude, false, u"error"_s, u"not signed in to Claude Code"_s, {}, true)
        << QStringList{u"Codex"_s, u"    5h: 63% left, +12% high"_s, u"Claude"_s,
                       u"    not signed in to Claude Code"_s, signInToClaude}
        << QList<bool>{true, true, true, true, true};
    QTest::newRow("sign-in after window lines")
        << result(Provider::codex, true, u"live"_s, std::nullopt, {codexFast}, true)
        << live(Provider::claude, {claudeFast})
        << QStringList{u"Codex"_s, u"    5h: 63% left, +12% high"_s,
                       u"    Sign in to Codex\u2026"_s, u"Claude"_s,
                       u"    5h: 100% left, 0% good"_s}
        << QList<bool>{true, true, true, true, true};
}

void TestStatusItemController::menuTexts()
{
    QFETCH(ProviderResult, codex);
    QFETCH(ProviderResult, claude);
    QFETCH(QStringList, section);
    QFETCH(QList<bool>, enabled);
    m_codex.result = codex;
    m_claude.result = claude;

    makeController();
    refreshOnce();

    QCOMPARE(texts(m_controller->menu()), section + commandLines);
    QCOMPARE(enabledFlags(m_controller->menu()), enabled + QList<bool>(5, true));
}

void TestStatusItemController::windowLinesEndWithTheirReset_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QDateTime>("resetAt");
    QTest::addColumn<QString>("ending"); // after "    5h: 63% left, +12% high"

    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
    const QLocale de(QLocale::German, QLocale::Germany);
    const QDate today = QDate::currentDate();
    const QDate inThreeDays = today.addDays(3);
    const QDate later = today.addDays(20);
    const auto weekday = [&](const QLocale &locale) { return locale.dayName(inThreeDays.dayOfWeek(), QLocale::ShortFormat); };
    const auto month = [&](const QLocale &locale) { return locale.monthName(later.month(), QLocale::ShortFormat); };
    const QString day = QString::number(later.day());

    QTest::newRow("today, 12-hour") << us << QByteArray() << QDateTime(today, QTime(23, 59)) << u" · resets 11:59 PM"_s;
    QTest::newRow("today, 24-hour") << gb << QByteArray() << QDateTime(today, QTime(23, 59)) << u" · resets 23:59"_s;
    QTest::newRow("no seconds where the locale has them") << QLocale::c() << QByteArray() << QDateTime(today, QTime(23, 59))
                                                          << u" \u00B7 resets 23:59"_s;
    QTest::newRow("within the week, 12-hour") << us << QByteArray() << QDateTime(inThreeDays, QTime(9, 0))
                                              << u" · resets "_s + weekday(us) + u" 9:00 AM"_s;
    QTest::newRow("within the week, 24-hour") << de << QByteArray() << QDateTime(inThreeDays, QTime(9, 0))
                                              << u" · resets "_s + weekday(de) + u" 09:00"_s;
    QTest::newRow("later, month first") << us << QByteArray() << QDateTime(later, QTime(9, 0))
                                        << u" · resets "_s + month(us) + u' ' + day;
    QTest::newRow("later, day first") << gb << QByteArray() << QDateTime(later, QTime(9, 0))
                                      << u" · resets "_s + day + u' ' + month(gb);
    QTest::newRow("switched off") << us << QByteArray("reset_times=false\n") << QDateTime(today, QTime(23, 59)) << QString();
}

// The window's line and the tooltip of the worst window both end with the reset.
void TestStatusItemController::windowLinesEndWithTheirReset()
{
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, settings);
    QFETCH(QDateTime, resetAt);
    QFETCH(QString, ending);
    QLocale::setDefault(locale);
    const auto restoreLocale = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
    UsageWindow fast = window(Provider::codex, WindowSpeed::fast, 62.5, 12.4);
    fast.resetAt = resetAt.toUTC();
    m_codex.result = live(Provider::codex, {fast});
    m_claude.result = result(Provider::claude, false, u"error"_s, u"x"_s, {});

    m_controller = std::make_unique<StatusItemController>(
        new UsageStore({[] { return start; }}, m_codex.fetch(), m_claude.fetch()), settingsFile(settings), 1h);
    refreshOnce();
    m_controller->showStatusItem();

    QTRY_COMPARE(texts(m_controller->menu()).at(1), u"    5h: 63% left, +12% high"_s + ending);
    QTRY_COMPARE(m_controller->statusItem()->toolTip(), u"Codex 5h +12% high"_s + ending);
}

void TestStatusItemController::exampleAnswersShowEveryLimit_data()
{
    QTest::addColumn<QString>("codexAnswer");
    QTest::addColumn<QString>("claudeAnswer");
    QTest::addColumn<QStringList>("codexLines");
    QTest::addColumn<QStringList>("claudeLines"); // after its name
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QStringList>("hands"); // the gauge's, by window id

    QTest::newRow("plus and max") << u"codex-plus.json"_s << u"claude-max.json"_s
        << QStringList{u"Codex"_s, u"    5h: 65% left, +14% high"_s, u"    Weekly: 39% left, -11% low"_s,
                       u"    Code review weekly: 90% left, +24% high"_s,
                       u"    Quill-Preview 5h: 20% left, -47% low"_s,
                       u"    Quill-Preview weekly: 56% left, +6% high"_s}
        << QStringList{u"    5h: 71% left, +21% high"_s, u"    Weekly: 74% left, +14% high"_s,
                       u"    Fable weekly: 57% left, -3% good"_s,
                       u"    Usage credits: $12.40 of $50.00 this month"_s}
        << u"Codex Quill-Preview 5h -47% low"_s
        << QStringList{u"codex_extra_quill-preview_5h"_s, u"codex_slow"_s, u"claude_fast"_s, u"claude_scoped_fable"_s};
    QTest::newRow("weekly only and legacy") << u"codex-weekly-only.json"_s << u"claude-pro-legacy.json"_s
        << QStringList{u"Codex"_s, u"    Weekly: 48% left, +15% high"_s}
        << QStringList{u"    5h: 81% left, +31% high"_s, u"    Weekly: 55% left, +4% good"_s,
                       u"    Sonnet weekly: 88% left, +37% high"_s}
        << u"Claude Weekly +4% good"_s << QStringList{u"codex_slow"_s, u"claude_fast"_s, u"claude_slow"_s};
    QTest::newRow("no rate limits and idle") << u"codex-business-null.json"_s << u"claude-idle.json"_s
        << QStringList{u"Codex"_s, u"    no rate limits reported for this plan"_s, u"    Credits: 118.25 left"_s}
        << QStringList{u"    5h: 100% left, 0% good"_s, u"    Weekly: 97% left, +26% high"_s,
                       u"    Usage credits: \u20AC106.31 this month (no limit)"_s}
        << u"Claude 5h 0% good"_s << QStringList{u"claude_fast"_s, u"claude_slow"_s};
    // Blocked by a model's own cap while the two windows look comfortable.
    QTest::newRow("credits and binding") << u"codex-credits.json"_s << u"claude-binding.json"_s
        << QStringList{u"Codex"_s, u"    5h: 88% left, +37% high"_s, u"    Weekly: 52% left, +2% good"_s,
                       u"    Credits: 1,234.5 left"_s}
        << QStringList{u"    5h: 58% left, +8% high"_s, u"    Weekly: 69% left, +9% high"_s,
                       u"    Weekly by model: Fable 22% \u00B7 Other models 9%"_s,
                       u"    Fable weekly: 3% left, -57% low"_s, u"    Claude Code weekly: 88% left, +28% high"_s,
                       u"    Usage credits: $12.40 of $50.00 this month"_s}
        << u"Claude Fable weekly -57% low"_s
        << QStringList{u"codex_fast"_s, u"codex_slow"_s, u"claude_fast"_s, u"claude_scoped_fable"_s};
    QTest::newRow("limits only") << u"codex-weekly-only.json"_s << u"claude-limits-only.json"_s
        << QStringList{u"Codex"_s, u"    Weekly: 48% left, +15% high"_s}
        << QStringList{u"    5h: 58% left, +8% high"_s, u"    Weekly: 69% left, +9% high"_s,
                       u"    Fable 5h: 20% left, -30% low"_s}
        << u"Claude Fable 5h -30% low"_s << QStringList{u"codex_slow"_s, u"claude_scoped_fable_5h"_s, u"claude_slow"_s};
    QTest::newRow("usage-based seat") << u"codex-weekly-only.json"_s << u"claude-usage-based.json"_s
        << QStringList{u"Codex"_s, u"    Weekly: 48% left, +15% high"_s}
        << QStringList{u"    Spend: $182.50 of $500.00 this month"_s}
        << u"Codex Weekly +15% high"_s << QStringList{u"codex_slow"_s};
}

// Through both real clients and the loopback server. Claude is asked once: on the second
// refresh its figures, extra lines and all, are the cached ones.
void TestStatusItemController::exampleAnswersShowEveryLimit()
{
    QFETCH(QString, codexAnswer);
    QFETCH(QString, claudeAnswer);
    QFETCH(QStringList, codexLines);
    QFETCH(QStringList, claudeLines);
    QFETCH(QString, toolTip);
    QFETCH(QStringList, hands);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); // credits are grouped as the user's locale does
    const TemporaryHome home({"CLAUDE_CODE_OAUTH_TOKEN", "TIDEMARKER_CLAUDE_TOKEN_FILE", "CODEX_HOME"});
    home.write(u".codex/auth.json"_s, signedInCodexAuth);
    qputenv("CLAUDE_CODE_OAUTH_TOKEN", "fake-claude-token");
    FakeHttpServer server;
    QVERIFY(server.listen());
    server.respond(codexUsagePath, FakeResponse::json(exampleAnswer(codexAnswer, start)));
    server.respond(claudeUsagePath, FakeResponse::json(exampleAnswer(claudeAnswer, start)));
    qputenv("TIDEMARKER_CLAUDE_USAGE_URL", server.url(QString::fromLatin1(claudeUsagePath)).toEncoded());
    auto *store = new UsageStore({[] { return start; }},
                                 [client = CodexUsageClient(server.url(QString::fromLatin1(codexUsagePath)))](
                                     QDateTime now) { return client.result(now); },
                                 [client = ClaudeUsageClient()](QDateTime now) { return client.result(now); });
    // The reset times are another test's; here each line as it was.
    m_controller = std::make_unique<StatusItemController>(store, settingsFile("reset_times=false\n"), 1h);
    refreshOnce();

    // The settings file's first reading may redraw the menu before the answers are in.
    QTRY_COMPARE(texts(m_controller->menu()), codexLines + QStringList{u"Claude"_s} + claudeLines + commandLines);
    QCOMPARE(store->status().summary(), toolTip);
    QStringList handIds;
    for (const UsageWindow &window : store->status().tightestWindows())
        handIds.append(window.id());
    QCOMPARE(handIds, hands);
    QCoro::waitFor(m_controller->refreshAndRedraw());
    QCOMPARE(texts(m_controller->menu()), codexLines + QStringList{u"Claude (cached)"_s} + claudeLines + commandLines);
    QCOMPARE(server.requests(claudeUsagePath).size(), 1);
}

// Before the first refresh the snapshot holds no results at all.
void TestStatusItemController::missingResultsShowUnavailable()
{
    m_codex.delay = 1h;
    m_claude.delay = 1h;
    makeController();
    m_controller->updateMenu();
    QCOMPARE(texts(m_controller->menu()),
             (QStringList{u"Codex"_s, u"    usage unavailable"_s, u"Claude"_s, u"    usage unavailable"_s}
              + commandLines));
}

// Drawn as a plain menu draws the same text written with "&&" for "&", and just as wide.
void TestStatusItemController::linesShowTheirTextsExactly()
{
    m_codex.result = result(Provider::codex, false, u"error"_s, u"R&D: rate_limit & x__y &"_s, {});
    makeController();
    refreshOnce();
    QMenu *menu = m_controller->menu();
    QMenu plain;
    for (const QAction *item : menu->actions()) {
        const bool errorLine = item == menu->actions().at(1);
        QAction *copy = item->isSeparator() ? plain.addSeparator()
            : plain.addAction(item->icon(), errorLine ? u"    R&&D: rate_limit && x__y &&"_s : item->text());
        copy->setShortcut(item->shortcut());
        copy->setEnabled(item->isEnabled());
    }
    for (QMenu *each : {menu, &plain})
        each->resize(each->sizeHint());
    QCOMPARE(menu->size(), plain.size());
    QCOMPARE(menu->grab().toImage(), plain.grab().toImage());
}

void TestStatusItemController::paceDotColours_data()
{
    QTest::addColumn<double>("pressure");
    QTest::addColumn<QColor>("colour");
    const QColor blue(0, 88, 208);
    const QColor red(196, 30, 22);
    const QColor green(22, 122, 46);
    QTest::newRow("5.01") << 5.01 << blue;
    QTest::newRow("5") << 5.0 << green;
    QTest::newRow("-5") << -5.0 << green;
    QTest::newRow("-5.01") << -5.01 << red;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << green;
}

// Seen through the menu, light as the test's palette is.
void TestStatusItemController::paceDotColours()
{
    QFETCH(double, pressure);
    QFETCH(QColor, colour);
    m_codex.result = live(Provider::codex, {window(Provider::codex, WindowSpeed::fast, 50, pressure)});
    makeController();
    refreshOnce();

    const QAction *line = m_controller->menu()->actions().at(1);
    QCOMPARE(line->icon().availableSizes(), QList<QSize>{QSize(10, 10)});
    QCOMPARE(centreColour(line->icon(), QIcon::Normal), colour.rgb());

    const QImage dot = MenuLineIcons::paceDot(pressure, false);
    QCOMPARE(dot.pixelColor(0, 0).alpha(), 0);  // outside the 8x8 oval at (1, 1)
    QCOMPARE(dot.pixelColor(9, 9).alpha(), 0);
}

void TestStatusItemController::paceColoursStandOut_data()
{
    QTest::addColumn<double>("pressure");
    QTest::addColumn<QColor>("menu");
    for (const auto &[name, pressure] : {std::pair("high", 20.0), std::pair("good", 0.0), std::pair("low", -20.0)}) {
        QTest::addRow("%s on a light menu", name) << pressure << QColor(0xef, 0xf0, 0xf1); // Breeze's
        QTest::addRow("%s on a dark menu", name) << pressure << QColor(0x3c, 0x3c, 0x3c);  // the lightest dark one seen
    }
}

// Each dot as legible as text on the desktop's light and dark menus.
void TestStatusItemController::paceColoursStandOut()
{
    QFETCH(double, pressure);
    QFETCH(QColor, menu);
    const QColor dot = MenuLineIcons::paceColour(pressure, menu.lightness() < 128);
    QVERIFY2(wcagContrast(dot, menu) >= 4.5, qPrintable(dot.name() + u" on "_s + menu.name()));
}

void TestStatusItemController::swatches()
{
    makeController();
    refreshOnce();
    const QAction *codexTitle = itemNamed(m_controller->menu(), u"Codex"_s);
    const QAction *claudeTitle = itemNamed(m_controller->menu(), u"Claude"_s);
    QVERIFY(codexTitle && claudeTitle);
    QCOMPARE(codexTitle->icon().availableSizes(), QList<QSize>{QSize(11, 11)});
    QCOMPARE(centreColour(codexTitle->icon(), QIcon::Normal), qRgb(41, 209, 214));
    QCOMPARE(centreColour(claudeTitle->icon(), QIcon::Normal), qRgb(255, 140, 87));

    const QImage swatch = MenuLineIcons::providerSwatch(Provider::codex);
    QCOMPARE(swatch.pixelColor(0, 5).alpha(), 0);   // left of the 9x9 square at (1, 1)
    QVERIFY(swatch.pixelColor(1, 1).alpha() < 255); // a rounded corner
    QCOMPARE(swatch.pixelColor(9, 5).alpha(), 255);
}

void TestStatusItemController::refreshItemRefreshesAndRebuilds()
{
    makeController();
    refreshOnce();
    m_codex.result = result(Provider::codex, false, u"error"_s, u"offline"_s, {});
    m_codex.delay = 50ms;

    // Clicked twice before the first refresh is done: neither waits for the other.
    QAction *refreshItem = itemNamed(m_controller->menu(), u"Refresh"_s);
    refreshItem->trigger();
    refreshItem->trigger();

    QTRY_COMPARE(m_codex.mostInFlight, 2);
    QTRY_VERIFY(texts(m_controller->menu()).contains(u"Codex (cached)"_s));
    QCOMPARE(m_codex.calls, 3);
}

void TestStatusItemController::loopWaitsForEachRefresh()
{
    m_codex.delay = 60ms;
    makeController(10ms);
    QTRY_VERIFY(m_codex.calls >= 4);
    QCOMPARE(m_codex.mostInFlight, 1);
}

void TestStatusItemController::signInLaunchesTheProviderCommand()
{
    QTemporaryDir bin;
    const QString record = bin.filePath(u"record"_s);
    // Any terminal but xterm, which needs an X display that this test does not have.
    QVERIFY(writeRecorder(bin.filePath(u"alacritty"_s), record));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    const auto restorePath = qScopeGuard([&path] { qputenv("PATH", path); }); // read by the launch
    qunsetenv("TERMINAL");

    m_claude.result = result(Provider::claude, false, u"expired"_s, u"token expired"_s, {}, true);
    makeController();
    refreshOnce();
    itemNamed(m_controller->menu(), signInToClaude)->trigger();

    // Compared until it matches: the script may still be writing when the file appears.
    QTRY_COMPARE(readFile(record), u"-e\nsh\n-c\nclaude auth login; exec \"${SHELL:-sh}\"\n"_s);
}

void TestStatusItemController::destroyedWhileRefreshing()
{
    m_claude.delay = 50ms;
    makeController(1ms);
    refreshOnce();
    m_controller->refresh();
    QTest::qWait(10);
    m_controller.reset();
    QTest::qWait(100);
    QCOMPARE(m_claude.inFlight, 0);
}

QTEST_MAIN(TestStatusItemController)
#include "tst_statusitemcontroller.moc"
