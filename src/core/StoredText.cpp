#include "StoredText.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace StoredText {

namespace {

// Filled with numbers only: their fixed text is short, and a name that merely ends in "h" or
// "-day" is no window length.
enum class Fill { text, number };

struct FormText {
    const char *text;
    Fill fill = Fill::text;
};

constexpr FormText forms[] = {
    {QT_TRANSLATE_NOOP("StoredText", "not signed in to Claude Code")},
    {QT_TRANSLATE_NOOP("StoredText", "unexpected credential/usage format")},
    {QT_TRANSLATE_NOOP("StoredText", "usage fetch failed")},
    {QT_TRANSLATE_NOOP("StoredText", "usage fetch failed (HTTP %1)"), Fill::number},
    {QT_TRANSLATE_NOOP("StoredText", "token rejected — open Claude Code to refresh")},
    {QT_TRANSLATE_NOOP("StoredText", "token expired — sign in to refresh")},
    {QT_TRANSLATE_NOOP("StoredText", "no usage windows in response")},
    {QT_TRANSLATE_NOOP("StoredText", "no rate limits reported for this plan")},
    {QT_TRANSLATE_NOOP("StoredText", "no Codex auth (%1)")},
    {QT_TRANSLATE_NOOP("StoredText", "%1 is not valid UTF-8")},
    {QT_TRANSLATE_NOOP("StoredText", "%1 is not a JSON object")},
    {QT_TRANSLATE_NOOP("StoredText", "%1 is not valid JSON: %2 at offset %3")},
    {QT_TRANSLATE_NOOP("StoredText", "cannot read %1: %2")},
    {QT_TRANSLATE_NOOP("StoredText", "not a regular file")},
    {QT_TRANSLATE_NOOP("StoredText", "larger than 1 MiB")},
    {QT_TRANSLATE_NOOP("StoredText", "%1: \"%2\" %3")},
    {QT_TRANSLATE_NOOP("StoredText", "is not an object")},
    {QT_TRANSLATE_NOOP("StoredText", "is not a string")},
    {QT_TRANSLATE_NOOP("StoredText", "is not a number")},
    {QT_TRANSLATE_NOOP("StoredText", "is missing")},
    {QT_TRANSLATE_NOOP("StoredText", "is null")},
    {QT_TRANSLATE_NOOP("StoredText", "usage response")},
    {QT_TRANSLATE_NOOP("StoredText", "%1 (%2)")},
    {QT_TRANSLATE_NOOP("StoredText", "request timed out (no data for %1 s)"), Fill::number},
    {QT_TRANSLATE_NOOP("StoredText", "request took longer than %1 s"), Fill::number},
    {QT_TRANSLATE_NOOP("StoredText", "response too large (over %1 bytes)"), Fill::number},
    {QT_TRANSLATE_NOOP("StoredText", "request cancelled")},
    {QT_TRANSLATE_NOOP("StoredText", "too many redirects")},
    {QT_TRANSLATE_NOOP("StoredText", "redirect to %1 not followed: only the same origin may receive the token")},
    {QT_TRANSLATE_NOOP("StoredText", "request failed (network error %1)"), Fill::number},
    {QT_TRANSLATE_NOOP("StoredText", "response ended early (%1 of %2 bytes)"), Fill::number},
    {QT_TRANSLATE_NOOP("StoredText", "rate-limited — retrying")},
    {QT_TRANSLATE_NOOP("StoredText", "the last request failed — retrying")},
    {QT_TRANSLATE_NOOP("StoredText", "waiting to ask again")},
    {QT_TRANSLATE_NOOP("StoredText", "usage limit")},
    {QT_TRANSLATE_NOOP("StoredText", "Code review")},
    {QT_TRANSLATE_NOOP("StoredText", "Routines weekly")},
    {QT_TRANSLATE_NOOP("StoredText", "Model")},
    {QT_TRANSLATE_NOOP("StoredText", "5h")},
    {QT_TRANSLATE_NOOP("StoredText", "Weekly")},
    {QT_TRANSLATE_NOOP("StoredText", "30-day")},
    {QT_TRANSLATE_NOOP("StoredText", "Monthly")},
    {QT_TRANSLATE_NOOP("StoredText", "%1-day"), Fill::number},
    {QT_TRANSLATE_NOOP("StoredText", "%1h"), Fill::number},
    {QT_TRANSLATE_NOOP("StoredText", "not signed in — run `kimi login`")},
    {QT_TRANSLATE_NOOP("StoredText", "sign-in expired — run `kimi login`")},
    {QT_TRANSLATE_NOOP("StoredText", "the sign-in was refused — run `kimi login`")},
    {QT_TRANSLATE_NOOP("StoredText", "not signed in — run `gh auth login`")},
    {QT_TRANSLATE_NOOP("StoredText", "the GitHub sign-in was refused — run `gh auth login`")},
    {QT_TRANSLATE_NOOP("StoredText", "this GitHub sign-in cannot see Copilot usage")},
    {QT_TRANSLATE_NOOP("StoredText", "no limit on premium requests for this plan")},
    {QT_TRANSLATE_NOOP("StoredText", "is not an array")},
    {QT_TRANSLATE_NOOP("StoredText", "Tool calls")},
    {QT_TRANSLATE_NOOP("StoredText", "the key was refused")},
    {QT_TRANSLATE_NOOP("StoredText", "no API key — add one in Settings or set ZAI_API_KEY")},
    {QT_TRANSLATE_NOOP("StoredText", "the keyring did not give the key: %1")},
    {QT_TRANSLATE_NOOP("StoredText", "%1 (code %2)")},
};
static_assert(std::size(forms) == formCount);

const QRegularExpression placeholder(u"%(\\d)"_s);

// A form read backwards: its fixed parts literally, each placeholder any text, captured.
struct Pattern {
    const char *form = nullptr;
    QRegularExpression match;
    QList<int> numbers; // the placeholder each capture fills, in order
    QString head;       // the fixed text before the first placeholder, or all of a form without one
    QString tail;       // the fixed text after the last placeholder

    // Told by the fixed ends, so that the expressions of the forms it cannot be are never built.
    bool mayMatch(const QString &text) const
    {
        if (numbers.isEmpty())
            return text == head;
        return text.size() > head.size() + tail.size() && text.startsWith(head) && text.endsWith(tail);
    }
};

Pattern patternOf(const FormText &form)
{
    const QString text = QString::fromUtf8(form.text);
    const QString filling = form.fill == Fill::number ? u"([0-9][0-9.,]*)"_s : u"(.+)"_s;
    Pattern pattern;
    pattern.form = form.text;
    QString expression = u"^"_s;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &found : placeholder.globalMatch(text)) {
        const QString fixed = text.sliced(from, found.capturedStart() - from);
        if (pattern.numbers.isEmpty())
            pattern.head = fixed;
        expression += QRegularExpression::escape(fixed) + filling;
        pattern.numbers.append(found.captured(1).toInt());
        from = found.capturedEnd();
    }
    if (pattern.numbers.isEmpty()) {
        pattern.head = text;
        return pattern;
    }
    pattern.tail = text.sliced(from);
    pattern.match.setPattern(expression + QRegularExpression::escape(pattern.tail) + u'$');
    return pattern;
}

// The forms with most fixed text first, so that "%1 (%2)" never takes what a longer one fits.
const QList<Pattern> &patterns()
{
    static const QList<Pattern> all = [] {
        QList<Pattern> made;
        for (const FormText &form : forms)
            made.append(patternOf(form));
        const auto fixedLength = [](const Pattern &pattern) {
            return QString::fromUtf8(pattern.form).remove(placeholder).size();
        };
        std::ranges::stable_sort(made, std::greater(), fixedLength);
        return made;
    }();
    return all;
}

// One pass, so that a filled-in part holding "%1" stays as it is.
QString filled(const QString &form, const QStringList &parts)
{
    QString text;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &found : placeholder.globalMatch(form)) {
        text += form.sliced(from, found.capturedStart() - from);
        text += parts.value(found.captured(1).toInt() - 1, found.captured());
        from = found.capturedEnd();
    }
    return text + form.sliced(from);
}

} // namespace

QString english(Form form)
{
    return QString::fromUtf8(forms[form].text);
}

QString shown(const QString &english)
{
    for (const Pattern &pattern : patterns()) {
        if (!pattern.mayMatch(english))
            continue;
        if (pattern.numbers.isEmpty())
            return QCoreApplication::translate("StoredText", pattern.form);
        const QRegularExpressionMatch found = pattern.match.match(english);
        if (!found.hasMatch())
            continue;
        QStringList parts(10);
        for (int i = 0; i < pattern.numbers.size(); ++i)
            parts[pattern.numbers[i] - 1] = shown(found.captured(i + 1)); // each part is shorter
        return filled(QCoreApplication::translate("StoredText", pattern.form), parts);
    }
    return english;
}

} // namespace StoredText
