#include "platform/ui/dialogs.h"

#include <QColor>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace tess {

namespace {

class QtDialogs final : public Dialogs {
public:
    std::optional<QString> pickFolder(QWidget *owner, const QString &title) override
    {
        const QString path = QFileDialog::getExistingDirectory(owner, title, QString(),
                                                               QFileDialog::ShowDirsOnly);
        if (path.isEmpty())
            return std::nullopt;
        return QDir::cleanPath(path);
    }

    std::int32_t pickColour(QWidget *owner, std::int32_t initial) override
    {
        // Custom colours start white at every call: nothing the user defined survives.
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, QColor(255, 255, 255));
        const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
        const QColor chosen = QColorDialog::getColor(start, owner);
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
