#include "StoredText.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

using namespace Qt::StringLiterals;

// An error or a window's name stays English in a result and reads in German where shown, the
// parts filled into it too; a name from outside stays as it is.
class TestStoredText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_german.load(u":/i18n/tidemarker_de.qm"_s)); }

    void shownInGerman_data()
    {
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("german");
        QTest::newRow("fixed") << u"waiting to ask again"_s << u"wartet auf die nächste Anfrage"_s;
        QTest::newRow("filled") << u"usage fetch failed (HTTP 500)"_s << u"Abruf der Nutzung fehlgeschlagen (HTTP 500)"_s;
        QTest::newRow("nested") << u"cannot read ~/.claude/.credentials.json: not a regular file"_s
                                << u"~/.claude/.credentials.json kann nicht gelesen werden: keine reguläre Datei"_s;
        QTest::newRow("a longer form does not take the shorter's text")
            << u"auth.json is not a JSON object (/home/u/.codex/auth.json)"_s
            << u"auth.json ist kein JSON-Objekt (/home/u/.codex/auth.json)"_s;
        QTest::newRow("a member of an answer")
            << u"usage response: \"rate_limit.primary_window\" is not a number"_s
            << u"Nutzungsantwort: „rate_limit.primary_window“ ist keine Zahl"_s;
        QTest::newRow("a window's length") << u"3-day"_s << u"3 T."_s;
        QTest::newRow("a service's name") << u"Quill-Preview"_s << u"Quill-Preview"_s;
        QTest::newRow("a name that ends as a length does") << u"Deep research"_s << u"Deep research"_s;
        QTest::newRow("such a name in brackets") << u"Model (Fast-day)"_s << u"Modell (Fast-day)"_s;
        QTest::newRow("a placeholder in outside text") << u"%1 (%2) %3"_s << u"%1 (%2) %3"_s;
        QTest::newRow("a fixed form and more") << u"waiting to ask again soon"_s << u"waiting to ask again soon"_s;
        QTest::newRow("a length's unit alone") << u"-day"_s << u"-day"_s;
    }
    void shownInGerman()
    {
        QFETCH(QString, english);
        QFETCH(QString, german);
        QCOMPARE(StoredText::shown(english), english); // no translator: as stored
        QCoreApplication::installTranslator(&m_german);
        const QString shown = StoredText::shown(english);
        QCoreApplication::removeTranslator(&m_german);
        QCOMPARE(shown, german);
    }

private:
    QTranslator m_german;
};

QTEST_GUILESS_MAIN(TestStoredText)
#include "tst_storedtext.moc"
