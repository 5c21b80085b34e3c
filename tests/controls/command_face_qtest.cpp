// The button face: gradient rows, the eight frame pieces, the caption's place,
// the skin artwork, and what the widget shows.
#include "controls/command.h"
#include "controls/command_face.h"
#include "controls/command_skins.h"
#include "platform/colour.h"
#include "platform/picture.h"

#include <QFile>
#include <QLabel>
#include <QTest>

#include <array>

using namespace tess;

namespace {

// Rows 0..23 of the light-on-top gradient of a 25-pixel face, as the GDI
// engine paints them (truncating interpolation between 16-bit channel values).
constexpr std::array<std::array<int, 3>, 24> kGradient25 = {{
    {255, 255, 255}, {252, 252, 253}, {250, 250, 251}, {247, 247, 250}, {245, 245, 248},
    {243, 242, 246}, {240, 240, 245}, {238, 238, 243}, {236, 235, 241}, {233, 233, 240},
    {231, 230, 238}, {228, 228, 236}, {226, 226, 235}, {224, 223, 233}, {221, 221, 231},
    {219, 218, 230}, {217, 216, 228}, {214, 213, 226}, {212, 211, 225}, {209, 209, 223},
    {207, 206, 221}, {205, 204, 220}, {202, 201, 218}, {200, 199, 216},
}};

// A skin whose every pixel tells where it came from.
Picture coordinateSkin()
{
    Picture skin(kSkinWidth, kSkinHeight);
    for (int y = 0; y < kSkinHeight; ++y)
        for (int x = 0; x < kSkinWidth; ++x)
            skin.setPixel(x, y, rgb(x, y, 77));
    return skin;
}

// Destination pixel d of an enlarging COLORONCOLOR stretch shows the source
// pixel containing d's centre, ties going to the lower one.
int enlargedSource(int d, int sourceLength, int destLength)
{
    return ((2 * d + 1) * sourceLength - 1) / (2 * destLength);
}

QString describe(Colour c)
{
    return QStringLiteral("%1,%2,%3").arg(redOf(c)).arg(greenOf(c)).arg(blueOf(c));
}

} // namespace

class CommandFaceTest : public QObject {
    Q_OBJECT
private slots:
    void gradientRows_data();
    void gradientRows();
    void gradientLeavesLastRowAndColumn();
    void cornersAtOwnSize_data();
    void cornersAtOwnSize();
    void topAndBottomEdgesStretched();
    void sidesCopiedOneToOneAt25();
    void sidesStretchedOnTallerFace();
    void tinyFacesDoNotOverrun_data();
    void tinyFacesDoNotOverrun();
    void missingSkinLeavesGradient();
    void captionTop_data();
    void captionTop();
    void skinsAreDistinct24BitArtwork();
    void widgetShowsFaceBuiltFromSkin();
    void transparentFaceKeepsCaption();
};

void CommandFaceTest::gradientRows_data()
{
    QTest::addColumn<bool>("reversed");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("tableRow");
    for (int row = 0; row < 24; ++row)
        QTest::addRow("light on top, row %d", row) << false << row << row;
    // Swapping the vertices mirrors the table: reversed row p is forward row 24 - p
    // (for p >= 1); reversed row 0 is the shade itself.
    for (int row = 1; row < 24; ++row)
        QTest::addRow("shade on top, row %d", row) << true << row << 24 - row;
}

void CommandFaceTest::gradientRows()
{
    QFETCH(bool, reversed);
    QFETCH(int, row);
    QFETCH(int, tableRow);
    Picture face(64, 25, rgb(1, 2, 3));
    fillFaceGradient(face, reversed);
    const auto &want = kGradient25[std::size_t(tableRow)];
    for (int x : {0, 31, 62})
        QCOMPARE(describe(face.pixel(x, row)), describe(rgb(want[0], want[1], want[2])));
}

void CommandFaceTest::gradientLeavesLastRowAndColumn()
{
    const Colour sentinel = rgb(9, 8, 7);
    for (bool reversed : {false, true}) {
        Picture face(120, 25, sentinel);
        fillFaceGradient(face, reversed);
        QCOMPARE(face.pixel(0, 0), reversed ? kFaceShade : kFaceLight);
        QCOMPARE(face.pixel(0, 0), reversed ? rgb(198, 197, 215) : rgb(255, 255, 255));
        for (int y = 0; y < 25; ++y)
            QCOMPARE(face.pixel(119, y), sentinel);
        for (int x = 0; x < 120; ++x)
            QCOMPARE(face.pixel(x, 24), sentinel);
        QVERIFY(face.pixel(118, 23) != sentinel);
    }
}

void CommandFaceTest::cornersAtOwnSize_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("skin size") << 64 << 25;
    QTest::newRow("square 25") << 25 << 25;
    QTest::newRow("wide 120") << 120 << 25;
    QTest::newRow("tall 40") << 97 << 40;
}

void CommandFaceTest::cornersAtOwnSize()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const Picture skin = coordinateSkin();
    Picture face(width, height);
    drawSkinFrame(face, skin);
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(face.pixel(i, j), skin.pixel(i, j));
            QCOMPARE(face.pixel(width - 4 + i, j), skin.pixel(60 + i, j));
            QCOMPARE(face.pixel(width - 4 + i, height - 4 + j), skin.pixel(60 + i, 21 + j));
            QCOMPARE(face.pixel(i, height - 4 + j), skin.pixel(i, 21 + j));
        }
    }
}

void CommandFaceTest::topAndBottomEdgesStretched()
{
    const Picture skin = coordinateSkin();
    Picture face(120, 25);
    drawSkinFrame(face, skin);
    // 56 skin columns onto 112 face columns: each one twice, in order.
    for (int d = 0; d < 112; ++d) {
        const int sx = 4 + enlargedSource(d, 56, 112);
        QCOMPARE(sx, 4 + d / 2);
        for (int j = 0; j < 4; ++j) {
            QCOMPARE(face.pixel(4 + d, j), skin.pixel(sx, j));
            QCOMPARE(face.pixel(4 + d, 21 + j), skin.pixel(sx, 21 + j));
        }
    }
}

void CommandFaceTest::sidesCopiedOneToOneAt25()
{
    const Picture skin = coordinateSkin();
    Picture face(120, 25);
    drawSkinFrame(face, skin);
    for (int k = 0; k < 17; ++k) {
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(face.pixel(i, 4 + k), skin.pixel(i, 4 + k));
            QCOMPARE(face.pixel(116 + i, 4 + k), skin.pixel(60 + i, 4 + k));
        }
    }
    // The middle is not touched by the frame.
    QCOMPARE(face.pixel(4, 4), Colour(0));
    QCOMPARE(face.pixel(115, 20), Colour(0));
}

void CommandFaceTest::sidesStretchedOnTallerFace()
{
    const Picture skin = coordinateSkin();
    Picture face(30, 40);
    drawSkinFrame(face, skin);
    for (int d = 0; d < 32; ++d) {
        const int sy = 4 + enlargedSource(d, 17, 32);
        QCOMPARE(face.pixel(0, 4 + d), skin.pixel(0, sy));
        QCOMPARE(face.pixel(29, 4 + d), skin.pixel(63, sy));
    }
    // The first and last face rows of the side show the first and last skin rows.
    QCOMPARE(face.pixel(0, 4), skin.pixel(0, 4));
    QCOMPARE(face.pixel(0, 35), skin.pixel(0, 20));
}

void CommandFaceTest::tinyFacesDoNotOverrun_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("8 x 8, empty middles") << 8 << 8;
    QTest::newRow("6 x 25, overlapping corners") << 6 << 25;
    QTest::newRow("1 x 1") << 1 << 1;
}

void CommandFaceTest::tinyFacesDoNotOverrun()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const Picture skin = coordinateSkin();
    Picture face(width, height, rgb(5, 5, 5));
    fillFaceGradient(face, false);
    drawSkinFrame(face, skin);
    // Every pixel comes from a corner (x < 4 or x >= 60 and y < 4 or y >= 21)
    // or a side strip; the middle strips are empty at these widths.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = face.pixel(x, y);
            QVERIFY2(blueOf(c) == 77, qPrintable(QStringLiteral("pixel %1,%2 = %3").arg(x).arg(y).arg(describe(c))));
            const int sx = redOf(c);
            QVERIFY(sx < 4 || sx >= 60);
        }
    }
}

void CommandFaceTest::missingSkinLeavesGradient()
{
    Picture face(64, 25, kFaceBackground);
    face.clear();
    fillFaceGradient(face, false);
    const Picture before = face;
    drawSkinFrame(face, Picture());
    QVERIFY(face == before);
    QCOMPARE(face.pixel(63, 0), kFaceBackground);
}

void CommandFaceTest::captionTop_data()
{
    QTest::addColumn<int>("faceHeight");
    QTest::addColumn<int>("labelHeight");
    QTest::addColumn<int>("top");
    // (H*15 - h*15 - 20) / 2 twips, then pixels.
    QTest::newRow("25, label 13: 80 twips") << 25 << 13 << 5;
    QTest::newRow("26, label 13: 87.5 twips") << 26 << 13 << 6;
    QTest::newRow("24, label 13: 72.5 twips") << 24 << 13 << 5;
    QTest::newRow("40, label 13: 192.5 twips") << 40 << 13 << 13;
    QTest::newRow("13, label 13: -10 twips") << 13 << 13 << -1;
    QTest::newRow("30, label 20: 65 twips") << 30 << 20 << 4;
}

void CommandFaceTest::captionTop()
{
    QFETCH(int, faceHeight);
    QFETCH(int, labelHeight);
    QFETCH(int, top);
    QCOMPARE(tess::captionTop(faceHeight, labelHeight), top);
}

void CommandFaceTest::skinsAreDistinct24BitArtwork()
{
    const CommandSkin all[] = {CommandSkin::Normal, CommandSkin::HighLight, CommandSkin::Selected,
                               CommandSkin::Pressed, CommandSkin::Disable, CommandSkin::HighLightSelect};
    for (CommandSkin skin : all) {
        QFile file(commandSkinResource(skin));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.size() > 54);
        QCOMPARE(bytes.left(2), QByteArray("BM"));
        QCOMPARE(int(quint8(bytes[28]) | quint8(bytes[29]) << 8), 24); // bits per pixel
        QCOMPARE(commandSkin(skin).width(), 64);
        QCOMPARE(commandSkin(skin).height(), 25);
    }
    // Each look must be told apart by its frame alone: compare the drawn pieces.
    for (CommandSkin a : all) {
        for (CommandSkin b : all) {
            if (a == b)
                continue;
            Picture fa(64, 25), fb(64, 25);
            drawSkinFrame(fa, commandSkin(a));
            drawSkinFrame(fb, commandSkin(b));
            QVERIFY2(!(fa == fb), qPrintable(commandSkinResource(a) + " looks like " + commandSkinResource(b)));
        }
    }
}

void CommandFaceTest::widgetShowsFaceBuiltFromSkin()
{
    QWidget host;
    host.resize(200, 60);
    auto *button = new Command(&host);
    button->setGeometry(10, 10, 120, 25);
    CommandSkin last = CommandSkin::Disable;
    connect(button, &Command::facePainted, this, [&last](CommandSkin skin) { last = skin; });
    button->restoreProperties({});
    QCOMPARE(last, CommandSkin::Normal);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    // Showing the window may hand the button the focus (the Selected look);
    // either way the face is light on top.
    QVERIFY(last == CommandSkin::Normal || last == CommandSkin::Selected);

    const Picture &face = button->face();
    const Picture &skin = commandSkin(last);
    QCOMPARE(face.width(), 120);
    QCOMPARE(face.height(), 25);
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(describe(face.pixel(116 + i, 21 + j)), describe(skin.pixel(60 + i, 21 + j)));
            QCOMPARE(describe(face.pixel(i, j)), describe(skin.pixel(i, j)));
        }
    }
    // Inside the frame the gradient shows, light on top for the Normal look.
    for (int y = 4; y < 21; ++y) {
        const auto &want = kGradient25[std::size_t(y)];
        QCOMPARE(describe(face.pixel(60, y)), describe(rgb(want[0], want[1], want[2])));
    }
    // What is on screen is the retained face (away from the caption).
    const QImage shot = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.size(), QSize(120, 25));
    for (QPoint p : {QPoint(0, 0), QPoint(119, 24), QPoint(6, 3), QPoint(5, 20), QPoint(116, 12)}) {
        const QRgb c = shot.pixel(p);
        QCOMPARE(describe(rgb(qRed(c), qGreen(c), qBlue(c))), describe(face.pixel(p.x(), p.y())));
    }
    // The caption spans the button 13 pixels high, its top at pixel 5.
    QCOMPARE(button->LblMsg()->geometry(), QRect(0, 5, 120, 13));
}

void CommandFaceTest::transparentFaceKeepsCaption()
{
    QWidget host;
    host.setAutoFillBackground(true);
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 30));
    host.setPalette(palette);
    host.resize(200, 60);
    auto *button = new Command(&host);
    button->setGeometry(10, 10, 120, 25);
    button->restoreProperties({{QStringLiteral("Caption"), QStringLiteral("MMMMMMMM")}});
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    button->setVisibleFlag(0);
    QImage shot = host.grab(QRect(10, 10, 120, 25)).toImage().convertToFormat(QImage::Format_RGB32);
    // The corners show the host's background, while the caption still draws dark text.
    QCOMPARE(shot.pixel(0, 0), qRgb(10, 200, 30));
    QCOMPARE(shot.pixel(119, 24), qRgb(10, 200, 30));
    bool captionDrawn = false;
    for (int y = 5; y < 18 && !captionDrawn; ++y)
        for (int x = 0; x < 120 && !captionDrawn; ++x)
            captionDrawn = qGreen(shot.pixel(x, y)) < 100;
    QVERIFY(captionDrawn);

    button->setVisibleFlag(1);
    shot = host.grab(QRect(10, 10, 120, 25)).toImage().convertToFormat(QImage::Format_RGB32);
    const Colour corner = button->face().pixel(0, 0);
    QCOMPARE(shot.pixel(0, 0), qRgb(redOf(corner), greenOf(corner), blueOf(corner)));
}

QTEST_MAIN(CommandFaceTest)
#include "command_face_qtest.moc"
