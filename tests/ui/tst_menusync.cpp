#include "MenuSync.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One line a key, showing its key.
QList<MenuLine> linesFor(const QStringList &keys, const std::function<void(const QString &)> &onTriggered = {})
{
    QList<MenuLine> lines;
    for (const QString &key : keys) {
        MenuLine line;
        line.key = key;
        line.text = key;
        line.enabled = true;
        if (onTriggered)
            line.onTriggered = [onTriggered, key] { onTriggered(key); };
        lines.append(line);
    }
    return lines;
}

QHash<QString, QAction *> actionsByText(const QMenu &menu)
{
    QHash<QString, QAction *> actions;
    for (QAction *action : menu.actions())
        actions.insert(action->text(), action);
    return actions;
}

} // namespace

class TestMenuSync : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keepsTheActionsOfLinesThatStay_data();
    void keepsTheActionsOfLinesThatStay();
    void triggersWhatTheLineSaysNow();
};

void TestMenuSync::keepsTheActionsOfLinesThatStay_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("kept"); // the lines whose action is the one they had before
    QTest::newRow("the same") << QStringList{u"a"_s, u"b"_s} << QStringList{u"a"_s, u"b"_s}
                              << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("a line comes") << QStringList{u"a"_s, u"c"_s} << QStringList{u"a"_s, u"b"_s, u"c"_s}
                                  << QStringList{u"a"_s, u"c"_s};
    QTest::newRow("lines go") << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s} << QStringList{u"b"_s, u"d"_s}
                              << QStringList{u"b"_s, u"d"_s};
    QTest::newRow("all new") << QStringList{u"a"_s, u"b"_s} << QStringList{u"c"_s, u"d"_s} << QStringList();
    QTest::newRow("moved to the front") << QStringList{u"a"_s, u"b"_s, u"c"_s}
                                        << QStringList{u"c"_s, u"a"_s, u"b"_s} << QStringList{u"c"_s};
}

void TestMenuSync::keepsTheActionsOfLinesThatStay()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(QStringList, kept);
    QMenu menu;
    MenuSync sync(&menu);
    sync.apply(linesFor(before));
    const QHash<QString, QAction *> old = actionsByText(menu);

    sync.apply(linesFor(after));
    QStringList texts;
    QStringList same;
    for (const QAction *action : menu.actions()) {
        texts.append(action->text());
        if (old.value(action->text()) == action)
            same.append(action->text());
    }
    QCOMPARE(texts, after);
    QCOMPARE(same, kept);
}

// A kept action does what its line says today, not what it said when it was made.
void TestMenuSync::triggersWhatTheLineSaysNow()
{
    QMenu menu;
    MenuSync sync(&menu);
    QStringList triggered;
    sync.apply(linesFor({u"a"_s}, [&triggered](const QString &key) { triggered.append(u"old "_s + key); }));
    QAction *action = menu.actions().constFirst();
    sync.apply(linesFor({u"a"_s}, [&triggered](const QString &key) { triggered.append(u"new "_s + key); }));
    QCOMPARE(menu.actions().constFirst(), action);
    action->trigger();
    QCOMPARE(triggered, QStringList{u"new a"_s});
}

QTEST_MAIN(TestMenuSync)
#include "tst_menusync.moc"
