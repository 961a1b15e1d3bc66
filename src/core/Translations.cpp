#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSet>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace Translations {

namespace {

// Qt's own texts in the windows, dialogs and help it draws for us. Its other texts, the network's
// and the JSON parser's errors above all, stay English: a result stores them, and its JSON says
// them to scripts as they are.
class QtWindowTexts : public QTranslator
{
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText, const char *disambiguation, int n) const override
    {
        static const QSet<QByteArrayView> shown{"QPlatformTheme", "QDialogButtonBox", "QFileDialog", "QFileSystemModel",
                                                "QCommandLineParser", "QShortcut", "QLineEdit", "QWidgetTextControl",
                                                "QMessageBox", "QScrollBar", "QAbstractSpinBox"};
        return shown.contains(QByteArrayView(context)) ? QTranslator::translate(context, sourceText, disambiguation, n)
                                                       : QString();
    }
};

void installFirstFound(QTranslator *translator, const QString &name, const QString &folder)
{
    if (translator->load(QLocale(), name, u"_"_s, folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

void install()
{
    QObject *application = QCoreApplication::instance();
    installFirstFound(new QTranslator(application), u"tidemarker"_s, u":/i18n"_s);
    installFirstFound(new QtWindowTexts(application), u"qtbase"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace Translations
