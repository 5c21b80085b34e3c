#pragma once

#include "platform/ui_language.h"

class QCoreApplication;

namespace tess {

// Qt's own texts (qtbase: the standard dialogs, buttons and context menus Qt
// draws) in the program's language: Japanese loaded for Japanese, whatever the
// locale says, and Qt's own English (nothing loaded) for English. False when
// the Japanese translation is not installed; the texts then stay English.
bool installQtTranslations(QCoreApplication *app, UiLanguage language);

// Qt's dialogs keep their state (the colour dialog's custom colours, file
// dialog history) in the QtProject settings every Qt program of the user
// shares. This program names its one settings file and keeps nothing else, so
// Qt's settings are pointed at a place that holds none and takes none: the
// user's QtProject file is neither read nor written. Idempotent; call it before
// any Qt dialog opens.
void keepQtSettingsAway();

} // namespace tess
