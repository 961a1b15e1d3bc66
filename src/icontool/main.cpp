// Draws the application icon with the tray's own gauge renderer, for the hicolor icon theme:
// tidemarker_icontool <folder> <size>... writes <folder>/<size>x<size>/apps/tidemarker.png.
// For the README: --bars PATH draws the one-colour icons on a dark and a light bar,
// --settings-dialog PATH the settings dialog as the program shows it, --history-dark PATH
// the week's chart of the record as --render-history draws it under a dark desktop palette,
// --history-window-dark PATH the History window over that record as a dark desktop shows it, and
// --breakdown-view PATH the "Where it went" view over a few sample logs, and --menu PATH the
// tray menu of three accounts of each provider, folded to fit, with one account's submenu open,
// and --providers PATH the gauge in each provider's colours.
#include "BreakdownView.h"
#include "DesktopColourScheme.h"
#include "GaugeIconRenderer.h"
#include "HistoryConnection.h"
#include "HistoryRender.h"
#include "HistoryWindow.h"
#include "HistoryWriter.h"
#include "RenderHarness.h"
#include "SettingsDialog.h"
#include "SettingsFile.h"
#include "Translations.h"
#include "StatusItemController.h"
#include "UsageStore.h"
#include "UsageBreakdown.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QMenu>
#include <QPainter>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Both providers with both hands, one to either side of pace, so that the icon shows the whole dial.
UsageStatus iconStatus()
{
    return RenderHarness::sample(28, 55, 74, 18);
}

bool writeIcon(const QDir &themeFolder, const UsageStatus &status, int size)
{
    const QString appsFolder = u"%1x%1/apps"_s.arg(size);
    const QImage icon = GaugeIconRenderer::image(status, size / GaugeIconRenderer::size);
    return icon.width() == size && themeFolder.mkpath(appsFolder)
        && icon.save(themeFolder.filePath(appsFolder + u"/tidemarker.png"_s), "PNG");
}

int fail(const QString &message)
{
    std::fputs(qUtf8Printable(u"tidemarker_icontool: "_s + message + u'\n'), stderr);
    return 1;
}

// Each style on the bar it is made for, three situations each, at three times the tray's size.
QImage iconsOnBars()
{
    constexpr qreal scale = 3;
    constexpr int iconSide = int(GaugeIconRenderer::size * scale);
    constexpr int gap = 12;
    const QList<UsageStatus> situations{RenderHarness::sample(28, 55, 74, 18), RenderHarness::sample(92, 80, 12, 40),
                                        RenderHarness::sample(std::nullopt, std::nullopt, 60, 30)};
    const QList<std::pair<IconStyle, QColor>> bars{{IconStyle::light, GaugeIconRenderer::white(0.16, 1)},
                                                   {IconStyle::dark, GaugeIconRenderer::white(0.93, 1)}};
    const int barWidth = int(situations.size()) * (iconSide + gap) + gap;
    const int barHeight = iconSide + 2 * gap;
    QImage picture(barWidth, int(bars.size()) * barHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    for (qsizetype bar = 0; bar < bars.size(); ++bar) {
        const int top = int(bar) * barHeight;
        painter.fillRect(0, top, barWidth, barHeight, bars[bar].second);
        for (qsizetype i = 0; i < situations.size(); ++i)
            painter.drawImage(QPoint(gap + int(i) * (iconSide + gap), top + gap),
                              GaugeIconRenderer::image(situations[i], scale, bars[bar].first));
    }
    return picture;
}

// The gauge in colour with each provider's hands: pairs of providers on a dark bar, named below.
QImage providerGauges()
{
    constexpr qreal scale = 4;
    constexpr int iconSide = int(GaugeIconRenderer::size * scale);
    constexpr int cell = 200;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QList<std::pair<ProviderResult, ProviderResult>> pairs{
        {RenderHarness::sampleResult(Provider::codex, 28, 55, now), RenderHarness::sampleResult(Provider::claude, 74, 18, now)},
        {RenderHarness::sampleResult(Provider::zai, 35, 62, now), RenderHarness::sampleResult(Provider::kimi, 80, 45, now)},
        {RenderHarness::sampleResult(Provider::copilot, std::nullopt, 62, now), RenderHarness::sampleResult(Provider::codex, 20, 40, now)}};
    QImage picture(int(pairs.size()) * cell, iconSide + 60, QImage::Format_RGB32);
    picture.fill(GaugeIconRenderer::white(0.16, 1));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const UsageStatus status{now, {pairs[i].first, pairs[i].second}};
        const int left = int(i) * cell;
        painter.drawImage(QPoint(left + (cell - iconSide) / 2, 12), GaugeIconRenderer::image(status, scale));
        painter.drawText(QRect(left, iconSide + 18, cell, 36), Qt::AlignCenter,
                         displayName(pairs[i].first.provider) + u" and "_s + displayName(pairs[i].second.provider));
    }
    return picture;
}

QImage settingsDialog()
{
    SettingsFile defaults{QString()};
    SettingsDialog dialog(defaults);
    dialog.present();
    return dialog.grab().toImage();
}

// A dark desktop's palette: light text on near-black.
QPalette darkPalette()
{
    const QColor text(0xe8, 0xe8, 0xe8);
    const QColor button(0x3a, 0x3a, 0x3a);
    return QPalette(text, button, button.lighter(), button.darker(), button, text, Qt::white, QColor(0x1e, 0x1e, 0x1e),
                    QColor(0x2b, 0x2b, 0x2b));
}

// A morning's requests, one a line, by project and model: "project model requests".
void writeSampleLogs(const QDir &folder, Provider provider)
{
    const QList<std::tuple<QString, QString, int>> use = provider == Provider::claude
        ? QList<std::tuple<QString, QString, int>>{{u"tidemarker"_s, u"claude-sonnet-4-5"_s, 40}, {u"tidemarker"_s, u"claude-opus-4-5"_s, 12},
                                                   {u"infra"_s, u"claude-sonnet-4-5"_s, 22}, {u"website"_s, u"claude-haiku-4-5"_s, 30},
                                                   {u"notes"_s, u"claude-sonnet-4-5"_s, 3}}
        : QList<std::tuple<QString, QString, int>>{{u"tidemarker"_s, u"gpt-5.2-codex"_s, 25}, {u"infra"_s, u"gpt-5.1-codex-mini"_s, 30}};
    QMap<QString, QByteArray> sessions; // a Claude session is one project's
    int serial = 0;
    for (const auto &[project, model, requests] : use) {
        const QString cwd = u"/home/me/src/"_s + project;
        QByteArray &lines = sessions[provider == Provider::claude ? project : u"session"_s];
        if (provider == Provider::codex)
            lines += u"{\"type\":\"turn_context\",\"timestamp\":\"%1\",\"payload\":{\"cwd\":\"%2\",\"model\":\"%3\"}}\n"_s
                         .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate), cwd, model).toUtf8();
        for (int request = 0; request < requests; ++request, ++serial) {
            const QString time = QDateTime::currentDateTimeUtc().addSecs(-60 * serial).toString(Qt::ISODate);
            lines += provider == Provider::claude
                ? u"{\"timestamp\":\"%1\",\"cwd\":\"%2\",\"message\":{\"id\":\"m%4\",\"model\":\"%3\",\"usage\":"
                  "{\"input_tokens\":20,\"output_tokens\":900,\"cache_creation_input_tokens\":3000,"
                  "\"cache_read_input_tokens\":40000}}}\n"_s.arg(time, cwd, model, QString::number(serial)).toUtf8()
                : u"{\"timestamp\":\"%1\",\"type\":\"event_msg\",\"payload\":{\"type\":\"token_count\",\"info\":"
                  "{\"last_token_usage\":{\"input_tokens\":30000,\"cached_input_tokens\":24000,"
                  "\"output_tokens\":700}}}}\n"_s.arg(time).toUtf8();
        }
    }
    folder.mkpath(u"s"_s);
    for (const auto &[session, lines] : sessions.asKeyValueRange()) {
        QFile file(folder.filePath(u"s/"_s + session + u".jsonl"_s));
        if (file.open(QIODevice::WriteOnly))
            file.write(lines);
    }
}

QImage breakdownView()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(u"history.sqlite3"_s);
    HistoryWriter(database).open();
    QList<LogFolder> folders;
    QList<BreakdownWindow> windows;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (Provider provider : {Provider::codex, Provider::claude}) {
        folders.append({provider, dir.filePath(rawValue(provider)), {}});
        writeSampleLogs(QDir(folders.last().path), provider);
        windows.append({provider, {}, rawValue(provider) + u"_fast"_s, u"5h"_s, now.addSecs(-2 * 3600), now.addSecs(3 * 3600),
                        provider == Provider::codex ? 62 : 38});
    }
    UsageBreakdown breakdown(database, folders);
    QEventLoop loop;
    QObject::connect(&breakdown, &UsageBreakdown::scanned, &loop, &QEventLoop::quit);
    breakdown.start();
    loop.exec();
    BreakdownView view(breakdown, [windows] { return windows; });
    QObject::connect(&view, &BreakdownView::loaded, &loop, &QEventLoop::quit);
    view.resize(720, 230);
    view.show();
    loop.exec();
    return view.grab().toImage();
}

// In the palette the program takes when the desktop prefers dark.
QImage historyWindowDark()
{
    QApplication::setPalette(DesktopColourScheme::darkPalette());
    HistoryWindow window(HistoryConnection::defaultPath());
    QEventLoop loop;
    QObject::connect(&window, &HistoryWindow::loaded, &loop, &QEventLoop::quit);
    window.resize(900, 620);
    window.present();
    loop.exec();
    return window.grab().toImage();
}

// Each account's figures differ a little from the one before, so that the folded titles differ.
QCoro::Task<ProviderResult> sampleAnswer(Account account, QDateTime now)
{
    static QMap<QString, int> order; // as the accounts are first asked
    if (!order.contains(account.key()))
        order.insert(account.key(), int(order.size()));
    const int nth = order.value(account.key()) % 3;
    const UsageStatus sample = RenderHarness::sample(28 + 9 * nth, 55 + 6 * nth, 74 - 20 * nth, 18 + 15 * nth);
    for (ProviderResult result : sample.results) {
        if (result.provider == account.provider) {
            result.fetchedAt = now;
            co_return result;
        }
    }
    co_return ProviderResult{};
}

// The open menu and its first submenu beside it, on the window colour, as a panel shows them.
QImage menuPicture()
{
    QTemporaryDir home;
    const QString settingsPath = home.filePath(u"tidemarker.conf"_s);
    QFile settings(settingsPath);
    if (!settings.open(QIODevice::WriteOnly))
        return {};
    settings.write(u"codex_accounts=personal=%1/.codex, team=%1/.codex-team, ci=%1/.codex-ci\n"
                   "claude_accounts=personal=%1/.claude, work=%1/.claude-work, oss=%1/.claude-oss\n"_s.arg(home.path()).toUtf8());
    settings.close();
    auto *store = new UsageStore({[] { return QDateTime::currentDateTime(); }}, &sampleAnswer);
    StatusItemController controller(store, settingsPath, std::chrono::hours(1));
    QEventLoop loop;
    QObject::connect(store, &UsageStore::refreshed, &loop, &QEventLoop::quit);
    loop.exec();
    QMenu *menu = controller.menu();
    menu->popup(QPoint(0, 0));
    QMenu *submenu = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->menu() && !submenu)
            submenu = action->menu();
    }
    const QImage main = menu->grab().toImage();
    QImage side;
    if (submenu) {
        submenu->popup(QPoint(main.width(), 0));
        side = submenu->grab().toImage();
    }
    QImage picture(main.width() + side.width(), std::max(main.height(), side.height()), QImage::Format_RGB32);
    picture.fill(menu->palette().color(QPalette::Window));
    QPainter painter(&picture);
    painter.drawImage(0, 0, main);
    painter.drawImage(main.width(), 0, side);
    return picture;
}

int writePicture(const QImage &picture, const QString &path)
{
    return picture.save(path, "PNG") ? 0 : fail(u"cannot write "_s + path);
}

} // namespace

int main(int argc, char *argv[])
{
    const QApplication application(argc, argv);
    Translations::install(); // pictures of the program in the user's language
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3)
        return fail(u"usage: tidemarker_icontool <folder> <size>... | --bars PATH | --settings-dialog PATH | --history-dark PATH | --breakdown-view PATH | --history-window-dark PATH | --menu PATH | --providers PATH"_s);
    if (arguments.at(1) == u"--bars")
        return writePicture(iconsOnBars(), arguments.at(2));
    if (arguments.at(1) == u"--history-dark") {
        QApplication::setPalette(darkPalette());
        return HistoryRender::run({arguments.at(2).toLocal8Bit()}, HistoryConnection::defaultPath());
    }
    if (arguments.at(1) == u"--settings-dialog")
        return writePicture(settingsDialog(), arguments.at(2));
    if (arguments.at(1) == u"--breakdown-view")
        return writePicture(breakdownView(), arguments.at(2));
    if (arguments.at(1) == u"--history-window-dark")
        return writePicture(historyWindowDark(), arguments.at(2));
    if (arguments.at(1) == u"--menu")
        return writePicture(menuPicture(), arguments.at(2));
    if (arguments.at(1) == u"--providers")
        return writePicture(providerGauges(), arguments.at(2));

    const QDir themeFolder(arguments.at(1));
    const UsageStatus status = iconStatus();
    for (const QString &argument : arguments.mid(2)) {
        bool isNumber = false;
        const int size = argument.toInt(&isNumber);
        if (!isNumber || size <= 0 || !writeIcon(themeFolder, status, size))
            return fail(u"cannot write the icon of "_s + argument + u" pixels in "_s + themeFolder.path());
    }
    return 0;
}
