#include "cli/batch_shard.h"

namespace tess {

BatchListing shardOf(const BatchListing &listing, Shard shard)
{
    BatchListing slice;
    slice.failures = listing.failures;
    qint64 position = 0;
    for (const BatchFolder &folder : listing.folders) {
        BatchFolder part{folder.relative, {}};
        for (const QString &name : folder.names) {
            if (position++ % shard.count == shard.index - 1)
                part.names.append(name);
        }
        if (!part.names.isEmpty())
            slice.folders.push_back(std::move(part));
    }
    return slice;
}

} // namespace tess
