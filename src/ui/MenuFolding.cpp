#include "MenuFolding.h"

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace MenuFolding {

namespace {

enum class Fold { none, laterAccounts, all };

bool folds(const MenuSection &section, Fold fold)
{
    return fold == Fold::all || (fold == Fold::laterAccounts && !section.firstOfProvider);
}

qsizetype height(const QList<MenuSection> &sections, Fold fold)
{
    return std::accumulate(sections.begin(), sections.end(), qsizetype(0), [fold](qsizetype sum, const MenuSection &section) {
        return sum + (folds(section, fold) ? 1 : section.lines.size());
    });
}

MenuLine folded(const MenuSection &section)
{
    MenuLine line = section.lines.constFirst();
    line.key = section.key + u"folded"_s;
    line.text = section.foldedTitle;
    line.enabled = true; // a submenu opens only from a line that can be chosen
    line.submenu = section.lines.mid(1);
    if (line.submenu.isEmpty()) // nothing below the title: still a submenu, saying so
        line.submenu.append(section.lines.constFirst());
    return line;
}

} // namespace

QList<MenuLine> fold(const QList<MenuSection> &sections, qsizetype room, qsizetype commandLines)
{
    Fold fold = Fold::none;
    while (fold != Fold::all && height(sections, fold) + commandLines > room)
        fold = Fold(int(fold) + 1);
    QList<MenuLine> lines;
    for (const MenuSection &section : sections) {
        if (folds(section, fold))
            lines.append(folded(section));
        else
            lines.append(section.lines);
    }
    return lines;
}

QStringList layoutOf(const QList<MenuLine> &lines)
{
    QStringList layout;
    for (const MenuLine &line : lines) {
        if (line.key.endsWith(u"title"_s) || !line.submenu.isEmpty())
            layout.append(line.key);
    }
    return layout;
}

} // namespace MenuFolding
