#include "HistoryWindow.h"
#include "HistoryWriter.h"

#include <QApplication>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestHistoryWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A limit's name from an answer, shown in the hover text of the History window: text, never
    // an image that Qt would load (a FIFO would freeze the program, /dev/zero exhaust its memory).
    void hoveredNameOpensNoFile()
    {
        QTemporaryDir folder;
        const QString probe = folder.filePath(u"probe"_s);
        QCOMPARE(mkfifo(QFile::encodeName(probe).constData(), 0600), 0);
        // Whoever opens the FIFO to read lets this open return.
        std::atomic<bool> opened = false, done = false;
        std::thread watcher([&] {
            const int fd = open(QFile::encodeName(probe).constData(), O_WRONLY);
            opened = !done;
            close(fd);
        });

        const QString database = folder.filePath(u"history.sqlite"_s);
        const QString name = u"<img src=\"file://%1\">"_s.arg(probe);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        {
            HistoryWriter writer(database);
            writer.open();
            writer.write({{now.addSecs(-7200), Provider::claude, u"claude_scoped_img"_s, name, 50, now.addSecs(3600), 18000},
                          {now.addSecs(-3600), Provider::claude, u"claude_scoped_img"_s, name, 60, now.addSecs(3600), 18000}});
        }
        HistoryWindow window(database);
        QSignalSpy loaded(&window, &HistoryWindow::loaded);
        window.present();
        QTRY_VERIFY(!loaded.isEmpty());

        QString shown;
        for (int y = 0; y < window.height() && shown.isEmpty(); y += 2) {
            for (int x = 0; x < window.width() && shown.isEmpty(); x += 2) {
                QHelpEvent hover(QEvent::ToolTip, QPoint(x, y), window.mapToGlobal(QPoint(x, y)));
                QApplication::sendEvent(&window, &hover);
                if (QToolTip::isVisible())
                    shown = QToolTip::text();
            }
        }
        QTest::qWait(200);
        done = true;
        close(open(QFile::encodeName(probe).constData(), O_RDONLY | O_NONBLOCK));
        watcher.join();
        QVERIFY(!opened);
        QVERIFY2(shown.contains(u"&lt;img"_s), qPrintable(shown));
    }

    void closesByKey_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Escape") << QKeySequence(Qt::Key_Escape);
        QTest::newRow("Ctrl+W") << QKeySequence(QKeySequence::Close);
    }

    // Closed by a key, "History…" shows it again; minimised, "History…" brings it back.
    void closesByKey()
    {
        QFETCH(QKeySequence, keys);
        QTemporaryDir dir;
        HistoryWindow window(dir.filePath(u"history.sqlite3"_s));
        QSignalSpy loaded(&window, &HistoryWindow::loaded);
        window.present();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_VERIFY(!loaded.isEmpty()); // it may come while the window is being activated
        QTest::keySequence(&window, keys);
        QVERIFY(!window.isVisible());

        window.present();
        QVERIFY(window.isVisible());
        window.showMinimized();
        window.present();
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }

    // Resized by the desktop while its first chart is drawn, as tiling desktops do on opening:
    // the chart is drawn again at the size the window has.
    void drawnAgainAtTheSizeGiven()
    {
        QTemporaryDir dir;
        HistoryWindow window(dir.filePath(u"history.sqlite3"_s));
        QSignalSpy loaded(&window, &HistoryWindow::loaded);
        window.present();
        window.resize(1200, 800);
        QTRY_COMPARE(loaded.size(), 2);
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
