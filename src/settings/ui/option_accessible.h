#pragma once

namespace tess {

class OptionImage;

// Makes an option mark known to assistive technology as a radio button,
// named by its widget's accessible name (the settings window gives it the
// caption beside it), checked while it shows the selected mark. Every option
// image calls this once; the first call installs the interface factory for
// all of them.
void makeAccessible(OptionImage *option);

// Tells assistive technology that the option's checked state may have changed.
void announceMarkChanged(OptionImage *option);

} // namespace tess
