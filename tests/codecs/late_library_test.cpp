// The libraries of the rarer kinds are loaded by the first picture that
// needs them: not at start-up, and not by pictures of other kinds.
#include "codecs/open_picture.h"

#include "support/codec_test_support.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace {

bool loaded(const char *soname)
{
    void *handle = dlopen(soname, RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

TEST(LateLibraries, LoadedByTheFirstPictureThatNeedsThem)
{
    struct Step {
        const char *file;
        bool heif;
        bool jxl;
    };
    const Step steps[] = {
        {"png/good/pngsuite/basi0g01.png", false, false},
        {"heif/good/libheif/colors-no-alpha-thumbnail.heic", true, false},
        {"jxl/good/conformance/alpha_triangles.jxl", true, true},
    };
    for (const Step &step : steps) {
        const tess::OpenedPicture opened = tess::openPicture(tess::testing::corpus(QStringLiteral("formats/") + step.file));
        EXPECT_TRUE(opened.ok()) << step.file;
        EXPECT_EQ(loaded(TESS_LIBHEIF_SONAME), step.heif) << step.file;
        EXPECT_EQ(loaded(TESS_LIBJXL_SONAME), step.jxl) << step.file;
    }
}

} // namespace
