#include "Diagnostics.h"
#include "HistoryConnection.h"
#include "HistoryRender.h"
#include "RenderHarness.h"
#include "TidemarkerApp.h"

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

const char *const helpText = R"(Usage: tidemarker [--render [PATH] | --render-history PATH [--days N] | --help | --version]

Shows in the system tray how much of each Claude and Codex rate-limit window is
left against an even pace: a gauge icon, a tooltip, a menu and desktop alerts.

  --render [PATH]  draw a sheet of sample gauges to PATH (by default
                   tidemarker-preview.png) and exit; needs no display
  --render-history PATH [--days N]
                   draw the chart of the last N days (7 unless told) of the
                   usage history to PATH and exit; needs no display
  --help           print this help and exit
  --version        print the version and exit

Any other argument is ignored. Settings are read from
$XDG_CONFIG_HOME/tidemarker/tidemarker.conf (by default
~/.config/tidemarker/tidemarker.conf); the menu's "Settings…" edits them.
See tidemarker(1).
)";

const char *const noDisplayText
    = "tidemarker: no display could be opened; start tidemarker in a desktop session (DISPLAY or "
      "WAYLAND_DISPLAY set), or use 'tidemarker --render PATH', which needs none\n";

[[noreturn]] void failForWantOfDisplay()
{
    std::fputs(noDisplayText, stderr);
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
        std::fputs(helpText, stdout);
        return 0;
    }
    if (arguments.contains(u"--version"_s)) {
        std::puts("tidemarker " TIDEMARKER_VERSION);
        return 0;
    }
    if (!mayHaveDisplay())
        failForWantOfDisplay();
    return TidemarkerApp::run(qtArgc, qtArgv);
}
