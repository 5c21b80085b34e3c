#include "platform/ui/qt_environment.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

namespace tess {

bool installQtTranslations(QCoreApplication *app, UiLanguage language)
{
    // Held by the application, so it goes with it (and a later one loads anew).
    static QPointer<QTranslator> installed;
    if (!app)
        return false;
    if (language == UiLanguage::English) {
        if (installed && installed->parent() == app)
            delete installed;
        return true;
    }
    if (installed && installed->parent() == app)
        return true;
    auto *translator = new QTranslator(app);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    app->installTranslator(translator);
    installed = translator;
    return true;
}

void keepQtSettingsAway()
{
    // A folder below a character device: nothing can be read there, and no
    // one, root included, can make the folder or a file in it.
    static const bool done = [] {
        const QString nowhere = QStringLiteral("/dev/null/qt-settings");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, nowhere);
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, nowhere);
        return true;
    }();
    (void)done;
}

} // namespace tess
