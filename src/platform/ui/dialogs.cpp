#include "platform/ui/dialogs.h"

#include "platform/ui/folder_browser.h"
#include "platform/ui/qt_environment.h"

#include <QColor>
#include <QColorDialog>
#include <QMessageBox>

namespace tess {

namespace {

class QtDialogs final : public Dialogs {
public:
    std::optional<QString> pickFolder(QWidget *owner, const QString &title) override
    {
        keepQtSettingsAway();
        FolderBrowser browser(owner, title);
        if (browser.exec() != QDialog::Accepted || browser.selectedFolder().isEmpty())
            return std::nullopt;
        return browser.selectedFolder();
    }

    std::int32_t pickColour(QWidget *owner, std::int32_t initial) override
    {
        // Custom colours start white at every call: nothing the user defined
        // survives, and nothing of other Qt programs' comes in or goes out.
        keepQtSettingsAway();
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, QColor(255, 255, 255));
        const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
        // Qt's own dialog, not the desktop's: it speaks Japanese with the
        // program's translations and keeps its colours where we put them.
        QColorDialog dialog(start, owner);
        dialog.setObjectName(QStringLiteral("ColourDialog"));
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        if (dialog.exec() != QDialog::Accepted)
            return -1;
        const QColor chosen = dialog.selectedColor();
        if (!chosen.isValid())
            return -1;
        return std::int32_t(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
    }

    void message(QWidget *owner, const QString &text, const QString &title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? QStringLiteral("Tessarolith") : title,
                        text, QMessageBox::Ok, owner);
        // Messages name files, whose names may look like markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
};

Dialogs *&installed()
{
    static Dialogs *d = nullptr;
    return d;
}

} // namespace

Dialogs &dialogs()
{
    static QtDialogs qtDialogs;
    return installed() ? *installed() : qtDialogs;
}

void setDialogsForTesting(Dialogs *d)
{
    installed() = d;
}

} // namespace tess
