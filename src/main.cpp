#include "Diagnostics.h"
#include "HistoryConnection.h"
#include "HistoryRender.h"
#include "RenderHarness.h"
#include "TidemarkerApp.h"
#include "Translations.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// One character per byte, so that the output path reaches the harness with its bytes unchanged.
QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLatin1(argv[i]));
    return arguments;
}

// The lines as they are laid out, the options' descriptions in the user's language.
const char *const helpText = QT_TRANSLATE_NOOP(
    "main",
    "Usage: tidemarker [--render [PATH] | --render-history PATH [--days N] | --help | --version]\n"
    "\n"
    "Shows in the system tray how much of each Claude and Codex rate-limit window is\n"
    "left against an even pace: a gauge icon, a tooltip, a menu and desktop alerts.\n"
    "\n"
    "  --render [PATH]  draw a sheet of sample gauges to PATH (by default\n"
    "                   tidemarker-preview.png) and exit; needs no display\n"
    "  --render-history PATH [--days N]\n"
    "                   draw the chart of the last N days (7 unless told) of the\n"
    "                   usage history to PATH and exit; needs no display\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "Any other argument is ignored. Settings are read from\n"
    "$XDG_CONFIG_HOME/tidemarker/tidemarker.conf (by default\n"
    "~/.config/tidemarker/tidemarker.conf); the menu's \"Settings…\" edits them.\n"
    "See tidemarker(1).\n");

const char *const noDisplayText = QT_TRANSLATE_NOOP(
    "main", "no display could be opened; start tidemarker in a desktop session (DISPLAY or WAYLAND_DISPLAY set), or "
            "use 'tidemarker --render PATH', which needs none");

[[noreturn]] void failForWantOfDisplay()
{
    std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(QCoreApplication::translate("main", noDisplayText)));
    std::_Exit(EXIT_FAILURE);
}

// Qt's remarks (a missing XDG_RUNTIME_DIR on a headless machine, say) are dropped, so that
// standard error carries the program's own lines; its errors are said in one line each. A fatal
// one ends the program with a plain failure, not the abort and core dump Qt would follow it with.
// The program's own diagnostics pass, once QT_LOGGING_RULES has switched them on.
void sayOnlyQtErrors()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (sayOwnDiagnostic(context, message) || (type != QtCriticalMsg && type != QtFatalMsg))
            return;
        if (type == QtFatalMsg && message.contains(u"platform plugin"))
            failForWantOfDisplay(); // Qt's advice to reinstall does not apply
        std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(message.simplified()));
        if (type == QtFatalMsg)
            std::_Exit(EXIT_FAILURE);
    });
}

// Without a display Qt's platform plugins are not even tried: some of them, and the libraries
// they load, write to standard error on their own.
bool mayHaveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The sheet is drawn off-screen, so preview mode never needs a display.
int renderPreview(int &argc, char **argv, const QString &outputPath)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication application(argc, argv);
    return RenderHarness::runWithEncodedPath(outputPath.toLatin1());
}

// The chart of the record, drawn off-screen like the sheet.
int renderHistory(int &argc, char **argv, const std::variant<HistoryRender::Request, QString> &request)
{
    if (const QString *wrong = std::get_if<QString>(&request)) {
        std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(*wrong));
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication application(argc, argv);
    Translations::install(); // the chart's labels
    return HistoryRender::run(std::get<HistoryRender::Request>(request), HistoryConnection::defaultPath());
}

} // namespace

int main(int argc, char *argv[])
{
    sayOnlyQtErrors();
    // Qt sees only the program name in both modes: no argument picks a platform or a style.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    const QStringList arguments = argumentList(argc, argv);
    if (const auto history = HistoryRender::requestFromArguments(arguments))
        return renderHistory(qtArgc, qtArgv, *history);
    if (const std::optional<QString> outputPath = RenderHarness::outputPathFromArguments(arguments))
        return renderPreview(qtArgc, qtArgv, *outputPath);
    if (arguments.contains(u"--help"_s)) {
        const QCoreApplication application(qtArgc, qtArgv);
        Translations::install();
        std::fputs(qUtf8Printable(QCoreApplication::translate("main", helpText)), stdout);
        return 0;
    }
    if (arguments.contains(u"--version"_s)) {
        std::puts("tidemarker " TIDEMARKER_VERSION);
        return 0;
    }
    if (!mayHaveDisplay()) {
        const QCoreApplication application(qtArgc, qtArgv);
        Translations::install();
        failForWantOfDisplay();
    }
    return TidemarkerApp::run(qtArgc, qtArgv);
}
