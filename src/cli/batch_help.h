#pragma once

namespace tess {

// The one usage line, and the text --help prints after it.
extern const char kBatchUsage[];
extern const char kBatchHelp[];

} // namespace tess
