#include "platform/ui_language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace tess {

UiLanguage uiLanguageFor(const QStringList &uiLanguages)
{
    if (uiLanguages.isEmpty())
        return UiLanguage::Japanese;
    const QLocale first(uiLanguages.first());
    if (first.language() == QLocale::Japanese || first.language() == QLocale::C)
        return UiLanguage::Japanese;
    return UiLanguage::English;
}

UiLanguage desktopUiLanguage()
{
    return uiLanguageFor(QLocale::system().uiLanguages());
}

bool installProgramTranslation(QCoreApplication *app, UiLanguage language)
{
    // Held by the application, so it goes with it (and a later one loads anew).
    static QPointer<QTranslator> installed;
    if (!app)
        return false;
    if (language == UiLanguage::Japanese) {
        if (installed && installed->parent() == app)
            delete installed;
        return true;
    }
    if (installed && installed->parent() == app)
        return true;
    auto *translator = new QTranslator(app);
    if (!translator->load(QStringLiteral(":/i18n/tessarolith_en.qm"))) {
        delete translator;
        return false;
    }
    app->installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace tess
