#pragma once

#include <QProxyStyle>

// Lets menu lines show their texts exactly, both where Qt draws the menu and where a panel
// draws it from Qt's com.canonical.dbusmenu export. Qt's menu takes "&" as a mnemonic mark; the
// export turns the first "&" into "_" and passes "_" on as it is, and dbusmenu takes "_" as a
// mnemonic mark and "__" as an underscore. No one text suits both, so an action carries the
// form the export needs (actionText) and this style, set on the menu, draws that form as a
// panel shows it.
class ExactMenuTextStyle : public QProxyStyle
{
public:
    // Draws as the application style does otherwise.
    ExactMenuTextStyle();

    // The QAction text of a line that shows text.
    static QString actionText(const QString &text);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option,
                           const QSize &contentsSize, const QWidget *widget = nullptr) const override;
};
