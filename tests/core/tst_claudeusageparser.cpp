#include "ClaudeUsageParser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QScopeGuard>
#include <QTest>

#include <clocale>
#include <cstdlib>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);
const QDateTime june15 = QDateTime(QDate(2025, 6, 15), QTime(15, 6, 40), Qt::UTC);
using Number = std::optional<double>;
const Number absent;

QJsonObject object(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

// Any JSON value, also a scalar; the text "undefined" gives an absent value.
QJsonValue value(const QByteArray &json)
{
    if (json == "undefined")
        return QJsonValue(QJsonValue::Undefined);
    return QJsonDocument::fromJson("[" + json + "]").array().at(0);
}

} // namespace

class TestClaudeUsageParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windows_data();
    void windows();
    void windowsFollowTheWindowRule();
    void extraWindows_data();
    void extraWindows();
    void extraUsage_data();
    void extraUsage();
    void usedPercent_data();
    void usedPercent();
    void resetDate_data();
    void resetDate();
    void numeric_data();
    void numeric();
    void numericIgnoresLocale_data();
    void numericIgnoresLocale();
};

void TestClaudeUsageParser::windows_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QList<double>>("used");
    QTest::addColumn<QList<qint64>>("secondsToReset");

    QTest::newRow("both, fast first") << QByteArray(R"({"seven_day": {"utilization": 62.5, "resets_at": 1796947200},
                                                       "five_hour": {"utilization": 40, "resets_at": 1796653800}})")
                                      << QStringList{u"claude_fast"_s, u"claude_slow"_s} << QList<double>{40, 62.5} << QList<qint64>{9000, 302400};
    QTest::newRow("five_hour null") << QByteArray(R"({"five_hour": null, "seven_day": {"utilization": 10, "resets_at": 1796947200}})")
                                    << QStringList{u"claude_slow"_s} << QList<double>{10} << QList<qint64>{302400};
    QTest::newRow("no reset: a full window") << QByteArray(R"({"five_hour": {"used": 0.5}, "seven_day": {"utilization": 1, "resets_at": "soon"}})")
                                             << QStringList{u"claude_fast"_s, u"claude_slow"_s} << QList<double>{50, 1} << QList<qint64>{18000, 604800};
    QTest::newRow("reset without used share") << QByteArray(R"({"five_hour": {"resets_at": 1796653800, "utilization": null}})")
                                              << QStringList{} << QList<double>{} << QList<qint64>{};
    QTest::newRow("window not an object") << QByteArray(R"({"five_hour": 40, "seven_day": [{"utilization": 40}]})")
                                          << QStringList{} << QList<double>{} << QList<qint64>{};
    QTest::newRow("other members ignored") << QByteArray(R"({"seven_day_opus": {"utilization": 40}, "extra_usage": {"utilization": 5}})")
                                           << QStringList{} << QList<double>{} << QList<qint64>{};
    QTest::newRow("empty") << QByteArray("{}") << QStringList{} << QList<double>{} << QList<qint64>{};
}

void TestClaudeUsageParser::windows()
{
    QFETCH(QByteArray, response);
    QFETCH(QStringList, ids);
    QFETCH(QList<double>, used);
    QFETCH(QList<qint64>, secondsToReset);

    const QList<UsageWindow> found = ClaudeUsageParser::windows(object(response), now);
    QCOMPARE(found.size(), ids.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        QCOMPARE(found[i].id(), ids[i]);
        QCOMPARE(found[i].usedPercent, used[i]);
        QCOMPARE(now.secsTo(found[i].resetAt), secondsToReset[i]);
        // The length is the window's own, whatever the answer says.
        QCOMPARE(found[i].limitWindowSeconds, found[i].speed == WindowSpeed::fast ? 18000.0 : 604800.0);
    }
}

void TestClaudeUsageParser::windowsFollowTheWindowRule()
{
    const QList<UsageWindow> found = ClaudeUsageParser::windows(object(
        R"({"five_hour": {"utilization": 40, "resets_at": "2026-12-07T14:30:00Z", "limit_window_seconds": 60},
            "seven_day": {"utilization": "62.5", "resets_at": "2026-12-11T00:00:00.000000+00:00"}})"), now);
    QCOMPARE(found.size(), 2);
    QCOMPARE(found[0].pressurePercent, 9.999999999999998);
    QCOMPARE(found[1].pressurePercent, -12.5);
}

// Each as "id name used%".
void TestClaudeUsageParser::extraWindows_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QStringList>("windows");
    const QByteArray legacy = R"("seven_day_opus": {"utilization": 5}, "seven_day_sonnet": {"used": 0.25})";
    QTest::newRow("scoped entries win over the older members") << R"({"limits": [{"kind": "weekly_scoped", "percent": "43",
        "scope": {"model": {"display_name": "Fable"}}}, {"kind": "weekly_all", "percent": 26}], )" + legacy + "}"
        << QStringList{u"claude_scoped_fable Fable weekly 43"_s};
    QTest::newRow("no scoped entry: the older members") << R"({"limits": [{"kind": "session", "percent": 1}], )" + legacy + "}"
        << QStringList{u"claude_scoped_opus Opus weekly 5"_s, u"claude_scoped_sonnet Sonnet weekly 25"_s};
    QTest::newRow("unnamed, repeated, unreadable") << QByteArray(R"({"limits": [{"kind": "weekly_scoped", "percent": 150,
        "scope": null}, {"kind": "weekly_scoped", "percent": 7, "scope": {"model": {"display_name": " "}}},
        {"kind": "weekly_scoped", "percent": null}, 3, {"kind": "weekly_scoped", "percent": 9, "scope": {"model": {"display_name": "Quill Lite"}}}]})")
        << QStringList{u"claude_scoped_model Model weekly 100"_s, u"claude_scoped_model_2 Model weekly 7"_s,
                       u"claude_scoped_quill-lite Quill Lite weekly 9"_s};
    QTest::newRow("not a list") << QByteArray(R"({"limits": {"kind": "weekly_scoped", "percent": 4}, "seven_day_opus": null})")
                                << QStringList{};
    QTest::newRow("routines after the models") << R"({"seven_day_routines": {"utilization": 12}, )" + legacy + "}"
        << QStringList{u"claude_scoped_opus Opus weekly 5"_s, u"claude_scoped_sonnet Sonnet weekly 25"_s,
                       u"claude_routines Routines weekly 12"_s};
    QTest::newRow("routines, its older name") << QByteArray(R"({"seven_day_routines": null, "seven_day_claude_routines": {"utilization": 3}})")
                                              << QStringList{u"claude_routines Routines weekly 3"_s};
    QTest::newRow("routines, its short name") << QByteArray(R"({"routines": {"used": 0.5}})")
                                              << QStringList{u"claude_routines Routines weekly 50"_s};
}

void TestClaudeUsageParser::extraWindows()
{
    QFETCH(QByteArray, response);
    QFETCH(QStringList, windows);
    QStringList got;
    for (const UsageWindow &window : ClaudeUsageParser::extraWindows(object(response), now))
        got.append(u"%1 %2 %3"_s.arg(window.id(), window.name).arg(window.usedPercent));
    QCOMPARE(got, windows);
}

void TestClaudeUsageParser::extraUsage_data()
{
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<QString>("usage"); // "used limit currency places", empty for none
    QTest::newRow("cents by default") << QByteArray(R"({"is_enabled": true, "used_credits": 1240, "monthly_limit": 5000, "currency": "usd"})")
                                      << u"12.4 50 USD 2"_s;
    QTest::newRow("whole yen, no cap") << QByteArray(R"({"is_enabled": true, "used_credits": "900", "decimal_places": 0, "currency": "JPY"})")
                                       << u"900 none JPY 0"_s;
    QTest::newRow("turned off") << QByteArray(R"({"is_enabled": false, "used_credits": 1, "currency": "USD"})") << QString();
    QTest::newRow("enabled as text") << QByteArray(R"({"is_enabled": "true", "used_credits": 1, "currency": "USD"})") << QString();
    QTest::newRow("no currency") << QByteArray(R"({"is_enabled": true, "used_credits": 1})") << QString();
    QTest::newRow("unreadable cap") << QByteArray(R"({"is_enabled": true, "used_credits": 1, "monthly_limit": "x", "currency": "USD"})") << QString();
    QTest::newRow("negative use") << QByteArray(R"({"is_enabled": true, "used_credits": -1, "currency": "USD"})") << QString();
    QTest::newRow("odd places") << QByteArray(R"({"is_enabled": true, "used_credits": 1, "decimal_places": 2.5, "currency": "USD"})") << QString();
    QTest::newRow("past a double") << QByteArray(R"({"is_enabled": true, "used_credits": "1e400", "currency": "USD"})") << QString();
}

void TestClaudeUsageParser::extraUsage()
{
    QFETCH(QByteArray, extra);
    QFETCH(QString, usage);
    const auto found = ClaudeUsageParser::extraUsage(object("{\"extra_usage\": " + extra + "}"));
    const QString got = found ? u"%1 %2 %3 %4"_s.arg(found->used).arg(found->limit ? QString::number(*found->limit) : u"none"_s)
                                    .arg(found->currency).arg(found->decimalPlaces)
                              : QString();
    QCOMPARE(got, usage);
}

void TestClaudeUsageParser::usedPercent_data()
{
    QTest::addColumn<QByteArray>("window");
    QTest::addColumn<Number>("percent");

    QTest::newRow("utilization") << QByteArray(R"({"utilization": 40})") << Number(40.0);
    QTest::newRow("as text") << QByteArray(R"({"utilization": "40"})") << Number(40.0);
    QTest::newRow("null skipped") << QByteArray(R"({"utilization": null, "used_percent": 30})") << Number(30.0);
    QTest::newRow("word skipped") << QByteArray(R"({"utilization": "n/a", "utilization_percent": 12})") << Number(12.0);
    QTest::newRow("boolean skipped") << QByteArray(R"({"utilization": true, "used_percent": 7})") << Number(7.0);
    QTest::newRow("percent before fraction") << QByteArray(R"({"used": 0.9, "utilization_percent": 20})") << Number(20.0);
    QTest::newRow("used is a fraction") << QByteArray(R"({"used": 0.25})") << Number(25.0);
    QTest::newRow("used_fraction") << QByteArray(R"({"used_fraction": "0.5"})") << Number(50.0);
    QTest::newRow("percent never scaled") << QByteArray(R"({"utilization": 0.25})") << Number(0.25);
    QTest::newRow("above 100") << QByteArray(R"({"utilization": 150})") << Number(100.0);
    QTest::newRow("negative fraction") << QByteArray(R"({"used_fraction": -1})") << Number(0.0);
    QTest::newRow("nan") << QByteArray(R"({"utilization": "nan"})") << Number(0.0);
    QTest::newRow("infinite fraction") << QByteArray(R"({"used": "inf"})") << Number(100.0);
    QTest::newRow("leading space") << QByteArray(R"({"utilization": " 40"})") << absent;
    QTest::newRow("percent sign") << QByteArray(R"({"utilization": "40%"})") << absent;
    QTest::newRow("containers") << QByteArray(R"({"utilization": {"value": 4}, "used": [0.4]})") << absent;
    QTest::newRow("none") << QByteArray(R"({"remaining": 60})") << absent;
}

void TestClaudeUsageParser::usedPercent()
{
    QFETCH(QByteArray, window);
    QFETCH(Number, percent);

    QCOMPARE(ClaudeUsageParser::usedPercent(object(window)), percent);
}

void TestClaudeUsageParser::resetDate_data()
{
    QTest::addColumn<QByteArray>("window");
    QTest::addColumn<QDateTime>("reset"); // invalid: none

    QTest::newRow("seconds") << QByteArray(R"({"resets_at": 1750000000})") << june15;
    QTest::newRow("milliseconds") << QByteArray(R"({"resets_at": 1750000000000})") << june15;
    QTest::newRow("seconds as text") << QByteArray(R"({"resets_at": "1750000000"})") << june15;
    QTest::newRow("exponent as text") << QByteArray(R"({"resets_at": "1.75e9"})") << june15;
    QTest::newRow("10^12 is seconds") << QByteArray(R"({"resets_at": 1000000000000})") << QDateTime::fromSecsSinceEpoch(1000000000000, Qt::UTC);
    QTest::newRow("just above is milliseconds") << QByteArray(R"({"resets_at": 1000000000001})") << QDateTime::fromMSecsSinceEpoch(1000000000001, Qt::UTC);
    QTest::newRow("Z") << QByteArray(R"({"resets_at": "2025-06-15T15:06:40Z"})") << june15;
    QTest::newRow("fraction") << QByteArray(R"({"resets_at": "2025-06-15T15:06:40.250Z"})") << june15.addMSecs(250);
    QTest::newRow("live service form") << QByteArray(R"({"resets_at": "2026-12-07T12:00:00.123456+00:00"})") << now.addMSecs(123);
    QTest::newRow("long fraction") << QByteArray(R"({"resets_at": "2026-12-07T12:00:00.1239999999999999999999999+00:00"})") << now.addMSecs(123);
    QTest::newRow("offset") << QByteArray(R"({"resets_at": "2026-12-07T13:30:00-01:30"})") << QDateTime(QDate(2026, 12, 7), QTime(15, 0), Qt::UTC);
    QTest::newRow("later member") << QByteArray(R"({"resets_at": "soon", "reset_at": "2025-06-15T15:06:40Z"})") << june15;
    QTest::newRow("null, then resetsAt") << QByteArray(R"({"resets_at": null, "resetsAt": 1750000000})") << june15;
    QTest::newRow("date alone goes on") << QByteArray(R"({"resets_at": "2025-06-15", "reset_at": 1750000000})") << june15;
    QTest::newRow("date alone") << QByteArray(R"({"resets_at": "2025-06-15"})") << QDateTime();
    QTest::newRow("no zone") << QByteArray(R"({"resets_at": "2025-06-15T15:06:40"})") << QDateTime();
    QTest::newRow("no seconds") << QByteArray(R"({"resets_at": "2025-06-15T15:06Z"})") << QDateTime();
    QTest::newRow("space for T") << QByteArray(R"({"resets_at": "2025-06-15 15:06:40Z"})") << QDateTime();
    QTest::newRow("comma fraction") << QByteArray(R"({"resets_at": "2025-06-15T15:06:40,5Z"})") << QDateTime();
    QTest::newRow("offset without colon") << QByteArray(R"({"resets_at": "2025-06-15T15:06:40+0100"})") << QDateTime();
    QTest::newRow("hour 24") << QByteArray(R"({"resets_at": "2025-06-15T24:00:00Z"})") << QDateTime();
    QTest::newRow("no such day") << QByteArray(R"({"resets_at": "2025-02-30T12:00:00Z"})") << QDateTime();
    QTest::newRow("boolean") << QByteArray(R"({"resets_at": true})") << QDateTime();
    QTest::newRow("none") << QByteArray(R"({"window_end": 1750000000})") << QDateTime();
}

void TestClaudeUsageParser::resetDate()
{
    QFETCH(QByteArray, window);
    QFETCH(QDateTime, reset);

    const auto found = ClaudeUsageParser::resetDate(object(window));
    QCOMPARE(found.has_value(), reset.isValid());
    if (found)
        QCOMPARE(*found, reset);
}

void TestClaudeUsageParser::numeric_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<Number>("number");

    const double infinity = std::numeric_limits<double>::infinity();
    QTest::newRow("integer") << QByteArray("42") << Number(42.0);
    QTest::newRow("fraction") << QByteArray("42.5") << Number(42.5);
    QTest::newRow("text") << QByteArray(R"("42.5")") << Number(42.5);
    QTest::newRow("negative text") << QByteArray(R"("-3")") << Number(-3.0);
    QTest::newRow("exponent text") << QByteArray(R"("1e3")") << Number(1000.0);
    QTest::newRow("plus sign") << QByteArray(R"("+5")") << Number(5.0);
    QTest::newRow("hexadecimal") << QByteArray(R"("0x10")") << Number(16.0);
    QTest::newRow("inf") << QByteArray(R"("inf")") << Number(infinity);
    QTest::newRow("overflow") << QByteArray(R"("1e999")") << Number(infinity);
    QTest::newRow("comma") << QByteArray(R"("42,5")") << absent;
    QTest::newRow("leading space") << QByteArray(R"(" 42")") << absent;
    QTest::newRow("trailing space") << QByteArray(R"("42 ")") << absent;
    QTest::newRow("trailing NUL") << QByteArray(R"("42\u0000")") << absent;
    QTest::newRow("empty text") << QByteArray(R"("")") << absent;
    QTest::newRow("Arabic-Indic digits") << QByteArray(R"("\u0664\u0662")") << absent;
    QTest::newRow("boolean") << QByteArray("true") << absent;
    QTest::newRow("null") << QByteArray("null") << absent;
    QTest::newRow("array") << QByteArray("[1]") << absent;
    QTest::newRow("absent") << QByteArray("undefined") << absent;
}

void TestClaudeUsageParser::numeric()
{
    QFETCH(QByteArray, json);
    QFETCH(Number, number);

    QCOMPARE(ClaudeUsageParser::numeric(value(json)), number);
}

// A Qt application adopts the user's locale at start; a German one writes 42,5.
void TestClaudeUsageParser::numericIgnoresLocale_data()
{
    QTest::addColumn<bool>("cLibrary");
    QTest::newRow("Qt's default locale") << false;
    QTest::newRow("C library locale") << true;
}

void TestClaudeUsageParser::numericIgnoresLocale()
{
    QFETCH(bool, cLibrary);

    const QByteArray previous = std::setlocale(LC_ALL, nullptr);
    const auto restore = qScopeGuard([previous] {
        std::setlocale(LC_ALL, previous.constData());
        QLocale::setDefault(QLocale::c());
    });
    if (cLibrary) {
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            QSKIP("no German C library locale installed (de_DE.UTF-8)");
        // Without the trap armed this case would prove nothing.
        char *end = nullptr;
        QCOMPARE(std::strtod("42,5", &end), 42.5);
    } else {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    QCOMPARE(ClaudeUsageParser::numeric(QJsonValue(u"42.5"_s)), std::optional(42.5));
    QCOMPARE(ClaudeUsageParser::numeric(QJsonValue(u"42,5"_s)), std::nullopt);
    QCOMPARE(ClaudeUsageParser::usedPercent(object(R"({"utilization": "42,5", "used": "0.425"})")),
             std::optional(42.5));
}

QTEST_GUILESS_MAIN(TestClaudeUsageParser)
#include "tst_claudeusageparser.moc"
