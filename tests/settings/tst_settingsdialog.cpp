#include "SettingsDialog.h"
#include "SettingsFile.h"
#include "TemporaryHome.h"

#include <QAccessible>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSettingsDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyControlHasAName();
    void applyWritesTheFile();
};

void TestSettingsDialog::everyControlHasAName()
{
    SettingsFile file(QString{});
    SettingsDialog dialog(file);
    dialog.present();
    QStringList names;
    for (QWidget *control : dialog.findChildren<QWidget *>()) {
        // A spin box's text field is a part of it, not a control of its own.
        if (control->focusPolicy() == Qt::NoFocus || !control->isVisible()
            || qobject_cast<QAbstractSpinBox *>(control->parentWidget()))
            continue;
        const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty(), control->metaObject()->className());
        names.append(name);
    }
    QCOMPARE(names.size(), 10); // seven settings in seven controls, three buttons
}

// The controls as a user works them; the file and the program's settings follow at once.
void TestSettingsDialog::applyWritesTheFile()
{
    const TemporaryHome home({"XDG_CONFIG_HOME"});
    const QString path = home.filePath(u"config/tidemarker/tidemarker.conf"_s);
    SettingsFile file(path);
    SettingsDialog dialog(file);
    dialog.present();
    QSignalSpy changed(&file, &SettingsFile::changed);
    QPushButton *apply = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply);
    QVERIFY(!apply->isEnabled());

    QTest::keyClick(dialog.findChildren<QComboBox *>().at(0), Qt::Key_End); // Claude only
    QSpinBox *percent = dialog.findChildren<QSpinBox *>().at(0);
    percent->selectAll();
    QTest::keyClicks(percent, u"75"_s);
    QVERIFY(apply->isEnabled());
    QTest::mouseClick(apply, Qt::LeftButton);
    QTRY_COMPARE(changed.size(), 1);
    QVERIFY(!apply->isEnabled());
    QCOMPARE(file.settings().providers, QList<Provider>{Provider::claude});
    QCOMPARE(file.settings().alertAtPercent, 75);
    QStringList problems;
    QVERIFY(Settings::read(path, &problems) == file.settings());
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
