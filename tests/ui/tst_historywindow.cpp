#include "HistoryWindow.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestHistoryWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        HistoryWindow window(dir.filePath(QStringLiteral("history.sqlite3")));
        QSignalSpy loaded(&window, &HistoryWindow::loaded);
        window.present();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(loaded.wait());
        QTest::keySequence(&window, keys);
        QVERIFY(!window.isVisible());

        window.present();
        QVERIFY(window.isVisible());
        window.showMinimized();
        window.present();
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
