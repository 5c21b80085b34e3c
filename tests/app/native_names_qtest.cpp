// The main window over a folder whose names are not all UTF-8: each entry
// shows its name's display text and still leads to its own file, in the
// previews and in the run.
#include "app/list_box.h"
#include "app/main_window.h"
#include "support/app_test_support.h"
#include "support/window_fixture.h"
#include "chrome/window_animation.h"
#include "controls/command.h"
#include "platform/file_names.h"
#include "support/raw_names.h"

#include <QLabel>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace tess;
using namespace tess::testing;

namespace {

struct Source {
    QByteArray name;
    QSize size;
    Colour colour;
};

// Each of a different size, so the size label tells which one is previewed.
const QList<Source> kSources = {
    {"\xE5\x86\x99\xE7\x9C\x9F.bmp", {10, 11}, rgb(255, 0, 0)},              // 写真, UTF-8
    {"\x8E\xCA\x90\x5E.bmp", {12, 13}, rgb(0, 255, 0)},                      // 写真, Shift-JIS
    {"caf\xE9.jpg", {14, 15}, rgb(0, 0, 255)},                               // Latin-1
    {"\xE5\x86\x99\xE7\x9C\x9F\xE9.jpg", {16, 17}, rgb(255, 255, 0)},        // mixed
    {"new\nline.bmp", {18, 19}, rgb(0, 255, 255)},
    {"tab\there.jpg", {20, 21}, rgb(255, 0, 255)},
};

// List order, as the list shows them: by display text, then by bytes.
const QList<int> kListOrder = {2, 4, 5, 1, 0, 3};

QByteArray baseOf(const QByteArray &name)
{
    return name.left(name.indexOf('.'));
}

} // namespace

class NativeNamesTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> work;
    QString sourceFolder; // named in Shift-JIS: "src" + 写真
    QString saveFolder;

    MainWindow &openAndList()
    {
        open();
        settings->Width = 24;
        settings->Height = 24;
        settings->RatioMode = StretchToBoth;
        settings->FileType = FileTypeBitmap;
        settings->Prefix = QStringLiteral("Thumb_");
        settings->SaveFolder = saveFolder;
        listFolder(sourceFolder);
        return *window;
    }

private slots:
    void initTestCase() { setWindowAnimationsEnabled(false); }

    void init()
    {
        setUp();
        work = std::make_unique<QTemporaryDir>();
        sourceFolder = nameFromNative(nativePath(work->path()) + "/src\x8E\xCA\x90\x5E");
        saveFolder = work->filePath(QStringLiteral("out"));
        QCOMPARE(::mkdir(nativePath(sourceFolder).constData(), 0755), 0);
        QCOMPARE(::mkdir(nativePath(saveFolder).constData(), 0755), 0);
        for (const Source &source : kSources) {
            const Picture picture = solidPicture(source.size.width(), source.size.height(), source.colour);
            const QByteArray content =
                source.name.endsWith(".bmp") ? encodeBmp(picture) : *encodeJpeg(picture, {}, {});
            QVERIFY(test_files::writeRaw(sourceFolder, source.name, content));
        }
    }

    void cleanup()
    {
        tearDown();
        test_files::removeRawNames(sourceFolder);
        test_files::removeRawNames(saveFolder);
        ::rmdir(nativePath(sourceFolder).constData());
        work.reset();
    }

    void everyNameIsListedAsItReadsAndPreviewsItsOwnFile()
    {
        MainWindow &w = openAndList();
        QCOMPARE(w.Folder_Path->text(), displayName(work->path()) + QString::fromUtf8("/src写真"));

        const QStringList shown = {QStringLiteral("caf\\xE9.jpg"),      QStringLiteral("new\\nline.bmp"),
                                   QStringLiteral("tab\\there.jpg"),    QString::fromUtf8("写真.bmp"),
                                   QString::fromUtf8("写真.bmp"),       QString::fromUtf8("写真\\xE9.jpg")};
        QCOMPARE(entries(w.List_Pic), shown);

        // The two entries that read 写真.bmp lead to two different files.
        for (int row = 0; row < kListOrder.size(); ++row) {
            const Source &source = kSources[kListOrder[row]];
            QVERIFY(clickRowAndWait(w, w.List_Pic, row));
            QCOMPARE(w.lbl_PreSize->text(),
                     QStringLiteral("%1 * %2").arg(source.size.width()).arg(source.size.height()));
            QCOMPARE(nativePath(w.List_Pic->fileName(row)), source.name);
        }
    }

    void theRunWritesEveryThumbnailUnderItsSourcesBytes()
    {
        MainWindow &w = openAndList();
        QVERIFY(clickRunAndWait(w));
        QVERIFY(!w.running());
        QCOMPARE(fake->messages, QStringList{QStringLiteral("正常終了しました！！")});

        QList<QByteArray> expected;
        for (const Source &source : kSources)
            expected.append("Thumb_" + baseOf(source.name) + ".bmp");
        std::sort(expected.begin(), expected.end());
        QCOMPARE(test_files::rawNames(saveFolder), expected);

        QCOMPARE(w.List_Thumb->count(), kSources.size());
        for (int row = 0; row < kListOrder.size(); ++row) {
            const Source &source = kSources[kListOrder[row]];
            const QByteArray output = "Thumb_" + baseOf(source.name) + ".bmp";
            QCOMPARE(w.List_Thumb->item(row)->text(), displayName(nameFromNative(output)));
            QVERIFY(!w.List_Thumb->item(row)->text().contains(QLatin1Char('\n')));
            // A click previews that very thumbnail: the source's colour fills it.
            QVERIFY(clickRowAndWait(w, w.List_Thumb, row));
            QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("24 * 24"));
            const Colour centre = w.Pic_F().kept.pixel(12, 12);
            const int distance = std::abs(int(centre & 0xFF) - int(source.colour & 0xFF))
                + std::abs(int((centre >> 8) & 0xFF) - int((source.colour >> 8) & 0xFF))
                + std::abs(int((centre >> 16) & 0xFF) - int((source.colour >> 16) & 0xFF));
            QVERIFY2(distance < 24, source.name.constData());
        }
    }

    void aFailingFileIsNamedEscapedInTheMessage()
    {
        QVERIFY(test_files::writeRaw(sourceFolder, "\x01" "bad\xE9.bmp", "not a picture"));
        MainWindow &w = openAndList();
        QCOMPARE(entries(w.List_Pic).first(), QStringLiteral("\\x01bad\\xE9.bmp"));
        QVERIFY(clickRunAndWait(w));
        QCOMPARE(fake->messages.size(), 1);
        QVERIFY2(fake->messages[0].contains(QString::fromUtf8("/src写真/\\x01bad\\xE9.bmp\n")),
                 qPrintable(fake->messages[0]));
    }
};

QTEST_MAIN(NativeNamesTest)
#include "native_names_qtest.moc"
