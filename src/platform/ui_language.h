#pragma once

#include <QPointer>
#include <QStringList>
#include <QTranslator>

#include <functional>

class QCoreApplication;

namespace tess {

// The language the program speaks. Japanese is the program's own: its texts
// are the source texts, so it needs no translation loaded.
enum class UiLanguage { Japanese, English };

// Japanese when the first of the desktop's UI languages is Japanese, and when
// none is set (the C or POSIX locale, as under tests and scripts); English for
// every other language, the one translation the program carries.
UiLanguage uiLanguageFor(const QStringList &uiLanguages);

// The choice for the desktop this process runs on (LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG, as QLocale reads them).
UiLanguage desktopUiLanguage();

// Installs the program's translation for language into app (nothing for
// Japanese). Idempotent per application; false when the translation could not
// be loaded, the texts then staying Japanese.
bool installProgramTranslation(QCoreApplication *app, UiLanguage language);

// Keeps one translator of app in `slot`: loaded once by `load` and installed
// while wanted, dropped when not. The translator is the application's child,
// so it goes with it and a later application loads anew. False when a wanted
// one could not be loaded.
bool keepTranslator(QPointer<QTranslator> &slot, QCoreApplication *app, bool wanted,
                    const std::function<bool(QTranslator &)> &load);

} // namespace tess
