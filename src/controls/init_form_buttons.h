#pragma once

class QWidget;

namespace tess {

// Runs through the host's controls in their own order (children, depth first)
// and, for each Command button among them, calls Initialize when `initialise`
// is true and otherwise sets its Enabled to `enable`. Other controls are left alone.
void InitFormButtons(QWidget *host, bool initialise, bool enable);

} // namespace tess
