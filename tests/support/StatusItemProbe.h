#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

// One entry of a com.canonical.dbusmenu layout, with its children.
struct MenuEntry {
    int id = 0;
    QVariantMap properties;
    QList<MenuEntry> children;

    QString label() const;
    bool isEnabled() const; // dbusmenu's default when the property is left out: enabled
    bool isSeparator() const;
    QList<QStringList> shortcut() const; // as [["Control", "R"]]
    QImage icon() const;                 // decoded icon-data; null when there is none

    // The children's labels, "---" for a separator.
    QStringList childLabels() const;
    // The id of the child of that label; -1 when there is none, so that a click on it fails.
    int childId(const QString &label) const;
};

// Looks at a registered tray item from the outside, over the bus, as a panel does: reads its
// org.kde.StatusNotifierItem properties and drives its com.canonical.dbusmenu menu.
// Every call blocks until the item answers; a missing answer gives an empty value.
class StatusItemProbe
{
public:
    // item: "service/path" as the watcher records it.
    explicit StatusItemProbe(const QString &item,
                             QDBusConnection bus = QDBusConnection::sessionBus());

    QString service() const { return m_service; }
    QString path() const { return m_path; }
    QString status() const;
    QString title() const;
    QString id() const;
    QString toolTipTitle() const;
    QList<QImage> iconPixmaps() const;
    QString menuPath() const;

    std::optional<MenuEntry> menuLayout() const;
    bool aboutToShow(int id = 0) const;
    bool click(int id) const;
    // What a panel sends on a click: "Activate", "ContextMenu" or "SecondaryActivate".
    bool activate(const QString &method) const;

    QString lastError() const { return m_lastError; }

private:
    QVariant itemProperty(const QString &name) const;
    std::optional<QList<QVariant>> call(const QString &path, const QString &interface,
                                        const QString &method, const QList<QVariant> &arguments) const;

    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    mutable QString m_lastError;
};
