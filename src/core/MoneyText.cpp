#include "MoneyText.h"

#include "LocalNumberText.h"

#include <QCoreApplication>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

QString currencySymbol(const QString &code)
{
    // English first, so that dollars are "$" as in the United States rather than "US$".
    for (const QLocale::Language language : {QLocale::English, QLocale::AnyLanguage}) {
        for (const QLocale &locale : QLocale::matchingLocales(language, QLocale::AnyScript, QLocale::AnyTerritory)) {
            if (locale.currencySymbol(QLocale::CurrencyIsoCode) == code)
                return locale.currencySymbol(QLocale::CurrencySymbol);
        }
    }
    return code;
}

} // namespace

QString moneyText(double amount, const QString &currencyCode, int decimalPlaces)
{
    QString symbol = currencySymbol(currencyCode);
    if (!symbol.isEmpty() && symbol.back().isLetter())
        symbol += u' ';
    return LocalNumberText::locale().toCurrencyString(amount, symbol, decimalPlaces);
}

QString extraUsageText(const ExtraUsage &usage)
{
    const QString used = moneyText(usage.used, usage.currency, usage.decimalPlaces);
    if (!usage.limit)
        return QCoreApplication::translate("MoneyText", "%1 this month (no limit)").arg(used);
    return QCoreApplication::translate("MoneyText", "%1 of %2 this month")
        .arg(used, moneyText(*usage.limit, usage.currency, usage.decimalPlaces));
}
