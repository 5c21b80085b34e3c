#pragma once
#include "platform/failure.h"
#include "platform/file_services.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/thumbnail_encoding.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tess {

// The files a run reads from, remembered by identity when the run starts, so
// that no thumbnail replaces one of them whatever path or link leads there.
class SourceFiles {
public:
    SourceFiles() = default;
    explicit SourceFiles(const QStringList &paths);
    bool contains(const QString &path) const;

private:
    std::vector<FileIdentity> m_identities;
};

// Prefix + base name + the FileType's extension.
QString outputFileName(const QString &baseName, const ThumbSettings &settings);
// SaveFolder + "/" + the output file name, SaveFolder as stored.
QString outputFilePath(const QString &baseName, const ThumbSettings &settings);

// Why these settings can name no thumbnail file at all, whatever the picture:
// no save folder, or a Prefix that can't be part of a file name ("/", a NUL
// character, or longer than a name may be). The failure names the save folder
// and the prefix. Nothing when every picture's name is still to be judged on
// its own.
std::optional<Failure> outputNamesProblem(const ThumbSettings &settings);

struct WriteOutcome {
    enum Kind { Written, Skipped, Failed };
    Kind kind = Failed;
    QString outputName;             // what the result list shows when written
    QString outputPath;
    std::optional<Failure> failure; // set exactly when kind is Failed

    bool ok() const { return kind != Failed; }
};

// Writes the canvas as one thumbnail file. When the name is already taken:
// DuplicateMode 0 replaces it, any other value skips it (Skipped, nothing
// touched). A file in the way is never lost: one the user may not write
// (judged by its permission bits, as the listing does) is not replaced, and
// one that can't be read is not replaced when skipping; both are failures. The
// bytes are encodeThumbnail's. The file is written
// whole or not at all; a file it replaces stays as it was on failure.
// Failures, each naming the output path: a name that would leave SaveFolder
// (a "/" in Prefix) or is too long for the file system, an empty SaveFolder,
// an existing name that is one of the sources, an empty canvas, an encoder
// failure, and any write error.
// preEncoded (optional): the canvas already encoded with these settings, as a
// worker thread does ahead of the write; its failure counts where the
// encoder's would.
WriteOutcome WriteThumbnail(const Picture &canvas, const QString &baseName, const ThumbSettings &settings,
                            const SourceFiles &sources, const EncodedThumbnail *preEncoded = nullptr);

} // namespace tess
