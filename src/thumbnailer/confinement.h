#pragma once
#include <QString>

#include <optional>

namespace tess {

// From here on, for this process and every thread it starts: reading,
// writing, seeking and mapping the files it already holds, memory, threads,
// clocks and signals to itself, and nothing else. Opening a file, starting a
// program, making a socket, tracing another process: each fails with EPERM.
// A decoder flaw that hostile bytes reach then reaches neither the user's
// files nor the network, whether or not the desktop sandboxes us. Why not,
// when the kernel refuses the filter.
std::optional<QString> confineToHeldFiles();

} // namespace tess
