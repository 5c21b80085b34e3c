#include "cli/batch_options.h"
#include "cli/batch_overlay.h"
#include "settings/thumb_settings.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

// A record whose every field differs from every value the cases below set.
ThumbSettings fileSettings()
{
    ThumbSettings s;
    s.Width = 111;
    s.Height = 222;
    s.RatioMode = 1;
    s.FileType = 7;
    s.Compression = 55;
    s.MarginColour = 0x123456;
    s.Quality = 2;
    s.Prefix = "file_";
    s.SaveFolder = "/file/folder";
    s.DuplicateMode = 9;
    return s;
}

struct OptionCase {
    QStringList arguments;
    std::function<void(ThumbSettings &)> change; // what the option must do to the file's record
};

TEST(BatchOptions, EachSettingOptionChangesExactlyItsValue)
{
    const std::vector<OptionCase> cases = {
        {{"--width", "16"}, [](ThumbSettings &s) { s.Width = 16; }},
        {{"--width=640"}, [](ThumbSettings &s) { s.Width = 640; }},
        {{"--height", "17"}, [](ThumbSettings &s) { s.Height = 17; }},
        {{"--height", "640"}, [](ThumbSettings &s) { s.Height = 640; }},
        {{"--mode", "0"}, [](ThumbSettings &s) { s.RatioMode = 0; }},
        {{"--mode", "5"}, [](ThumbSettings &s) { s.RatioMode = 5; }},
        {{"--mode", "keep-width"}, [](ThumbSettings &s) { s.RatioMode = KeepRatioByWidth; }},
        {{"--mode", "keep-height"}, [](ThumbSettings &s) { s.RatioMode = KeepRatioByHeight; }},
        {{"--mode", "fit"}, [](ThumbSettings &s) { s.RatioMode = KeepRatioWithinBoth; }},
        {{"--mode", "stretch"}, [](ThumbSettings &s) { s.RatioMode = StretchToBoth; }},
        {{"--mode", "square-width"}, [](ThumbSettings &s) { s.RatioMode = NoStretchByWidth; }},
        {{"--mode=square-height"}, [](ThumbSettings &s) { s.RatioMode = NoStretchByHeight; }},
        {{"--mode", "6"}, [](ThumbSettings &s) { s.RatioMode = CropToFill; }},
        {{"--mode", "cover"}, [](ThumbSettings &s) { s.RatioMode = CropToFill; }},
        {{"--quality", "0"}, [](ThumbSettings &s) { s.Quality = QualityLow; }},
        {{"--quality", "3"}, [](ThumbSettings &s) { s.Quality = QualityHigh; }},
        {{"--format", "jpg"}, [](ThumbSettings &s) { s.FileType = FileTypeJpeg; }},
        {{"--format", "bmp"}, [](ThumbSettings &s) { s.FileType = FileTypeBitmap; }},
        {{"--format", "png"}, [](ThumbSettings &s) { s.FileType = FileTypePng; }},
        {{"--format=webp"}, [](ThumbSettings &s) { s.FileType = FileTypeWebp; }},
        {{"--format", "avif"}, [](ThumbSettings &s) { s.FileType = FileTypeAvif; }},
        {{"--format=jxl"}, [](ThumbSettings &s) { s.FileType = FileTypeJpegXl; }},
        {{"--lossless"}, [](ThumbSettings &) {}},
        {{"--compression", "40"}, [](ThumbSettings &s) { s.Compression = 40; }},
        {{"--compression", "100"}, [](ThumbSettings &s) { s.Compression = 100; }},
        {{"--margin-colour", "#FF8000"}, [](ThumbSettings &s) { s.MarginColour = 0x0080FF; }},
        {{"--margin-colour", "#0a0B0c"}, [](ThumbSettings &s) { s.MarginColour = 0x0C0B0A; }},
        {{"--margin-colour", "#000000"}, [](ThumbSettings &s) { s.MarginColour = 0; }},
        {{"--prefix", "t_"}, [](ThumbSettings &s) { s.Prefix = "t_"; }},
        {{"--prefix", ""}, [](ThumbSettings &s) { s.Prefix = ""; }},
        {{"--prefix=a=b"}, [](ThumbSettings &s) { s.Prefix = "a=b"; }},
        {{"--prefix", QStringLiteral("縮小_")}, [](ThumbSettings &s) { s.Prefix = QStringLiteral("縮小_"); }},
        {{"--out", "thumbs"}, [](ThumbSettings &s) { s.SaveFolder = "thumbs"; }},
        {{"--skip-existing"}, [](ThumbSettings &s) { s.DuplicateMode = DuplicateSkip; }},
        {{"--overwrite"}, [](ThumbSettings &s) { s.DuplicateMode = DuplicateOverwrite; }},
        {{"--skip-existing", "--overwrite"}, [](ThumbSettings &s) { s.DuplicateMode = DuplicateOverwrite; }},
        {{"--width", "20", "--width", "30"}, [](ThumbSettings &s) { s.Width = 30; }},
        {{}, [](ThumbSettings &) {}},
    };
    for (const OptionCase &c : cases) {
        const QString label = c.arguments.join(' ');
        const ParsedArguments parsed = parseBatchArguments(c.arguments + QStringList{"photos"});
        ASSERT_FALSE(parsed.error.has_value()) << label.toStdString() << ": " << parsed.error->toStdString();
        EXPECT_EQ(parsed.options.folder, "photos");
        ThumbSettings actual = fileSettings();
        applyOverlay(actual, parsed.options.overlay);
        ThumbSettings expected = fileSettings();
        c.change(expected);
        EXPECT_EQ(actual, expected) << label.toStdString();
    }
}

TEST(BatchOptions, RunOptionsAreReadAndDefaultsHoldOtherwise)
{
    const ParsedArguments plain = parseBatchArguments({"photos"});
    ASSERT_FALSE(plain.error.has_value());
    EXPECT_EQ(plain.request, BatchRequest::Run);
    EXPECT_FALSE(plain.options.settingsPath.has_value());
    EXPECT_EQ(plain.options.jobs, 0);
    EXPECT_FALSE(plain.options.quiet || plain.options.keepGoing || plain.options.recursive);
    EXPECT_EQ(plain.options.shard, (Shard{1, 1}));
    EXPECT_EQ(plain.options.raw, RawSource::Preview);
    EXPECT_FALSE(plain.options.lossless);
    EXPECT_EQ(plain.options.overlay, SettingsOverlay{});

    const ParsedArguments all = parseBatchArguments({"--settings", "my.ini", "--jobs", "3", "--quiet", "--keep-going",
                                                     "--recursive", "--shard", "2/5", "--lossless", "photos"});
    ASSERT_FALSE(all.error.has_value()) << all.error->toStdString();
    EXPECT_EQ(all.options.settingsPath, QString("my.ini"));
    EXPECT_EQ(all.options.jobs, 3);
    EXPECT_TRUE(all.options.quiet && all.options.keepGoing && all.options.recursive && all.options.lossless);
    EXPECT_EQ(all.options.shard, (Shard{2, 5}));
    EXPECT_EQ(all.options.overlay, SettingsOverlay{}) << "run options touch no setting";

    // "--" ends the options, so a folder may be named like one.
    const ParsedArguments dashed = parseBatchArguments({"--quiet", "--", "--width"});
    ASSERT_FALSE(dashed.error.has_value());
    EXPECT_EQ(dashed.options.folder, "--width");
    EXPECT_FALSE(dashed.options.overlay.Width.has_value());
}

TEST(BatchOptions, RawChoosesWhereACameraRawsPictureComesFrom)
{
    const std::vector<std::pair<QStringList, RawSource>> cases = {
        {{"--raw", "develop"}, RawSource::Develop},
        {{"--raw", "preview"}, RawSource::Preview},
        {{"--raw=develop"}, RawSource::Develop},
        {{"--raw", "preview", "--raw", "develop"}, RawSource::Develop},
        {{"--raw", "develop", "--raw=preview"}, RawSource::Preview},
    };
    for (const auto &[arguments, raw] : cases) {
        const ParsedArguments parsed = parseBatchArguments(arguments + QStringList{"photos"});
        ASSERT_FALSE(parsed.error.has_value()) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.raw, raw) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.overlay, SettingsOverlay{}) << "--raw touches no setting";
    }
}

TEST(BatchOptions, SizesAreKeptInOrderEachOnce)
{
    const std::vector<std::pair<QStringList, ThumbnailSizes>> cases = {
        {{"--size", "128x128"}, {{128, 128}}},
        {{"--size", "64x64", "--size=256x256", "--size", "16x640"}, {{64, 64}, {256, 256}, {16, 640}}},
        {{"--size", "200x100", "--size", "64x64", "--size", "200x100"}, {{200, 100}, {64, 64}}},
        {{}, {}},
    };
    for (const auto &[arguments, sizes] : cases) {
        const ParsedArguments parsed = parseBatchArguments(arguments + QStringList{"photos"});
        ASSERT_FALSE(parsed.error.has_value()) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.sizes, sizes) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.overlay, SettingsOverlay{}) << "--size is no setting";
    }
}

TEST(BatchOptions, HelpAndVersionWinOverTheRest)
{
    EXPECT_EQ(parseBatchArguments({"--help"}).request, BatchRequest::Help);
    EXPECT_EQ(parseBatchArguments({"-h", "--width", "1"}).request, BatchRequest::Help);
    EXPECT_EQ(parseBatchArguments({"photos", "--version"}).request, BatchRequest::Version);
}

struct RefusedCase {
    QStringList arguments;
    const char *named; // what the message must name
};

TEST(BatchOptions, BadValuesAreRefusedNamingTheOption)
{
    const std::vector<RefusedCase> cases = {
        {{"--width", "15"}, "--width"},
        {{"--width", "641"}, "--width"},
        {{"--width", "-20"}, "--width"},
        {{"--width", "1e2"}, "--width"},
        {{"--width", " 100"}, "--width"},
        {{"--width="}, "--width"},
        {{"--height", "0"}, "--height"},
        {{"--height", "99999999999"}, "--height"},
        {{"--mode", "7"}, "--mode"},
        {{"--mode", "Cover"}, "--mode"},
        {{"--mode", "-1"}, "--mode"},
        {{"--mode", "Fit"}, "--mode"},
        {{"--quality", "4"}, "--quality"},
        {{"--quality", "high"}, "--quality"},
        {{"--format", "gif"}, "--format"},
        {{"--format", "JPG"}, "--format"},
        {{"--format", "jpeg"}, "--format"},
        {{"--format", "2"}, "--format"},
        {{"--format", "WebP"}, "--format"},
        {{"--format", ""}, "--format"},
        {{"--format", "jpegxl"}, "--format"},
        {{"--format", "4"}, "--format"},
        {{"--format", "AVIF"}, "--format"},
        {{"--lossless=yes"}, "--lossless"},
        {{"--compression", "39"}, "--compression"},
        {{"--compression", "101"}, "--compression"},
        {{"--margin-colour", "FF8000"}, "--margin-colour"},
        {{"--margin-colour", "#FF800"}, "--margin-colour"},
        {{"--margin-colour", "#GG8000"}, "--margin-colour"},
        {{"--margin-colour", "#FF80000"}, "--margin-colour"},
        {{"--prefix", "a/b"}, "--prefix"},
        {{"--out", ""}, "--out"},
        {{"--settings", ""}, "--settings"},
        {{"--jobs", "0"}, "--jobs"},
        {{"--jobs", "257"}, "--jobs"},
        {{"--shard", "0/3"}, "--shard"},
        {{"--shard", "4/3"}, "--shard"},
        {{"--shard", "1/0"}, "--shard"},
        {{"--shard", "3"}, "--shard"},
        {{"--shard", "1/2/3"}, "--shard"},
        {{"--shard", "a/b"}, "--shard"},
        {{"--size", "15x100"}, "--size"},
        {{"--size", "100x641"}, "--size"},
        {{"--size", "128"}, "--size"},
        {{"--size", "128X128"}, "--size"},
        {{"--size", "128x128x2"}, "--size"},
        {{"--size", "64x64", "--width", "100"}, "--size"},
        {{"--height", "100", "--size", "64x64"}, "--size"},
        {{"--raw", "Develop"}, "--raw"},
        {{"--raw", "developed"}, "--raw"},
        {{"--raw", "embedded"}, "--raw"},
        {{"--raw", "1"}, "--raw"},
        {{"--raw="}, "--raw"},
        {{"--raw"}, "--raw"},
        {{"--bogus"}, "--bogus"},
        {{"--quiet=yes"}, "--quiet"},
        {{"--keep-going", "--recursiv"}, "--recursiv"},
    };
    for (const RefusedCase &c : cases) {
        const ParsedArguments parsed = parseBatchArguments(c.arguments + QStringList{"photos"});
        ASSERT_TRUE(parsed.error.has_value()) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(parsed.error->contains(QLatin1String(c.named)))
            << c.arguments.join(' ').toStdString() << ": " << parsed.error->toStdString();
    }
}

TEST(BatchOptions, AMissingValueOrFolderIsRefused)
{
    const std::vector<std::pair<QStringList, const char *>> cases = {
        {{}, "SOURCE_FOLDER"},
        {{"--quiet"}, "SOURCE_FOLDER"},
        {{"--width"}, "--width"},
        {{"photos", "--settings"}, "--settings"},
        {{"photos", "--raw"}, "--raw"},
        {{"photos", "more"}, "only one"},
        {{""}, "SOURCE_FOLDER"},
    };
    for (const auto &[arguments, named] : cases) {
        const ParsedArguments parsed = parseBatchArguments(arguments);
        ASSERT_TRUE(parsed.error.has_value()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(parsed.error->contains(QLatin1String(named))) << parsed.error->toStdString();
    }
}

} // namespace
