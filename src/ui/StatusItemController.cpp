#include "StatusItemController.h"

#include "CLISignIn.h"
#include "ClaudeRefusalScan.h"
#include "GaugeIconRenderer.h"
#include "OutsideText.h"
#include "ProviderDetailLines.h"
#include "SettingsFile.h"
#include "StoredText.h"
#include "UsageStore.h"
#include "WindowLineText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>

#include <QCoroTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString indent = u"    "_s;
const QKeySequence historyKeys(Qt::CTRL | Qt::Key_H);
const QKeySequence refreshKeys(Qt::CTRL | Qt::Key_R);
const QKeySequence quitKeys(Qt::CTRL | Qt::Key_Q);
// The sizes panels ask for, 64 for panels at twice the density.
constexpr int iconSizes[] = {16, 22, 32, 44, 64};

// The system blue, red and green of the macOS menu bar.
QColor paceColor(double pressurePercent)
{
    const QString word = pressureLabel(pressurePercent, Wording::english);
    if (word == u"High")
        return QColor(0, 122, 255);
    if (word == u"Low")
        return QColor(255, 59, 48);
    return QColor(52, 199, 89);
}

// Menu lines are disabled, yet their images keep their colours.
QIcon menuIcon(const QImage &image)
{
    const QPixmap pixmap = QPixmap::fromImage(image);
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Disabled);
    return icon;
}

// A line that only shows something.
MenuLine infoLine(const QString &key, const QString &text, const QIcon &icon = {})
{
    MenuLine line;
    line.key = key;
    line.text = ExactMenuTextStyle::actionText(OutsideText::plainLine(text));
    line.icon = icon;
    return line;
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

QImage filledShape(QSize size, const QColor &color, void (*draw)(QPainter &))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    draw(painter);
    return image;
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
    updateIcon();
    m_statusItem->show();
}

void StatusItemController::updateIcon()
{
    if (!m_statusItem)
        return;
    const UsageStatus &status = m_store->status();
    const Settings &settings = m_settings->settings();
    QList<QImage> images;
    for (int pixels : iconSizes)
        images.append(GaugeIconRenderer::image(status, pixels / GaugeIconRenderer::size, settings.icon, settings.gauge));
    // Qt passes on every icon and tooltip it is given, and panels redraw on each (GNOME shows a
    // placeholder while its menu is open): only a gauge that looks different is handed on.
    if (images != m_iconImages) {
        QIcon icon;
        for (const QImage &image : images)
            icon.addPixmap(QPixmap::fromImage(image));
        m_statusItem->setIcon(icon);
        m_iconImages = images;
    }
    const QString summary = WindowLineText::toolTip(status, QDateTime::currentDateTime(), settings.resetTimes);
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

// As many lines as the screen holds, and no more than a glance takes in.
qsizetype StatusItemController::menuRoom() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return MenuFolding::defaultRoom;
    const int lineHeight = m_menu.fontMetrics().height() + m_menu.style()->pixelMetric(QStyle::PM_MenuVMargin) + 8;
    return std::clamp<qsizetype>(screen->availableGeometry().height() / lineHeight - 1, 8, MenuFolding::defaultRoom);
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
    section.foldedTitle = infoLine({}, title).text;
    return section;
}

void StatusItemController::addAccountSection(const Account &account, QList<MenuLine> &lines)
{
    const Provider provider = account.provider;
    const std::optional<ProviderResult> result = m_store->status().result(account);
    const bool cached = result && result->source == u"cached";
    const QString section = sectionKey(account);
    const auto windowKey = [&](const UsageWindow &window) { return account.first ? window.id() : section + window.id(); };
    const bool withReset = m_settings->settings().resetTimes;
    const QDateTime now = QDateTime::currentDateTime();
    const auto windowInfoLine = [&](const UsageWindow &window) {
        return infoLine(windowKey(window), WindowLineText::menuLine(window, now, withReset),
                        paceDotIcon(window.pressurePercent));
    };
    lines.append(infoLine(section + u"title"_s, account.displayName() + (cached ? tr(" (cached)") : QString()),
                          swatchIcon(provider)));
    if (const auto line = result ? ProviderDetailLines::blocked(*result, now) : std::nullopt)
        lines.append(infoLine(section + line->key, line->text));

    if (result && result->ok && !result->windows.isEmpty()) {
        for (const UsageWindow &window : result->windows)
            lines.append(windowInfoLine(window));
    } else if (!result || !result->ok || !result->spend) { // a usage-based seat has its spend alone

        const bool hasError = result && result->error;
        lines.append(infoLine(section + u"status"_s, indent + (hasError ? StoredText::shown(*result->error) : tr("usage unavailable"))));
    }
    if (!result)
        return;
    if (const auto line = ProviderDetailLines::weeklyByModel(*result))
        lines.append(infoLine(section + line->key, line->text));
    for (const UsageWindow &window : result->extraWindows)
        lines.append(windowInfoLine(window));
    for (const ProviderDetailLines::Line &line : ProviderDetailLines::afterExtraWindows(*result))
        lines.append(infoLine(section + line.key, line.text));

    if (!result->needsAuth)
        return;
    lines.append(commandLine(section + u"sign-in"_s, indent + tr("Sign in to %1…").arg(account.displayName()),
                             {}, [this, account] { signIn(account); }));
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

void StatusItemController::signIn(const Account &account)
{
    CLISignIn::start(account, &m_notifier);
}

void StatusItemController::openSettings()
{
    if (!m_settingsDialog)
        m_settingsDialog = std::make_unique<SettingsDialog>(*m_settings);
    m_settingsDialog->present();
}

QImage StatusItemController::providerSwatch(Provider provider)
{
    return filledShape(QSize(11, 11), GaugeIconRenderer::providerColor(provider), [](QPainter &painter) {
        painter.drawRoundedRect(QRectF(1, 1, 9, 9), 2.5, 2.5);
    });
}

QImage StatusItemController::paceDot(double pressurePercent)
{
    return filledShape(QSize(10, 10), paceColor(pressurePercent), [](QPainter &painter) {
        painter.drawEllipse(QRectF(1, 1, 8, 8));
    });
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

const QIcon &StatusItemController::swatchIcon(Provider provider)
{
    auto icon = m_swatchIcons.find(provider);
    if (icon == m_swatchIcons.end())
        icon = m_swatchIcons.insert(provider, menuIcon(providerSwatch(provider)));
    return *icon;
}

const QIcon &StatusItemController::paceDotIcon(double pressurePercent)
{
    const QRgb colour = paceColor(pressurePercent).rgb();
    auto icon = m_paceDotIcons.find(colour);
    if (icon == m_paceDotIcons.end())
        icon = m_paceDotIcons.insert(colour, menuIcon(paceDot(pressurePercent)));
    return *icon;
}
