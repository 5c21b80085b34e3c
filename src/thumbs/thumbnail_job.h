#pragma once
#include "settings/thumb_settings.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tess {

// One picture of a run: where it is read from, where its thumbnail goes and
// the name the thumbnail is made from. A run is a list of these and one
// settings record.
struct ThumbnailJob {
    QString source;       // the picture's path
    QString outputFolder; // below the save folder; "" for the save folder itself
    QString baseName;     // what the prefix and the extension are put around

    friend bool operator==(const ThumbnailJob &, const ThumbnailJob &) = default;
};

// The jobs of the listed entries (bare file names) of one folder, in order,
// each base name split off its entry's name.
std::vector<ThumbnailJob> jobsForFolder(const QString &folder, const QStringList &entries,
                                        const QString &outputFolder = {});

// The settings a job's thumbnail is made and written with: the run's, with the
// save folder moved down to the job's output folder.
ThumbSettings settingsForJob(const ThumbSettings &settings, const ThumbnailJob &job);

} // namespace tess
