#include "AddProviderDialog.h"
#include "ApiKeyStore.h"
#include "FakeHttpServer.h"
#include "ZaiUsageClient.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <QCoroTask>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QByteArray quotaPath = "/api/monitor/usage/quota/limit";
const QString key = u"zk-4f9c1e7a.SECRETpart"_s;
const QDateTime now = QDateTime(QDate(2026, 7, 14), QTime(12, 0), Qt::UTC);

// Every message of the run, as standard error would carry it.
QStringList messages;

void keepMessage(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    messages << QString::fromLatin1(context.category) + u": "_s + message;
}

KeyringAnswer read(const QString &id)
{
    return QCoro::waitFor(ApiKeyStore::read(id, ZaiUsageClient::keyVariable));
}

// The label's field, then the key's.
QLineEdit *field(const AddProviderDialog &dialog, int index)
{
    return dialog.findChildren<QLineEdit *>().at(index);
}

} // namespace

// The keyring through a real Secret Service on the test's private bus, and without any.
class TestApiKeyStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void withoutSecretServiceTheVariableServes();
    void dialogStoresKeyForTheClient();

private:
    ProviderResult fetch(const QString &folder) const
    {
        return QCoro::waitFor(ZaiUsageClient::fetch(Account{Provider::zai, folder, {}, false}, now));
    }
    void startKeyring();

    FakeHttpServer m_server;
    QTemporaryDir m_keyringHome;
    QProcess m_keyring;
};

void TestApiKeyStore::initTestCase()
{
    qInstallMessageHandler(keepMessage);
    QVERIFY(m_server.listen());
    m_server.respond(quotaPath, FakeResponse::json(R"({"success":true,"data":{"limits":[
        {"type":"TOKENS_LIMIT","unit":3,"number":5,"percentage":7,"nextResetTime":1784041200000}]}})"));
    qputenv("TIDEMARKER_ZAI_USAGE_URL", m_server.url(QString::fromLatin1(quotaPath)).toEncoded());
}

void TestApiKeyStore::cleanupTestCase()
{
    m_keyring.kill();
    m_keyring.waitForFinished();
    for (const QString &message : std::as_const(messages))
        QVERIFY2(!message.contains(key), qPrintable(message.left(20)));
}

// Its own folders and runtime directory, so that it touches no keyring of the machine's.
void TestApiKeyStore::startKeyring()
{
    if (QStandardPaths::findExecutable(u"gnome-keyring-daemon"_s).isEmpty())
        QSKIP("gnome-keyring-daemon is not installed (scripts/common.sh installs it)");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : {u"HOME"_s, u"XDG_DATA_HOME"_s, u"XDG_RUNTIME_DIR"_s, u"XDG_CONFIG_HOME"_s})
        environment.insert(variable, m_keyringHome.path());
    m_keyring.setProcessEnvironment(environment);
    m_keyring.start(u"gnome-keyring-daemon"_s, {u"--foreground"_s, u"--unlock"_s, u"--components=secrets"_s});
    QVERIFY(m_keyring.waitForStarted());
    m_keyring.write("test-password");
    m_keyring.closeWriteChannel();
    QTRY_VERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(u"org.freedesktop.secrets"_s));
}

void TestApiKeyStore::withoutSecretServiceTheVariableServes()
{
    qputenv(ZaiUsageClient::keyVariable, key.toUtf8());
    QCOMPARE(read(u"zai-0000abcd"_s).state, KeyringAnswer::State::noSecretService);
    QCOMPARE(read(u"zai-0000abcd"_s).key, key);
    QCOMPARE(messages.filter(u"tidemarker.keys: no Secret Service"_s).size(), 1);

    m_server.clearRequests();
    QVERIFY(fetch(u"zai-0000abcd"_s).ok);
    QCOMPARE(m_server.requests(quotaPath).constFirst().header("Authorization"), key.toUtf8());

    AddProviderDialog dialog;
    QTRY_VERIFY(!field(dialog, 1)->isEnabled());
    const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
    QVERIFY(std::ranges::any_of(labels, [](const QLabel *label) {
        return !label->isHidden() && label->text().contains(u"$ZAI_API_KEY"_s);
    }));
    dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.added().folder, QString()); // the default account, whose key is the variable's
    qunsetenv(ZaiUsageClient::keyVariable);
}

void TestApiKeyStore::dialogStoresKeyForTheClient()
{
    startKeyring();
    AddProviderDialog dialog;
    field(dialog, 0)->setText(u" work "_s);
    field(dialog, 1)->setText(u"  "_s + key + u"\n"_s);
    dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
    const AddedProvider added = dialog.added();
    QCOMPARE(added.label, u"work"_s);
    QVERIFY2(QRegularExpression(u"^zai-[0-9a-f]{8}$"_s).match(added.folder).hasMatch(), qPrintable(added.folder));

    QCOMPARE(read(added.folder).key, key);
    m_server.clearRequests();
    QVERIFY(fetch(added.folder).ok);
    QCOMPARE(m_server.requests(quotaPath).constFirst().header("Authorization"), key.toUtf8());

    QCOMPARE(QCoro::waitFor(ApiKeyStore::remove(added.folder)).state, KeyringAnswer::State::done);
    QCOMPARE(read(added.folder).state, KeyringAnswer::State::notStored);
    const ProviderResult removed = fetch(added.folder);
    QVERIFY(removed.needsAuth && removed.failedBeforeRequest);
}

QTEST_MAIN(TestApiKeyStore)
#include "tst_apikeystore.moc"
