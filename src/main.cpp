#include "RenderHarness.h"
#include "TidemarkerApp.h"

#include <QGuiApplication>

namespace {

// One character per byte, so that the output path reaches the harness with its bytes unchanged.
QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLatin1(argv[i]));
    return arguments;
}

// Qt's own remarks (a missing XDG_RUNTIME_DIR on a headless machine, say) are dropped in both
// modes, so that standard error carries nothing but the program's own lines. A fatal message
// still ends the process: Qt aborts once the handler has returned.
void dropQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

// The sheet is drawn off-screen, so preview mode never needs a display. The application sees
// only the program name: no option on the command line can pick another platform.
int renderPreview(char *programName, const QString &outputPath)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char *argv[] = {programName, nullptr};
    const QGuiApplication application(argc, argv);
    return RenderHarness::runWithEncodedPath(outputPath.toLatin1());
}

} // namespace

int main(int argc, char *argv[])
{
    dropQtMessages();
    if (const std::optional<QString> outputPath = RenderHarness::outputPathFromArguments(argumentList(argc, argv)))
        return renderPreview(argv[0], *outputPath);
    return TidemarkerApp::run(argc, argv);
}
