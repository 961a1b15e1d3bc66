#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace Translations {

namespace {

void installFirstFound(const QString &name, const QString &folder)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(), name, u"_"_s, folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

void install()
{
    installFirstFound(u"tidemarker"_s, u":/i18n"_s);
    installFirstFound(u"qtbase"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace Translations
