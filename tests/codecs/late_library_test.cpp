// The libraries of the rarer kinds are loaded by the first picture that
// needs them: not at start-up, not by pictures of other kinds, and not by
// thumbnails written as other kinds.
#include "codecs/open_picture.h"
#include "thumbs/thumbnail_encoding.h"

#include "support/codec_test_support.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

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
        const char *file; // null: bytes of no kind, or a thumbnail written as `writes`
        bool heif;
        bool jxl;
        int writes = -1;
    };
    const Step steps[] = {
        {nullptr, false, false},
        {"png/good/pngsuite/basi0g01.png", false, false},
        {nullptr, false, false, tess::FileTypeJpeg},
        {nullptr, false, false, tess::FileTypeWebp},
        {nullptr, false, false, tess::FileTypePng},
        {"heif/good/libheif/colors-no-alpha-thumbnail.heic", true, false},
        {"jxl/good/conformance/alpha_triangles.jxl", true, true},
    };
    for (const Step &step : steps) {
        if (step.writes >= 0) {
            // Thumbnails of the common kinds are written without the libraries.
            tess::ThumbSettings settings;
            settings.FileType = std::int16_t(step.writes);
            settings.Compression = 80;
            EXPECT_TRUE(tess::encodeThumbnail(tess::Picture(8, 8), settings, QStringLiteral("t"), {true}).ok());
            EXPECT_FALSE(loaded(TESS_LIBHEIF_SONAME)) << step.writes;
            EXPECT_FALSE(loaded(TESS_LIBJXL_SONAME)) << step.writes;
            continue;
        }
        if (!step.file) {
            // A broken file no kind claims is told apart without the libraries.
            const int fd = ::memfd_create("broken", MFD_CLOEXEC);
            ASSERT_GE(fd, 0);
            const char bytes[] = "\x01\x02 not a picture of any kind, nor the start of one";
            ASSERT_EQ(::write(fd, bytes, sizeof bytes), ssize_t(sizeof bytes));
            EXPECT_FALSE(tess::openPictureFile(fd).ok());
            EXPECT_FALSE(loaded(TESS_LIBHEIF_SONAME));
            EXPECT_FALSE(loaded(TESS_LIBJXL_SONAME));
            continue;
        }
        const tess::OpenedPicture opened = tess::openPicture(tess::testing::corpus(QStringLiteral("formats/") + step.file));
        EXPECT_TRUE(opened.ok()) << step.file;
        EXPECT_EQ(loaded(TESS_LIBHEIF_SONAME), step.heif) << step.file;
        EXPECT_EQ(loaded(TESS_LIBJXL_SONAME), step.jxl) << step.file;
    }
}

} // namespace
