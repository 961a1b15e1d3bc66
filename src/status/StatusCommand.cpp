#include "StatusCommand.h"

#include "BreakdownText.h"
#include "ClaudeRefusalScan.h"
#include "Diagnostics.h"
#include "HistoryConnection.h"
#include "HistoryReader.h"
#include "LineOutput.h"
#include "OutsideText.h"
#include "ProviderInput.h"
#include "SettingsFile.h"
#include "TidemarkerBusClient.h"
#include "Translations.h"
#include "UsageSnapshotJson.h"
#include "UsageStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtConcurrentRun>

#include <QCoroFuture>
#include <QCoroSignal>

#include <cstdio>
#include <variant>

using namespace Qt::StringLiterals;

namespace {

constexpr int failed = 1;
constexpr int usageError = 2;

const char *const notRunningText = QT_TRANSLATE_NOOP("StatusCommand", "Tidemarker not running");
const char *const notAnsweringText = QT_TRANSLATE_NOOP("StatusCommand", "Tidemarker not answering");
const char *const unreadableText = QT_TRANSLATE_NOOP("StatusCommand", "Tidemarker's snapshot could not be read");
const char *const accountRule = QT_TRANSLATE_NOOP(
    "StatusCommand", "--account takes the label of an account, as the menu shows it after the middle dot");

QString said(const char *text)
{
    return QCoreApplication::translate("StatusCommand", text);
}

// A message may carry a bus error's or a file's own text.
void complain(const QString &message)
{
    std::fprintf(stderr, "tidemarker-status: %s\n", OutsideText::terminalLine(message).constData());
}

struct SettingsReading {
    Settings settings;
    QStringList problems;
};

SettingsReading readSettings(const QString &path)
{
    SettingsReading reading;
    reading.settings = Settings::read(path, &reading.problems);
    return reading;
}

// --history with its own formats; it prints once and follows nothing.
std::variant<StatusCommand::Options, int> historyOptions(const QCommandLineParser &parser,
                                                         const QCommandLineOption &format,
                                                         const QCommandLineOption &days)
{
    if (!parser.positionalArguments().isEmpty()) {
        complain(QCoreApplication::translate("StatusCommand", "unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
        return usageError;
    }
    const auto chosen = HistoryExport::formatFromName(parser.isSet(format) ? parser.value(format) : u"csv"_s);
    if (!chosen) {
        complain(QCoreApplication::translate("StatusCommand", "unknown history format \"%1\": use csv or json").arg(parser.value(format)));
        return usageError;
    }
    if (parser.isSet(u"follow"_s) || parser.isSet(u"refresh"_s) || parser.isSet(u"fetch"_s) || parser.isSet(u"account"_s)) {
        complain(QCoreApplication::translate("StatusCommand", "--history prints the record once and takes only --days and --format"));
        return usageError;
    }
    const std::optional<int> period = HistoryReader::daysFromText(parser.value(days));
    if (parser.isSet(days) && !period) {
        complain(QCoreApplication::translate("HistoryReader", HistoryReader::daysRule));
        return usageError;
    }
    StatusCommand::Options options;
    options.history = HistoryExport::Request{*chosen, period};
    return options;
}

// --breakdown prints once, as text or JSON, of every account or of one.
std::variant<StatusCommand::Options, int> breakdownOptions(const QCommandLineParser &parser)
{
    const auto chosen = StatusFormat::formatFromName(parser.value(u"format"_s));
    if (!chosen || chosen == OutputFormat::waybar) {
        complain(QCoreApplication::translate("StatusCommand", "unknown breakdown format \"%1\": use text or json").arg(parser.value(u"format"_s)));
        return usageError;
    }
    for (const QString &other : {u"follow"_s, u"refresh"_s, u"fetch"_s, u"history"_s, u"days"_s}) {
        if (parser.isSet(other)) {
            complain(QCoreApplication::translate("StatusCommand", "--breakdown prints once and takes only --format and --account"));
            return usageError;
        }
    }
    if (parser.isSet(u"account"_s) && parser.value(u"account"_s).isEmpty()) {
        complain(said(accountRule));
        return usageError;
    }
    StatusCommand::Options options;
    options.format = *chosen;
    options.breakdown = true;
    options.account = parser.value(u"account"_s);
    return options;
}

// The breakdown of the account of this label only; nothing when it has none.
std::optional<QJsonObject> breakdownOf(QJsonObject breakdown, const QString &label)
{
    QJsonArray kept;
    for (const QJsonValue &provider : breakdown.value(u"providers"_s).toArray()) {
        if (provider[u"account"_s].toString() == label)
            kept.append(provider);
    }
    if (kept.isEmpty())
        return std::nullopt;
    breakdown.insert(u"providers"_s, kept);
    return breakdown;
}

// The options, or the exit status when the command line was wrong (or only asked for help).
std::variant<StatusCommand::Options, int> parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("StatusCommand", "Prints the rate-limit usage that the running Tidemarker holds, for status bars and scripts.\n"
             "Text is one line: each provider's worst window, its remaining share and its pace."));
    const QCommandLineOption format(u"format"_s,
                                    QCoreApplication::translate("StatusCommand", "text (default), json or waybar; with --history csv (default) or json."),
                                    QCoreApplication::translate("StatusCommand", "format"), u"text"_s);
    const QCommandLineOption follow(u"follow"_s, QCoreApplication::translate("StatusCommand", "Stay running and print a new line on every change."));
    const QCommandLineOption refresh(u"refresh"_s, QCoreApplication::translate("StatusCommand", "Ask Tidemarker to refresh first."));
    const QCommandLineOption fetch(
        u"fetch"_s, QCoreApplication::translate("StatusCommand", "When Tidemarker is not running, ask the accounts of its settings file once directly. "
                         "Claude limits its usage endpoint hard: not more often than every 4 minutes."));
    const QCommandLineOption history(u"history"_s, QCoreApplication::translate("StatusCommand", "Print the recorded usage history instead."));
    const QCommandLineOption days(u"days"_s, QCoreApplication::translate("StatusCommand", "With --history: only the last N days."), QCoreApplication::translate("StatusCommand", "N"));
    const QCommandLineOption account(u"account"_s, QCoreApplication::translate("StatusCommand", "Only the account of this label."), QCoreApplication::translate("StatusCommand", "LABEL"));
    const QCommandLineOption breakdown(
        u"breakdown"_s, QCoreApplication::translate("StatusCommand", "Print where each current window's usage went, by project and model, from the "
                             "assistants' logs (text or json)."));
    parser.addOptions({format, follow, refresh, fetch, history, days, account, breakdown});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(arguments)) {
        complain(parser.errorText());
        return usageError;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (parser.isSet(breakdown) && parser.positionalArguments().isEmpty())
        return breakdownOptions(parser);
    if (parser.isSet(history))
        return historyOptions(parser, format, days);
    if (parser.isSet(days)) {
        complain(QCoreApplication::translate("StatusCommand", "--days goes with --history"));
        return usageError;
    }
    const auto chosen = StatusFormat::formatFromName(parser.value(format));
    if (!chosen) {
        complain(QCoreApplication::translate("StatusCommand", "unknown format \"%1\": use text, json or waybar").arg(parser.value(format)));
        return usageError;
    }
    if (!parser.positionalArguments().isEmpty()) {
        complain(QCoreApplication::translate("StatusCommand", "unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
        return usageError;
    }
    if (parser.isSet(fetch) && parser.isSet(follow)) {
        complain(QCoreApplication::translate("StatusCommand", "--fetch asks once and cannot follow"));
        return usageError;
    }
    if (parser.isSet(account) && parser.value(account).isEmpty()) {
        complain(said(accountRule));
        return usageError;
    }
    return StatusCommand::Options{*chosen, parser.isSet(follow), parser.isSet(refresh), parser.isSet(fetch),
                                  std::nullopt, false, parser.value(account)};
}

} // namespace

int StatusCommand::run(int argc, char **argv)
{
    // Standard error carries the program's own lines only: Qt's remarks (QtDBus may still be
    // reading a message from the bus while a quick run shuts down) are dropped.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &message) {
        sayOwnDiagnostic(context, message);
    });
    QCoreApplication application(argc, argv);
    Translations::install();
    QCoreApplication::setApplicationName(u"tidemarker-status"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(TIDEMARKER_VERSION));
    const auto parsed = parseOptions(QCoreApplication::arguments());
    if (const int *status = std::get_if<int>(&parsed))
        return *status;
    if (const auto &history = std::get<Options>(parsed).history)
        return HistoryExport::run(*history, HistoryConnection::defaultPath());

    TidemarkerBusClient client;
    LineOutput output;
    StatusCommand command(std::get<Options>(parsed), client, output);
    command.runToExit();
    return QCoreApplication::exec();
}

QCoro::Task<void> StatusCommand::runToExit()
{
    int status = 0;
    if (m_options.breakdown)
        status = co_await printBreakdown();
    else if (m_options.follow)
        status = co_await follow();
    else
        status = co_await printOnce();
    // Queued: a run that needs no bus finishes before the event loop has started.
    QMetaObject::invokeMethod(QCoreApplication::instance(), [status] { QCoreApplication::exit(status); },
                              Qt::QueuedConnection);
}

StatusCommand::StatusCommand(const Options &options, TidemarkerBusClient &client, LineOutput &output)
    : m_options(options)
    , m_client(client)
    , m_output(output)
{
}

QCoro::Task<int> StatusCommand::printOnce()
{
    if (m_options.refresh)
        co_await m_client.refresh();
    const auto snapshot = co_await m_client.snapshot();
    if (snapshot)
        co_return print(*snapshot) ? 0 : failed;
    if (m_client.lastErrorIsNotRunning() && m_options.fetch)
        co_return co_await fetchDirectly();
    if (!m_client.hasBus())
        complain(QCoreApplication::translate("StatusCommand", "no session bus to reach Tidemarker on; use --fetch for one direct refresh"));
    else if (m_client.lastErrorIsNotRunning())
        complain(QCoreApplication::translate("StatusCommand", "Tidemarker is not running in this session; start it, or use --fetch for one direct refresh"));
    else
        complain(QCoreApplication::translate("StatusCommand", "Tidemarker did not answer: %1").arg(m_client.lastError()));
    co_return failed;
}

QCoro::Task<int> StatusCommand::follow()
{
    if (!m_client.hasBus()) {
        complain(QCoreApplication::translate("StatusCommand", "no session bus to follow Tidemarker on"));
        co_return failed;
    }
    m_client.watch();
    QObject::connect(&m_client, &TidemarkerBusClient::published, &m_output,
                     [this](const QByteArray &snapshot) { print(snapshot); });
    QObject::connect(&m_client, &TidemarkerBusClient::vanished, &m_output,
                     [this] { printUnavailable(said(notRunningText)); });
    // One that comes back is read at once; should it not answer yet, its first refresh follows.
    QObject::connect(&m_client, &TidemarkerBusClient::appeared, &m_output, [this] { printCurrent(); });

    co_await printCurrent();
    if (m_options.refresh)
        m_client.refresh(); // the new snapshot arrives as a change
    if (!m_output.isClosed())
        co_await qCoro(&m_output, &LineOutput::closed);
    co_return 0;
}

QCoro::Task<void> StatusCommand::printCurrent()
{
    const auto snapshot = co_await m_client.snapshot();
    if (snapshot)
        print(*snapshot);
    else if (m_client.lastErrorIsNotRunning())
        printUnavailable(said(notRunningText));
    else if (m_client.lastErrorIsNoAnswer())
        printUnavailable(said(notAnsweringText));
}

// The accounts the settings file lists, as the program asks them; only the one labelled so when told.
QCoro::Task<int> StatusCommand::fetchDirectly()
{
    const QString path = SettingsFile::defaultPath();
    QFuture<SettingsReading> reading = QtConcurrent::run(&readSettings, path);
    co_await reading;
    const SettingsReading read = reading.result();
    for (const QString &problem : read.problems)
        complain(problem);
    QList<Account> accounts = read.settings.accounts();
    accounts.removeIf([&](const Account &account) {
        return !read.settings.shows(account.provider) || (!m_options.account.isEmpty() && account.label != m_options.account);
    });
    if (accounts.isEmpty() && !m_options.account.isEmpty()) {
        complain(QCoreApplication::translate("StatusCommand", "no account labelled \"%1\" in %2").arg(m_options.account, homeRelative(path)));
        co_return failed;
    }
    UsageStore store(&ClaudeRefusalScan::newest);
    store.setAccounts(accounts);
    co_await store.refresh();
    co_return print(UsageSnapshotJson::toText(store.status())) ? 0 : failed;
}

QCoro::Task<int> StatusCommand::printBreakdown()
{
    const auto answer = co_await m_client.breakdown();
    if (!answer) {
        if (!m_client.hasBus())
            complain(QCoreApplication::translate("StatusCommand", "no session bus to reach Tidemarker on"));
        else if (m_client.lastErrorIsNotRunning())
            complain(QCoreApplication::translate("StatusCommand", "Tidemarker is not running in this session; the breakdown comes from it"));
        else
            complain(m_client.lastError());
        co_return failed;
    }
    QJsonObject breakdown = QJsonDocument::fromJson(*answer).object();
    if (!m_options.account.isEmpty()) {
        const std::optional<QJsonObject> ofAccount = breakdownOf(breakdown, m_options.account);
        if (!ofAccount) {
            complain(QCoreApplication::translate("StatusCommand", "no account labelled \"%1\" in Tidemarker's breakdown").arg(m_options.account));
            co_return failed;
        }
        breakdown = *ofAccount;
    }
    if (m_options.format == OutputFormat::json) {
        const QByteArray json = m_options.account.isEmpty() ? *answer : QJsonDocument(breakdown).toJson(QJsonDocument::Compact);
        co_return m_output.write(json) ? 0 : failed;
    }
    for (const QString &line : BreakdownText::lines(breakdown)) {
        if (!m_output.write(OutsideText::terminalLine(line)))
            co_return failed;
    }
    co_return 0;
}

// A snapshot that cannot be read is said on standard error, or in the line when following.
bool StatusCommand::print(const QByteArray &published)
{
    const auto line = StatusFormat::line(m_options.format, published, QDateTime::currentDateTimeUtc(),
                                         m_options.account);
    if (line && line->isEmpty()) {
        const QString noAccount = QCoreApplication::translate("StatusCommand", "no account labelled \"%1\" in Tidemarker's snapshot").arg(m_options.account);
        if (!m_options.follow) {
            complain(noAccount);
            return false;
        }
        printUnavailable(noAccount);
        return true;
    }
    if (line)
        return m_output.write(*line);
    if (m_options.follow)
        printUnavailable(said(unreadableText));
    else
        complain(said(unreadableText));
    return false;
}

void StatusCommand::printUnavailable(const QString &reason)
{
    m_output.write(StatusFormat::unavailableLine(m_options.format, reason));
}
