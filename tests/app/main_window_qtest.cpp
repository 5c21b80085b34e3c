// The main window: layout, startup state, folder listing, previews and closing.
#include "app/list_box.h"
#include "app/main_window.h"
#include "support/app_test_support.h"
#include "support/window_fixture.h"
#include "chrome/close_image.h"
#include "chrome/picture_box.h"
#include "chrome/window_animation.h"
#include "controls/command.h"
#include "settings/settings_file.h"
#include "settings/ui/settings_window.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace tess;
using namespace tess::testing;

namespace {

// Design twips to pixels at 96 dpi, half to even.
int px(double twips)
{
    return int(std::nearbyint(twips / 15.0));
}

QRect designRect(double left, double top, double width, double height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace

class MainWindowTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> pictures;

    QString picturePath(const QString &name) const { return pictures->filePath(name); }

    // Lists a folder and waits for its first picture's preview.
    [[nodiscard]] bool listAndPreview(const QString &folder)
    {
        listFolder(folder);
        return waitForPreview(*window);
    }

    // Opens the window on a.bmp (width x height) and a 50 x 20 b.bmp, and
    // waits for the first one's preview.
    [[nodiscard]] bool openTwoPictures(int width, int height)
    {
        open();
        return writeBmp(picturePath("a.bmp"), quadrantPicture(width, height))
            && writeBmp(picturePath("b.bmp"), quadrantPicture(50, 20)) && listAndPreview(pictures->path());
    }

private slots:
    void initTestCase() { setWindowAnimationsEnabled(false); }

    void init()
    {
        setUp();
        pictures = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        tearDown();
        pictures.reset();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("Pic_C") << "Pic_C" << "Tessarolith_Main" << designRect(0, 300, 8415, 6915);
        QTest::newRow("Pic_1") << "Pic_1" << "Pic_C" << designRect(120, 120, 8175, 6675);
        QTest::newRow("List_Pic") << "List_Pic" << "Pic_1" << designRect(180, 1140, 2535, 4740);
        QTest::newRow("List_Thumb") << "List_Thumb" << "Pic_1" << designRect(5400, 1140, 2595, 4740);
        QTest::newRow("Folder_Path") << "Folder_Path" << "Pic_1" << designRect(1740, 600, 6255, 435);
        QTest::newRow("Pic_K") << "Pic_K" << "Pic_1" << designRect(2880, 1740, 1500, 1500);
        QTest::newRow("Pic_Base") << "Pic_Base" << "Pic_1" << designRect(2880, 3300, 2355, 2355);
        QTest::newRow("picHigh") << "picHigh" << "Pic_Base" << designRect(0, 0, 2280, 2280);
        QTest::newRow("PicProgress") << "PicProgress" << "Pic_1" << designRect(2880, 5700, 2355, 195);
        QTest::newRow("lbl_PreSize") << "lbl_PreSize" << "Pic_1" << designRect(2880, 1500, 1515, 195);
        QTest::newRow("Shape1(1)") << "Shape1(1)" << "Pic_1" << designRect(2880, 1140, 1515, 315);
        QTest::newRow("lbl(0)") << "lbl(0)" << "Pic_1" << designRect(5460, 240, 2505, 255);
        QTest::newRow("Cmd_InFolder") << "Cmd_InFolder" << "Pic_1" << designRect(180, 600, 1515, 375);
        QTest::newRow("Cmd_Thumb") << "Cmd_Thumb" << "Pic_1" << designRect(2880, 6060, 2355, 375);
        QTest::newRow("Cmd_Can") << "Cmd_Can" << "Pic_1" << designRect(6720, 6060, 1275, 375);
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, parentName);
        QFETCH(QRect, expected);
        MainWindow &w = open();
        QWidget *control = w.findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->parentWidget()->objectName(), parentName);
        QCOMPARE(control->geometry(), expected);
    }

    void windowSizeAndPlace()
    {
        MainWindow &w = open();
        // 8415 + 6 twips wide, 6915 + 280 high.
        QCOMPARE(w.size(), QSize(561, 480));
        // The offscreen screen is 800 x 800 pixels = 12000 twips: left =
        // (12000 - 8421) \ 2 = 1789 twips, top = (12000 - 7195) \ 3 = 1601 twips.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(screen.size(), QSize(800, 800));
        QCOMPARE(w.pos(), QPoint(px(1789), px(1601)));
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessarolith　Ver.1.1.0"));
        QCOMPARE(w.lblTitle->text(), QStringLiteral("Tessarolith　Ver.1.1.0"));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    }

    void captionsAndFonts()
    {
        MainWindow &w = open();
        QCOMPARE(w.lblSource->text(), QStringLiteral("ｵﾘｼﾞﾅﾙﾌｧｲﾙ"));
        QCOMPARE(w.lblThumbs->text(), QStringLiteral("ｻﾑﾈｲﾙﾌｧｲﾙ"));
        QCOMPARE(w.lblPreview->text(), QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"));
        QCOMPARE(w.Cmd_InFolder->Caption(), QStringLiteral("ｲﾝﾌﾟｯﾄﾌｫﾙﾀﾞ..."));
        QCOMPARE(w.Cmd_Setting->Caption(), QStringLiteral("各種設定..."));
        QCOMPARE(w.Cmd_Thumb->Caption(), QStringLiteral("ｻﾑﾈｲﾙ作成ｽﾀｰﾄ"));
        QCOMPARE(w.Cmd_Stop->Caption(), QStringLiteral("ｽﾄｯﾌﾟ"));
        QCOMPARE(w.Cmd_Can->Caption(), QStringLiteral("Exit"));
        for (const QLabel *label : {w.lblSource, w.lblPreview, w.lbl_PreSize}) {
            QCOMPARE(label->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
            QCOMPARE(label->font().pointSizeF(), 9.75);
        }
        // The title text is light grey 0xE0E0E0 on the strip.
        const QImage title = w.lblTitle->grab().toImage();
        bool sawTitleColour = false;
        for (int y = 0; y < title.height() && !sawTitleColour; ++y)
            for (int x = 0; x < title.width() && !sawTitleColour; ++x)
                sawTitleColour = title.pixelColor(x, y) == QColor(0xE0, 0xE0, 0xE0);
        QVERIFY(sawTitleColour);
    }

    void startupState()
    {
        program->writeSettings({{QStringLiteral("余白色"), QStringLiteral("16777215")}});
        MainWindow &w = open();
        QCOMPARE(w.List_Pic->count(), 0);
        QCOMPARE(w.List_Thumb->count(), 0);
        QCOMPARE(w.Folder_Path->text(), QString());
        QCOMPARE(w.lbl_PreSize->text(), QString());
        QVERIFY(!w.Cmd_Thumb->enabledFlag());
        QVERIFY(!w.Cmd_Stop->enabledFlag());
        QVERIFY(w.Cmd_InFolder->enabledFlag());
        QVERIFY(w.Cmd_Setting->enabledFlag());
        QVERIFY(w.Cmd_Can->enabledFlag());
        QCOMPARE(w.picHigh->background(), rgb(255, 255, 255));
        QCOMPARE(w.Pic_K->size(), QSize(100, 100));
        // The settings were loaded: the file's colour, defaults elsewhere.
        QCOMPARE(settings->MarginColour, 16777215);
        QCOMPARE(settings->Width, 128);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void canvasTakesMarginColourFromFile_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("red in the low byte") << "255" << quint32(rgb(255, 0, 0));
        QTest::newRow("blue in the third byte") << "16711680" << quint32(rgb(0, 0, 255));
        QTest::newRow("missing: default black") << "" << quint32(0);
    }

    void canvasTakesMarginColourFromFile()
    {
        QFETCH(QString, stored);
        QFETCH(quint32, expected);
        program->writeSettings({{QStringLiteral("余白色"), stored}});
        MainWindow &w = open();
        QCOMPARE(w.picHigh->background(), Colour(expected));
        const QImage shown = w.picHigh->grab().toImage();
        QCOMPARE(shown.pixelColor(10, 10), QColor(redOf(expected), greenOf(expected), blueOf(expected)));
    }

    void listExtent()
    {
        MainWindow &w = open();
        // 2535 twips / 15 + 300, for both lists, although List_Thumb is wider.
        QCOMPARE(w.listExtent(), 469);
        for (ListBox *list : {w.List_Pic, w.List_Thumb}) {
            QCOMPARE(list->horizontalExtent(), 469);
            QCOMPARE(list->horizontalScrollBar()->maximum(), 469 - list->viewport()->width());
            QVERIFY(list->horizontalScrollBar()->isVisible());
        }
    }

    void listingOrderAndFirstPreview()
    {
        const QStringList names = {"b.JPG", "A.bmp", "c.jpg", "_x.jpg", "10.jpg", "9.jpg"};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(writeBmp(picturePath(names[i]), quadrantPicture(20 + i, 10 + i)));
        MainWindow &w = open();
        w.List_Thumb->addItem(QStringLiteral("left over"));

        QVERIFY(listAndPreview(pictures->path()));
        QCOMPARE(fake->folderTitles,
                 QStringList{QStringLiteral("ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください")});
        QCOMPARE(w.Folder_Path->text(), pictures->path());
        // Symbols, then digits character by character, then letters ignoring case.
        QCOMPARE(entries(w.List_Pic),
                 (QStringList{"_x.jpg", "10.jpg", "9.jpg", "A.bmp", "b.JPG", "c.jpg"}));
        QCOMPARE(w.List_Pic->currentRow(), 0);
        // _x.jpg is the fourth file written: 23 x 13.
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("23 * 13"));
        QCOMPARE(w.Pic_F().width, 23);
        QCOMPARE(w.List_Thumb->count(), 0);
        QVERIFY(w.Cmd_Thumb->enabledFlag());
        QVERIFY(w.Cmd_InFolder->enabledFlag());
        QVERIFY(fake->messages.isEmpty());
    }

    void folderNamedLikeMarkupShowsAsTyped()
    {
        const QString folder = pictures->filePath(QStringLiteral("x<b>y</b>&amp;"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeBmp(folder + QStringLiteral("/a.bmp"), quadrantPicture(8, 8)));
        MainWindow &w = open();
        listFolder(folder);
        QCOMPARE(w.Folder_Path->text(), folder);
        QCOMPARE(w.Folder_Path->textFormat(), Qt::PlainText);
        QCOMPARE(entries(w.List_Pic), QStringList{"a.bmp"});
    }

    void cancelChangesNothing()
    {
        QVERIFY(writeBmp(picturePath("a.bmp"), quadrantPicture(64, 32)));
        MainWindow &w = open();
        QVERIFY(listAndPreview(pictures->path()));
        w.List_Thumb->addItem(QStringLiteral("Thumb_a.jpg"));
        const Picture before = w.Pic_K->picture();

        fake->folderAnswers.push_back(QString());
        clickCommand(w.Cmd_InFolder);
        QCOMPARE(fake->folderTitles.size(), 2);
        QCOMPARE(w.Folder_Path->text(), pictures->path());
        QCOMPARE(entries(w.List_Pic), QStringList{"a.bmp"});
        QCOMPARE(entries(w.List_Thumb), QStringList{"Thumb_a.jpg"});
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("64 * 32"));
        QVERIFY(w.Pic_K->picture() == before);
        QVERIFY(w.Cmd_Thumb->enabledFlag());
    }

    void folderWithoutPicturesAfterOneWithPictures()
    {
        QVERIFY(writeBmp(picturePath("a.bmp"), quadrantPicture(64, 32)));
        QTemporaryDir empty;
        QFile readme(empty.filePath(QStringLiteral("readme.txt")));
        QVERIFY(readme.open(QIODevice::WriteOnly));
        readme.close();
        QVERIFY(QDir(empty.path()).mkdir(QStringLiteral("folder.jpg")));

        MainWindow &w = open();
        QVERIFY(listAndPreview(pictures->path()));
        w.List_Thumb->addItem(QStringLiteral("Thumb_a.jpg"));
        const Picture before = w.Pic_K->picture();

        listFolder(empty.path());
        QCOMPARE(w.Folder_Path->text(), empty.path());
        QCOMPARE(w.List_Pic->count(), 0);
        QCOMPARE(w.List_Thumb->count(), 0);
        QVERIFY(w.Cmd_Thumb->enabledFlag());
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("64 * 32"));
        QVERIFY(w.Pic_K->picture() == before);
        QVERIFY(fake->messages.isEmpty());
    }

    void unreadableFolderIsReportedOnce()
    {
        MainWindow &w = open();
        const QString missing = pictures->filePath(QStringLiteral("gone"));
        listFolder(missing);
        QCOMPARE(fake->messages.size(), 1);
        QVERIFY2(fake->messages[0].contains(missing), qPrintable(fake->messages[0]));
        QCOMPARE(w.List_Pic->count(), 0);
        QVERIFY(!w.Cmd_Thumb->enabledFlag());
        QVERIFY(w.Cmd_InFolder->enabledFlag());
        QVERIFY(!w.scanning());
    }

    void folderButtonIsOffDuringScan()
    {
        for (int i = 0; i < 5; ++i)
            QVERIFY(writeBmp(picturePath(QStringLiteral("p%1.bmp").arg(i)), quadrantPicture(8, 8)));
        MainWindow &w = open();
        fake->folderAnswers.push_back(pictures->path());
        w.SelectSourceFolder();
        // The scan's outcome reaches the window through its event loop, so
        // no scan has ended before it runs again.
        QVERIFY(w.scanning() && !w.Cmd_InFolder->enabledFlag());
        clickCommand(w.Cmd_InFolder);
        QVERIFY(waitForListing(w));
        QCOMPARE(fake->folderTitles.size(), 1);
        QCOMPARE(w.List_Pic->count(), 5);
        QVERIFY(w.Cmd_InFolder->enabledFlag());
    }

    void closeDuringScanClosesAfterIt()
    {
        for (int i = 0; i < 3; ++i)
            QVERIFY(writeBmp(picturePath(QStringLiteral("p%1.bmp").arg(i)), quadrantPicture(8, 8)));
        MainWindow &w = open();
        fake->folderAnswers.push_back(pictures->path());
        w.SelectSourceFolder();
        QVERIFY(!w.close());
        QVERIFY(waitForListing(w));
        QCOMPARE(w.List_Pic->count(), 3);
        QVERIFY(!w.isVisible());
        QVERIFY(QFile::exists(program->file(QStringLiteral("Tessarolith.ini"))));
    }

    void sourcePreviewSizes_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("preview");
        QTest::newRow("landscape 640x480") << QSize(640, 480) << QSize(100, 75);
        QTest::newRow("portrait 480x640") << QSize(480, 640) << QSize(75, 100);
        QTest::newRow("square") << QSize(300, 300) << QSize(100, 100);
        QTest::newRow("small enlarged 50x20") << QSize(50, 20) << QSize(100, 40);
        QTest::newRow("tiny 1x1") << QSize(1, 1) << QSize(100, 100);
        QTest::newRow("small thumbnail-size 64x48 is still enlarged") << QSize(64, 48) << QSize(100, 75);
    }

    void sourcePreviewSizes()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, preview);
        QVERIFY(writeBmp(picturePath("p.bmp"), quadrantPicture(picture.width(), picture.height())));
        MainWindow &w = open();
        const QPoint corner = w.Pic_K->pos();
        QVERIFY(listAndPreview(pictures->path()));
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("%1 * %2").arg(picture.width()).arg(picture.height()));
        QCOMPARE(w.Pic_K->size(), preview);
        QCOMPARE(w.Pic_K->pos(), corner); // aligned top-left, not centred
        QVERIFY(w.Pic_K->isVisible());
        const Picture &shown = w.Pic_K->picture();
        QCOMPARE(QSize(shown.width(), shown.height()), preview);
        // Each corner of the preview shows its quadrant's colour.
        const Picture source = quadrantPicture(picture.width(), picture.height());
        QCOMPARE(shown.pixel(0, 0), source.pixel(0, 0));
        QCOMPARE(shown.pixel(preview.width() - 1, preview.height() - 1),
                 source.pixel(picture.width() - 1, picture.height() - 1));
    }

    void thumbnailPreviewSizes_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("preview");
        QTest::addColumn<bool>("pixelForPixel");
        QTest::newRow("64x48 at true size") << QSize(64, 48) << QSize(64, 48) << true;
        QTest::newRow("100x100 at true size") << QSize(100, 100) << QSize(100, 100) << true;
        QTest::newRow("16x16 not enlarged") << QSize(16, 16) << QSize(16, 16) << true;
        QTest::newRow("128x96 reduced") << QSize(128, 96) << QSize(100, 75) << false;
        QTest::newRow("101x100 reduced to 100x99") << QSize(101, 100) << QSize(100, 99) << false;
        QTest::newRow("100x101 reduced to 99x100") << QSize(100, 101) << QSize(99, 100) << false;
    }

    void thumbnailPreviewSizes()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, preview);
        QFETCH(bool, pixelForPixel);
        QTemporaryDir saveFolder;
        const Picture thumbnail = quadrantPicture(picture.width(), picture.height());
        QVERIFY(writeBmp(saveFolder.filePath(QStringLiteral("Thumb_p.bmp")), thumbnail));
        MainWindow &w = open();
        settings->SaveFolder = saveFolder.path();
        w.List_Thumb->addItem(QStringLiteral("Thumb_p.bmp"));
        QVERIFY(clickRowAndWait(w, w.List_Thumb, 0));
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("%1 * %2").arg(picture.width()).arg(picture.height()));
        QCOMPARE(w.Pic_K->size(), preview);
        if (pixelForPixel)
            QVERIFY(w.Pic_K->picture() == thumbnail);
        else
            QVERIFY(!(w.Pic_K->picture() == thumbnail));
    }

    void unreadableFileKeepsLastPreview()
    {
        QVERIFY(writeBmp(picturePath("a.bmp"), quadrantPicture(640, 480)));
        QVERIFY(writeGarbage(picturePath("b.jpg")));
        MainWindow &w = open();
        QVERIFY(listAndPreview(pictures->path()));
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("640 * 480"));
        const Picture before = w.Pic_K->picture();

        QVERIFY(clickRowAndWait(w, w.List_Pic, 1));
        QCOMPARE(w.List_Pic->currentRow(), 1);
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("640 * 480"));
        QCOMPARE(w.Pic_F().width, 640);
        QVERIFY(w.Pic_K->picture() == before);
        QVERIFY(w.Pic_K->isVisible());
        QVERIFY(fake->messages.isEmpty());

        // A thumbnail that is not in the save folder behaves the same way, and
        // shows the held picture by the thumbnail rule (reduced: it is larger).
        settings->SaveFolder = pictures->filePath(QStringLiteral("elsewhere"));
        w.List_Thumb->addItem(QStringLiteral("Thumb_a.bmp"));
        QVERIFY(clickRowAndWait(w, w.List_Thumb, 0));
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("640 * 480"));
        QCOMPARE(w.Pic_K->size(), QSize(100, 75));
    }

    void firstPreviewFailingShowsNothing()
    {
        QVERIFY(writeGarbage(picturePath("broken.jpg")));
        MainWindow &w = open();
        QVERIFY(listAndPreview(pictures->path()));
        QCOMPARE(entries(w.List_Pic), QStringList{"broken.jpg"});
        QCOMPARE(w.lbl_PreSize->text(), QString());
        QVERIFY(w.Pic_F().isEmpty());
        QCOMPARE(w.Pic_K->size(), QSize(100, 100));
        QVERIFY(w.Pic_K->isVisible());
        QVERIFY(w.Cmd_Thumb->enabledFlag());
    }

    void clickOnSelectedEntryPreviewsAgain()
    {
        QVERIFY(writeBmp(picturePath("a.bmp"), quadrantPicture(640, 480)));
        QTemporaryDir saveFolder;
        QVERIFY(writeBmp(saveFolder.filePath(QStringLiteral("Thumb_a.bmp")), quadrantPicture(64, 48)));
        MainWindow &w = open();
        settings->SaveFolder = saveFolder.path();
        QVERIFY(listAndPreview(pictures->path()));
        w.List_Thumb->addItem(QStringLiteral("Thumb_a.bmp"));
        QVERIFY(clickRowAndWait(w, w.List_Thumb, 0));
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("64 * 48"));
        QVERIFY(clickRowAndWait(w, w.List_Pic, 0)); // already the selected entry
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("640 * 480"));
        QCOMPARE(w.Pic_K->size(), QSize(100, 75));
    }

    void keyboardSelectionPreviews()
    {
        QVERIFY(openTwoPictures(640, 480));
        MainWindow &w = *window;
        w.List_Pic->setFocus();
        QTest::keyClick(w.List_Pic, Qt::Key_Down);
        QVERIFY(waitForPreview(w));
        QCOMPARE(w.List_Pic->currentRow(), 1);
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("50 * 20"));
    }

    // The hourglass and a hidden box from the click until the preview shows,
    // and only the last of quick clicks shows.
    void previewLoadsUnderTheHourglassAndTheLastClickWins()
    {
        QVERIFY(openTwoPictures(2000, 1500));
        MainWindow &w = *window;
        int shown = 0;
        connect(&w, &MainWindow::previewShown, this, [&] { ++shown; });

        w.List_Pic->setCurrentRow(1);
        QVERIFY(w.previewing());
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QVERIFY(!w.Pic_K->isVisible());
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("2000 * 1500"));

        w.List_Pic->setCurrentRow(0);
        w.List_Pic->setCurrentRow(1);
        QVERIFY(waitForPreview(w));
        // The loads clicked past would have come by now.
        QTest::qWait(300);
        QCOMPARE(shown, 1);
        QVERIFY(w.Pic_K->isVisible());
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("50 * 20"));
        QCOMPARE(w.Pic_F().width, 50);
        QCOMPARE(w.Pic_K->size(), QSize(100, 40));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void closingWhileAPreviewLoads()
    {
        QVERIFY(writeBmp(picturePath("big.bmp"), quadrantPicture(2000, 1500)));
        MainWindow &w = open();
        listFolder(pictures->path());
        QVERIFY(w.previewing());
        QVERIFY(w.close());
        window.reset();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(QFile::exists(program->file(QStringLiteral("Tessarolith.ini"))));
    }

    void closeWritesDefaultSettings()
    {
        MainWindow &w = open();
        const QString ini = program->file(QStringLiteral("Tessarolith.ini"));
        QVERIFY(!QFile::exists(ini));
        QFile dummy(program->file(QStringLiteral("Dumy.bmp")));
        QVERIFY(dummy.open(QIODevice::WriteOnly));
        dummy.close();

        clickCommand(w.Cmd_Can);
        QVERIFY(!w.isVisible());
        QVERIFY(QFile::exists(ini));
        QVERIFY(!QFile::exists(program->file(QStringLiteral("Dumy.bmp"))));
        ThumbSettings reread;
        LoadSettings(reread, ini, program->path());
        QCOMPARE(reread, defaultSettings(program->path()));
    }

    void closeSavesEditedRecordByAnyRoute_data()
    {
        QTest::addColumn<int>("route");
        QTest::newRow("Exit button") << 0;
        QTest::newRow("close image") << 1;
        QTest::newRow("system close") << 2;
    }

    void closeSavesEditedRecordByAnyRoute()
    {
        QFETCH(int, route);
        MainWindow &w = open();
        settings->Width = 200;
        settings->Prefix = QStringLiteral("小_");
        if (route == 0)
            clickCommand(w.Cmd_Can);
        else if (route == 1)
            QTest::mouseClick(static_cast<QWidget *>(w.ImgExit), Qt::RightButton);
        else
            w.close();
        QVERIFY(!w.isVisible());
        ThumbSettings reread;
        LoadSettings(reread, program->file(QStringLiteral("Tessarolith.ini")), program->path());
        QCOMPARE(reread.Width, 200);
        QCOMPARE(reread.Prefix, QStringLiteral("小_"));
    }

    void settingsWindowColourShowsAtOnce()
    {
        MainWindow &w = open();
        int opened = 0;
        w.setSettingsOpener([&](ThumbSettings &record, QWidget *parent) {
            ++opened;
            QCOMPARE(parent, static_cast<QWidget *>(&w));
            record.MarginColour = 0x0000FF; // red
        });
        clickCommand(w.Cmd_Setting);
        QCOMPARE(opened, 1);
        QCOMPARE(w.picHigh->background(), rgb(255, 0, 0));
        QCOMPARE(w.picHigh->grab().toImage().pixelColor(5, 5), QColor(255, 0, 0));
    }

    void realSettingsWindowConfirmedColourReachesCanvas()
    {
        MainWindow &w = open();
        fake->colourAnswers = {0x00FF00}; // green
        bool sawWindow = false;
        // Answers the settings window once it is up (the click's own event
        // processing comes first).
        QTimer answer;
        answer.setInterval(10);
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *settingsWindow = qobject_cast<SettingsWindow *>(QApplication::activeModalWidget());
            if (!settingsWindow)
                return;
            answer.stop();
            sawWindow = true;
            settingsWindow->chooseRatioMode(KeepRatioWithinBoth);
            settingsWindow->Cmd_Color_Click();
            settingsWindow->Cmd_Set_Click();
        });
        answer.start();
        clickCommand(w.Cmd_Setting);
        QVERIFY(sawWindow);
        QCOMPARE(settings->RatioMode, KeepRatioWithinBoth);
        QCOMPARE(settings->MarginColour, 0x00FF00);
        QCOMPARE(w.picHigh->background(), rgb(0, 255, 0));
        QCOMPARE(w.picHigh->grab().toImage().pixelColor(5, 5), QColor(0, 255, 0));
        // Nothing is written before the window closes.
        QVERIFY(!QFile::exists(program->file(QStringLiteral("Tessarolith.ini"))));
    }

    void disabledRunButtonDoesNothing()
    {
        MainWindow &w = open();
        QVERIFY(clickRunAndWait(w));
        QVERIFY(!w.running());
        QVERIFY(fake->messages.isEmpty());
        QVERIFY(!w.Cmd_Stop->enabledFlag());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_qtest.moc"
