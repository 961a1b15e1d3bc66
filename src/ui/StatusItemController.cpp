#include "StatusItemController.h"

#include "CLISignIn.h"
#include "GaugeIconRenderer.h"
#include "SettingsFile.h"
#include "UsageStore.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QTimer>

#include <QCoroTimer>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString indent = u"    "_s;
const QKeySequence refreshKeys(Qt::CTRL | Qt::Key_R);
const QKeySequence quitKeys(Qt::CTRL | Qt::Key_Q);
// The sizes panels ask for, 64 for panels at twice the density.
constexpr int iconSizes[] = {16, 22, 32, 44, 64};

QString remainingText(double percent)
{
    // Halves away from zero, as std::round does. Only what fits a qint64 converts to one; the
    // comparison is false for infinities and NaN as well.
    const double rounded = std::round(percent);
    return std::abs(rounded) < 0x1p63 ? QString::number(qint64(rounded)) : u"?"_s;
}

QString windowLine(const UsageWindow &window)
{
    return indent + label(window.speed) + u": "_s + remainingText(window.remainingPercent)
        + u"% left, "_s + window.pressureDisplay() + u' ' + window.pressureLabel().toLower();
}

// The system blue, red and green of the macOS menu bar.
QColor paceColor(double pressurePercent)
{
    const QString word = pressureLabel(pressurePercent);
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
    : StatusItemController(new UsageStore, SettingsFile::defaultPath(), std::nullopt, parent)
{
}

StatusItemController::StatusItemController(UsageStore *store,
                                           std::chrono::milliseconds refreshPeriod,
                                           QObject *parent)
    : StatusItemController(store, QString(), refreshPeriod, parent)
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
    m_menu.setStyle(&m_menuStyle);
    // Qt matches no shortcut of an action in a menu that no window holds: the open menu does.
    new QShortcut(refreshKeys, &m_menu, this, &StatusItemController::refresh);
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
    QIcon icon;
    for (int pixels : iconSizes)
        icon.addPixmap(QPixmap::fromImage(
            GaugeIconRenderer::image(status, pixels / GaugeIconRenderer::size, m_settings->settings().icon)));
    m_statusItem->setIcon(icon);
    m_statusItem->setToolTip(status.summary());
}

void StatusItemController::updateMenu()
{
    m_menu.clear();
    for (Provider provider : m_settings->settings().providers)
        addProviderSection(provider, &m_menu);
    m_menu.addSeparator();

    QAction *settingsItem = m_menu.addAction(u"Settings\u2026"_s);
    connect(settingsItem, &QAction::triggered, this, &StatusItemController::openSettings);

    QAction *refreshItem = m_menu.addAction(u"Refresh"_s);
    refreshItem->setShortcut(refreshKeys);
    connect(refreshItem, &QAction::triggered, this, &StatusItemController::refresh);

    QAction *quitItem = m_menu.addAction(u"Quit"_s);
    quitItem->setShortcut(quitKeys);
    connect(quitItem, &QAction::triggered, this, &StatusItemController::quit);
}

void StatusItemController::addProviderSection(Provider provider, QMenu *menu)
{
    const std::optional<ProviderResult> result = m_store->status().result(provider);
    const bool cached = result && result->source == u"cached";
    addLine(menu, displayName(provider) + (cached ? u" (cached)"_s : QString()),
            swatchIcon(provider));

    if (result && result->ok && !result->windows.isEmpty()) {
        for (const UsageWindow &window : result->windows)
            addLine(menu, windowLine(window), paceDotIcon(window.pressurePercent));
    } else {
        const bool hasError = result && result->error;
        addLine(menu, indent + (hasError ? *result->error : u"usage unavailable"_s));
    }

    if (!result || !result->needsAuth)
        return;
    QAction *signInItem = menu->addAction(indent + u"Sign in to "_s + displayName(provider)
                                          + u"\u2026"_s);
    signInItem->setData(QVariant::fromValue(provider));
    connect(signInItem, &QAction::triggered, this, [this, signInItem] { signIn(signInItem); });
}

void StatusItemController::startRefreshLoop()
{
    refreshLoop();
}

void StatusItemController::refresh()
{
    refreshAndRedraw();
}

void StatusItemController::quit()
{
    QCoreApplication::quit();
}

void StatusItemController::signIn(QAction *item)
{
    if (!item)
        return;
    const QVariant provider = item->data();
    if (provider.metaType() == QMetaType::fromType<Provider>())
        CLISignIn::start(provider.value<Provider>(), &m_notifier);
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
    // Wayland places no popup that has no parent window: it becomes a window of its own, which
    // tiling compositors float, rather than fill the screen with, when its size is fixed.
    if (QGuiApplication::platformName() == u"wayland")
        m_menu.setFixedSize(m_menu.sizeHint());
    m_menu.popup(QCursor::pos());
}

std::chrono::milliseconds StatusItemController::refreshPeriod() const
{
    return m_fixedRefreshPeriod.value_or(std::chrono::seconds(m_settings->settings().refreshSeconds));
}

void StatusItemController::applySettings(const Settings &previous)
{
    const Settings &settings = m_settings->settings();
    if (settings.refreshSeconds != previous.refreshSeconds && m_sleep)
        m_sleep->start(refreshPeriod());
    m_store->setProviders(settings.providers);
    // A provider shown again is asked at once.
    if (std::ranges::any_of(settings.providers, [&previous](Provider provider) { return !previous.shows(provider); }))
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

void StatusItemController::addLine(QMenu *menu, const QString &text, const QIcon &icon)
{
    QAction *line = menu->addAction(ExactMenuTextStyle::actionText(text));
    line->setIcon(icon);
    line->setEnabled(false);
}
