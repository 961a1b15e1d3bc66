#include "ClaudeUsageClient.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDateTime recordExpiry = QDateTime(QDate(2025, 6, 15), QTime(15, 6, 40), Qt::UTC);
const QByteArray validRecord =
    R"({"claudeAiOauth": {"accessToken": "record-token", "expiresAt": 1750000000000}})";
const QByteArray unset; // a null array: the variable or file is left out

void verifyCredential(const std::variant<ClaudeCredential, ClaudeFailure> &loaded, const QString &token,
                      const QDateTime &expiresAt)
{
    QVERIFY(std::holds_alternative<ClaudeCredential>(loaded));
    const ClaudeCredential &credential = std::get<ClaudeCredential>(loaded);
    QCOMPARE(credential.accessToken, token);
    QCOMPARE(credential.expiresAt.has_value(), expiresAt.isValid());
    if (expiresAt.isValid())
        QCOMPARE(*credential.expiresAt, expiresAt);
}

// The token in the token file, null for none, or what is wrong with the file.
QString fileTokenOrFailure()
{
    const auto found = ClaudeUsageClient::tokenFromFile();
    if (const auto *error = std::get_if<PlainError>(&found))
        return error->description;
    return std::get<std::optional<QString>>(found).value_or(QString());
}

} // namespace

class TestClaudeCredentials : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void sourceOrder_data();
    void sourceOrder();
    void tokenFile_data();
    void tokenFile();
    void tokenFileLocation_data();
    void tokenFileLocation();
    void record_data();
    void record();
    void faultsAreNamed_data();
    void faultsAreNamed();
    void keychainToolArguments();

private:
    QString writeRecord(const QByteArray &record) const;

    std::unique_ptr<TemporaryHome> m_home;
};

void TestClaudeCredentials::init()
{
    m_home = std::make_unique<TemporaryHome>(std::initializer_list<const char *>{
        "CLAUDE_CODE_OAUTH_TOKEN", "TIDEMARKER_CLAUDE_TOKEN_FILE", "CLAUDE_CONFIG_DIR"});
    QVERIFY(m_home->isValid());
}

QString TestClaudeCredentials::writeRecord(const QByteArray &record) const
{
    return m_home->write(u".claude/.credentials.json"_s, record);
}

// Each source shadows the later ones; a source that yields nothing hands on without an error.
void TestClaudeCredentials::sourceOrder_data()
{
    QTest::addColumn<QByteArray>("environment");
    QTest::addColumn<QByteArray>("tokenFile");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QDateTime>("expiresAt");

    QTest::newRow("environment first, trimmed") << QByteArray(" env-token \n") << QByteArray("file-token") << validRecord << u"env-token"_s << QDateTime();
    QTest::newRow("blank environment") << QByteArray(" \t ") << QByteArray("file-token") << validRecord << u"file-token"_s << QDateTime();
    QTest::newRow("empty environment") << QByteArray("") << QByteArray("file-token") << validRecord << u"file-token"_s << QDateTime();
    QTest::newRow("token file before record") << unset << QByteArray("file-token\n") << validRecord << u"file-token"_s << QDateTime();
    QTest::newRow("comments only in token file") << unset << QByteArray("# none yet\n\n") << validRecord << u"record-token"_s << recordExpiry;
    QTest::newRow("record last") << unset << unset << validRecord << u"record-token"_s << recordExpiry;
}

void TestClaudeCredentials::sourceOrder()
{
    QFETCH(QByteArray, environment);
    QFETCH(QByteArray, tokenFile);
    QFETCH(QByteArray, record);
    QFETCH(QString, token);
    QFETCH(QDateTime, expiresAt);

    if (!environment.isNull())
        qputenv("CLAUDE_CODE_OAUTH_TOKEN", environment);
    if (!tokenFile.isNull())
        m_home->write(u".tidemarker/claude-token"_s, tokenFile);
    writeRecord(record);

    const auto loaded = ClaudeUsageClient::loadCredential();
    verifyCredential(loaded, token, expiresAt);
}

void TestClaudeCredentials::tokenFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("token"); // null: no token

    QTest::newRow("comment, blank, indented token with tab") << QByteArray("# mine\n\n  tok-1\t\nlater\n") << u"tok-1"_s;
    QTest::newRow("indented comment") << QByteArray("   # not this\ntok-2") << u"tok-2"_s;
    QTest::newRow("CR LF") << QByteArray("tok-3\r\nlater\r\n") << u"tok-3"_s;
    QTest::newRow("lone CR") << QByteArray("#c\rtok-4\r") << u"tok-4"_s;
    QTest::newRow("U+2028") << u"# c\u2028tok-5\u2028later"_s.toUtf8() << u"tok-5"_s;
    QTest::newRow("U+2029 and U+0085") << u"#c\u2029#d\u0085tok-6"_s.toUtf8() << u"tok-6"_s;
    QTest::newRow("vertical tab, form feed") << QByteArray("#c\x0b#d\x0ctok-7") << u"tok-7"_s;
    QTest::newRow("Unicode spaces trimmed") << u"\u00a0tok-8\u3000"_s.toUtf8() << u"tok-8"_s;
    QTest::newRow("inner space kept") << QByteArray("tok 9\n") << u"tok 9"_s;
    QTest::newRow("only comments and blanks") << QByteArray("#a\n \t \n\n# b\n") << QString();
    QTest::newRow("empty") << QByteArray("") << QString();
    QTest::newRow("not UTF-8") << QByteArray("tok-\xff\xfe") << u"~/.tidemarker/claude-token is not valid UTF-8"_s;
}

void TestClaudeCredentials::tokenFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, token);

    m_home->write(u".tidemarker/claude-token"_s, content);
    QCOMPARE(fileTokenOrFailure(), token);
}

void TestClaudeCredentials::tokenFileLocation_data()
{
    QTest::addColumn<QByteArray>("variable"); // "<home>" stands for the temporary home
    QTest::addColumn<QString>("writtenAt");   // below the temporary home
    QTest::addColumn<QString>("token");

    QTest::newRow("unset") << unset << u".tidemarker/claude-token"_s << u"tok"_s;
    QTest::newRow("empty") << QByteArray("") << u".tidemarker/claude-token"_s << u"tok"_s;
    QTest::newRow("tilde") << QByteArray("~/keys/claude") << u"keys/claude"_s << u"tok"_s;
    QTest::newRow("absolute") << QByteArray("<home>/elsewhere") << u"elsewhere"_s << u"tok"_s;
    QTest::newRow("tilde only at the start") << QByteArray("<home>/~/x") << u"~/x"_s << u"tok"_s;
    QTest::newRow("missing file") << QByteArray("~/absent") << u".tidemarker/claude-token"_s << QString();
}

void TestClaudeCredentials::tokenFileLocation()
{
    QFETCH(QByteArray, variable);
    QFETCH(QString, writtenAt);
    QFETCH(QString, token);

    if (!variable.isNull())
        qputenv("TIDEMARKER_CLAUDE_TOKEN_FILE", variable.replace("<home>", m_home->path().toUtf8()));
    m_home->write(writtenAt, "tok\n");
    QCOMPARE(fileTokenOrFailure(), token);
}

// Claude Code's record, read from its credentials file on this platform.
void TestClaudeCredentials::record_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("inConfigDir");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QDateTime>("expiresAt");
    QTest::addColumn<QString>("failure"); // describe() of the failure, "<path>" for the file

    const QString malformed = u"unexpected credential/usage format"_s;
    const QString notSignedIn = u"not signed in to Claude Code"_s;

    QTest::newRow("expiry in milliseconds") << validRecord << false << u"record-token"_s << recordExpiry << QString();
    QTest::newRow("CLAUDE_CONFIG_DIR") << validRecord << true << u"record-token"_s << recordExpiry << QString();
    QTest::newRow("token trimmed, other keys ignored") << QByteArray(R"({"x": 1, "claudeAiOauth": {"accessToken": "\n tok \u2028", "scopes": []}})") << false << u"tok"_s << QDateTime() << QString();
    QTest::newRow("expiry as text") << QByteArray(R"({"claudeAiOauth": {"accessToken": "tok", "expiresAt": "1750000000000"}})") << false << u"tok"_s << QDateTime() << QString();
    QTest::newRow("record padded with blank lines") << QByteArray("\n\n" + validRecord + "\n") << false << u"record-token"_s << recordExpiry << QString();
    QTest::newRow("blank token") << QByteArray(R"({"claudeAiOauth": {"accessToken": "   "}})") << false << QString() << QDateTime() << malformed;
    QTest::newRow("token not text") << QByteArray(R"({"claudeAiOauth": {"accessToken": 42}})") << false << QString() << QDateTime() << malformed;
    QTest::newRow("no claudeAiOauth") << QByteArray(R"({"accessToken": "tok"})") << false << QString() << QDateTime() << malformed;
    QTest::newRow("claudeAiOauth not an object") << QByteArray(R"({"claudeAiOauth": "tok"})") << false << QString() << QDateTime() << malformed;
    QTest::newRow("array") << QByteArray(R"([{"claudeAiOauth": {"accessToken": "tok"}}])") << false << QString() << QDateTime() << malformed;
    QTest::newRow("bare token") << QByteArray("sk-secret-token\n") << false << QString() << QDateTime() << u"~/.claude/.credentials.json is not valid JSON: "_s;
    QTest::newRow("over 1 MiB") << validRecord + QByteArray(1024 * 1024, ' ') << false << QString() << QDateTime() << u"cannot read ~/.claude/.credentials.json: larger than 1 MiB"_s;
    QTest::newRow("blank file") << QByteArray(" \n\t\n") << false << QString() << QDateTime() << notSignedIn;
    QTest::newRow("no file") << unset << false << QString() << QDateTime() << notSignedIn;
}

void TestClaudeCredentials::record()
{
#ifdef Q_OS_MACOS
    QSKIP("the record lives in the keychain here");
#endif
    QFETCH(QByteArray, record);
    QFETCH(bool, inConfigDir);
    QFETCH(QString, token);
    QFETCH(QDateTime, expiresAt);
    QFETCH(QString, failure);

    if (inConfigDir) {
        // Claude Code's own location is then ignored.
        writeRecord(R"({"claudeAiOauth": {"accessToken": "wrong-one"}})");
        qputenv("CLAUDE_CONFIG_DIR", QFile::encodeName(m_home->filePath(u"config"_s)));
    }
    const QString path = m_home->filePath(inConfigDir ? u"config/.credentials.json"_s
                                                      : u".claude/.credentials.json"_s);
    if (!record.isNull())
        m_home->write(QDir(m_home->path()).relativeFilePath(path), record);

    const auto loaded = ClaudeUsageClient::loadCredential();
    if (!failure.isEmpty()) {
        QVERIFY(std::holds_alternative<ClaudeFailure>(loaded));
        const QString message = ClaudeUsageClient::describe(std::get<ClaudeFailure>(loaded));
        QVERIFY2(message.startsWith(failure), qPrintable(message));
        QVERIFY(!message.contains(u"sk-secret-token"_s));
        return;
    }
    verifyCredential(loaded, token, expiresAt);
}

// A source that is there but cannot be used says what is wrong and where, rather than hand on.
// Opened the plain way, a FIFO would keep the reading thread waiting for a writer for ever.
void TestClaudeCredentials::faultsAreNamed_data()
{
    QTest::addColumn<QString>("where"); // a file below home, or the variable
    QTest::addColumn<QByteArray>("fault"); // "FIFO", "folder", or what the source holds
    QTest::addColumn<QString>("failure");

    const QString tokenFile = u".tidemarker/claude-token"_s;
    const QString record = u".claude/.credentials.json"_s;
    QTest::newRow("token file FIFO") << tokenFile << QByteArray("FIFO") << u"cannot read ~/.tidemarker/claude-token: not a regular file"_s;
    QTest::newRow("record FIFO") << record << QByteArray("FIFO") << u"cannot read ~/.claude/.credentials.json: not a regular file"_s;
    QTest::newRow("record folder") << record << QByteArray("folder") << u"cannot read ~/.claude/.credentials.json: not a regular file"_s;
    QTest::newRow("record not UTF-8") << record << QByteArray(R"({"claudeAiOauth": {"accessToken": "tok-)" "\xff" R"("}})") << u"~/.claude/.credentials.json is not valid UTF-8"_s;
    QTest::newRow("variable not UTF-8") << u"CLAUDE_CODE_OAUTH_TOKEN"_s << QByteArray("tok-\xc3") << u"CLAUDE_CODE_OAUTH_TOKEN is not valid UTF-8"_s;
}

void TestClaudeCredentials::faultsAreNamed()
{
    QFETCH(QString, where);
    QFETCH(QByteArray, fault);
    QFETCH(QString, failure);
    if (where != u".claude/.credentials.json")
        writeRecord(validRecord);
    if (fault == "FIFO")
        QVERIFY(makeFifo(m_home->filePath(where)));
    else if (fault == "folder")
        QVERIFY(QDir(m_home->path()).mkpath(where));
    else if (where.startsWith(u'.'))
        m_home->write(where, fault);
    else
        qputenv(where.toLatin1(), fault);
    const auto loaded = ClaudeUsageClient::loadCredential();
    QVERIFY(std::holds_alternative<ClaudeFailure>(loaded));
    QCOMPARE(ClaudeUsageClient::describe(std::get<ClaudeFailure>(loaded)), failure);
}

void TestClaudeCredentials::keychainToolArguments()
{
    QCOMPARE(ClaudeUsageClient::securityArguments(),
             QStringList({u"find-generic-password"_s, u"-s"_s, u"Claude Code-credentials"_s, u"-w"_s}));
}

QTEST_GUILESS_MAIN(TestClaudeCredentials)
#include "tst_claudecredentials.moc"
