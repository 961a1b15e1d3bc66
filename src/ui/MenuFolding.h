#pragma once

#include "MenuSync.h"

#include <QList>
#include <QString>

// One account's part of the menu: its title line first, then its own lines.
struct MenuSection {
    QString key;         // the section's lines' common key prefix
    bool firstOfProvider = true;
    QList<MenuLine> lines;
    QString foldedTitle; // the title when the section is folded: "Claude · work — Weekly 3% left"
};

// Keeps a menu within the lines a screen shows: where the sections would take more than the
// room, each account's section beyond its provider's first becomes a submenu under its title,
// and if that is not enough, every section does. The commands after the sections stay.
namespace MenuFolding {

constexpr qsizetype defaultRoom = 20; // lines, commands included

// The sections' lines, folded as far as they must be to leave the commands their room.
QList<MenuLine> fold(const QList<MenuSection> &sections, qsizetype room, qsizetype commandLines);

// What a change of the menu's structure is told by: the sections and which are folded.
QStringList layoutOf(const QList<MenuLine> &lines);

} // namespace MenuFolding
