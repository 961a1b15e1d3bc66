// The floor for reading the snapshot on this stack: a QtDBus client that reads the one property
// and prints it, nothing more. bench_status runs it beside tidemarker-status.

#include "StatusBusNames.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QDBusMessage get = QDBusMessage::createMethodCall(StatusBusNames::service, StatusBusNames::path,
                                                      u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << StatusBusNames::interface << StatusBusNames::snapshotProperty;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
    const QString snapshot = reply.arguments().value(0).value<QDBusVariant>().variant().toString();
    std::puts(qUtf8Printable(snapshot));
    return reply.type() == QDBusMessage::ReplyMessage ? 0 : 1;
}
