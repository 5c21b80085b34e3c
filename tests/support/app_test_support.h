#pragma once
// Helpers shared by the main window's tests: a program folder of their own,
// dialogs that answer without a person, and pictures written to disk.
#include "app/main_window.h"
#include "controls/command.h"
#include "platform/picture.h"
#include "codecs/picture_codecs.h"
#include "platform/program_folder.h"
#include "platform/ui/dialogs.h"
#include "support/fake_dialogs.h"
#include "support/test_pictures.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QList>
#include <QMouseEvent>
#include <QApplication>
#include <QListWidget>
#include <QPair>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

namespace tess::testing {

// A program folder of the test's own for as long as the object lives.
class ProgramFolder {
public:
    ProgramFolder() { setProgramFolderForTesting(m_dir.path()); }
    ~ProgramFolder() { setProgramFolderForTesting(QString()); }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    // Tessarolith.ini as the program reads it: Shift-JIS text, CRLF lines.
    void writeSettings(const QList<QPair<QString, QString>> &keys) const
    {
        QString text = QStringLiteral("[Section]\r\n");
        for (const auto &[key, value] : keys)
            text += key + QLatin1Char('=') + value + QStringLiteral("\r\n");
        QStringEncoder encoder("Shift_JIS");
        const QByteArray bytes = encoder(text);
        QFile out(file(QStringLiteral("Tessarolith.ini")));
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
    }

private:
    QTemporaryDir m_dir;
};

inline bool writeBmp(const QString &path, const Picture &picture)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(encodeBmp(picture)) > 0;
}

inline bool writeJpeg(const QString &path, const Picture &picture)
{
    return picture.toImage().save(path, "JPG", 95);
}

inline bool writeGarbage(const QString &path)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write("this is not a picture at all") > 0;
}

// The main window as the program opens it, shown and active.
inline std::unique_ptr<MainWindow> showMainWindow(ThumbSettings &settings)
{
    auto window = std::make_unique<MainWindow>(settings);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("main window not active");
    return window;
}

// The names a list shows, top to bottom.
inline QStringList entries(const QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names.append(list->item(i)->text());
    return names;
}

// As a user clicks a button: the pointer arrives over it first, so the
// button has its hover look when the press gives it the focus. A move onto
// the spot where the pointer already is goes unseen, hence the detour.
inline void clickCommand(Command *button)
{
    QTest::mouseMove(button->window(), QPoint(1, 1));
    QTest::mouseMove(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

// A click with the pointer already there, for a handler of the run's reports:
// unlike a move, it lets no other event in before it lands, so the run is
// still at the file whose report the handler hears.
inline void clickCommandInPlace(Command *button)
{
    const QPoint centre = button->rect().center();
    QMouseEvent over(QEvent::MouseMove, centre, button->mapToGlobal(centre), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(button, &over);
    QTest::mouseClick(button, Qt::LeftButton, {}, centre);
}

// The window scans folders and runs batches on threads of its own: these
// wait for the end, false when it does not come within the time given.
[[nodiscard]] inline bool waitForListing(const MainWindow &window, int timeoutMs = 20000)
{
    return QTest::qWaitFor([&] { return !window.scanning(); }, timeoutMs);
}
[[nodiscard]] inline bool listAndWait(MainWindow &window, const QString &folder)
{
    return window.ListFolder(folder) && waitForListing(window);
}
[[nodiscard]] inline bool clickRunAndWait(MainWindow &window, int timeoutMs = 60000)
{
    clickCommand(window.Cmd_Thumb);
    return QTest::qWaitFor([&] { return !window.running(); }, timeoutMs);
}

} // namespace tess::testing
