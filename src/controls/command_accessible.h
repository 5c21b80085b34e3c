#pragma once

namespace tess {

class Command;

// Makes a Command button known to assistive technology (screen readers, and
// tests through AT-SPI) as what it looks like: a push button named by its
// caption, unavailable while its own Enabled flag is off (QWidget::isEnabled
// stays true for it). Each button calls this once; the
// first call installs the interface factory for every button.
void makeAccessible(Command *button);

} // namespace tess
