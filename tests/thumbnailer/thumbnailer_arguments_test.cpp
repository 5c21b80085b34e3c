#include "thumbnailer/thumbnailer_arguments.h"

#include <gtest/gtest.h>

namespace {

struct InputCase {
    const char *input;
    QByteArray path; // empty: refused
};

// The file an INPUT names, as the desktop passes a path or a URI.
const InputCase kInputs[] = {
    {"relative/a b#.heic", "relative/a b#.heic"},
    {"file:///tmp/gnome-desktop-file-to-thumbnail.jxl", "/tmp/gnome-desktop-file-to-thumbnail.jxl"},
    {"file:///p/a%20b%25c%23d%5Be%5D.dng", "/p/a b%c#d[e].dng"},
    {"file:///p/%E5%86%99%E7%9C%9F.heic", "/p/\xE5\x86\x99\xE7\x9C\x9F.heic"},
    {"file:///p/caf%e9.avif", "/p/caf\xE9.avif"}, // Latin-1, lower-case escape
    {"file://localhost/p/a.webp", "/p/a.webp"},
    {"file://otherhost/p/a.webp", ""},
    {"file:///p/a%2", ""},   // escape cut short
    {"file:///p/a%zz", ""},  // not hexadecimal
    {"file:///p/a%00b", ""}, // NUL
    {"file:///p/a.webp#frag", ""},
    {"sftp://host/p/a.webp", ""},
};

class ThumbnailerInput : public ::testing::TestWithParam<InputCase> {};

TEST_P(ThumbnailerInput, NamesTheFile)
{
    EXPECT_EQ(tess::pathOfInput(GetParam().input), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ThumbnailerInput, ::testing::ValuesIn(kInputs));

} // namespace
