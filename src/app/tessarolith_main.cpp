// tessarolith: the thumbnail maker's window.
#include "app/close_on_terminate.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "platform/app_locations.h"
#include "platform/ui/fonts.h"
#include "platform/ui/qt_environment.h"
#include "settings/thumb_settings.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // From the first moment a copy may hold the lock, SIGTERM means "close".
    tess::CloseOnTerminate closeOnTerminate;

    // A second copy ends here, silently, before any window or file is touched.
    tess::SingleInstance instance(tess::SingleInstance::lockPathFor(tess::appLocations().settingsFolder));
    if (!instance.acquire())
        return 0;

    tess::installFontSubstitutes();
    tess::installQtTranslations(&app);
    tess::keepQtSettingsAway();
    tess::ThumbSettings settings; // the program's one settings record
    tess::MainWindow window(settings);
    closeOnTerminate.setWindow(&window);
    window.show();
    return app.exec();
}
