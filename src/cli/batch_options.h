#pragma once
#include "thumbs/thumbnail_cache.h"
#include "thumbs/thumbnail_sizes.h"
#include "cli/batch_overlay.h"
#include "codecs/picture_reader.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tess {

// The K-th (1 to N) of N interleaved slices of a listing: the entries whose
// position counted from 0 leaves K - 1 when divided by N.
struct Shard {
    int index = 1;
    int count = 1;
    friend bool operator==(const Shard &, const Shard &) = default;
};

struct BatchOptions {
    std::optional<QString> settingsPath; // nothing: the default settings file
    int jobs = 0;                        // decode threads; 0 for one per core
    bool quiet = false;
    bool keepGoing = false;
    bool recursive = false;
    Shard shard;
    RawSource raw = RawSource::Preview;
    ThumbnailSizes sizes; // --size, in the order given, each once
    bool lossless = false; // --lossless: a run option, never a setting
    // --thumbnail-cache: the desktop's cache filled at these flavours instead
    // of a thumbnail run.
    std::optional<std::vector<CacheFlavour>> thumbnailCache;
    SettingsOverlay overlay;
    QString folder;
};

enum class BatchRequest { Run, Help, Version };

struct ParsedArguments {
    BatchRequest request = BatchRequest::Run;
    BatchOptions options;
    std::optional<QString> error; // what is wrong with the arguments, naming the option
};

// The command line without the program's name. Only reads the arguments:
// files and folders are looked at later.
ParsedArguments parseBatchArguments(const QStringList &arguments);

} // namespace tess
