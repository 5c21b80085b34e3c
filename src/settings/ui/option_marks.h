#pragma once
#include <QPixmap>

namespace tess {

// The two option mark pictures (13 x 13): the selected and the unselected
// mark. The artwork keys its corners out in magenta, which becomes
// transparent here so the panel shows around the round mark.
// Drawn for the densest screen the program shows on.
QPixmap optionMarkPixmap(bool selected);
// Drawn from the artwork of the density a device with this pixel ratio needs.
QPixmap optionMarkPixmap(bool selected, qreal devicePixelRatio);

} // namespace tess
