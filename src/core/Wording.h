#pragma once

#include <QString>

// Which language a text is put in: the user's for people to read, English for what scripts read
// (every JSON output stays the same whatever the language).
enum class Wording { local, english };

// A text marked with QT_TRANSLATE_NOOP(context, source) in that wording; with a count, its
// "%n" is the count and the translation takes the count's plural form.
QString worded(Wording wording, const char *context, const char *source, int count = -1);
