// A folder opened from outside the window: given on the command line or
// dropped onto it. It lists as a folder chosen in the browser does.
#include "app/folder_to_open.h"
#include "app/list_box.h"
#include "app/main_window.h"
#include "support/app_test_support.h"
#include "support/window_fixture.h"
#include "chrome/window_animation.h"
#include "support/raw_names.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace tess;
using namespace tess::testing;

namespace {

// Sends a drag onto the window and, when the window takes it, the drop.
bool dropOnto(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class OpenFolderTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFolder> program;
    std::unique_ptr<FakeDialogs> fake;
    std::unique_ptr<QTemporaryDir> pictures;
    ThumbSettings settings;
    std::unique_ptr<MainWindow> window;

    QString at(const QString &name) const { return pictures->filePath(name); }

private slots:
    void initTestCase() { setWindowAnimationsEnabled(false); }

    void init()
    {
        program = std::make_unique<ProgramFolder>();
        fake = std::make_unique<FakeDialogs>();
        pictures = std::make_unique<QTemporaryDir>();
        QVERIFY(writeBmp(at(QStringLiteral("b.bmp")), quadrantPicture(8, 6)));
        QVERIFY(writeJpeg(at(QStringLiteral("A.jpg")), quadrantPicture(12, 10)));
        QVERIFY(writeGarbage(at(QStringLiteral("notes.txt"))));
        QVERIFY(QDir().mkpath(at(QStringLiteral("sub"))));
        QVERIFY(writeBmp(at(QStringLiteral("sub/c.BMP")), quadrantPicture(4, 4)));
        QVERIFY(QDir().mkpath(at(QStringLiteral("phone"))));
        QVERIFY(writeGarbage(at(QStringLiteral("phone/IMG_0001.HEIC"))));
        window = showMainWindow(settings);
    }

    void cleanup()
    {
        window->close();
        window.reset();
        fake.reset();
        program.reset();
        pictures.reset();
    }

    void pathsFromOutsideNameTheirFolder_data()
    {
        QTest::addColumn<QString>("given"); // relative to the pictures folder; "" = the folder itself
        QTest::addColumn<QString>("folder"); // "-" = nothing to open
        QTest::newRow("folder") << "" << "";
        QTest::newRow("folder with trailing slash") << "sub/" << "sub";
        QTest::newRow("folder through dot-dot") << "sub/../sub" << "sub";
        QTest::newRow("bitmap") << "b.bmp" << "";
        QTest::newRow("picture, upper case") << "sub/c.BMP" << "sub";
        QTest::newRow("jpeg") << "A.jpg" << "";
        QTest::newRow("another kind, by its name") << "phone/IMG_0001.HEIC" << "phone";
        QTest::newRow("other file") << "notes.txt" << "-";
        QTest::newRow("missing") << "gone" << "-";
    }

    void pathsFromOutsideNameTheirFolder()
    {
        QFETCH(QString, given);
        QFETCH(QString, folder);
        const std::optional<QString> got = folderToOpen(given.isEmpty() ? pictures->path() : at(given));
        if (folder == QLatin1String("-")) {
            QVERIFY(!got);
        } else {
            const QString expected = QDir::cleanPath(folder.isEmpty() ? pictures->path() : at(folder));
            QCOMPARE(got, std::optional<QString>(expected));
        }
        QVERIFY(!folderToOpen(QString()));
    }

    void dropsTakeTheFirstLocalUrl()
    {
        const QUrl web(QStringLiteral("https://example.com/a.jpg"));
        QCOMPARE(folderToOpen(QList<QUrl>{web, QUrl::fromLocalFile(at(QStringLiteral("sub/c.BMP")))}),
                 std::optional<QString>(QDir::cleanPath(at(QStringLiteral("sub")))));
        QVERIFY(!folderToOpen(QList<QUrl>{web}));
        QVERIFY(!folderToOpen(QList<QUrl>{}));
    }

    void foldersNamedInOtherBytesOpenByThoseBytes()
    {
        const QByteArray latin1("caf\xE9");
        const QString folder = at(nameFromNative(latin1));
        QVERIFY(::mkdir(nativePath(folder).constData(), 0755) == 0);
        QVERIFY(test_files::writeRaw(folder, "\x8E\xCA.bmp", QByteArray("BM")));
        QCOMPARE(folderToOpen(folder), std::optional<QString>(folder));
        QCOMPARE(folderToOpen(folder + QStringLiteral("/") + nameFromNative("\x8E\xCA.bmp")),
                 std::optional<QString>(folder));
        // A drop carries the name percent-encoded: %E9 must come back as that byte.
        const QUrl dropped(QStringLiteral("file://") + QString::fromLatin1(nativePath(pictures->path()).toPercentEncoding("/"))
                           + QStringLiteral("/caf%E9"));
        QCOMPARE(folderToOpen(QList<QUrl>{dropped}), std::optional<QString>(folder));
        test_files::removeRawNames(folder);
        QVERIFY(::rmdir(nativePath(folder).constData()) == 0);
    }

    void listFolderListsAsTheBrowserDoes()
    {
        window->List_Thumb->addItem(QStringLiteral("Thumb_old.jpg"));
        QVERIFY(!window->Cmd_Thumb->enabledFlag());
        QVERIFY(listAndWait(*window, pictures->path()));
        QCOMPARE(window->Folder_Path->text(), pictures->path());
        QCOMPARE(entries(window->List_Pic), (QStringList{"A.jpg", "b.bmp"}));
        QCOMPARE(window->List_Pic->currentRow(), 0);
        QVERIFY(waitForPreview(*window));
        QCOMPARE(window->lbl_PreSize->text(), QStringLiteral("12 * 10"));
        QVERIFY(window->Cmd_Thumb->enabledFlag());
        QCOMPARE(window->List_Thumb->count(), 0);
        QVERIFY(fake->folderTitles.isEmpty()); // no browser was shown
    }

    void droppedFolderOrPictureLists_data()
    {
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("folder") << "sub" << "sub" << QStringList{"c.BMP"};
        QTest::newRow("picture") << "A.jpg" << "" << QStringList{"A.jpg", "b.bmp"};
    }

    void droppedFolderOrPictureLists()
    {
        QFETCH(QString, dropped);
        QFETCH(QString, listed);
        QFETCH(QStringList, names);
        QVERIFY(dropOnto(window.get(), {QUrl::fromLocalFile(at(dropped))}));
        QVERIFY(waitForListing(*window));
        const QString folder = QDir::cleanPath(listed.isEmpty() ? pictures->path() : at(listed));
        QCOMPARE(window->Folder_Path->text(), folder);
        QCOMPARE(entries(window->List_Pic), names);
        QVERIFY(window->Cmd_Thumb->enabledFlag());
    }

    void dropOfAnythingElseIsRefused_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::newRow("text file") << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("notes.txt"))};
        QTest::newRow("web address") << QList<QUrl>{QUrl(QStringLiteral("https://example.com/pics/"))};
        QTest::newRow("nothing") << QList<QUrl>{};
    }

    void dropOfAnythingElseIsRefused()
    {
        QFETCH(QList<QUrl>, urls);
        for (QUrl &url : urls) {
            if (url.isLocalFile())
                url = QUrl::fromLocalFile(at(url.toLocalFile()));
        }
        QVERIFY(listAndWait(*window, at(QStringLiteral("sub"))));
        QVERIFY(!dropOnto(window.get(), urls));
        QCOMPARE(window->Folder_Path->text(), QDir::cleanPath(at(QStringLiteral("sub"))));
        QCOMPARE(entries(window->List_Pic), QStringList{"c.BMP"});
    }

    void dropOnAListReachesTheWindow()
    {
        QVERIFY(dropOnto(window->List_Pic->viewport(), {QUrl::fromLocalFile(pictures->path())}));
        QVERIFY(waitForListing(*window));
        QCOMPARE(entries(window->List_Pic), (QStringList{"A.jpg", "b.bmp"}));
    }
};

QTEST_MAIN(OpenFolderTest)
#include "open_folder_qtest.moc"
