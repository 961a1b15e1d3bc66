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

// Qt's remarks (a missing XDG_RUNTIME_DIR on a headless machine, say) are dropped, so that
// standard error carries the program's own lines; its errors are said in one line each. A fatal
// one ends the program with a plain failure, not the abort and core dump Qt would follow it with.
void sayOnlyQtErrors()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type != QtCriticalMsg && type != QtFatalMsg)
            return;
        std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(message.simplified()));
        if (type != QtFatalMsg)
            return;
        if (message.contains(u"platform plugin"))
            std::fputs("tidemarker: no display could be opened; start tidemarker in a desktop session "
                       "(DISPLAY or WAYLAND_DISPLAY set), or use 'tidemarker --render PATH', which "
                       "needs none\n",
                       stderr);
        std::_Exit(EXIT_FAILURE);
    });
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
    if (const auto history = HistoryRender::requestFromArguments(argumentList(argc, argv)))
        return renderHistory(qtArgc, qtArgv, *history);
    if (const std::optional<QString> outputPath = RenderHarness::outputPathFromArguments(argumentList(argc, argv)))
        return renderPreview(qtArgc, qtArgv, *outputPath);
    return TidemarkerApp::run(qtArgc, qtArgv);
}
