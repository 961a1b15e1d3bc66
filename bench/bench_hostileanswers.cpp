// Peak resident memory taken by one request against answers that are far too large, served from
// this process over loopback. build/bench/bench_hostileanswers [megabytes]
#include "FakeHttpServer.h"
#include "UsageRequest.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// A field of /proc/self/status, in KiB.
qint64 statusKiB(const QByteArray &field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Starts a new peak at the current resident size.
void resetPeak()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 bytes = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 100) * 1'000'000;

    FakeHttpServer server;
    if (!server.listen())
        return 1;
    FakeResponse withLength;
    withLength.streamedBytes = bytes;
    FakeResponse chunked = withLength;
    chunked.framing = FakeResponse::Framing::chunked;
    FakeResponse untilClose = withLength;
    untilClose.framing = FakeResponse::Framing::untilClose;
    FakeResponse lying = withLength;
    lying.announcedLength = 1000;
    FakeResponse deflated = FakeResponse::json(qCompress(QByteArray(bytes, ' ')).sliced(4));
    deflated.headers.append({QByteArray("Content-Encoding"), QByteArray("deflate")});
    const QList<QPair<const char *, FakeResponse>> cases = {
        {"Content-Length", withLength}, {"chunked", chunked}, {"until close", untilClose},
        {"Content-Length: 1000", lying}, {"deflate", deflated}};

    std::printf("%.0f MB answers; resident set growth of the whole process (server included)\n", bytes / 1e6);
    for (const auto &[name, response] : cases) {
        server.respond("/big", response);
        const qint64 before = statusKiB("VmRSS");
        resetPeak();
        const HttpOutcome outcome = QCoro::waitFor(UsageRequest::get(server.url(u"/big"_s), {}));
        const QString result = std::holds_alternative<PlainError>(outcome)
            ? std::get<PlainError>(outcome).description
            : u"answer of %1 bytes"_s.arg(std::get<HttpReply>(outcome).body.size());
        std::printf("  %-22s peak +%6.1f MiB  (%s)\n", name, (statusKiB("VmHWM") - before) / 1024.0,
                    qPrintable(result));
    }
    return 0;
}
