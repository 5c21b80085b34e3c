#pragma once
#include "cli/batch_listing.h"
#include "cli/batch_options.h"

namespace tess {

// The shard's slice of the listing, counting pictures across folders in
// listing order, so that the N slices cover it exactly once however its
// pictures are spread over folders. Folders left without pictures drop out;
// failures are kept, every slice reporting them.
BatchListing shardOf(const BatchListing &listing, Shard shard);

} // namespace tess
