#include "SettingsDialog.h"
#include "SettingsFile.h"
#include "TemporaryHome.h"
#include "TrayFixtures.h"

#include <QAccessible>
#include <QCheckBox>
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
    void offersFoundSignInFolders();
};

void TestSettingsDialog::everyControlHasAName()
{
    const TemporaryHome home({"CODEX_HOME", "CLAUDE_CONFIG_DIR"}); // no sign-in folder to offer
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
    // Eight settings in eight controls, the accounts' table and its three buttons, three buttons.
    QCOMPARE(names.size(), 15);
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
    for (QCheckBox *box : dialog.findChildren<QCheckBox *>()) {
        if (box->accessibleName() == u"Show when each window resets")
            QTest::keyClick(box, Qt::Key_Space);
    }
    QVERIFY(apply->isEnabled());
    QTest::mouseClick(apply, Qt::LeftButton);
    QTRY_COMPARE(changed.size(), 1);
    QVERIFY(!apply->isEnabled());
    QCOMPARE(file.settings().providers, QList<Provider>{Provider::claude});
    QCOMPARE(file.settings().alertAtPercent, 75);
    QVERIFY(!file.settings().resetTimes);
    QStringList problems;
    QVERIFY(Settings::read(path, &problems) == file.settings());
}

// A folder with a sign-in is offered, added after the one found by default, and written.
void TestSettingsDialog::offersFoundSignInFolders()
{
    const TemporaryHome home({"XDG_CONFIG_HOME", "CODEX_HOME", "CLAUDE_CONFIG_DIR"});
    for (const char *folder : {".claude", ".claude-work", ".claude-old"})
        home.write(QString::fromLatin1(folder) + (qstrcmp(folder, ".claude-old") ? u"/.credentials.json"_s : u"/notes"_s), "{}");
    SettingsFile file(home.filePath(u"config/tidemarker/tidemarker.conf"_s));
    SettingsDialog dialog(file);
    dialog.present();
    // The folder found by default is no offer, nor one without a sign-in.
    QList<QPushButton *> offers = dialog.findChildren<QPushButton *>();
    offers.removeIf([](const QPushButton *button) { return !button->isVisible() || !button->text().startsWith(u"Found"); });
    QCOMPARE(offers.size(), 1);
    QCOMPARE(offers[0]->text(), u"Found ~/.claude-work \u2014 Add"_s);
    QTest::mouseClick(offers[0], Qt::LeftButton);
    QCOMPARE(dialog.chosen().claudeAccounts,
             (QList<AccountFolder>{{home.filePath(u".claude"_s), {}}, {home.filePath(u".claude-work"_s), {}}}));
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply), Qt::LeftButton);
    QTRY_VERIFY(readFile(file.path()).contains(u"claude_accounts=\"~/.claude, ~/.claude-work\""_s));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
