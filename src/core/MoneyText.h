#pragma once

#include "UsageModels.h"

#include <QString>

// An amount as money in the user's locale: "$12.40", "€106.31", "CHF 3.00" (in German "12,40 $"). The
// symbol is the one the currency has where it is used (English-speaking places first), else its code.
QString moneyText(double amount, const QString &currencyCode, int decimalPlaces);

// Paid use beyond the plan: "$12.40 of $50.00 this month", "€106.31 this month (no limit)".
QString extraUsageText(const ExtraUsage &usage);
