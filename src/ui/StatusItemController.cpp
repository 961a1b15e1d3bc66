#include "StatusItemController.h"

#include "CLISignIn.h"
#include "ClaudeRefusalScan.h"
#include "TrayGauge.h"
#include "OutsideText.h"
#include "ProviderDetailLines.h"
#include "SettingsFile.h"
#include "StoredText.h"
#include "UsageStore.h"
#include "WindowIcon.h"
#include "WindowLineText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QtMath>

#include <QCoroTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString indent = u"    "_s;
const QKeySequence historyKeys(Qt::CTRL | Qt::Key_H);
const QKeySequence refreshKeys(Qt::CTRL | Qt::Key_R);
const QKeySequence quitKeys(Qt::CTRL | Qt::Key_Q);
QString infoText(const QString &text)
{
    return ExactMenuTextStyle::actionText(OutsideText::plainLine(text));
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

// The first account's lines keep their keys as accounts come and go.
QString sectionKey(const Account &account)
{
    return rawValue(account.provider) + (account.first ? QString() : u':' + account.label) + u'/';
}

MenuLine commandLine(const QString &key, const QString &text, const QKeySequence &keys,
                     std::function<void()> onTriggered)
{
    MenuLine line;
    line.key = key;
    line.text = text;
    line.enabled = true;
    line.shortcut = keys;
    line.onTriggered = std::move(onTriggered);
    return line;
}

// Qt's own XEmbed icon shows its tooltip as a QToolTip, which takes text that looks like markup
// for markup; a StatusNotifierItem's tooltip title is text to the panels.
QString trayToolTip(const QString &summary)
{
    const auto isXEmbedIcon = [](const QWidget *window) {
        return qstrcmp(window->metaObject()->className(), "QSystemTrayIconSys") == 0;
    };
    const bool readAsMarkup = std::ranges::any_of(QApplication::topLevelWidgets(), isXEmbedIcon);
    return readAsMarkup ? OutsideText::qtRichText(summary) : OutsideText::plainText(summary);
}

} // namespace

StatusItemController::StatusItemController(QObject *parent)
    : StatusItemController(new UsageStore(&ClaudeRefusalScan::newest), SettingsFile::defaultPath(), std::nullopt,
                           parent)
{
}

StatusItemController::StatusItemController(UsageStore *store,
                                           std::chrono::milliseconds refreshPeriod,
                                           QObject *parent)
    : StatusItemController(store, QString(), refreshPeriod, parent)
{
}

StatusItemController::StatusItemController(UsageStore *store, const QString &settingsPath,
                                           std::chrono::milliseconds refreshPeriod)
    : StatusItemController(store, settingsPath, refreshPeriod, nullptr)
{
}

StatusItemController::StatusItemController(UsageStore *store, const QString &settingsPath,
                                           std::optional<std::chrono::milliseconds> fixedRefreshPeriod,
                                           QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(new SettingsFile(settingsPath, this))
    , m_fixedRefreshPeriod(fixedRefreshPeriod)
{
    m_store->setParent(this);
    // Each account's figures show as soon as it has answered.
    connect(m_store, &UsageStore::statusChanged, this, [this] {
        updateMenu();
        updateIcon();
    });
    m_menu.setStyle(&m_menuStyle);
    m_menu.installEventFilter(this); // the pace dots follow the menu's palette
    // Qt matches no shortcut of an action in a menu that no window holds: the open menu does.
    new QShortcut(historyKeys, &m_menu, this, [this] {
        m_menu.hide();
        Q_EMIT historyRequested();
    });
    new QShortcut(refreshKeys, &m_menu, this, &StatusItemController::refreshFromMenu);
    new QShortcut(quitKeys, &m_menu, this, &StatusItemController::quit);
    startUp();
}

void StatusItemController::showStatusItem()
{
    if (m_statusItem)
        return;
    m_statusItem = std::make_unique<QSystemTrayIcon>();
    m_statusItem->setContextMenu(&m_menu);
    connect(m_statusItem.get(), &QSystemTrayIcon::activated, this, &StatusItemController::openMenu);
    m_gauge = std::make_unique<TrayGauge>(*m_statusItem);
    const Settings &settings = m_settings->settings();
    m_gauge->drawNow(m_store->status().ofProviders(settings.gaugeShows()), settings.icon, settings.gauge);
    updateToolTip();
    m_statusItem->show();
}

void StatusItemController::updateIcon()
{
    if (!m_statusItem)
        return;
    const Settings &settings = m_settings->settings();
    m_gauge->draw(m_store->status().ofProviders(settings.gaugeShows()), settings.icon, settings.gauge);
    updateToolTip();
}

void StatusItemController::updateToolTip()
{
    const QString summary = WindowLineText::toolTip(m_store->status(), QDateTime::currentDateTime(),
                                                    m_settings->settings().resetTimes);
    if (const QString toolTip = trayToolTip(summary); toolTip != m_statusItem->toolTip())
        m_statusItem->setToolTip(toolTip);
}

void StatusItemController::updateMenu()
{
    QList<MenuSection> sections;
    const Settings &settings = m_settings->settings();
    for (const Account &account : settings.accounts()) {
        if (settings.shows(account.provider))
            sections.append(accountSection(account));
    }
    QList<MenuLine> commands;
    commands.append(MenuLine::separatorLine(u"separator"_s));
    commands.append(commandLine(u"history"_s, tr("History…"), historyKeys, [this] { Q_EMIT historyRequested(); }));
    commands.append(commandLine(u"settings"_s, tr("Settings…"), {}, [this] { openSettings(); }));
    commands.append(commandLine(u"refresh"_s, tr("Refresh"), refreshKeys, [this] { refreshFromMenu(); }));
    commands.append(commandLine(u"quit"_s, tr("Quit"), quitKeys, [this] { quit(); }));
    QList<MenuLine> lines = MenuFolding::fold(sections, menuRoom(), commands.size()) + commands;
    // A section come or gone, or folded: some panels draw such a change out of order.
    const QStringList layout = MenuFolding::layoutOf(lines);
    m_menuSync.apply(lines, layout == m_menuLayout ? MenuSync::Resend::changes : MenuSync::Resend::whole);
    m_menuLayout = layout;
    if (m_menu.isVisible())
        fixMenuSizeOnWayland();
}

bool StatusItemController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_menu && event->type() == QEvent::PaletteChange && !m_menu.actions().isEmpty())
        updateMenu();
    return QObject::eventFilter(watched, event);
}

// As many lines as the screen holds, and no more than a glance takes in. The font is measured
// only on a screen that lines twice its size would fill: the first measuring loads the font
// database, 10 to 16 ms just when the panel first reads the icon.
qsizetype StatusItemController::menuRoom() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return MenuFolding::defaultRoom;
    const int height = screen->availableGeometry().height();
    const int margins = m_menu.style()->pixelMetric(QStyle::PM_MenuVMargin) + 8;
    const auto linesHeld = [height, margins](int textHeight) { return qsizetype(height / (textHeight + margins)) - 1; };
    const QFont font = m_menu.font();
    const qreal em = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * screen->logicalDotsPerInchY() / 72;
    if (em > 0 && linesHeld(qCeil(2 * em)) >= MenuFolding::defaultRoom)
        return MenuFolding::defaultRoom;
    return std::clamp<qsizetype>(linesHeld(m_menu.fontMetrics().height()), 8, MenuFolding::defaultRoom);
}

MenuSection StatusItemController::accountSection(const Account &account)
{
    MenuSection section;
    section.key = sectionKey(account);
    section.firstOfProvider = account.first;
    addAccountSection(account, section.lines);
    QString title = account.displayName();
    if (const std::optional<ProviderResult> result = m_store->status().result(account)) {
        UsageStatus alone;
        alone.results = {*result};
        const QDateTime now = QDateTime::currentDateTime();
        if (result->blocked && result->blocked->holdsAt(now))
            title += tr(" — blocked") + result->blocked->untilText(now);
        else if (const std::optional<UsageWindow> worst = alone.worst())
            title += u" — "_s + WindowLineText::briefLine(*worst);
    }
    section.foldedTitle = infoText(title);
    return section;
}

void StatusItemController::addAccountSection(const Account &account, QList<MenuLine> &lines)
{
    const std::optional<ProviderResult> result = m_store->status().result(account);
    const bool cached = result && result->source == u"cached";
    const QString section = sectionKey(account);
    const bool withReset = m_settings->settings().resetTimes;
    const QDateTime now = QDateTime::currentDateTime();
    const bool darkMenu = isDark(m_menu.palette());
    const auto accountLine = [&](const QString &key, const QString &text) {
        return infoLine(section + key, text, m_icons.blankIcon(), {account.provider, account.key(), {}, account.displayName()});
    };
    const auto windowLine = [&](const UsageWindow &window) {
        return infoLine(account.first ? window.id() : section + window.id(), WindowLineText::menuLine(window, now, withReset),
                        m_icons.paceDotIcon(window.pressurePercent, darkMenu),
                        {account.provider, account.key(), window.id(), account.displayName() + u' ' + window.displayLabel()});
    };
    MenuLine title = accountLine(u"title"_s, account.displayName() + (cached ? tr(" (cached)") : QString()));
    title.icon = m_icons.swatchIcon(account.provider);
    lines.append(title);
    if (const auto line = result ? ProviderDetailLines::blocked(*result, now) : std::nullopt)
        lines.append(accountLine(line->key, line->text));

    if (result && result->ok && !result->windows.isEmpty()) {
        for (const UsageWindow &window : result->windows)
            lines.append(windowLine(window));
    } else if (!result || !result->ok || !result->spend) { // a usage-based seat has its spend alone

        const bool hasError = result && result->error;
        lines.append(accountLine(u"status"_s, indent + (hasError ? StoredText::shown(*result->error) : tr("usage unavailable"))));
    }
    if (!result)
        return;
    if (const auto line = ProviderDetailLines::weeklyByModel(*result))
        lines.append(accountLine(line->key, line->text));
    for (const UsageWindow &window : result->extraWindows)
        lines.append(windowLine(window));
    for (const ProviderDetailLines::Line &line : ProviderDetailLines::afterExtraWindows(*result))
        lines.append(accountLine(line.key, line.text));

    if (!result->needsAuth)
        return;
    MenuLine signInLine = commandLine(section + u"sign-in"_s, indent + tr("Sign in to %1…").arg(account.displayName()),
                                      {}, [this, account] { signIn(account); });
    signInLine.icon = m_icons.blankIcon();
    lines.append(signInLine);
}

// A line that shows figures: black on every panel, as only enabled lines are, and harmless to
// choose: it opens the History window on what it shows.
MenuLine StatusItemController::infoLine(const QString &key, const QString &text, const QIcon &icon,
                                        const HistoryFocus &focus)
{
    MenuLine line;
    line.key = key;
    line.text = infoText(text);
    line.icon = icon;
    line.enabled = true;
    line.onTriggered = [this, focus] { Q_EMIT historyRequested(focus); };
    return line;
}

void StatusItemController::startRefreshLoop()
{
    refreshLoop();
}

void StatusItemController::refresh()
{
    refreshAndRedraw();
}

// The user asked for it: the banked resets are asked too, however recently they were.
void StatusItemController::refreshFromMenu()
{
    m_store->askResetCreditsAgain();
    refresh();
}

void StatusItemController::quit()
{
    QCoreApplication::quit();
}

// A key is given in the settings; other sign-ins are their tools' own.
void StatusItemController::signIn(const Account &account)
{
    if (ProviderTraits::of(account.provider).signInCommand.isEmpty())
        openSettings();
    else
        CLISignIn::start(account, &m_notifier);
}

void StatusItemController::openSettings()
{
    if (!m_settingsDialog) {
        WindowIcon::installOnce();
        m_settingsDialog = std::make_unique<SettingsDialog>(*m_settings);
    }
    m_settingsDialog->present();
}

// A click, or a panel that draws no menu of its own (swaybar) asking for it. An XEmbed tray has
// already opened it on a right click.
void StatusItemController::openMenu(QSystemTrayIcon::ActivationReason reason)
{
    if ((reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::Context) || m_menu.isVisible())
        return;
    fixMenuSizeOnWayland();
    m_menu.popup(QCursor::pos());
}

// Wayland places no popup that has no parent window: it becomes a window of its own, which
// tiling compositors float, rather than fill the screen with, when its size is fixed. An open
// menu whose lines change gets its new size here, as Qt gives one elsewhere.
void StatusItemController::fixMenuSizeOnWayland()
{
    if (QGuiApplication::platformName() == u"wayland")
        m_menu.setFixedSize(m_menu.sizeHint());
}

std::chrono::milliseconds StatusItemController::refreshPeriod() const
{
    return m_fixedRefreshPeriod.value_or(std::chrono::seconds(m_settings->settings().refreshSeconds));
}

void StatusItemController::refreshAfterSleep()
{
    if (m_sleep)
        m_sleep->start(0);
}

void StatusItemController::applySettings(const Settings &previous)
{
    const Settings &settings = m_settings->settings();
    if (settings.refreshSeconds != previous.refreshSeconds && m_sleep)
        m_sleep->start(refreshPeriod());
    m_store->setAccounts(settings.accounts());
    m_store->setProviders(settings.providers);
    // A provider shown again, or an account added, is asked at once; one relabelled or moved is not.
    const QList<Account> previousAccounts = previous.accounts();
    if (std::ranges::any_of(settings.accounts(), [&](const Account &account) {
            return settings.shows(account.provider)
                && (!previous.shows(account.provider)
                    || std::ranges::find(previousAccounts, account.id(), &Account::id) == previousAccounts.end());
        }))
        refresh();
    updateMenu();
    updateIcon();
}

// No provider is asked before the settings say which are shown.
QCoro::Task<void> StatusItemController::startUp()
{
    QPointer<StatusItemController> self(this);
    co_await m_settings->load();
    if (!self)
        co_return;
    m_store->setAccounts(m_settings->settings().accounts());
    m_store->setProviders(m_settings->settings().providers);
    connect(m_settings, &SettingsFile::changed, this, &StatusItemController::applySettings);
    co_await refreshAndRedraw();
    if (self)
        startRefreshLoop();
}

// Each sleep starts only once the previous refresh and redraw are done.
QCoro::Task<void> StatusItemController::refreshLoop()
{
    QPointer<StatusItemController> self(this);
    while (self) {
        // Qt's default coarse timer may fire up to 5% off the period.
        QTimer sleep;
        sleep.setTimerType(Qt::PreciseTimer);
        sleep.setSingleShot(true);
        sleep.start(refreshPeriod());
        m_sleep = &sleep; // a new period restarts it
        co_await sleep;
        if (!self)
            co_return;
        co_await refreshAndRedraw();
    }
}

QCoro::Task<void> StatusItemController::refreshAndRedraw()
{
    QPointer<StatusItemController> self(this);
    co_await m_store->refresh();
    if (!self)
        co_return;
    updateMenu();
    updateIcon();
}
