#include "thumbs/source_listing.h"

#include "codecs/picture_kinds.h"
#include "platform/file_names.h"
#include "platform/file_services.h"
#include "platform/list_collation.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cerrno>
#include <dirent.h>
#include <numeric>
#include <utility>
#include <vector>
#include <QCoreApplication>

namespace tess {

namespace {

// The attribute word of each pass, in pass order: a plain file the user may
// write, then one the user may not. A file always carries one of the two, so
// no pass looks for a file with no attribute at all.
constexpr std::array<int, 2> kPassAttributes = {AttributeArchive, AttributeReadOnly};

Failure unreadableFolder(const QString &folder, int errorNumber)
{
    return {folder, QCoreApplication::translate("Thumbnails", "フォルダを読めません。") + systemErrorText(errorNumber)};
}

struct Entry {
    QString name;
    int attributes;
};

bool listable(int attributes)
{
    return std::find(kPassAttributes.begin(), kPassAttributes.end(), attributes) != kPassAttributes.end();
}

// The folder's entries that match a wildcard and whose attributes one of the
// passes takes, or the error that stopped the read.
std::optional<Failure> readFolder(const QString &folder, std::vector<Entry> &entries, const QStringList &wildcards)
{
    DIR *dir = ::opendir(nativePath(folder).constData());
    if (dir == nullptr)
        return unreadableFolder(folder, errno);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (;;) {
        errno = 0;
        const dirent *d = ::readdir(dir);
        if (d == nullptr) {
            const int error = errno;
            ::closedir(dir);
            if (error != 0)
                return unreadableFolder(folder, error);
            return std::nullopt;
        }
        const QByteArray raw(d->d_name);
        if (raw == "." || raw == "..")
            continue;
        // Names that are not UTF-8 are listed too: the mapping keeps their
        // bytes, so the file opens and its thumbnail carries the same bytes.
        const QString name = nameFromNative(raw);
        if (std::none_of(wildcards.begin(), wildcards.end(),
                         [&](const QString &wildcard) { return matchesWildcard(name, wildcard); }))
            continue;
        // A file that vanished since the folder was read is simply not there.
        const auto attributes = fileAttributes(prefix + name);
        if (!attributes || !listable(*attributes))
            continue;
        entries.push_back({name, *attributes});
    }
}

} // namespace

const QStringList &pictureWildcards()
{
    // Every kind the readers open, under every ending cameras and programs give it.
    static const QStringList wildcards = pictureEndingWildcards();
    return wildcards;
}

bool matchesWildcard(const QString &name, const QString &wildcard)
{
    if (wildcard.startsWith(QLatin1Char('*')) && !wildcard.mid(1).contains(QLatin1Char('*'))
        && !wildcard.contains(QLatin1Char('?'))) {
        // The common "*.ext" case without building a regular expression.
        return name.endsWith(QStringView(wildcard).mid(1), Qt::CaseInsensitive);
    }
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(wildcard),
                                     QRegularExpression::CaseInsensitiveOption);
    // A regular expression matches nothing in text with lone surrogates, so
    // each byte that is not UTF-8 takes part as one stand-in character.
    QString subject = name;
    for (qsizetype i = 0; i < subject.size(); ++i) {
        if (subject[i].isHighSurrogate() && i + 1 < subject.size() && subject[i + 1].isLowSurrogate())
            ++i;
        else if (subject[i].isSurrogate())
            subject[i] = QChar(QChar::ReplacementCharacter);
    }
    return pattern.match(subject).hasMatch();
}

SourceListing ListSourceFolder(const QString &folder)
{
    const QStringList &wildcards = pictureWildcards();
    SourceListing listing;
    std::vector<Entry> entries;
    if (auto failure = readFolder(folder, entries, wildcards)) {
        listing.failure = std::move(failure);
        return listing;
    }

    for (const int attribute : kPassAttributes) {
        for (const QString &wildcard : wildcards) {
            for (const Entry &entry : entries) {
                if (entry.attributes != attribute || !matchesWildcard(entry.name, wildcard))
                    continue;
                listing.names.append(entry.name);
            }
        }
    }

    // The list is sorted as the user reads it. Two names that read the same
    // (a UTF-8 and a Shift-JIS spelling of one word) keep a fixed order by
    // their bytes.
    std::vector<std::pair<QByteArray, QByteArray>> keys;
    keys.reserve(std::size_t(listing.names.size()));
    for (const QString &name : std::as_const(listing.names))
        keys.emplace_back(listBoxSortKey(displayName(name)), nativePath(name));
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    QStringList sorted;
    sorted.reserve(listing.names.size());
    for (const std::size_t i : order)
        sorted.append(listing.names[qsizetype(i)]);
    listing.names = std::move(sorted);
    return listing;
}

} // namespace tess
