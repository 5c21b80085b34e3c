#include "thumbs/output_writer.h"

#include "platform/app_locations.h"
#include "platform/file_names.h"
#include "codecs/picture_codecs.h"
#include "thumbs/thumbnail_encoding.h"

#include <algorithm>
#include <QCoreApplication>

namespace tess {

namespace {

// The longest file name Linux file systems take, in bytes.
constexpr qsizetype kMaxNameBytes = 255;

WriteOutcome failed(WriteOutcome outcome, const QString &message)
{
    outcome.kind = WriteOutcome::Failed;
    outcome.failure = Failure{outcome.outputPath, message};
    return outcome;
}

// Why a name can't be written inside the save folder, or nothing.
std::optional<QString> nameProblem(const QString &name)
{
    if (name.contains(QLatin1Char('/')))
        return QCoreApplication::translate("Thumbnails", "ファイル名に「/」は使えません。");
    if (name.contains(QChar(0)))
        return QCoreApplication::translate("Thumbnails", "ファイル名に使えない文字があります。");
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QCoreApplication::translate("Thumbnails", "ファイル名が正しくありません。");
    if (nativePath(name).size() > kMaxNameBytes)
        return QCoreApplication::translate("Thumbnails", "ファイル名が長すぎます。");
    return std::nullopt;
}

QString noSaveFolder() { return QCoreApplication::translate("Thumbnails", "保存フォルダが指定されていません。"); }

} // namespace

SourceFiles::SourceFiles(const QStringList &paths)
{
    m_identities.reserve(std::size_t(paths.size()));
    for (const QString &path : paths) {
        if (const auto identity = fileIdentity(path))
            m_identities.push_back(*identity);
    }
}

bool SourceFiles::contains(const QString &path) const
{
    const auto identity = fileIdentity(path);
    return identity && std::find(m_identities.begin(), m_identities.end(), *identity) != m_identities.end();
}

QString outputFileName(const QString &baseName, const ThumbSettings &settings)
{
    return settings.Prefix + baseName + QLatin1String(thumbnailExtension(settings.FileType));
}

QString outputFilePath(const QString &baseName, const ThumbSettings &settings)
{
    return settings.SaveFolder + QLatin1Char('/') + outputFileName(baseName, settings);
}

std::optional<Failure> outputNamesProblem(const ThumbSettings &settings)
{
    const QString where = settings.SaveFolder + QLatin1Char('/') + settings.Prefix;
    if (settings.SaveFolder.isEmpty())
        return Failure{where, noSaveFolder()};
    // What every name holds: the prefix and the extension.
    const QString shortest = settings.Prefix + QLatin1String(thumbnailExtension(settings.FileType));
    if (const auto problem = nameProblem(shortest))
        return Failure{where, *problem};
    return std::nullopt;
}

WriteOutcome WriteThumbnail(const Picture &canvas, const QString &baseName, const ThumbSettings &settings,
                            const SourceFiles &sources, const EncodedThumbnail *preEncoded)
{
    WriteOutcome outcome;
    outcome.outputName = outputFileName(baseName, settings);
    outcome.outputPath = outputFilePath(baseName, settings);

    if (const auto problem = nameProblem(outcome.outputName))
        return failed(std::move(outcome), *problem);
    // An empty folder would put the thumbnail at the root of the file system.
    if (settings.SaveFolder.isEmpty())
        return failed(std::move(outcome), noSaveFolder());

    const bool readable = FileExists(outcome.outputPath);
    if (readable && settings.DuplicateMode != DuplicateOverwrite) {
        outcome.kind = WriteOutcome::Skipped;
        return outcome;
    }
    // A file that is there but can't be read, or that the user may not write,
    // is the user's: it can be neither read to skip it nor deleted to
    // overwrite it, so the run stops there. Writing over it would lose it (and
    // hand its mode on to the thumbnail).
    if (const auto attributes = fileAttributes(outcome.outputPath);
        attributes && !(*attributes & AttributeDirectory)) {
        if (settings.DuplicateMode != DuplicateOverwrite && !readable)
            return failed(std::move(outcome), QCoreApplication::translate("Thumbnails", "既にあるファイルを読み取れません。"));
        if (settings.DuplicateMode == DuplicateOverwrite && (*attributes & AttributeReadOnly))
            return failed(std::move(outcome), QCoreApplication::translate("Thumbnails", "読み取り専用のファイルは上書きできません。"));
    }
    if (sources.contains(outcome.outputPath))
        return failed(std::move(outcome), QCoreApplication::translate("Thumbnails", "元の画像に上書きするため中止しました。"));
    if (canvas.isEmpty())
        return failed(std::move(outcome), QCoreApplication::translate("Thumbnails", "サムネイルの画像がありません。"));

    const EncodedThumbnail encoded = preEncoded ? *preEncoded : encodeThumbnail(canvas, settings, outcome.outputPath);
    if (!encoded.ok()) {
        outcome.kind = WriteOutcome::Failed;
        outcome.failure = encoded.failure;
        return outcome;
    }
    const QByteArray &bytes = encoded.bytes;

    // An installed copy's own default folder is made by its first thumbnail.
    makeDefaultSaveFolder(settings.SaveFolder);
    if (auto failure = writeFileAtomically(outcome.outputPath, bytes)) {
        outcome.kind = WriteOutcome::Failed;
        outcome.failure = std::move(failure);
        return outcome;
    }
    outcome.kind = WriteOutcome::Written;
    return outcome;
}

} // namespace tess
