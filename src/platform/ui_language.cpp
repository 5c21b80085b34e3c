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

bool keepTranslator(QPointer<QTranslator> &slot, QCoreApplication *app, bool wanted,
                    const std::function<bool(QTranslator &)> &load)
{
    if (!app)
        return false;
    const bool held = slot && slot->parent() == app;
    if (!wanted) {
        if (held)
            delete slot;
        return true;
    }
    if (held)
        return true;
    auto *translator = new QTranslator(app);
    if (!load(*translator)) {
        delete translator;
        return false;
    }
    app->installTranslator(translator);
    slot = translator;
    return true;
}

bool installProgramTranslation(QCoreApplication *app, UiLanguage language)
{
    static QPointer<QTranslator> installed;
    return keepTranslator(installed, app, language != UiLanguage::Japanese, [](QTranslator &translator) {
        return translator.load(QStringLiteral(":/i18n/tessarolith_en.qm"));
    });
}

} // namespace tess
