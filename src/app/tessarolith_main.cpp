// tessarolith: the thumbnail maker's window.
#include "app/close_on_terminate.h"
#include "app/folder_to_open.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "platform/app_locations.h"
#include "platform/file_names.h"
#include "platform/ui_language.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fonts.h"
#include "platform/ui/qt_environment.h"
#include "platform/ui/window_system.h"
#include "settings/thumb_settings.h"

#include <QApplication>
#include <QTimer>
#include <QCoreApplication>

int main(int argc, char **argv)
{
    tess::choosePlatformPlugin();
    QApplication app(argc, argv);
    // The compositor finds the icon and the launcher entry (and its progress)
    // by this name; on Wayland it is the window's app_id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessarolith.Tessarolith"));
    // From the first moment a copy may hold the lock, SIGTERM means "close".
    tess::CloseOnTerminate closeOnTerminate;

    // A second copy ends here, silently, before any window or file is touched.
    tess::SingleInstance instance(tess::SingleInstance::lockPathFor(tess::appLocations().settingsFolder));
    if (!instance.acquire())
        return 0;

    tess::installFontSubstitutes();
    const tess::UiLanguage language = tess::desktopUiLanguage();
    tess::installProgramTranslation(&app, language);
    tess::installQtTranslations(&app, language);
    tess::keepQtSettingsAway();
    tess::ThumbSettings settings; // the program's one settings record
    tess::MainWindow window(settings);
    closeOnTerminate.setWindow(&window);
    window.show();

    // A folder given on the command line (a file manager's "Open with") is
    // listed once the window is up, as if chosen in the folder browser. Only
    // the first argument counts; Qt has taken its own options out already.
    // Read from argv by its bytes, so that a folder named in another encoding opens.
    if (argc > 1) {
        const QString given = tess::nameFromNative(QByteArray(argv[1]));
        QTimer::singleShot(0, &window, [&window, given] {
            if (const auto folder = tess::folderToOpen(given))
                window.ListFolder(*folder);
            else
                tess::dialogs().message(&window, QCoreApplication::translate("MainWindow", "フォルダが見つかりません: ") + tess::displayName(given));
        });
    }
    return app.exec();
}
