// The floors the tray program's start-up is measured against; bench_trayapp runs them beside it.
//
//   bench_tray_floor          Qt's own tray icon with the same gauge and a menu of the same lines
//   bench_tray_floor --work   the same, plus the work the program cannot skip: it claims a bus
//                             name; makes both usage requests with a QNetworkAccessManager that
//                             can speak HTTPS (TIDEMARKER_E2E_CODEX_URL, TIDEMARKER_CLAUDE_USAGE_URL);
//                             reads $CODEX_HOME/auth.json in a QtConcurrent task; keeps a SQLite
//                             file in WAL mode on a thread of its own and writes each round's row
//                             there; and says on the bus that its figures changed. Its lines come
//                             once the first round is done, as the program's come after its first
//                             refresh; the round is done again every minute, as the program refreshes

#include "GaugeIconRenderer.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <chrono>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QIcon dot(const QColor &colour, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(1, 1, side - 2, side - 2));
    painter.end();
    return QIcon(QPixmap::fromImage(image));
}

void addLine(QMenu &menu, const QString &text, const QIcon &icon = {})
{
    menu.addAction(icon, text)->setEnabled(false);
}

void fillMenu(QMenu &menu)
{
    const QIcon high = dot(QColor(0, 122, 255), 10);
    const QIcon low = dot(QColor(255, 59, 48), 10);
    addLine(menu, u"Codex"_s, dot(QColor(41, 209, 214), 11));
    addLine(menu, u"    5h: 60% left, +10% high"_s, high);
    addLine(menu, u"    Weekly: 37% left, -13% low"_s, low);
    addLine(menu, u"Claude"_s, dot(QColor(255, 140, 87), 11));
    addLine(menu, u"    5h: 80% left, +30% high"_s, high);
    addLine(menu, u"    Weekly: 20% left, -30% low"_s, low);
    menu.addSeparator();
    menu.addAction(u"Refresh"_s)->setShortcut(Qt::CTRL | Qt::Key_R);
    menu.addAction(u"Quit"_s, &QApplication::quit)->setShortcut(Qt::CTRL | Qt::Key_Q);
}

QIcon gauge()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    ProviderResult codex;
    codex.ok = true;
    codex.windows = {UsageWindow::make(Provider::codex, WindowSpeed::fast, 40, now.addSecs(9000), 18000, now)};
    const UsageStatus status{now, {codex}};
    QIcon icon;
    for (int pixels : {16, 22, 32, 44, 64})
        icon.addPixmap(QPixmap::fromImage(GaugeIconRenderer::image(status, pixels / GaugeIconRenderer::size)));
    return icon;
}

// The history's file, opened and written on a thread of its own as the program's is.
class Recorder : public QObject
{
public:
    Recorder()
    {
        m_thread.start();
        moveToThread(&m_thread);
        QMetaObject::invokeMethod(this, [this] { open(); });
    }
    void record(const QByteArray &answer)
    {
        QMetaObject::invokeMethod(this, [this, answer] {
            QSqlQuery insert(QSqlDatabase::database(u"floor"_s));
            insert.prepare(u"INSERT INTO samples (at, answer) VALUES (?, ?)"_s);
            insert.addBindValue(QDateTime::currentSecsSinceEpoch());
            insert.addBindValue(answer);
            insert.exec();
        });
    }

private:
    void open()
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"floor"_s);
        file.setDatabaseName(QDir::home().filePath(u"floor.sqlite"_s));
        file.open();
        QSqlQuery(u"PRAGMA journal_mode=WAL"_s, file);
        QSqlQuery(u"CREATE TABLE IF NOT EXISTS samples (at INTEGER, answer BLOB)"_s, file);
    }

    QThread m_thread;
};

// One round of the work: both requests and the file read, then the row written, the bus told
// and done() called once all have finished.
void work(QObject &owner, QNetworkAccessManager &network, Recorder &recorder, const std::function<void()> &done)
{
    auto answers = std::make_shared<QByteArray>();
    const auto finishOne = [done, answers, &recorder, pending = std::make_shared<int>(3)] {
        if (--*pending > 0)
            return;
        recorder.record(*answers);
        QDBusConnection::sessionBus().send(
            QDBusMessage::createSignal(u"/org/tidemarker/Floor"_s, u"org.tidemarker.Floor"_s, u"Changed"_s));
        done();
    };
    QNetworkRequest claude(QUrl(qEnvironmentVariable("TIDEMARKER_CLAUDE_USAGE_URL")));
    claude.setRawHeader("Authorization", "Bearer " + qgetenv("CLAUDE_CODE_OAUTH_TOKEN"));
    for (const QNetworkRequest &request : {QNetworkRequest(QUrl(qEnvironmentVariable("TIDEMARKER_E2E_CODEX_URL"))), claude}) {
        QNetworkReply *reply = network.get(request);
        QObject::connect(reply, &QNetworkReply::finished, &owner, [reply, answers, finishOne] {
            answers->append(reply->readAll());
            reply->deleteLater();
            finishOne();
        });
    }
    auto *read = new QFutureWatcher<QByteArray>(&owner);
    QObject::connect(read, &QFutureWatcher<QByteArray>::finished, &owner, [read, finishOne] {
        read->deleteLater();
        finishOne();
    });
    read->setFuture(QtConcurrent::run([] {
        QFile auth(qEnvironmentVariable("CODEX_HOME") + u"/auth.json"_s);
        return auth.open(QIODevice::ReadOnly) ? auth.readAll() : QByteArray();
    }));
}

// Fills the menu once the first round of work is done, and works again every minute.
void startWork(QMenu &menu)
{
    QDBusConnection::sessionBus().interface()->registerService(u"org.tidemarker.Floor"_s);
    auto *network = new QNetworkAccessManager(&menu);
    auto *recorder = new Recorder; // lives until the process ends, as the program's writer does
    work(menu, *network, *recorder, [&menu] { fillMenu(menu); });
    auto *again = new QTimer(&menu);
    QObject::connect(again, &QTimer::timeout, &menu, [&menu, network, recorder] { work(menu, *network, *recorder, [] {}); });
    again->start(std::chrono::minutes(1));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QMenu menu;
    if (application.arguments().contains(u"--work"_s))
        startWork(menu);
    else
        fillMenu(menu);
    QSystemTrayIcon tray(gauge());
    tray.setContextMenu(&menu);
    tray.setToolTip(u"Claude Weekly -30% low"_s);
    tray.show();
    return application.exec();
}
