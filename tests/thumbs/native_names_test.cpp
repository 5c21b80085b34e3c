// A folder copied from an archive or a Japanese Windows share: names that are
// not UTF-8 are listed, decoded and written under their own bytes.
#include "platform/file_names.h"
#include "codecs/picture_codecs.h"
#include "support/raw_names.h"
#include "settings/thumb_settings.h"
#include "support/test_pictures.h"
#include "thumbs/batch_engine.h"
#include "thumbs/source_listing.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

using namespace tess;
using namespace test_files;
using tess::testing::patterned;

namespace {

struct Source {
    QByteArray name;
    QByteArray base;
};

// Sources and the base-name bytes their thumbnails carry.
const QList<Source> kSources = {
    {"plain.jpg", "plain"},
    {"\xE5\x86\x99\xE7\x9C\x9F.jpg", "\xE5\x86\x99\xE7\x9C\x9F"},               // 写真, UTF-8
    {"caf\xE9.jpg", "caf\xE9"},                                                  // Latin-1
    {"\x8E\xCA\x90\x5E.bmp", "\x8E\xCA\x90\x5E"},                                // 写真, Shift-JIS
    {"\x83\x5C\x83\x74\x83\x67.x.jpg", "\x83\x5C\x83\x74\x83\x67"},              // ソフト: 0x5C inside
    {"\xE5\x86\x99\xE7\x9C\x9F\xE9\xFF.bmp", "\xE5\x86\x99\xE7\x9C\x9F\xE9\xFF"}, // mixed
    {"new\nline.jpg", "new\nline"},
    {"a\ttab.bmp", "a\ttab"},
};

class NativeNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sourceDir.isValid() && saveDir.isValid());
        settings = defaultSettings(saveDir.path());
        settings.FileType = FileTypeBitmap;
        settings.Prefix = QString::fromUtf8("縮小_");
        for (qsizetype i = 0; i < kSources.size(); ++i) {
            const Picture p = patterned(40, 30, int(i));
            const QByteArray content = kSources[i].name.endsWith(".bmp") ? encodeBmp(p) : *encodeJpeg(p, {}, {});
            ASSERT_TRUE(writeRaw(sourceDir.path(), kSources[i].name, content));
            ASSERT_TRUE(writeRaw(plainDir.path(), QByteArray::number(i) + kSources[i].name.right(4), content));
        }
    }
    void TearDown() override
    {
        removeRawNames(sourceDir.path());
        removeRawNames(saveDir.path());
    }

    BatchResult run(const QString &folder, const QStringList &names, QStringList *outputs = nullptr)
    {
        BatchEngine engine(2);
        BatchCallbacks callbacks;
        callbacks.fileDone = [&](int, const QString &name, bool) {
            if (outputs)
                outputs->append(name);
        };
        return engine.run(jobsForFolder(folder, names), settings, callbacks);
    }

    QTemporaryDir sourceDir;
    QTemporaryDir saveDir;
    QTemporaryDir plainDir;
    ThumbSettings settings;
};

TEST_F(NativeNames, EachPictureIsWrittenFromItsOwnSourceUnderPrefixPlusItsBaseNameBytes)
{
    const SourceListing listing = ListSourceFolder(sourceDir.path());
    ASSERT_EQ(listing.names.size(), kSources.size());
    QStringList outputs;
    const BatchResult result = run(sourceDir.path(), listing.names, &outputs);
    ASSERT_EQ(result.end, BatchEnd::Completed) << (result.failure ? result.failure->text().toStdString() : "");
    EXPECT_EQ(result.written, kSources.size());

    // On disk and as the front ends hear them: prefix + base-name bytes + extension.
    QList<QByteArray> expected;
    for (const Source &source : kSources)
        expected.append(settings.Prefix.toUtf8() + source.base + ".bmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rawNames(saveDir.path()), expected);
    QList<QByteArray> heard;
    for (const QString &name : outputs)
        heard.append(nativePath(name));
    std::sort(heard.begin(), heard.end());
    EXPECT_EQ(heard, expected);

    QTemporaryDir plainSave;
    settings.SaveFolder = plainSave.path();
    const SourceListing plain = ListSourceFolder(plainDir.path());
    ASSERT_EQ(run(plainDir.path(), plain.names).end, BatchEnd::Completed);

    // Source i was also saved as "<i>.ext"; its thumbnails must be the same bytes.
    for (qsizetype i = 0; i < kSources.size(); ++i) {
        const QByteArray prefix = settings.Prefix.toUtf8();
        const QByteArray mine = readRaw(saveDir.path(), prefix + kSources[i].base + ".bmp");
        const QByteArray reference = readRaw(plainSave.path(), prefix + QByteArray::number(i) + ".bmp");
        ASSERT_FALSE(reference.isEmpty()) << i;
        EXPECT_EQ(mine, reference) << kSources[i].name.toStdString();
    }
}

TEST_F(NativeNames, ANameTooLongToWriteFailsShowingItsBytesEscaped)
{
    // 250 bytes of prefix leave no room for "caf\xE9" and ".bmp" in 255.
    settings.Prefix = QString(250, QLatin1Char('p'));
    const BatchResult result = run(sourceDir.path(), {nameFromNative("caf\xE9.jpg")});
    ASSERT_EQ(result.end, BatchEnd::Failed);
    ASSERT_TRUE(result.failure.has_value());
    const QString text = result.failure->text();
    EXPECT_TRUE(text.contains(QStringLiteral("caf\\xE9.bmp"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ファイル名が長すぎます。"))) << text.toStdString();
    EXPECT_TRUE(rawNames(saveDir.path()).isEmpty());
}

TEST_F(NativeNames, AMissingSourceWithANameThatIsNotUtf8IsAFailureNamingItsBytes)
{
    const BatchResult result = run(sourceDir.path(), {nameFromNative("gone\xE9.jpg")});
    ASSERT_EQ(result.end, BatchEnd::Failed);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_TRUE(result.failure->text().contains(QStringLiteral("/gone\\xE9.jpg\n")))
        << result.failure->text().toStdString();
}

} // namespace
