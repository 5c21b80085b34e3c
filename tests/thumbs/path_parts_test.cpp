#include "thumbs/path_parts.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

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
