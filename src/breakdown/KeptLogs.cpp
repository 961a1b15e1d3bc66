#include "KeptLogs.h"

#include "Account.h"
#include "LogLineReader.h"
#include "ProviderInput.h"
#include "ProviderTraits.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// Settings hold a few KB; whatever lies past this is not read.
constexpr qint64 largestSettings = qint64(1) << 20;

} // namespace

bool KeptLogs::keepsNone(Provider provider, const QString &folder)
{
    if (ProviderTraits::of(provider).logs != ProviderTraits::Logs::claudeCode)
        return false;
    QFile settings((folder.isEmpty() ? Account::defaultFolder(provider) : folder) + u"/settings.json"_s);
    // Opened as the logs are, so that a FIFO in its place holds nothing up.
    if (LogLineReader::open(settings))
        return false;
    const QJsonValue days = QJsonDocument::fromJson(readAtMost(settings, largestSettings)).object().value(u"cleanupPeriodDays"_s);
    return days.isDouble() && days.toDouble() == 0;
}
