#include "OutsideText.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Each place's form of a text from outside: nothing in it forges a line, drives a terminal or
// reads as markup.
class TestOutsideText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eachForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("markup");
        QTest::addColumn<QString>("qtRichText");
        QTest::newRow("forged line") << u"x\nFAKE\u2028: 1%"_s << u"xFAKE: 1%"_s << u"x\nFAKE\n: 1%"_s << u"x\nFAKE\n: 1%"_s;
        QTest::newRow("escapes and bidi") << u"\x1b[2J\u202Eab\x07"_s << u"[2Jab"_s << u"[2Jab"_s << u"[2Jab"_s;
        QTest::newRow("markup") << u"<b>a & b</b>"_s << u"<b>a & b</b>"_s << u"&lt;b&gt;a &amp; b&lt;/b&gt;"_s
                                << u"<qt>&lt;b&gt;a &amp; b&lt;/b&gt;</qt>"_s;
        QTest::newRow("lines with markup") << u"<i>\nb"_s << u"<i>b"_s << u"&lt;i&gt;\nb"_s << u"<qt>&lt;i&gt;<br>b</qt>"_s;
    }

    void eachForm()
    {
        QFETCH(QString, text);
        QTEST(OutsideText::plainLine(text), "line");
        QTEST(OutsideText::markup(text), "markup");
        QTEST(OutsideText::qtRichText(text), "qtRichText");
        QCOMPARE(OutsideText::terminalLine(text), OutsideText::plainLine(text).toUtf8());
    }

    void namesAreCutWholeCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("name");
        QTest::newRow("fits") << u"  Fable \n"_s << u" 5h"_s << u"Fable 5h"_s;
        QTest::newRow("cut") << QString(60, u'a') << QString() << QString(47, u'a') + u'\u2026';
        QTest::newRow("cut before the suffix") << QString(60, u'a') << u" 5h"_s << QString(44, u'a') + u"\u2026 5h"_s;
        QTest::newRow("no half emoji") << QString(46, u'a') + u"\U0001F600\U0001F600"_s << QString()
                                       << QString(46, u'a') + u'\u2026';
        QTest::newRow("nothing left") << u"\u202E\n"_s << u" 5h"_s << QString();
    }

    void namesAreCutWholeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, suffix);
        QTEST(OutsideText::name(text, suffix), "name");
    }
};

QTEST_GUILESS_MAIN(TestOutsideText)
#include "tst_outsidetext.moc"
