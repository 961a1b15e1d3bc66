#pragma once

// The program's own translation for the user's language (LANGUAGE first, as QLocale's
// uiLanguages reads it) and Qt's own for its dialogs and --help where the system has them.
// Call once the application object exists.
namespace Translations {

void install();

} // namespace Translations
