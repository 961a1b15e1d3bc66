#include "MenuFolding.h"
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
    void foldsSectionsToLeaveTheCommandsRoom_data();
    void foldsSectionsToLeaveTheCommandsRoom();
    void submenusFollowTheirLines();
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

void TestMenuSync::foldsSectionsToLeaveTheCommandsRoom_data()
{
    QTest::addColumn<QList<int>>("sizes"); // each section's lines, title included; negative: a provider's later account
    QTest::addColumn<QStringList>("top"); // the menu's lines before the commands, as keys
    QTest::newRow("fits") << QList<int>{3, -3, 3} << QStringList{u"0/title"_s, u"0/1"_s, u"0/2"_s, u"1/title"_s,
                                                                  u"1/1"_s, u"1/2"_s, u"2/title"_s, u"2/1"_s, u"2/2"_s};
    QTest::newRow("later accounts fold") << QList<int>{4, -4, 4, -4}
                                         << QStringList{u"0/title"_s, u"0/1"_s, u"0/2"_s, u"0/3"_s, u"1/folded"_s,
                                                        u"2/title"_s, u"2/1"_s, u"2/2"_s, u"2/3"_s, u"3/folded"_s};
    QTest::newRow("then every section") << QList<int>{16, 3} << QStringList{u"0/folded"_s, u"1/folded"_s};
}

// Four accounts, or a provider with many limits: the commands stay within 20 lines.
void TestMenuSync::foldsSectionsToLeaveTheCommandsRoom()
{
    QFETCH(QList<int>, sizes);
    QFETCH(QStringList, top);
    QList<MenuSection> sections;
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        MenuSection section;
        section.key = QString::number(i) + u'/';
        section.firstOfProvider = sizes[i] > 0;
        QStringList keys{section.key + u"title"_s};
        for (int line = 1; line < std::abs(sizes[i]); ++line)
            keys.append(section.key + QString::number(line));
        section.lines = linesFor(keys);
        section.foldedTitle = section.key + u" \u2014 Weekly 3% left"_s;
        sections.append(section);
    }
    const QList<MenuLine> lines = MenuFolding::fold(sections, MenuFolding::defaultRoom, 5);
    QStringList keys;
    for (const MenuLine &line : lines)
        keys.append(line.key);
    QCOMPARE(keys, top);
}

// A submenu's lines are synced as the menu's are; a whole re-send makes every action anew.
void TestMenuSync::submenusFollowTheirLines()
{
    QMenu menu;
    MenuSync sync(&menu);
    MenuLine folded = linesFor({u"work/folded"_s}).constFirst();
    folded.submenu = linesFor({u"5h"_s, u"Weekly"_s});
    sync.apply({folded});
    QMenu *submenu = menu.actions().constFirst()->menu();
    QVERIFY(submenu);
    QAction *weekly = actionsByText(*submenu).value(u"Weekly"_s);
    folded.submenu = linesFor({u"5h"_s, u"Weekly"_s, u"Opus"_s});
    sync.apply({folded});
    QCOMPARE(menu.actions().constFirst()->menu(), submenu);
    QCOMPARE(actionsByText(*submenu).value(u"Weekly"_s), weekly);
    QCOMPARE(actionsByText(*submenu).size(), 3);

    QAction *title = menu.actions().constFirst();
    sync.apply({folded}, MenuSync::Resend::whole);
    QVERIFY(menu.actions().constFirst() != title);
    QCOMPARE(menu.actions().size(), 1);
}

QTEST_MAIN(TestMenuSync)
#include "tst_menusync.moc"
