// On a dense screen every piece of the windows' artwork is drawn at the
// screen's density: the same design as at 100 %, with detail no stretched
// bitmap has.
#include "chrome/close_image.h"
#include "chrome/picture_box.h"
#include "chrome/title_strip.h"
#include "chrome/window_chrome.h"
#include "controls/command.h"
#include "platform/ui/artwork.h"
#include "settings/ui/option_image.h"
#include "settings/ui/option_marks.h"

#include "support/dense_rendering.h"

#include <QLabel>
#include <QtTest>
#include <functional>
#include <memory>

using namespace tess;
using namespace dense_rendering;

namespace {

// A widget sized as the windows use it, made for one screen density.
using Maker = std::function<std::unique_ptr<QWidget>(qreal ratio)>;

std::unique_ptr<QWidget> sized(std::unique_ptr<QWidget> w, QSize size)
{
    w->resize(size);
    return w;
}

} // namespace

Q_DECLARE_METATYPE(Maker)

class DenseArtworkTest : public QObject {
    Q_OBJECT
private slots:
    void densityOfARatio_data();
    void densityOfARatio();
    void denseDrawingIsTheSameDesignInFinerDetail_data();
    void denseDrawingIsTheSameDesignInFinerDetail();
    void givenPicturesAreScaledNotSwapped();
};

void DenseArtworkTest::densityOfARatio_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("density");
    QTest::addColumn<QString>("path");
    QTest::newRow("100 %") << 1.0 << 1 << ":/assets/chrome/texture.bmp";
    QTest::newRow("a logical DPI's rounding") << 1.0099 << 1 << ":/assets/chrome/texture.bmp";
    QTest::newRow("125 %") << 1.25 << 2 << ":/assets/chrome/texture@2x.bmp";
    QTest::newRow("300 %") << 3.0 << 2 << ":/assets/chrome/texture@2x.bmp";
}

void DenseArtworkTest::densityOfARatio()
{
    QFETCH(qreal, ratio);
    QFETCH(int, density);
    QFETCH(QString, path);
    QCOMPARE(artDensity(ratio), density);
    QCOMPARE(artPathAt(QStringLiteral(":/assets/chrome/texture.bmp"), artDensity(ratio)), path);
    // Every twin is in the program, at twice its picture's size.
    const Artwork art = Artwork::fromResource(QStringLiteral(":/assets/chrome/texture.bmp"));
    QCOMPARE(art.at(ratio).size(), art.size() * density);
}

void DenseArtworkTest::denseDrawingIsTheSameDesignInFinerDetail_data()
{
    QTest::addColumn<Maker>("make");
    // How far the 2x drawing, averaged back to 1x, may stray from the 1x drawing.
    QTest::addColumn<double>("tolerance");
    QTest::newRow("button face") << Maker([](qreal) {
        auto button = std::make_unique<Command>();
        button->resize(157, 25);
        button->restoreProperties({});
        button->LblMsg()->hide();
        return std::unique_ptr<QWidget>(std::move(button));
    }) << 1.0;
    QTest::newRow("title strip") << Maker([](qreal) { return sized(std::make_unique<TitleStrip>(), {561, 22}); })
                                 << 1.0;
    QTest::newRow("close image") << Maker([](qreal) { return std::unique_ptr<QWidget>(new CloseImage); }) << 3.0;
    QTest::newRow("option mark") << Maker([](qreal ratio) {
        auto mark = std::make_unique<OptionImage>();
        mark->setMark(OptionImage::Mark::Selected, optionMarkPixmap(true, ratio));
        return std::unique_ptr<QWidget>(std::move(mark));
    }) << 8.0;
    QTest::newRow("textured panel") << Maker([](qreal) {
        auto panel = std::make_unique<PictureBox>();
        panel->resize(300, 100);
        tileTexture(panel.get());
        return std::unique_ptr<QWidget>(std::move(panel));
    }) << 1.0;
    QTest::newRow("gradient panel") << Maker([](qreal) {
        auto panel = std::make_unique<PictureBox>();
        panel->resize(40, 480);
        paintGradientOnResize(panel.get());
        return std::unique_ptr<QWidget>(std::move(panel));
    }) << 1.0;
}

void DenseArtworkTest::denseDrawingIsTheSameDesignInFinerDetail()
{
    QFETCH(Maker, make);
    QFETCH(double, tolerance);
    const std::unique_ptr<QWidget> normal = make(1);
    const std::unique_ptr<QWidget> dense = make(2);
    QCOMPARE(dense->size(), normal->size());
    const QImage atOne = render(*normal, 1);
    const QImage atTwo = render(*dense, 2);
    QCOMPARE(atTwo.size(), atOne.size() * 2);
    // Stretching would leave every 2 x 2 block even; the artwork's own detail does not.
    QVERIFY2(unevenBlocks(atTwo) > 0.02, qPrintable(QString::number(unevenBlocks(atTwo))));
    const double apart = meanDifference(halved(atTwo), atOne);
    QVERIFY2(apart <= tolerance, qPrintable(QString::number(apart)));
}

void DenseArtworkTest::givenPicturesAreScaledNotSwapped()
{
    // A picture that is not the program's artwork has no twin to swap in.
    QImage plain(15, 15, QImage::Format_RGB32);
    plain.fill(qRgb(10, 200, 30));
    CloseImage close;
    close.setImages(plain, plain);
    const QImage atTwo = render(close, 2);
    QCOMPARE(atTwo.size(), QSize(30, 30));
    QCOMPARE(atTwo.pixel(29, 29), plain.pixel(14, 14));
}

QTEST_MAIN(DenseArtworkTest)
#include "dense_artwork_qtest.moc"
