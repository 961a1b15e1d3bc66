#include "MoneyText.h"

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
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toCurrencyString(amount, symbol, decimalPlaces);
}

QString extraUsageText(const ExtraUsage &usage)
{
    const QString used = moneyText(usage.used, usage.currency, usage.decimalPlaces);
    if (!usage.limit)
        return used + u" this month (no limit)"_s;
    return used + u" of "_s + moneyText(*usage.limit, usage.currency, usage.decimalPlaces)
        + u" this month"_s;
}
