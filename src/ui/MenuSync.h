#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;

// One line of a menu as its owner wants it shown.
struct MenuLine {
    QString key;  // names the line from one update to the next: the same key, the same action
    QString text; // as QAction takes it
    QIcon icon;   // compared by cacheKey(): hand in the same QIcon for the same image
    bool enabled = false;
    QKeySequence shortcut;
    std::function<void()> onTriggered;
    bool separator = false;
    QList<MenuLine> submenu; // the lines of the submenu it opens; none: a line of its own

    static MenuLine separatorLine(const QString &key);
};

// Brings a menu in line with a list of lines and changes nothing else: an action whose text,
// image, state and shortcut are already right is left alone, and actions come and go only
// where a key does. A panel that reads the menu over D-Bus thus keeps its item ids and hears
// only of lines that changed, and a menu open on screen stays open.
class MenuSync : public QObject
{
    Q_OBJECT
public:
    // The menu's actions are this object's from now on: nothing else may add or remove any.
    explicit MenuSync(QMenu *menu, QObject *parent = nullptr);

    // Whole: every action is made anew, as after a section came or went, so that a panel that
    // keeps its own copy of the menu redraws all of it in order.
    enum class Resend { changes, whole };

    void apply(const QList<MenuLine> &lines, Resend resend = Resend::changes);

private:
    struct Shown {
        QAction *action;
        MenuLine line;
        std::shared_ptr<MenuSync> submenu; // keeps the submenu's lines, when the line opens one
    };

    void insert(qsizetype index, const MenuLine &line);
    void remove(qsizetype index);
    void update(Shown &shown, const MenuLine &line);
    void trigger(const QAction *action);
    qsizetype indexOf(const QString &key, qsizetype from = 0) const;

    QMenu *m_menu;
    QList<Shown> m_shown; // in the menu's order
};
