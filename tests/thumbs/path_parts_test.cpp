#include "thumbs/path_parts.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

struct FolderCase {
    const char *path;
    const char *folder;
};

class FolderPart : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderPart, IsEverythingBeforeTheLastSeparator)
{
    EXPECT_EQ(GetFolderPart(QString::fromUtf8(GetParam().path)), QString::fromUtf8(GetParam().folder))
        << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    PathParts, FolderPart,
    ::testing::Values(FolderCase{"/pics/*.jpg", "/pics"},
                      FolderCase{"//*.bmp", "/"},         // the root with its doubled separator keeps "/"
                      FolderCase{"/pics//*.bmp", "/pics/"}, // only one trailing separator goes
                      FolderCase{"/*.bmp", ""},
                      FolderCase{"D:*.bmp", "D:"},
                      FolderCase{"photo.jpg", ""},
                      FolderCase{"", ""},
                      FolderCase{"/a:b/c.jpg", "/a:b"},
                      FolderCase{"/a/b:c.jpg", "/a/b:"},
                      FolderCase{"/写真/サムネイル.jpg", "/写真"},
                      FolderCase{"pics/", "pics"}));

struct SplitCase {
    const char *name;
    const char *base;
    const char *extension; // what extension holds afterwards; it starts as "untouched"
};

class SplitAtFirstDot : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAtFirstDot, GivesBaseAndRest)
{
    QString base = QStringLiteral("stale");
    QString extension = QStringLiteral("untouched");
    SplitName(QString::fromUtf8(GetParam().name), base, extension);
    EXPECT_EQ(base, QString::fromUtf8(GetParam().base)) << GetParam().name;
    EXPECT_EQ(extension, QString::fromUtf8(GetParam().extension)) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(PathParts, SplitAtFirstDot,
                         ::testing::Values(SplitCase{"a.b.jpg", "a", "b.jpg"},
                                           SplitCase{"photo.JPG", "photo", "JPG"},
                                           SplitCase{"my.photo.jpg", "my", "photo.jpg"},
                                           SplitCase{"photo.2020.jpg", "photo", "2020.jpg"},
                                           SplitCase{"noext", "noext", "untouched"},
                                           SplitCase{"", "", "untouched"},
                                           SplitCase{".hidden.jpg", "", "hidden.jpg"},
                                           SplitCase{"trailing.", "trailing", ""},
                                           SplitCase{"写真.jpg", "写真", "jpg"}));

} // namespace
