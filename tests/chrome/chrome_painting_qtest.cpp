// Twips arithmetic, texture tiling, the sine gradient, the chrome artwork and the
// picture box: the drawing side of the window chrome.
#include "chrome/chrome_art.h"
#include "chrome/picture_box.h"
#include "chrome/sine_gradient.h"
#include "chrome/tile_background.h"
#include "chrome/twips.h"
#include "chrome/window_chrome.h"

#include <QtTest>
#include <cfenv>
#include <cmath>

using namespace tess;

namespace {

// Half to even through the C library's own rounding mode, independent of the
// program's implementation.
int evenRound(double v)
{
    std::fesetround(FE_TONEAREST);
    return int(std::nearbyint(v));
}

Picture numbered(int w, int h)
{
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.setPixel(x, y, rgb(x * 7 + 1, y * 11 + 1, 99));
    return p;
}

QRgb grabbedAt(QWidget &w, int x, int y)
{
    return w.grab().toImage().pixel(x, y);
}

} // namespace

class ChromePaintingTest : public QObject {
    Q_OBJECT
private slots:
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void int16Overflow();
    void twipPixelConversion_data();
    void twipPixelConversion();
    void centring_data();
    void centring();
    void mainWindowDesignSizeInPixels();

    void tilePositions_data();
    void tilePositions();
    void tilesCopyTheTexture();
    void emptyTextureLaysNothing();
    void tileTextureFillsAPanel();

    void gradientRowsOf461();
    void gradientPaintsEveryVisibleRow();
    void gradientOfEmptyPanel();
    void gradientRepaintsOnResize();

    void artworkSizes();
    void textureColours();
    void textureRepeatsDownwardsWithoutSeam();

    void pictureBoxPaintsPictureAndBackground();
    void pictureBoxIsOpaqueOnASurfaceWithAlpha();
    void pictureBoxBackgroundClears();
    void pictureBoxKeepsOverlapOnResize();
    void pictureBoxAutoSize();
    void pictureBoxInsideItsFrame();
};

void ChromePaintingTest::roundsHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("-0.5") << -0.5 << 0.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("254.5") << 254.5 << 254.0;
    QTest::newRow("255.5") << 255.5 << 256.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("2.5001") << 2.5001 << 3.0;
    QTest::newRow("-7.2") << -7.2 << -7.0;
}

void ChromePaintingTest::roundsHalfToEven()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(roundHalfEven(value), expected);
}

void ChromePaintingTest::int16Overflow()
{
    QCOMPARE(toInt16(32767.4).value_or(0), 32767);
    QCOMPARE(toInt16(-32768.5).value_or(0), -32768); // half to even stays in range
    QVERIFY(!toInt16(32767.5)); // rounds to 32768
    QVERIFY(!toInt16(-32769.0));
    QVERIFY(!toInt16(std::nan("")));
    QVERIFY(!toInt16(INFINITY));
}

void ChromePaintingTest::twipPixelConversion_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<double>("tpp");
    QTest::addColumn<int>("pixels");
    QTest::newRow("strip width") << 8415.0 << 15.0 << 561;
    QTest::newRow("main height") << 7195.0 << 15.0 << 480; // 479.67
    QTest::newRow("main width + 6") << 8421.0 << 15.0 << 561; // 561.4
    QTest::newRow("close image") << 225.0 << 15.0 << 15;
    QTest::newRow("half down to even") << 37.5 << 15.0 << 2; // 2.5
    QTest::newRow("half up to even") << 52.5 << 15.0 << 4; // 3.5
    QTest::newRow("120 dpi") << 8415.0 << 12.0 << 701; // 701.25
    QTest::newRow("negative") << -5.0 << 15.0 << 0;
}

void ChromePaintingTest::twipPixelConversion()
{
    QFETCH(double, twips);
    QFETCH(double, tpp);
    QFETCH(int, pixels);
    QCOMPARE(toPixels(twips, tpp), pixels);
    QCOMPARE(toTwips(toPixels(twips, tpp), tpp), int(std::lround(pixels * tpp)));
}

void ChromePaintingTest::centring_data()
{
    QTest::addColumn<double>("screenW");
    QTest::addColumn<double>("screenH");
    QTest::addColumn<double>("windowW");
    QTest::addColumn<double>("windowH");
    QTest::addColumn<QPoint>("expected");
    // 1024 x 768 screen at 15 twips a pixel, the main window's 8421 x 7195.
    QTest::newRow("main on 1024x768") << 15360.0 << 11520.0 << 8421.0 << 7195.0 << QPoint(3469, 1441);
    QTest::newRow("window wider by 5") << 100.0 << 100.0 << 105.0 << 100.0 << QPoint(-2, 0);
    QTest::newRow("taller by 7: truncates toward zero") << 100.0 << 100.0 << 100.0 << 107.0 << QPoint(0, -2);
    QTest::newRow("difference rounded first (2.5 -> 2)") << 102.5 << 0.0 << 100.0 << 0.0 << QPoint(1, 0);
    QTest::newRow("difference rounded first (3.5 -> 4)") << 103.5 << 0.0 << 100.0 << 0.0 << QPoint(2, 0);
    QTest::newRow("exact fit") << 500.0 << 300.0 << 500.0 << 300.0 << QPoint(0, 0);
}

void ChromePaintingTest::centring()
{
    QFETCH(double, screenW);
    QFETCH(double, screenH);
    QFETCH(double, windowW);
    QFETCH(double, windowH);
    QFETCH(QPoint, expected);
    QCOMPARE(centredPositionTwips(screenW, screenH, windowW, windowH), expected);
}

void ChromePaintingTest::mainWindowDesignSizeInPixels()
{
    // The offscreen screen reports 96 dpi.
    QCOMPARE(twipsPerPixelX(), 15.0);
    QCOMPARE(twipsPerPixelY(), 15.0);
    QCOMPARE(twipsRect(0, 0, 8421, 7195), QRect(0, 0, 561, 480));
    QCOMPARE(twipsRect(0, 300, 8415, 6915), QRect(0, 20, 561, 461));
    QCOMPARE(twipsRect(8100, 60, 225, 225), QRect(540, 4, 15, 15));
}

void ChromePaintingTest::tilePositions_data()
{
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<QSize>("texture");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("perColumn");
    // Columns start at 0, tw, 2tw ... up to the first start beyond the right edge;
    // a column's tiles go down to the first one starting below the bottom edge.
    QTest::newRow("10x10 by 4x4") << QSize(10, 10) << QSize(4, 4) << 4 << 4;      // x,y: 0 4 8 12
    QTest::newRow("edges equal") << QSize(8, 8) << QSize(4, 4) << 4 << 4;         // 8 is not beyond 8
    QTest::newRow("edge plus one") << QSize(9, 9) << QSize(4, 4) << 4 << 4;       // 0 4 8 12
    QTest::newRow("edge minus one") << QSize(7, 7) << QSize(4, 4) << 3 << 3;      // 0 4 8
    QTest::newRow("texture wider than panel") << QSize(5, 6) << QSize(20, 3) << 2 << 4; // x: 0 20; y: 0 3 6 9
    QTest::newRow("1x1 texture on 2x1") << QSize(2, 1) << QSize(1, 1) << 4 << 3;  // x: 0..3; y: 0 1 2
    QTest::newRow("main Pic_1 545x445") << QSize(545, 445) << QSize(1030, 23) << 2 << 21; // y up to 460
    QTest::newRow("settings Pic_C 473x449") << QSize(473, 449) << QSize(1030, 23) << 2 << 21; // y up to 460
    QTest::newRow("empty panel") << QSize(0, 0) << QSize(4, 4) << 2 << 2;         // 0 then 4 > 0
}

void ChromePaintingTest::tilePositions()
{
    QFETCH(QSize, panel);
    QFETCH(QSize, texture);
    QFETCH(int, columns);
    QFETCH(int, perColumn);
    Picture target(panel.width(), panel.height());
    const std::vector<QPoint> laid = tileBackground(target, Picture(texture.width(), texture.height()));
    QCOMPARE(int(laid.size()), columns * perColumn);
    // Column by column, each from the top down.
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < perColumn; ++r)
            QCOMPARE(laid[std::size_t(c * perColumn + r)], QPoint(c * texture.width(), r * texture.height()));
    // Each column ends with the first tile below the bottom edge, the last column
    // is the first beyond the right edge.
    QVERIFY(laid.back().x() > panel.width());
    QVERIFY(laid[std::size_t(perColumn - 1)].y() > panel.height());
    QVERIFY(laid[std::size_t(perColumn - 2)].y() <= panel.height());
}

void ChromePaintingTest::tilesCopyTheTexture()
{
    const Picture texture = numbered(3, 2);
    Picture panel(8, 5, rgb(1, 2, 3));
    tileBackground(panel, texture);
    for (int y = 0; y < panel.height(); ++y)
        for (int x = 0; x < panel.width(); ++x)
            QCOMPARE(panel.pixel(x, y), texture.pixel(x % 3, y % 2));
}

void ChromePaintingTest::emptyTextureLaysNothing()
{
    Picture panel(10, 10, rgb(9, 9, 9));
    const Picture before = panel;
    QVERIFY(tileBackground(panel, Picture()).empty());
    QVERIFY(panel == before);
}

void ChromePaintingTest::tileTextureFillsAPanel()
{
    PictureBox box(nullptr, rgb(0xC0, 0xC0, 0xC0));
    box.resize(545, 445);
    const auto laid = tileTexture(&box);
    QCOMPARE(int(laid.size()), 42);
    const Picture texture = chromePicture(ChromeArt::Texture);
    QCOMPARE(box.picture().pixel(0, 0), texture.pixel(0, 0));
    QCOMPARE(box.picture().pixel(544, 444), texture.pixel(544, 444 % 23));
}

void ChromePaintingTest::gradientRowsOf461()
{
    const std::vector<Colour> rows = sineGradientRows(461);
    QCOMPARE(int(rows.size()), 462); // rows 0 to 461 inclusive
    QCOMPARE(rows.front(), rgb(0, 0, 30));
    const double step = 461 / 3.142;
    int palest = 0;
    for (int i = 0; i <= 461; ++i) {
        const int v = evenRound(std::fabs(std::sin(i / step) * 220));
        QCOMPARE(rows[std::size_t(i)], rgb(v, v, v + 30));
        QVERIFY(blueOf(rows[std::size_t(i)]) <= 250);
        if (redOf(rows[std::size_t(i)]) > redOf(rows[std::size_t(palest)]))
            palest = i;
    }
    QCOMPARE(rows[std::size_t(palest)], rgb(220, 220, 250));
    // The middle row is the palest (its neighbours round to the same 220).
    QCOMPARE(rows[461 / 2], rgb(220, 220, 250));
    QVERIFY(redOf(rows[461 / 4]) < 220 && redOf(rows[3 * 461 / 4]) < 220);
    // Past pi the sine is negative; the magnitude is what counts.
    QCOMPARE(rows.back(), rgb(0, 0, 30));
    QVERIFY(std::sin(461 / step) < 0);
}

void ChromePaintingTest::gradientPaintsEveryVisibleRow()
{
    Picture panel(561, 461, rgb(0x80, 0x80, 0x80));
    QCOMPARE(paintSineGradient(panel), 462);
    const std::vector<Colour> rows = sineGradientRows(461);
    for (int y = 0; y < 461; ++y) {
        QCOMPARE(panel.pixel(0, y), rows[std::size_t(y)]);
        QCOMPARE(panel.pixel(560, y), rows[std::size_t(y)]);
    }
    // Small panels too: 3 rows high gives 4 lines, the extra one clipped.
    Picture small(2, 3);
    QCOMPARE(paintSineGradient(small), 4);
    const double step = 3 / 3.142;
    const int v1 = evenRound(std::fabs(std::sin(1 / step) * 220));
    QCOMPARE(small.pixel(1, 1), rgb(v1, v1, v1 + 30));
}

void ChromePaintingTest::gradientOfEmptyPanel()
{
    Picture empty;
    QCOMPARE(paintSineGradient(empty), 0);
    QVERIFY(sineGradientRows(0).empty());
    QVERIFY(sineGradientRows(-3).empty());
}

void ChromePaintingTest::gradientRepaintsOnResize()
{
    PictureBox box(nullptr, rgb(0x80, 0x80, 0x80));
    box.resize(50, 100);
    paintGradientOnResize(&box); // paints at once, before the box is shown
    QCOMPARE(box.picture().pixel(10, 50), sineGradientRows(100)[50]);
    box.show();
    QCOMPARE(box.picture().pixel(10, 50), sineGradientRows(100)[50]);
    box.resize(60, 200);
    QCOMPARE(box.picture().height(), 200);
    QCOMPARE(box.picture().pixel(55, 100), sineGradientRows(200)[100]);
    QCOMPARE(box.picture().pixel(55, 50), sineGradientRows(200)[50]);
}

void ChromePaintingTest::artworkSizes()
{
    QCOMPARE(chromeImage(ChromeArt::TitleStrip).size(), QSize(500, 22));
    QCOMPARE(chromeImage(ChromeArt::CloseNormal).size(), QSize(15, 15));
    QCOMPARE(chromeImage(ChromeArt::ClosePressed).size(), QSize(16, 15));
    QCOMPARE(chromeImage(ChromeArt::Texture).size(), QSize(1030, 23));
    QCOMPARE(chromeImage(ChromeArt::Texture).depth(), 32); // read from a 24-bit file
    QFile file(chromeArtPath(ChromeArt::Texture));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(30);
    QCOMPARE(quint8(head[28]), quint8(24)); // bits per pixel
}

void ChromePaintingTest::textureColours()
{
    const Picture t = chromePicture(ChromeArt::Texture);
    auto near = [](Colour c, int r, int g, int b, int tolerance) {
        return std::abs(redOf(c) - r) <= tolerance && std::abs(greenOf(c) - g) <= tolerance
            && std::abs(blueOf(c) - b) <= tolerance;
    };
    for (int y = 0; y < t.height(); ++y) {
        QVERIFY2(near(t.pixel(0, y), 0xDF, 0xDF, 0xDF, 6), qPrintable(QString::number(y)));
        QVERIFY(near(t.pixel(600, y), 0xB0, 0xAF, 0xAF, 6));
        QVERIFY(near(t.pixel(1023, y), 0xB0, 0xAF, 0xAF, 6));
        QVERIFY(near(t.pixel(1029, y), 0x40, 0x48, 0x40, 8));
        // The shadow edge darkens column by column.
        for (int x = 1024; x < 1030; ++x)
            QVERIFY(redOf(t.pixel(x, y)) < redOf(t.pixel(x - 1, y)));
    }
}

void ChromePaintingTest::textureRepeatsDownwardsWithoutSeam()
{
    // The step from the last row to the first (where two tiles meet) is no larger
    // than the steps between neighbouring rows inside the strip.
    const Picture t = chromePicture(ChromeArt::Texture);
    auto rowDistance = [&t](int a, int b) {
        double sum = 0;
        for (int x = 0; x < 1024; ++x)
            sum += std::abs(redOf(t.pixel(x, a)) - redOf(t.pixel(x, b)));
        return sum / 1024;
    };
    double largestInside = 0;
    for (int y = 1; y < t.height(); ++y)
        largestInside = std::max(largestInside, rowDistance(y - 1, y));
    QVERIFY(rowDistance(t.height() - 1, 0) <= largestInside + 0.5);
    QVERIFY(largestInside < 6);
}

void ChromePaintingTest::pictureBoxPaintsPictureAndBackground()
{
    PictureBox box(nullptr, rgb(10, 20, 30));
    box.setPictureFollowsSize(false);
    box.resize(20, 10);
    box.setPicture(Picture(5, 4, rgb(200, 100, 50)));
    box.picture().setPixel(4, 3, rgb(1, 2, 3));
    QCOMPARE(QColor(grabbedAt(box, 0, 0)), QColor(200, 100, 50));
    QCOMPARE(QColor(grabbedAt(box, 4, 3)), QColor(1, 2, 3));
    QCOMPARE(QColor(grabbedAt(box, 5, 0)), QColor(10, 20, 30));
    QCOMPARE(QColor(grabbedAt(box, 0, 4)), QColor(10, 20, 30));
    QCOMPARE(QColor(grabbedAt(box, 19, 9)), QColor(10, 20, 30));
}

// A window surface with alpha (a Wayland window's) shows the picture as it
// is, whatever its pixels' fourth byte holds: zero as ours keep it, or the
// filler a JPEG decoder leaves there.
void ChromePaintingTest::pictureBoxIsOpaqueOnASurfaceWithAlpha()
{
    PictureBox box(nullptr, rgb(10, 20, 30));
    box.setPictureFollowsSize(false);
    box.resize(6, 3);
    Picture picture(4, 2, rgb(200, 100, 50));
    picture.row(1)[3] = rgb(1, 2, 3) | 0xFF000000u;
    box.setPicture(picture);
    QImage surface(box.size(), QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::transparent);
    box.render(&surface);
    const struct { int x, y; QRgb expected; } cases[] = {
        {0, 0, qRgb(200, 100, 50)}, {3, 1, qRgb(1, 2, 3)}, {5, 0, qRgb(10, 20, 30)}, {0, 2, qRgb(10, 20, 30)}};
    for (const auto &c : cases)
        QCOMPARE(surface.pixel(c.x, c.y), c.expected);
    // The part a repaint asks for alone comes out the same.
    QImage part(box.size(), QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    box.render(&part, QPoint(), QRegion(2, 1, 2, 1)); // lands at the target's corner
    QCOMPARE(part.pixel(0, 0), qRgb(200, 100, 50));
    QCOMPARE(part.pixel(1, 0), qRgb(1, 2, 3));
    QCOMPARE(qAlpha(part.pixel(2, 0)), 0);
}

void ChromePaintingTest::pictureBoxBackgroundClears()
{
    PictureBox box;
    box.resize(8, 8);
    box.picture().fillBox(0, 0, 8, 8, rgb(5, 5, 5));
    box.setBackground(rgb(0x12, 0x34, 0x56));
    QCOMPARE(box.picture().pixel(3, 3), rgb(0x12, 0x34, 0x56));
    QCOMPARE(box.background(), rgb(0x12, 0x34, 0x56));
    box.picture().setPixel(1, 1, 0);
    box.clear();
    QCOMPARE(box.picture().pixel(1, 1), rgb(0x12, 0x34, 0x56));
}

void ChromePaintingTest::pictureBoxKeepsOverlapOnResize()
{
    PictureBox box(nullptr, rgb(7, 7, 7));
    box.resize(4, 4);
    box.picture().fillBox(0, 0, 4, 4, rgb(100, 0, 0));
    box.resize(6, 3);
    QCOMPARE(box.picture().width(), 6);
    QCOMPARE(box.picture().height(), 3);
    QCOMPARE(box.picture().pixel(3, 2), rgb(100, 0, 0));
    QCOMPARE(box.picture().pixel(4, 0), rgb(7, 7, 7));
}

void ChromePaintingTest::pictureBoxAutoSize()
{
    PictureBox box;
    box.resize(50, 50);
    box.setAutoSize(true);
    box.setPicture(numbered(30, 12));
    QCOMPARE(box.size(), QSize(30, 12));
    QCOMPARE(box.picture().pixel(29, 11), numbered(30, 12).pixel(29, 11));
}

void ChromePaintingTest::pictureBoxInsideItsFrame()
{
    PictureBox box(nullptr, rgb(0, 0, 255));
    box.setFrameStyle(QFrame::Box | QFrame::Plain);
    box.setLineWidth(1);
    box.resize(12, 12);
    QCOMPARE(box.picture().width(), 10);
    box.picture().setPixel(0, 0, rgb(0, 255, 0));
    QCOMPARE(QColor(grabbedAt(box, 1, 1)), QColor(0, 255, 0));
    QCOMPARE(QColor(grabbedAt(box, 2, 2)), QColor(0, 0, 255));
    box.setAutoSize(true);
    box.setPicture(Picture(20, 5));
    QCOMPARE(box.size(), QSize(22, 7));
}

QTEST_MAIN(ChromePaintingTest)
#include "chrome_painting_qtest.moc"
