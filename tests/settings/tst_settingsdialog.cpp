#include "SettingsDialog.h"
#include "SettingsFile.h"
#include "TemporaryHome.h"
#include "TrayFixtures.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

class TestSettingsDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyControlHasAName();
    void applyWritesTheFile();
    void offersFoundSignInFolders();
    void tabReachesEveryControl();
    void chooserShowsDotFolders();
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
    // Nine settings in nine controls, the accounts' table and its four buttons, three buttons.
    QCOMPARE(names.size(), 17);
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
    QCOMPARE(dialog.chosen().accountFolders(Provider::claude),
             (QList<AccountFolder>{{home.filePath(u".claude"_s), {}}, {home.filePath(u".claude-work"_s), {}}}));
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Apply), Qt::LeftButton);
    QTRY_VERIFY(readFile(file.path()).contains(u"claude_accounts=\"~/.claude, ~/.claude-work\""_s));
}

// Tab walks the whole dialog and leaves the table; each stop has a mnemonic, or is OK or Cancel,
// which Enter and Escape work.
void TestSettingsDialog::tabReachesEveryControl()
{
    const TemporaryHome home({"XDG_CONFIG_HOME", "CODEX_HOME", "CLAUDE_CONFIG_DIR"});
    SettingsFile file(home.filePath(u"config/tidemarker/tidemarker.conf"_s));
    SettingsDialog dialog(file);
    dialog.present();
    QApplication::setActiveWindow(&dialog);
    QTRY_VERIFY(QApplication::focusWidget());
    QWidget *first = QApplication::focusWidget();
    QList<QWidget *> stops{first};
    for (int press = 0; press < 40; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == first)
            break;
        QVERIFY2(!stops.contains(QApplication::focusWidget()), "Tab went round a part of the dialog");
        stops.append(QApplication::focusWidget());
    }
    QCOMPARE(QApplication::focusWidget(), first);
    auto *box = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(stops.contains(box->button(QDialogButtonBox::Ok)));
    QVERIFY(stops.contains(box->button(QDialogButtonBox::Cancel)));
    QVERIFY(stops.contains(dialog.findChild<QTableWidget *>()));
    QStringList withoutMnemonic;
    for (QWidget *stop : stops) {
        const auto *button = qobject_cast<QAbstractButton *>(stop);
        const bool labelled = std::ranges::any_of(dialog.findChildren<QLabel *>(), [stop](const QLabel *label) {
            return label->buddy() == stop && label->text().contains(u'&');
        });
        const bool inGroup = qobject_cast<QTableWidget *>(stop) && dialog.findChild<QGroupBox *>()->title().contains(u'&');
        const bool enterOrEscape = stop == box->button(QDialogButtonBox::Ok) || stop == box->button(QDialogButtonBox::Cancel);
        if (!labelled && !inGroup && !enterOrEscape && !(button && button->text().contains(u'&')))
            withoutMnemonic.append(QAccessible::queryAccessibleInterface(stop)->text(QAccessible::Name));
    }
    QCOMPARE(withoutMnemonic, QStringList{});
}

// The tools keep their sign-ins in dot-folders, which the chooser must show to be picked.
void TestSettingsDialog::chooserShowsDotFolders()
{
    const TemporaryHome home({"XDG_CONFIG_HOME", "CODEX_HOME", "CLAUDE_CONFIG_DIR"});
    home.write(u".claude-work/.credentials.json"_s, "{}");
    SettingsFile file(home.filePath(u"config/tidemarker/tidemarker.conf"_s));
    SettingsDialog dialog(file);
    dialog.present();
    bool showedHidden = false;
    QTimer::singleShot(0, this, [&showedHidden, &home] {
        auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(chooser);
        showedHidden = chooser->filter().testFlag(QDir::Hidden);
        chooser->selectFile(home.filePath(u".claude-work"_s));
        static_cast<QDialog *>(chooser)->accept(); // as the chooser's Choose button does
    });
    QPushButton *add = nullptr;
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        if (button->text().contains(u"Clau&de"))
            add = button;
    QVERIFY(add);
    add->click();
    QVERIFY(showedHidden);
    QCOMPARE(dialog.chosen().accountFolders(Provider::claude),
             (QList<AccountFolder>{{home.filePath(u".claude"_s), {}}, {home.filePath(u".claude-work"_s), {}}}));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
