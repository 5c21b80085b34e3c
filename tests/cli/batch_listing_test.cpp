#include "cli/batch_listing.h"
#include "cli/batch_shard.h"
#include "support/file_bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

using namespace tess;
using namespace test_files;

namespace {

// "folder/name" for every picture of a listing, in listing order.
QStringList flat(const BatchListing &listing)
{
    QStringList all;
    for (const BatchFolder &folder : listing.folders)
        for (const QString &name : folder.names)
            all.append(folder.relative.isEmpty() ? name : folder.relative + '/' + name);
    return all;
}

BatchListing listingOf(const std::vector<std::pair<QString, int>> &folders)
{
    BatchListing listing;
    for (const auto &[relative, count] : folders) {
        BatchFolder folder{relative, {}};
        for (int i = 0; i < count; ++i)
            folder.names.append(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        listing.folders.push_back(folder);
    }
    return listing;
}

TEST(BatchShard, SlicesCoverTheListingOnceEachInterleaved)
{
    const std::vector<BatchListing> listings = {
        listingOf({}),
        listingOf({{"", 1}}),
        listingOf({{"", 7}}),
        listingOf({{"", 3}, {"a", 0}, {"a/b", 5}, {"c", 1}, {"c/d/e", 4}}),
        listingOf({{"", 0}, {"x", 2}, {"y", 2}}),
    };
    for (const BatchListing &listing : listings) {
        const QStringList all = flat(listing);
        for (int count = 1; count <= 5; ++count) {
            std::map<QString, int> seen;
            for (int index = 1; index <= count; ++index) {
                const BatchListing slice = shardOf(listing, {index, count});
                const QStringList part = flat(slice);
                // Interleaved: the slice holds positions index-1, index-1+count, ...
                QStringList expected;
                for (qsizetype p = index - 1; p < all.size(); p += count)
                    expected.append(all[p]);
                EXPECT_EQ(part, expected) << index << "/" << count;
                for (const QString &name : part)
                    ++seen[name];
                for (const BatchFolder &folder : slice.folders)
                    EXPECT_FALSE(folder.names.isEmpty()) << "a slice holds no empty folder";
            }
            EXPECT_EQ(int(seen.size()), int(all.size())) << count << " slices cover the listing";
            for (const auto &[name, times] : seen)
                EXPECT_EQ(times, 1) << name.toStdString() << " in " << count << " slices";
        }
    }
}

TEST(BatchShard, EverySliceKeepsTheFoldersThatFailed)
{
    BatchListing listing = listingOf({{"", 2}});
    listing.failures.push_back({"/photos/locked", "読めません。"});
    for (int index = 1; index <= 3; ++index)
        EXPECT_EQ(shardOf(listing, {index, 3}).failures.size(), 1u);
}

class BatchTree : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }
    void file(const QString &relative)
    {
        QDir().mkpath(QFileInfo(at(relative)).path());
        writeBytes(at(relative), "x");
    }
    QString at(const QString &relative) const { return root.filePath(relative); }
    QTemporaryDir root;
};

TEST_F(BatchTree, RecursiveListsEveryLevelInOrderSkippingHiddenFoldersAndLinks)
{
    file("top.jpg");
    file("b/b1.bmp");
    file("b/c/c1.jpg");
    file("b/c/d/deep.jpg");
    file("b/c/d/notes.txt");
    file("A/a1.jpg");
    file("A/a0.bmp");
    file("A/a2.webp");
    file("b/c/d/shot.HEIC");
    QDir().mkpath(at("empty"));
    file(".hidden/h.jpg");
    file("b/.cache/h.jpg");
    file("elsewhere/e.jpg");
    // A link to a folder in the tree and one to a folder outside: neither entered.
    QTemporaryDir outside;
    writeBytes(outside.filePath("o.jpg"), "x");
    ASSERT_TRUE(QFile::link(at("b"), at("link-to-b")));
    ASSERT_TRUE(QFile::link(outside.path(), at("b/c/link-out")));
    // A link to the tree's own root would loop if followed.
    ASSERT_TRUE(QFile::link(root.path(), at("b/c/d/loop")));

    const BatchListing listing = listBatchFolders(root.path(), true);
    EXPECT_TRUE(listing.failures.empty());
    const std::vector<BatchFolder> expected = {
        {"", {"top.jpg"}},
        {"A", {"a0.bmp", "a1.jpg", "a2.webp"}},
        {"b", {"b1.bmp"}},
        {"b/c", {"c1.jpg"}},
        {"b/c/d", {"deep.jpg", "shot.HEIC"}},
        {"elsewhere", {"e.jpg"}},
        {"empty", {}},
    };
    EXPECT_EQ(listing.folders, expected);
    EXPECT_EQ(listing.pictureCount(), 9);

    const BatchListing flatOnly = listBatchFolders(root.path(), false);
    EXPECT_EQ(flatOnly.folders, (std::vector<BatchFolder>{{"", {"top.jpg"}}}));
}

TEST_F(BatchTree, AnUnreadableSubfolderIsAFailureAndTheRestIsStillListed)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions don't stop the superuser";
    file("a/a.jpg");
    file("locked/l.jpg");
    file("z/z.jpg");
    QFile::setPermissions(at("locked"), QFileDevice::Permissions());
    const BatchListing listing = listBatchFolders(root.path(), true);
    QFile::setPermissions(at("locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(listing.failures.size(), 1u);
    EXPECT_TRUE(listing.failures[0].text().contains("locked")) << listing.failures[0].text().toStdString();
    EXPECT_EQ(flat(listing), (QStringList{"a/a.jpg", "z/z.jpg"}));
}

} // namespace

namespace {

TEST_F(BatchTree, TheOutputFolderInsideTheTreeIsNotEntered)
{
    file("a.jpg");
    file("thumbs/Thumb_a.jpg");
    file("thumbs/deeper/Thumb_b.jpg");
    file("more/b.jpg");
    const std::vector<BatchFolder> expected = {{"", {"a.jpg"}}, {"more", {"b.jpg"}}};
    EXPECT_EQ(listBatchFolders(root.path(), true, at("thumbs")).folders, expected);
    // However the folder is named.
    EXPECT_EQ(listBatchFolders(root.path(), true, at("more/../thumbs/")).folders, expected);
    ASSERT_TRUE(QFile::link(at("thumbs"), at("link-to-thumbs")));
    EXPECT_EQ(listBatchFolders(root.path(), true, at("link-to-thumbs")).folders, expected);
    // An output folder elsewhere, or none, leaves the walk as it is.
    EXPECT_EQ(listBatchFolders(root.path(), true, "/nonexistent").folders.size(), 4u);
    EXPECT_EQ(listBatchFolders(root.path(), true).folders.size(), 4u);
    // The source folder as its own output folder is still listed.
    EXPECT_EQ(listBatchFolders(root.path(), true, root.path()).folders.size(), 4u);
}

} // namespace
