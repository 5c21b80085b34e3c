#include "chrome/window_chrome.h"

#include "platform/ui/fonts.h"

#include "chrome/chrome_art.h"
#include "chrome/close_image.h"
#include "chrome/picture_box.h"
#include "chrome/sine_gradient.h"
#include "chrome/tile_background.h"
#include "chrome/title_strip.h"
#include "chrome/twips.h"

#include <QLabel>
#include <QCoreApplication>

namespace tess {

void makeFrameless(QWidget *window)
{
    if (!window)
        return;
    Qt::WindowFlags flags = window->windowFlags();
    if (!(flags & Qt::Window))
        flags |= Qt::Window;
    window->setWindowFlags(flags | Qt::FramelessWindowHint);
}

ChromeLayout ChromeLayout::mainWindow()
{
    ChromeLayout layout;
    layout.stripWidth = 8415;
    layout.title = QCoreApplication::translate("WindowChrome", "Tessarolith　Ver.1.1.0");
    layout.titleColour = rgb(0xE0, 0xE0, 0xE0);
    layout.closeImageAt = QPointF(8100, 60);
    layout.closeToolTip = QStringLiteral("exit button");
    layout.processEventsBeforeClose = false;
    return layout;
}

ChromeLayout ChromeLayout::settingsWindow()
{
    ChromeLayout layout;
    layout.stripWidth = 7095;
    layout.title = QCoreApplication::translate("WindowChrome", "各種設定");
    layout.titleColour = rgb(0xFF, 0xFF, 0xFF);
    layout.closeImageAt = QPointF(6780, 60);
    layout.closeToolTip = QCoreApplication::translate("WindowChrome", "ｷｬﾝｾﾙ");
    layout.processEventsBeforeClose = true;
    return layout;
}

WindowChrome installChrome(QWidget *window, const ChromeLayout &layout)
{
    WindowChrome chrome;
    if (!window)
        return chrome;
    makeFrameless(window);

    chrome.titleStrip = new TitleStrip(window);
    chrome.titleStrip->setObjectName(QStringLiteral("Image1"));
    chrome.titleStrip->setGeometry(twipsRect(0, 0, layout.stripWidth, 330));

    chrome.titleLabel = new QLabel(layout.title, window);
    chrome.titleLabel->setObjectName(QStringLiteral("lbl(1)"));
    chrome.titleLabel->setGeometry(twipsRect(180, 60, layout.titleSize.width(), layout.titleSize.height()));
    chrome.titleLabel->setFont(uiFont());
    chrome.titleLabel->setStyleSheet(QStringLiteral("color: rgb(%1, %2, %3); background: transparent;")
                                         .arg(redOf(layout.titleColour))
                                         .arg(greenOf(layout.titleColour))
                                         .arg(blueOf(layout.titleColour)));
    // The title text lies on the strip; a press on it should drag like the strip.
    chrome.titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    chrome.closeImage = new CloseImage(window);
    chrome.closeImage->setObjectName(QStringLiteral("ImgExit"));
    const QRect at = twipsRect(layout.closeImageAt.x(), layout.closeImageAt.y(), 225, 225);
    chrome.closeImage->move(at.topLeft());
    chrome.closeImage->setToolTip(layout.closeToolTip);
    chrome.closeImage->setProcessEventsBeforeClose(layout.processEventsBeforeClose);

    raiseChrome(chrome);
    return chrome;
}

void raiseChrome(const WindowChrome &chrome)
{
    if (chrome.titleStrip)
        chrome.titleStrip->raise();
    if (chrome.titleLabel)
        chrome.titleLabel->raise();
    if (chrome.closeImage)
        chrome.closeImage->raise();
}

void paintGradientOnResize(PictureBox *panel)
{
    if (!panel)
        return;
    auto paint = [panel] {
        paintSineGradient(panel->picture());
        panel->update();
    };
    QObject::connect(panel, &PictureBox::resized, panel, paint);
    paint();
    // Over twice the rows, the same curve comes out finer.
    panel->setDenseDrawing([](Picture &dense, int) { paintSineGradient(dense); });
}

std::vector<QPoint> tileTexture(PictureBox *panel)
{
    if (!panel)
        return {};
    const Picture texture = chromePicture(ChromeArt::Texture);
    std::vector<QPoint> laid = tileBackground(panel->picture(), texture);
    panel->setDenseDrawing([](Picture &dense, int density) {
        // The twin tiles from the same corners, each tile twice the size.
        const QImage twin = chromeArtwork(ChromeArt::Texture).at(density);
        tileBackground(dense, Picture::fromImage(twin));
    });
    panel->update();
    return laid;
}

} // namespace tess
