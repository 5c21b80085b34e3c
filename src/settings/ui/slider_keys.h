#pragma once
#include <QObject>

class QScrollBar;

namespace tess {

// Makes a scroll bar take the keyboard focus (by Tab and by a click) and move
// with the keys as a Windows scroll bar does: Left and Up one step back, Right
// and Down one step on, Page Up and Page Down a page, Home and End to the ends.
// Qt's own bindings turn Up and Page Up the other way on a horizontal bar.
void takeKeysAsScrollBar(QScrollBar *bar);

} // namespace tess
