#include "thumbs/thumbnail_job.h"

#include "thumbs/path_parts.h"

namespace tess {

std::vector<ThumbnailJob> jobsForFolder(const QString &folder, const QStringList &entries, const QString &outputFolder)
{
    std::vector<ThumbnailJob> jobs;
    jobs.reserve(std::size_t(entries.size()));
    for (const QString &entry : entries) {
        QString baseName;
        QString extension;
        SplitName(entry, baseName, extension);
        jobs.push_back({folder + QLatin1Char('/') + entry, outputFolder, baseName});
    }
    return jobs;
}

ThumbSettings settingsForJob(const ThumbSettings &settings, const ThumbnailJob &job)
{
    ThumbSettings jobSettings = settings;
    if (!job.outputFolder.isEmpty())
        jobSettings.SaveFolder = settings.SaveFolder + QLatin1Char('/') + job.outputFolder;
    return jobSettings;
}

} // namespace tess
