#pragma once
#include "platform/colour.h"

#include <QPoint>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QtGlobal>
#include <vector>

class QLabel;
class QWidget;

namespace tess {

class CloseImage;
class PictureBox;
class TitleStrip;

// Takes the system's border and title bar off a window (it draws its own chrome).
// A child widget becomes a window of its own; dialog and tool flags are kept.
void makeFrameless(QWidget *window);

// What differs between the windows' chrome; positions and sizes in twips.
struct ChromeLayout {
    double stripWidth = 8415;          // `Image1` at (0, 0), 330 twips high
    QString title;                     // `lbl(1)` at (180, 60)
    QSizeF titleSize{3135, 195};
    Colour titleColour = rgb(0xE0, 0xE0, 0xE0);
    QPointF closeImageAt{8100, 60};    // `ImgExit`, 225 x 225
    QString closeToolTip;
    bool processEventsBeforeClose = false;

    static ChromeLayout mainWindow();
    static ChromeLayout settingsWindow();
};

// The chrome widgets placed on a window, raised above its panels. The window
// owns them (they are its children).
struct WindowChrome {
    TitleStrip *titleStrip = nullptr; // `Image1`
    QLabel *titleLabel = nullptr;     // `lbl(1)`
    CloseImage *closeImage = nullptr; // `ImgExit`
};

// Makes the window frameless and places the title strip, the title text and the
// close image on it at the current screen resolution. Call it after the window's
// panels are created, or call raiseChrome() afterwards, so the chrome lies on top.
WindowChrome installChrome(QWidget *window, const ChromeLayout &layout);
void raiseChrome(const WindowChrome &chrome);

// The main window's background: paints the sine gradient into the panel now and
// again after every resize.
void paintGradientOnResize(PictureBox *panel);

// Tiles the chrome texture over the panel's picture and repaints it; returns the
// tile positions.
std::vector<QPoint> tileTexture(PictureBox *panel);

} // namespace tess
