#pragma once
// The main window's tests share this fixture: a program folder of their own,
// dialogs that answer without a person, the settings record and the window,
// made afresh for each test and torn down after it. A test class derives from
// it and calls setUp() and tearDown() from its init() and cleanup().
#include "app/main_window.h"
#include "controls/command.h"
#include "settings/thumb_settings.h"
#include "support/app_test_support.h"
#include "support/fake_dialogs.h"

#include <QListWidget>
#include <QTest>
#include <memory>

namespace tess::testing {

class WindowFixture {
protected:
    std::unique_ptr<ProgramFolder> program;
    std::unique_ptr<FakeDialogs> fake;
    std::unique_ptr<ThumbSettings> settings;
    std::unique_ptr<MainWindow> window;

    void setUp()
    {
        program = std::make_unique<ProgramFolder>();
        fake = std::make_unique<FakeDialogs>();
    }

    void tearDown()
    {
        if (window)
            window->close();
        window.reset();
        settings.reset();
        fake.reset();
        program.reset();
    }

    // The window as the program opens it, on a fresh settings record.
    MainWindow &open()
    {
        settings = std::make_unique<ThumbSettings>();
        window = showMainWindow(*settings);
        return *window;
    }

    // Lists a folder through the real button and waits for its scan; the
    // first picture's preview may still be loading.
    void listFolder(const QString &folder)
    {
        fake->folderAnswers.push_back(folder);
        clickCommand(window->Cmd_InFolder);
        QVERIFY(waitForListing(*window));
    }
};

// Waits until the window shows the preview of the last click; false when it
// does not within the time given.
[[nodiscard]] inline bool waitForPreview(const MainWindow &window, int timeoutMs = 20000)
{
    return QTest::qWaitFor([&] { return !window.previewing(); }, timeoutMs);
}

// Clicks the entry at row as a user does, and waits for its preview.
[[nodiscard]] inline bool clickRowAndWait(const MainWindow &window, QListWidget *list, int row)
{
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    return waitForPreview(window);
}

} // namespace tess::testing
