#pragma once
// The main window as the window benchmarks drive it: its settings copied from
// the given file into a program folder of its own, the folder picker answered
// with `folder`, messages swallowed, no animations.
#include "app/main_window.h"
#include "chrome/window_animation.h"
#include "platform/program_folder.h"
#include "platform/ui/dialogs.h"
#include "settings/thumb_settings.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

class BenchWindow final : public tess::Dialogs {
public:
    BenchWindow(const char *settingsFile, QString folder) : m_folder(std::move(folder))
    {
        QFile::copy(QString::fromLocal8Bit(settingsFile), m_program.filePath(QStringLiteral("Tessarolith.ini")));
        tess::setProgramFolderForTesting(m_program.path());
        tess::setDialogsForTesting(this);
        tess::setWindowAnimationsEnabled(false);
        window = std::make_unique<tess::MainWindow>(settings);
        window->show();
        QApplication::processEvents();
    }
    ~BenchWindow() override
    {
        window.reset();
        tess::setDialogsForTesting(nullptr);
    }

    std::optional<QString> pickFolder(QWidget *, const QString &) override { return m_folder; }
    std::int32_t pickColour(QWidget *, std::int32_t) override { return -1; }
    void message(QWidget *, const QString &, const QString &) override {}

    tess::ThumbSettings settings; // what the window loaded from the file
    std::unique_ptr<tess::MainWindow> window;

private:
    QTemporaryDir m_program;
    QString m_folder;
};
