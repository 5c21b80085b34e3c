#pragma once
#include <cstdint>

class QWidget;

namespace tess {

// The colour dialog, owned by the given window, starting from 16 white custom
// colours every time. Returns the chosen colour (0x00BBGGRR) or -1 when the
// user cancels.
std::int32_t PickColour(QWidget *owner, std::int32_t initial);

} // namespace tess
