#pragma once
#include <QPixmap>

namespace tess {

// The two option mark pictures (13 x 13): the selected and the unselected
// mark. The artwork keys its corners out in magenta, which becomes
// transparent here so the panel shows around the round mark.
QPixmap optionMarkPixmap(bool selected);

} // namespace tess
