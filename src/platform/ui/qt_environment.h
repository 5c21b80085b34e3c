#pragma once

class QCoreApplication;

namespace tess {

// Loads Qt's own Japanese texts (qtbase), so the standard dialogs, buttons and
// context menus Qt draws speak the program's language whatever the locale.
// False when the translation is not installed; the texts then stay English.
bool installQtTranslations(QCoreApplication *app);

// Qt's dialogs keep their state (the colour dialog's custom colours, file
// dialog history) in the QtProject settings every Qt program of the user
// shares. This program names its one settings file and keeps nothing else, so
// Qt's settings are pointed at a place that holds none and takes none: the
// user's QtProject file is neither read nor written. Idempotent; call it before
// any Qt dialog opens.
void keepQtSettingsAway();

} // namespace tess
