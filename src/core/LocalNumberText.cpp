#include "LocalNumberText.h"

#include <QCoreApplication>
#include <QLocale>

namespace LocalNumberText {

QString whole(qint64 number)
{
    return QLocale().toString(number);
}

QString decimal(double number, int decimalPlaces)
{
    return QLocale().toString(number, 'f', decimalPlaces);
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
