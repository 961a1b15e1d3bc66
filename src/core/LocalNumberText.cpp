#include "LocalNumberText.h"

#include <QCoreApplication>

namespace LocalNumberText {

QLocale locale()
{
    const QLocale user;
    return user.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : user;
}

QString whole(qint64 number)
{
    return locale().toString(number);
}

QString decimal(double number, int decimalPlaces)
{
    return locale().toString(number, 'f', decimalPlaces);
}

QString percent(const QString &number)
{
    //: A percentage; the space before the sign, if any, as the language writes it.
    return QCoreApplication::translate("LocalNumberText", "%1%").arg(number);
}

QString wholePercent(qint64 number)
{
    return percent(whole(number));
}

} // namespace LocalNumberText
