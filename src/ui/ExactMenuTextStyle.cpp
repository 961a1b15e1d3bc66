#include "ExactMenuTextStyle.h"

#include <QApplication>
#include <QStyleOptionMenuItem>

using namespace Qt::StringLiterals;

namespace {

// Exported as "_" and a zero-width space: a mnemonic on nothing visible, spent on the one "&"
// that the export converts.
const QString spentMnemonic = u"&\u200B"_s;

// Qt's menu text, with "&&" for "&", of what a panel shows for an action's text.
QString qtMenuLabel(const QString &actionText)
{
    QString text = actionText;
    if (text.startsWith(spentMnemonic))
        text.remove(0, spentMnemonic.size());
    return text.replace(u"__"_s, u"_"_s).replace(u'&', u"&&"_s);
}

// The option's text is the action's, then a tab and the shortcut when there is one.
QStyleOptionMenuItem shownAsPanelsShow(const QStyleOptionMenuItem &item)
{
    QStyleOptionMenuItem shown = item;
    const qsizetype tab = item.text.indexOf(u'\t');
    shown.text = qtMenuLabel(item.text.left(tab)) + (tab < 0 ? QString() : item.text.mid(tab));
    return shown;
}

int labelWidth(const QStyleOptionMenuItem &item)
{
    return item.fontMetrics.boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic,
                                         item.text.section(u'\t', 0, 0)).width();
}

} // namespace

ExactMenuTextStyle::ExactMenuTextStyle()
    : QProxyStyle(QApplication::style()->name())
{
}

QString ExactMenuTextStyle::actionText(const QString &text)
{
    QString exported = text;
    exported.replace(u'_', u"__"_s);
    return text.contains(u'&') ? spentMnemonic + exported : exported;
}

void ExactMenuTextStyle::drawControl(ControlElement element, const QStyleOption *option,
                                     QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element != CE_MenuItem || !item) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QStyleOptionMenuItem shown = shownAsPanelsShow(*item);
    QProxyStyle::drawControl(element, &shown, painter, widget);
}

// Qt's menu measures the action's own text; the line is as wide as the text drawn instead.
QSize ExactMenuTextStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                           const QSize &contentsSize, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type != CT_MenuItem || !item)
        return QProxyStyle::sizeFromContents(type, option, contentsSize, widget);
    const QStyleOptionMenuItem shown = shownAsPanelsShow(*item);
    QSize size = contentsSize;
    size.rwidth() += labelWidth(shown) - labelWidth(*item);
    return QProxyStyle::sizeFromContents(type, &shown, size, widget);
}
