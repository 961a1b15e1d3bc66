#include "MenuSync.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

MenuLine MenuLine::separatorLine(const QString &key)
{
    MenuLine line;
    line.key = key;
    line.enabled = true; // as Qt makes its separators
    line.separator = true;
    return line;
}

MenuSync::MenuSync(QMenu *menu, QObject *parent)
    : QObject(parent)
    , m_menu(menu)
{
}

void MenuSync::apply(const QList<MenuLine> &lines, Resend resend)
{
    if (resend == Resend::whole) {
        while (!m_shown.isEmpty())
            remove(m_shown.size() - 1);
    }
    const auto wanted = [&lines](const QString &key) {
        return std::any_of(lines.begin(), lines.end(), [&key](const MenuLine &line) { return line.key == key; });
    };
    for (qsizetype i = m_shown.size() - 1; i >= 0; --i) {
        if (!wanted(m_shown.at(i).line.key))
            remove(i);
    }
    // What is left is in the lines' order unless the owner reordered them; an action out of
    // place then goes, and its line comes back as a new one.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const MenuLine &line = lines.at(i);
        while (i < m_shown.size() && m_shown.at(i).line.key != line.key && indexOf(line.key, i + 1) >= 0)
            remove(i);
        const bool opensSubmenu = !line.submenu.isEmpty();
        if (i < m_shown.size() && m_shown.at(i).line.key == line.key && bool(m_shown.at(i).submenu) != opensSubmenu)
            remove(i); // a line turned into a submenu, or back: a new action
        if (i < m_shown.size() && m_shown.at(i).line.key == line.key)
            update(m_shown[i], line);
        else
            insert(i, line);
    }
}

void MenuSync::insert(qsizetype index, const MenuLine &line)
{
    std::shared_ptr<MenuSync> submenu;
    QAction *action = nullptr;
    if (line.submenu.isEmpty()) {
        action = new QAction(line.text, m_menu);
    } else {
        auto *menu = new QMenu(line.text, m_menu);
        menu->setStyle(m_menu->style());
        action = menu->menuAction();
        submenu = std::make_shared<MenuSync>(menu);
        submenu->apply(line.submenu);
    }
    action->setIcon(line.icon);
    action->setEnabled(line.enabled);
    action->setShortcut(line.shortcut);
    action->setSeparator(line.separator);
    connect(action, &QAction::triggered, this, [this, action] { trigger(action); });
    m_menu->insertAction(index < m_shown.size() ? m_shown.at(index).action : nullptr, action);
    m_shown.insert(index, {action, line, std::move(submenu)});
}

void MenuSync::remove(qsizetype index)
{
    const Shown shown = m_shown.takeAt(index);
    if (shown.submenu)
        delete shown.submenu->m_menu; // and its action with it
    else
        delete shown.action;
}

// Each setter tells the menu, and through it the panel, of a change: only what differs is set.
void MenuSync::update(Shown &shown, const MenuLine &line)
{
    QAction *action = shown.action;
    if (action->text() != line.text)
        action->setText(line.text);
    if (action->icon().cacheKey() != line.icon.cacheKey())
        action->setIcon(line.icon);
    if (action->isEnabled() != line.enabled)
        action->setEnabled(line.enabled);
    if (action->shortcut() != line.shortcut)
        action->setShortcut(line.shortcut);
    if (action->isSeparator() != line.separator)
        action->setSeparator(line.separator);
    if (shown.submenu)
        shown.submenu->apply(line.submenu);
    shown.line = line;
}

void MenuSync::trigger(const QAction *action)
{
    const auto shown = std::find_if(m_shown.cbegin(), m_shown.cend(),
                                    [action](const Shown &each) { return each.action == action; });
    // A copy: what it does may update the menu, and this line with it.
    const std::function<void()> onTriggered = shown == m_shown.cend() ? nullptr : shown->line.onTriggered;
    if (onTriggered)
        onTriggered();
}

qsizetype MenuSync::indexOf(const QString &key, qsizetype from) const
{
    for (qsizetype i = from; i < m_shown.size(); ++i) {
        if (m_shown.at(i).line.key == key)
            return i;
    }
    return -1;
}
