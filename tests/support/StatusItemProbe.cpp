#include "StatusItemProbe.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

const QString itemInterface = u"org.kde.StatusNotifierItem"_s;
const QString menuInterface = u"com.canonical.dbusmenu"_s;

// The icon pixmaps of the item protocol: a(iiay), ARGB32 in network byte order.
QList<QImage> readPixmaps(const QDBusArgument &argument)
{
    QList<QImage> images;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
        if (width <= 0 || height <= 0 || bytes.size() != qsizetype(width) * height * 4)
            continue;
        QImage image(width, height, QImage::Format_ARGB32);
        const auto *pixels = reinterpret_cast<const quint32 *>(bytes.constData());
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] = qFromBigEndian(pixels[y * width + x]);
        }
        images.append(image);
    }
    argument.endArray();
    return images;
}

// (ia{sv}av): the children are variants that hold the same structure again.
MenuEntry readMenuEntry(const QDBusArgument &argument)
{
    MenuEntry entry;
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        entry.children.append(readMenuEntry(child.variant().value<QDBusArgument>()));
    }
    argument.endArray();
    argument.endStructure();
    return entry;
}

} // namespace

// A window's line ends with its reset, which follows the clock and the locale the program runs
// under; what comes before it is what the tests compare.
QString MenuEntry::label() const
{
    return properties.value(u"label"_s).toString().section(u" \u00B7 resets "_s, 0, 0);
}

bool MenuEntry::isEnabled() const
{
    return properties.value(u"enabled"_s, true).toBool();
}

QStringList MenuEntry::childLabels() const
{
    QStringList labels;
    for (const MenuEntry &child : children)
        labels.append(child.isSeparator() ? QStringLiteral("---") : child.label());
    return labels;
}

int MenuEntry::childId(const QString &label) const
{
    for (const MenuEntry &child : children) {
        if (child.label() == label)
            return child.id;
    }
    return -1;
}

bool MenuEntry::isSeparator() const
{
    return properties.value(u"type"_s).toString() == u"separator";
}

QList<QStringList> MenuEntry::shortcut() const
{
    QList<QStringList> chords;
    const QVariant value = properties.value(u"shortcut"_s);
    if (!value.canConvert<QDBusArgument>())
        return chords;
    const auto argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QStringList keys;
        argument >> keys;
        chords.append(keys);
    }
    argument.endArray();
    return chords;
}

QImage MenuEntry::icon() const
{
    return QImage::fromData(properties.value(u"icon-data"_s).toByteArray());
}

StatusItemProbe::StatusItemProbe(const QString &item, QDBusConnection bus)
    : m_bus(std::move(bus))
{
    const qsizetype slash = item.indexOf(u'/');
    m_service = item.left(slash);
    m_path = slash < 0 ? u"/StatusNotifierItem"_s : item.mid(slash);
}

QString StatusItemProbe::status() const
{
    return itemProperty(u"Status"_s).toString();
}

QString StatusItemProbe::title() const
{
    return itemProperty(u"Title"_s).toString();
}

QString StatusItemProbe::id() const
{
    return itemProperty(u"Id"_s).toString();
}

// ToolTip is (sa(iiay)ss): icon name, icon pixmaps, title, description.
QString StatusItemProbe::toolTipTitle() const
{
    const QVariant value = itemProperty(u"ToolTip"_s);
    if (!value.canConvert<QDBusArgument>())
        return {};
    const auto argument = value.value<QDBusArgument>();
    QString iconName;
    QString title;
    QString description;
    argument.beginStructure();
    argument >> iconName;
    readPixmaps(argument);
    argument >> title >> description;
    argument.endStructure();
    return title;
}

QList<QImage> StatusItemProbe::iconPixmaps() const
{
    const QVariant value = itemProperty(u"IconPixmap"_s);
    if (!value.canConvert<QDBusArgument>())
        return {};
    return readPixmaps(value.value<QDBusArgument>());
}

QString StatusItemProbe::menuPath() const
{
    return itemProperty(u"Menu"_s).value<QDBusObjectPath>().path();
}

std::optional<MenuEntry> StatusItemProbe::menuLayout() const
{
    // From the root, all levels, every property.
    const auto reply = call(menuPath(), menuInterface, u"GetLayout"_s,
                            {0, -1, QStringList()});
    if (!reply || reply->size() != 2)
        return std::nullopt;
    return readMenuEntry(reply->at(1).value<QDBusArgument>());
}

bool StatusItemProbe::aboutToShow(int id) const
{
    return call(menuPath(), menuInterface, u"AboutToShow"_s, {id}).has_value();
}

bool StatusItemProbe::click(int id) const
{
    const QVariant noData = QVariant::fromValue(QDBusVariant(QString()));
    return call(menuPath(), menuInterface, u"Event"_s,
                {id, u"clicked"_s, noData, 0u}).has_value();
}

bool StatusItemProbe::activate(const QString &method) const
{
    return call(m_path, itemInterface, method, {0, 0}).has_value();
}

QVariant StatusItemProbe::itemProperty(const QString &name) const
{
    const auto reply = call(m_path, u"org.freedesktop.DBus.Properties"_s, u"Get"_s,
                            {itemInterface, name});
    if (!reply || reply->isEmpty())
        return {};
    return reply->first().value<QDBusVariant>().variant();
}

std::optional<QList<QVariant>> StatusItemProbe::call(const QString &path, const QString &interface,
                                                     const QString &method,
                                                     const QList<QVariant> &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_lastError = reply.errorMessage();
        return std::nullopt;
    }
    return reply.arguments();
}
