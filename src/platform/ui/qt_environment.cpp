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
    static QPointer<QTranslator> installed;
    return keepTranslator(installed, app, language == UiLanguage::Japanese, [](QTranslator &translator) {
        return translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                               QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    });
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
