#include "chrome/close_image.h"
#include "platform/ui/cursor_position.h"
#include "chrome/window_animation.h"
#include "controls/command.h"
#include "platform/ui/cursor_probe.h"
#include "platform/ui/dialogs.h"
#include "support/fake_dialogs.h"
#include "settings/thumb_settings.h"
#include "settings/ui/option_caption.h"
#include "settings/ui/option_image.h"
#include "settings/ui/settings_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <deque>
#include <memory>

using namespace tess;
using tess::testing::FakeDialogs;

namespace {


// Keeps the hover poll of a button from seeing the cursor leave it while a
// click is under way.
class CursorOver final : public CursorProbe {
public:
    explicit CursorOver(QWidget *w) : m_widget(w) { setCursorProbe(this); }
    ~CursorOver() override { setCursorProbe(nullptr); }
    QPoint cursorPos() const override { return m_widget->mapToGlobal(m_widget->rect().center()); }
    QWidget *widgetAt(QPoint) const override { return m_widget; }

private:
    QWidget *m_widget;
};

ThumbSettings sampleRecord()
{
    ThumbSettings s;
    s.Width = 200;
    s.Height = 150;
    s.RatioMode = KeepRatioWithinBoth;
    s.FileType = FileTypeJpeg;
    s.Compression = 85;
    s.MarginColour = 0x00336699;
    s.Quality = QualityMediumLow;
    s.Prefix = QStringLiteral("Thumb_");
    s.SaveFolder = QStringLiteral("/srv/pictures/サムネイル");
    s.DuplicateMode = DuplicateSkip;
    return s;
}

QColor colourOf(std::int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

} // namespace

Q_DECLARE_METATYPE(ThumbSettings)
Q_DECLARE_METATYPE(std::optional<QString>)

class SettingsWindowTest : public QObject {
    Q_OBJECT

private:
    FakeDialogs m_dialogs;
    ThumbSettings m_record;
    std::unique_ptr<SettingsWindow> m_window;

    SettingsWindow *open(const ThumbSettings &record)
    {
        m_record = record;
        m_window = std::make_unique<SettingsWindow>(m_record);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qWarning("settings window not exposed");
        return m_window.get();
    }
    template <typename T> T *child(const QString &name) const
    {
        T *w = m_window->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QScrollBar *slider(const char *name) const { return child<QScrollBar>(QString::fromLatin1(name)); }
    QString text(const char *name) const { return child<QLabel>(QString::fromLatin1(name))->text(); }
    OptionImage::Mark mark(const QString &name) const { return child<OptionImage>(name)->mark(); }
    Command *button(const char *name) const { return child<Command>(QString::fromLatin1(name)); }
    // The centre of a widget, the way a user aims at it.
    static void press(QWidget *w, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(w, b, {}, w->rect().center()); }
    static void release(QWidget *w, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(w, b, {}, w->rect().center()); }
    static void pressAndRelease(QWidget *w, Qt::MouseButton b = Qt::LeftButton)
    {
        press(w, b);
        release(w, b);
    }
    static void click(QWidget *w, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(w, b, {}, w->rect().center()); }
    void clickButton(const char *name)
    {
        Command *b = button(name);
        QSignalSpy clicks(b, &Command::Click);
        CursorOver over(b);
        // A real move first: the button lights up only when the mouse moves over it.
        QTest::mouseMove(b, QPoint(1, 1));
        QTest::mouseMove(b, b->rect().center());
        click(b);
        QCOMPARE(clicks.count(), 1);
    }
    int selectedCount(const QString &prefix, int n) const
    {
        int count = 0;
        for (int i = 0; i < n; ++i)
            count += mark(prefix + QString::number(i)) == OptionImage::Mark::Selected;
        return count;
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<ThumbSettings>();
        setDialogsForTesting(&m_dialogs);
        setWindowAnimationsEnabled(false);
    }
    void cleanupTestCase() { setDialogsForTesting(nullptr); }
    void init() { m_dialogs.reset(); }
    void cleanup() { m_window.reset(); }

    void cancelKeepsRecordAfterEveryKindOfChange_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel button") << "Cmd_Can";
        QTest::newRow("close image, left button") << "left";
        QTest::newRow("close image, right button") << "right";
    }
    void cancelKeepsRecordAfterEveryKindOfChange()
    {
        QFETCH(QString, how);
        const ThumbSettings before = sampleRecord();
        SettingsWindow *w = open(before);
        m_dialogs.colourAnswers = {0x00FF0000};
        m_dialogs.folderAnswers = {QStringLiteral("/elsewhere")};

        slider("HS_w")->triggerAction(QAbstractSlider::SliderPageStepAdd);
        slider("HS_h")->triggerAction(QAbstractSlider::SliderToMinimum);
        slider("HS_Press")->triggerAction(QAbstractSlider::SliderToMaximum);
        pressAndRelease(child<OptionImage>("Img_Pr_4"));
        pressAndRelease(child<OptionCaption>("lbl_Sel_3"));
        pressAndRelease(child<OptionImage>("Img_Extension_1"));
        click(child<OptionCaption>("lbl_Dup_0"));
        clickButton("Cmd_Color");
        clickButton("Cmd_Save_F");
        child<QLineEdit>("txt_Moji")->setText(QStringLiteral("small-"));
        QVERIFY(!(w->workingCopy() == before)); // the copy did change

        if (how == "Cmd_Can") {
            clickButton("Cmd_Can");
        } else {
            auto *exit = child<CloseImage>("ImgExit");
            const auto b = how == "left" ? Qt::LeftButton : Qt::RightButton;
            press(exit, b);
            QVERIFY(exit->isPressed());
            release(exit, b);
        }
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Rejected));
        QCOMPARE(m_record, before);
    }

    void confirmWithoutChangesKeepsRecord_data()
    {
        QTest::addColumn<ThumbSettings>("record");
        QTest::newRow("sample") << sampleRecord();
        ThumbSettings low = sampleRecord();
        low.Width = 16;
        low.Height = 640;
        low.RatioMode = KeepRatioByWidth;
        low.Quality = QualityLow;
        low.FileType = FileTypeBitmap;
        low.Compression = 40;
        low.DuplicateMode = DuplicateOverwrite;
        low.Prefix.clear();
        low.MarginColour = 0x00FFFFFF;
        QTest::newRow("range ends, bitmap, empty prefix") << low;
        ThumbSettings high = sampleRecord();
        high.Width = 640;
        high.Height = 16;
        high.RatioMode = NoStretchByHeight;
        high.Quality = QualityHigh;
        high.Compression = 100;
        QTest::newRow("other ends") << high;
        QTest::newRow("file defaults") << defaultSettings(QStringLiteral("/opt/tessarolith"));
        ThumbSettings png = sampleRecord();
        png.FileType = FileTypePng;
        QTest::newRow("PNG") << png;
        ThumbSettings webp = sampleRecord();
        webp.FileType = FileTypeWebp;
        webp.Compression = 40;
        QTest::newRow("WebP") << webp;
    }
    void confirmWithoutChangesKeepsRecord()
    {
        QFETCH(ThumbSettings, record);
        SettingsWindow *w = open(record);
        clickButton("Cmd_Set");
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(m_record, record);
    }

    void sizesOutsideTheSliderRange_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("sliderW");
        QTest::addColumn<int>("sliderH");
        QTest::newRow("width 700") << 700 << 128 << 32 << 128;
        QTest::newRow("height 700") << 128 << 700 << 128 << 32;
        QTest::newRow("width 15, height 641") << 15 << 641 << 32 << 32;
        QTest::newRow("negative and zero") << -5 << 0 << 32 << 32;
        QTest::newRow("exact ends") << 16 << 640 << 16 << 640;
    }
    void sizesOutsideTheSliderRange()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, sliderW);
        QFETCH(int, sliderH);
        ThumbSettings record = sampleRecord();
        record.Width = std::int16_t(width);
        record.Height = std::int16_t(height);
        open(record);
        QCOMPARE(slider("HS_w")->value(), sliderW);
        QCOMPARE(slider("HS_h")->value(), sliderH);
        QCOMPARE(text("lbl_w"), QString::number(width));
        QCOMPARE(text("lbl_h"), QString::number(height));
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.Width), sliderW);
        QCOMPARE(int(m_record.Height), sliderH);
    }

    void sizeSlidersStepAndShowTheirValue()
    {
        open(sampleRecord()); // 200 x 150
        QScrollBar *w = slider("HS_w");
        w->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(text("lbl_w"), QStringLiteral("201"));
        w->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(text("lbl_w"), QStringLiteral("191"));
        w->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(text("lbl_w"), QStringLiteral("640"));
        slider("HS_h")->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(text("lbl_h"), QStringLiteral("16"));
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.Width), 640);
        QCOMPARE(int(m_record.Height), 16);
    }

    void compressionShownBackwards_data()
    {
        QTest::addColumn<int>("compression");
        QTest::addColumn<int>("sliderValue");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("atLeftEnd");
        QTest::newRow("100 at the left end") << 100 << 100 << "20" << true;
        QTest::newRow("40 at the right end") << 40 << 40 << "80" << false;
        QTest::newRow("70") << 70 << 70 << "50" << false;
        QTest::newRow("30 refused") << 30 << 100 << "20" << true;
        QTest::newRow("101 refused") << 101 << 100 << "20" << true;
        QTest::newRow("0 refused") << 0 << 100 << "20" << true;
    }
    void compressionShownBackwards()
    {
        QFETCH(int, compression);
        QFETCH(int, sliderValue);
        QFETCH(QString, shown);
        QFETCH(bool, atLeftEnd);
        ThumbSettings record = sampleRecord();
        record.Compression = std::int16_t(compression);
        SettingsWindow *w = open(record);
        QCOMPARE(w->pressValue(), sliderValue);
        QCOMPARE(text("lbl_Press"), shown);
        QScrollBar *press = slider("HS_Press");
        QCOMPARE(press->value() == press->minimum(), atLeftEnd);
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.Compression), compression); // untouched slider, value kept as it was
    }

    void compressionSliderMoves_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("right end") << int(QAbstractSlider::SliderToMaximum) << 40 << "80";
        QTest::newRow("left end") << int(QAbstractSlider::SliderToMinimum) << 100 << "20";
        QTest::newRow("one step right") << int(QAbstractSlider::SliderSingleStepAdd) << 84 << "36";
        QTest::newRow("one page left") << int(QAbstractSlider::SliderPageStepSub) << 86 << "34";
    }
    void compressionSliderMoves()
    {
        QFETCH(int, action);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        SettingsWindow *w = open(sampleRecord()); // compression 85
        slider("HS_Press")->triggerAction(QAbstractSlider::SliderAction(action));
        QCOMPARE(text("lbl_Press"), shown);
        QCOMPARE(int(w->workingCopy().Compression), stored);
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.Compression), stored);
    }

    void outOfRangeCompressionIsKeptUntilTheSliderMoves()
    {
        ThumbSettings record = sampleRecord();
        record.Compression = 30;
        open(record);
        slider("HS_Press")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(text("lbl_Press"), QStringLiteral("21"));
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.Compression), 99);
    }

    void ratioModeOutsideTheOptions()
    {
        ThumbSettings record = sampleRecord();
        record.RatioMode = 9;
        open(record);
        QCOMPARE(selectedCount(QStringLiteral("Img_Pr_"), 7), 0);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(mark(QStringLiteral("Img_Pr_%1").arg(i)), OptionImage::Mark::Unselected);
        QVERIFY(!button("Cmd_Color")->enabledFlag());
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.RatioMode), 9);
    }

    void ratioModeOutsideTheOptionsThenPressed()
    {
        ThumbSettings record = sampleRecord();
        record.RatioMode = 9;
        open(record);
        pressAndRelease(child<OptionCaption>("lbl_Pr_1"));
        QCOMPARE(mark(QStringLiteral("Img_Pr_1")), OptionImage::Mark::Selected);
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.RatioMode), 1);
    }

    void fileTypeOutsideTheOptions_data()
    {
        QTest::addColumn<int>("fileType");
        QTest::newRow("6") << 6;
        QTest::newRow("9") << 9;
        QTest::newRow("-1") << -1;
        QTest::newRow("32767") << 32767;
    }
    void fileTypeOutsideTheOptions()
    {
        QFETCH(int, fileType);
        ThumbSettings record = sampleRecord();
        record.FileType = std::int16_t(fileType);
        open(record);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(mark(QStringLiteral("Img_Extension_%1").arg(i)), OptionImage::Mark::None);
        QVERIFY(!slider("HS_Press")->isEnabled());
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.FileType), fileType);
    }

    void fileTypeOutsideTheOptionsThenPressed()
    {
        ThumbSettings record = sampleRecord();
        record.FileType = 9;
        open(record);
        pressAndRelease(child<OptionImage>("Img_Extension_0"), Qt::MiddleButton);
        QCOMPARE(mark(QStringLiteral("Img_Extension_0")), OptionImage::Mark::Selected);
        QCOMPARE(mark(QStringLiteral("Img_Extension_1")), OptionImage::Mark::Unselected);
        QVERIFY(slider("HS_Press")->isEnabled());
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.FileType), 0);
    }

    void fileTypeOptionsSwitchTheCompressionSlider_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("pressed");
        QTest::addColumn<bool>("onCaption");
        QTest::addColumn<bool>("sliderEnabled");
        for (const int from : {0, 1, 2, 3, 4, 5, 9}) {
            for (int i = 0; i < 6; ++i) {
                const bool lossy = i != FileTypeBitmap && i != FileTypePng;
                QTest::addRow("%d -> %d, image", from, i) << from << i << false << lossy;
                QTest::addRow("%d -> %d, caption", from, i) << from << i << true << lossy;
            }
        }
    }
    void fileTypeOptionsSwitchTheCompressionSlider()
    {
        QFETCH(int, from);
        QFETCH(int, pressed);
        QFETCH(bool, onCaption);
        QFETCH(bool, sliderEnabled);
        ThumbSettings record = sampleRecord(); // compression 85
        record.FileType = std::int16_t(from);
        SettingsWindow *w = open(record);
        QCOMPARE(selectedCount(QStringLiteral("Img_Extension_"), 6), from < 6 ? 1 : 0);
        QCOMPARE(slider("HS_Press")->isEnabled(), from != FileTypeBitmap && from != FileTypePng && from < 6);
        const QString name = (onCaption ? QStringLiteral("lbl_Extension_%1") : QStringLiteral("Img_Extension_%1")).arg(pressed);
        pressAndRelease(child<QWidget>(name));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(mark(QStringLiteral("Img_Extension_%1").arg(i)),
                     i == pressed ? OptionImage::Mark::Selected : OptionImage::Mark::Unselected);
        QCOMPARE(slider("HS_Press")->isEnabled(), sliderEnabled);
        QCOMPARE(text("lbl_Press"), QStringLiteral("35"));
        QCOMPARE(int(w->workingCopy().FileType), pressed);
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.FileType), pressed);
        QCOMPARE(int(m_record.Compression), 85);
    }

    void optionsLieInTheirGroupClearOfEveryOtherControl_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("frame");
        for (int i = 0; i < 6; ++i) {
            QTest::addRow("Img_Extension_%d", i) << QStringLiteral("Img_Extension_%1").arg(i) << "Label3";
            QTest::addRow("lbl_Extension_%d", i) << QStringLiteral("lbl_Extension_%1").arg(i) << "Label3";
        }
        for (int i = 0; i < 7; ++i) {
            QTest::addRow("Img_Pr_%d", i) << QStringLiteral("Img_Pr_%1").arg(i) << "Label1";
            QTest::addRow("lbl_Pr_%d", i) << QStringLiteral("lbl_Pr_%1").arg(i) << "Label1";
        }
    }
    void optionsLieInTheirGroupClearOfEveryOtherControl()
    {
        QFETCH(QString, name);
        QFETCH(QString, frame);
        open(sampleRecord());
        QWidget *option = child<QWidget>(name);
        const QRect group = child<QWidget>(frame)->geometry().adjusted(1, 1, -1, -1); // inside the border
        QVERIFY2(group.contains(option->geometry()), qPrintable(name));
        // The frames are the groups themselves; whatever else lies on the panel is another control.
        const QSet<QString> frames = {"lbl_11", "Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7"};
        for (QWidget *other : child<QWidget>("Pic_C")->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other == option || !other->isVisible() || frames.contains(other->objectName()))
                continue;
            const auto where = [](QWidget *w) {
                const QRect r = w->geometry();
                return QStringLiteral("%1 at %2,%3 %4x%5").arg(w->objectName()).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
            };
            QVERIFY2(!option->geometry().intersects(other->geometry()),
                     qPrintable(where(option) + QStringLiteral(" overlaps ") + where(other)));
        }
    }

    void groupsAndButtonsLieApartOnThePanel()
    {
        open(sampleRecord());
        const QStringList parts = {"lbl_11", "Label1", "Label2", "Label3", "Label4",
                                   "Label5", "Label6", "Label7", "Cmd_Set", "Cmd_Can"};
        const QRect panel = child<QWidget>("Pic_C")->rect();
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QRect r = child<QWidget>(parts[i])->geometry();
            QVERIFY2(panel.contains(r), qPrintable(parts[i]));
            for (qsizetype j = i + 1; j < parts.size(); ++j)
                QVERIFY2(!r.intersects(child<QWidget>(parts[j])->geometry()), qPrintable(parts[i] + " " + parts[j]));
        }
    }

    void ratioOptionsSwitchTheColourButton_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("pressed");
        QTest::addColumn<bool>("onCaption");
        QTest::addColumn<int>("mouseButton");
        QTest::addColumn<bool>("colourEnabled");
        for (int i = 0; i < 7; ++i) {
            const bool enabled = i == 2 || i == 4 || i == 5;
            QTest::addRow("3 -> %d, image", i) << 3 << i << false << int(Qt::LeftButton) << enabled;
            QTest::addRow("0 -> %d, caption, right button", i) << 0 << i << true << int(Qt::RightButton) << enabled;
        }
    }
    void ratioOptionsSwitchTheColourButton()
    {
        QFETCH(int, from);
        QFETCH(int, pressed);
        QFETCH(bool, onCaption);
        QFETCH(int, mouseButton);
        QFETCH(bool, colourEnabled);
        ThumbSettings record = sampleRecord();
        record.RatioMode = std::int16_t(from);
        SettingsWindow *w = open(record);
        const QString name = (onCaption ? QStringLiteral("lbl_Pr_%1") : QStringLiteral("Img_Pr_%1")).arg(pressed);
        pressAndRelease(child<QWidget>(name), Qt::MouseButton(mouseButton));
        QCOMPARE(int(w->workingCopy().RatioMode), pressed);
        QCOMPARE(button("Cmd_Color")->enabledFlag(), colourEnabled);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(mark(QStringLiteral("Img_Pr_%1").arg(i)),
                     i == pressed ? OptionImage::Mark::Selected : OptionImage::Mark::Unselected);
        QCOMPARE(w->workingCopy().MarginColour, record.MarginColour);
        QCOMPARE(child<QLabel>("lbl_Color")->palette().color(QPalette::Window), colourOf(record.MarginColour));
    }

    void pressingTheSelectedRatioChangesNothing()
    {
        ThumbSettings record = sampleRecord(); // ratio 2: colour button enabled
        open(record);
        Command *colour = button("Cmd_Color");
        QSignalSpy touched(colour, &Command::propertyChanged);
        pressAndRelease(child<OptionImage>("Img_Pr_2"));
        pressAndRelease(child<OptionCaption>("lbl_Pr_2"));
        QCOMPARE(touched.count(), 0); // the colour button was not even set again
        QVERIFY(colour->enabledFlag());
        QCOMPARE(selectedCount(QStringLiteral("Img_Pr_"), 7), 1);
        pressAndRelease(child<OptionImage>("Img_Pr_3"));
        QCOMPARE(touched.count(), 1);
    }

    void qualityOptions_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("pressed");
        for (int from : {0, 3, 7})
            for (int i = 0; i < 4; ++i)
                QTest::addRow("%d -> %d", from, i) << from << i;
    }
    void qualityOptions()
    {
        QFETCH(int, from);
        QFETCH(int, pressed);
        ThumbSettings record = sampleRecord();
        record.Quality = std::int16_t(from);
        open(record);
        QCOMPARE(selectedCount(QStringLiteral("Img_Sel_"), 4), from < 4 ? 1 : 0);
        pressAndRelease(child<QWidget>(QStringLiteral("lbl_Sel_%1").arg(pressed)));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(mark(QStringLiteral("Img_Sel_%1").arg(i)),
                     i == pressed ? OptionImage::Mark::Selected : OptionImage::Mark::Unselected);
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.Quality), pressed);
    }

    void optionsReactWhenTheButtonGoesDown_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mouseButton");
        QTest::newRow("ratio image, left") << "Img_Pr_4" << int(Qt::LeftButton);
        QTest::newRow("ratio caption, right") << "lbl_Pr_0" << int(Qt::RightButton);
        QTest::newRow("quality image, middle") << "Img_Sel_3" << int(Qt::MiddleButton);
        QTest::newRow("quality caption, left") << "lbl_Sel_0" << int(Qt::LeftButton);
        QTest::newRow("file type image, right") << "Img_Extension_1" << int(Qt::RightButton);
        QTest::newRow("file type caption, left") << "lbl_Extension_1" << int(Qt::LeftButton);
        QTest::newRow("PNG caption, right") << "lbl_Extension_2" << int(Qt::RightButton);
        QTest::newRow("WebP image, middle") << "Img_Extension_3" << int(Qt::MiddleButton);
    }
    void optionsReactWhenTheButtonGoesDown()
    {
        QFETCH(QString, name);
        QFETCH(int, mouseButton);
        const ThumbSettings record = sampleRecord();
        SettingsWindow *w = open(record);
        QWidget *target = child<QWidget>(name);
        press(target, Qt::MouseButton(mouseButton));
        const ThumbSettings afterPress = w->workingCopy();
        release(target, Qt::MouseButton(mouseButton));
        QVERIFY(!(afterPress == record));
        QCOMPARE(w->workingCopy(), afterPress); // the release adds nothing
    }

    void sideButtonsPressNoOption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mouseButton");
        for (const char *name : {"Img_Pr_4", "lbl_Pr_0", "Img_Sel_0", "lbl_Sel_0", "Img_Extension_1",
                                 "lbl_Extension_1", "Img_Extension_2", "lbl_Extension_3", "Img_Dup_1", "lbl_Dup_1"}) {
            QTest::addRow("%s, back", name) << QString::fromLatin1(name) << int(Qt::BackButton);
            QTest::addRow("%s, forward", name) << QString::fromLatin1(name) << int(Qt::ForwardButton);
        }
    }
    void sideButtonsPressNoOption()
    {
        QFETCH(QString, name);
        QFETCH(int, mouseButton);
        ThumbSettings record = sampleRecord();
        record.DuplicateMode = DuplicateOverwrite;
        SettingsWindow *w = open(record);
        pressAndRelease(child<QWidget>(name), Qt::MouseButton(mouseButton));
        QCOMPARE(w->workingCopy(), record);
    }

    void slidersTakeTheFocusAndMoveWithTheKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("change");
        QTest::newRow("right") << int(Qt::Key_Right) << 1;
        QTest::newRow("left") << int(Qt::Key_Left) << -1;
        QTest::newRow("down") << int(Qt::Key_Down) << 1;
        QTest::newRow("up") << int(Qt::Key_Up) << -1;
        QTest::newRow("page down") << int(Qt::Key_PageDown) << 10;
        QTest::newRow("page up") << int(Qt::Key_PageUp) << -10;
    }
    void slidersTakeTheFocusAndMoveWithTheKeys()
    {
        QFETCH(int, key);
        QFETCH(int, change);
        ThumbSettings record = sampleRecord();
        record.Width = 300;
        record.Height = 200;
        SettingsWindow *w = open(record);
        QApplication::setActiveWindow(w);
        // Every slider lies in the window's Tab order and takes the focus by Tab.
        QSet<QWidget *> reached;
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Tab);
            reached.insert(QApplication::focusWidget());
        }
        for (const char *name : {"HS_w", "HS_h"})
            QVERIFY2(reached.contains(slider(name)), name);
        QScrollBar *width = slider("HS_w");
        width->setFocus(Qt::TabFocusReason);
        QVERIFY(width->hasFocus());
        QTest::keyClick(width, Qt::Key(key));
        QCOMPARE(width->value(), 300 + change);
        QCOMPARE(text("lbl_w"), QString::number(300 + change));
        QTest::keyClick(width, Qt::Key_End);
        QCOMPARE(width->value(), width->maximum());
        QTest::keyClick(width, Qt::Key_Home);
        QCOMPARE(width->value(), width->minimum());
    }

    void panelLiesOverTheTitleStripsLastRows()
    {
        SettingsWindow *w = open(sampleRecord());
        QWidget *strip = child<QWidget>("Image1");
        QWidget *panel = child<QWidget>("Pic_C");
        QVERIFY(panel->geometry().top() < strip->geometry().bottom());
        const QPoint shared(strip->width() / 2, strip->geometry().bottom());
        QWidget *top = w->childAt(shared);
        QVERIFY(top);
        QVERIFY2(top == panel || panel->isAncestorOf(top), qPrintable(top->objectName()));
        // The strip's other rows, the title and the close image stay in view.
        QCOMPARE(w->childAt(QPoint(strip->width() / 2, panel->geometry().top() - 1)), strip);
        QVERIFY(child<QWidget>("ImgExit")->geometry().bottom() < panel->geometry().top()
                || w->childAt(child<QWidget>("ImgExit")->geometry().center()) == child<QWidget>("ImgExit"));
    }

    void fileTypeSwitchesTheCompressionSlider()
    {
        ThumbSettings record = sampleRecord(); // JPEG, compression 85
        SettingsWindow *w = open(record);
        QVERIFY(slider("HS_Press")->isEnabled());
        pressAndRelease(child<OptionCaption>("lbl_Extension_1"));
        QVERIFY(!slider("HS_Press")->isEnabled());
        QCOMPARE(mark(QStringLiteral("Img_Extension_1")), OptionImage::Mark::Selected);
        QCOMPARE(mark(QStringLiteral("Img_Extension_0")), OptionImage::Mark::Unselected);
        QCOMPARE(int(w->workingCopy().Compression), 85);
        pressAndRelease(child<OptionImage>("Img_Extension_1")); // again: stays as it is
        QVERIFY(!slider("HS_Press")->isEnabled());
        pressAndRelease(child<OptionImage>("Img_Extension_0"));
        QVERIFY(slider("HS_Press")->isEnabled());
        QCOMPARE(text("lbl_Press"), QStringLiteral("35"));
        pressAndRelease(child<OptionImage>("Img_Extension_1"));
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.FileType), 1);
        QCOMPARE(int(m_record.Compression), 85);
    }

    void sameNameOptionsReactOnRelease_data()
    {
        QTest::addColumn<bool>("onCaption");
        QTest::newRow("image") << false;
        QTest::newRow("caption") << true;
    }
    void sameNameOptionsReactOnRelease()
    {
        QFETCH(bool, onCaption);
        ThumbSettings record = sampleRecord(); // skip
        SettingsWindow *w = open(record);
        QWidget *target = child<QWidget>(onCaption ? QStringLiteral("lbl_Dup_0") : QStringLiteral("Img_Dup_0"));
        press(target);
        QCOMPARE(int(w->workingCopy().DuplicateMode), 1);
        QCOMPARE(mark(QStringLiteral("Img_Dup_1")), OptionImage::Mark::Selected);
        release(target);
        QCOMPARE(int(w->workingCopy().DuplicateMode), 0);
        QCOMPARE(mark(QStringLiteral("Img_Dup_0")), OptionImage::Mark::Selected);
        QCOMPARE(mark(QStringLiteral("Img_Dup_1")), OptionImage::Mark::Unselected);

        // Released away from where it was pressed, or with the right button: no click.
        QWidget *other = child<QWidget>(onCaption ? QStringLiteral("lbl_Dup_1") : QStringLiteral("Img_Dup_1"));
        press(other);
        QTest::mouseRelease(other, Qt::LeftButton, {}, QPoint(other->width() + 40, other->height() + 40));
        click(other, Qt::RightButton);
        QCOMPARE(int(w->workingCopy().DuplicateMode), 0);
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.DuplicateMode), 0);
    }

    void duplicateModeOutsideTheOptions()
    {
        ThumbSettings record = sampleRecord();
        record.DuplicateMode = 5;
        open(record);
        QCOMPARE(mark(QStringLiteral("Img_Dup_0")), OptionImage::Mark::None);
        QCOMPARE(mark(QStringLiteral("Img_Dup_1")), OptionImage::Mark::None);
        clickButton("Cmd_Set");
        QCOMPARE(int(m_record.DuplicateMode), 5);
    }

    void emptiedPrefixIsStoredEmpty()
    {
        open(sampleRecord());
        auto *moji = child<QLineEdit>("txt_Moji");
        QCOMPARE(moji->text(), QStringLiteral("Thumb_"));
        moji->selectAll();
        QTest::keyClick(moji, Qt::Key_Delete);
        QCOMPARE(moji->text(), QString());
        clickButton("Cmd_Set");
        QCOMPARE(m_record.Prefix, QString());
    }

    void prefixHasNoLengthLimit()
    {
        open(sampleRecord());
        const QString longText(40000, QChar(u'あ'));
        child<QLineEdit>("txt_Moji")->setText(longText);
        clickButton("Cmd_Set");
        QCOMPARE(m_record.Prefix, longText);
    }

    void colourDialog_data()
    {
        QTest::addColumn<std::int32_t>("answer");
        QTest::addColumn<std::int32_t>("stored");
        QTest::newRow("cancelled") << std::int32_t(-1) << std::int32_t(0x00336699);
        QTest::newRow("red") << std::int32_t(0x000000FF) << std::int32_t(0x000000FF);
        QTest::newRow("black") << std::int32_t(0) << std::int32_t(0);
        QTest::newRow("white") << std::int32_t(0x00FFFFFF) << std::int32_t(0x00FFFFFF);
    }
    void colourDialog()
    {
        QFETCH(std::int32_t, answer);
        QFETCH(std::int32_t, stored);
        SettingsWindow *w = open(sampleRecord()); // margin 0x00336699, ratio 2
        m_dialogs.colourAnswers = {answer};
        clickButton("Cmd_Color");
        QCOMPARE(m_dialogs.colourOwners.size(), std::size_t(1));
        QCOMPARE(m_dialogs.colourOwners[0], static_cast<QWidget *>(w));
        // the window's foreground colour, black, not the current margin colour
        QCOMPARE(m_dialogs.colourInitials[0], std::int32_t(0));
        QCOMPARE(child<QLabel>("lbl_Color")->palette().color(QPalette::Window), colourOf(stored));
        QCOMPARE(w->workingCopy().MarginColour, stored);
        clickButton("Cmd_Set");
        QCOMPARE(m_record.MarginColour, stored);
    }

    void disabledColourButtonOpensNoDialog()
    {
        ThumbSettings record = sampleRecord();
        record.RatioMode = StretchToBoth;
        open(record);
        Command *colour = button("Cmd_Color");
        QTest::mouseMove(colour, QPoint(1, 1));
        QTest::mouseMove(colour, colour->rect().center());
        click(colour);
        QVERIFY(m_dialogs.colourOwners.empty());
    }

    void saveFolderPicker_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("stored");
        QTest::newRow("cancelled") << std::optional<QString>() << "/srv/pictures/サムネイル";
        QTest::newRow("chosen") << std::optional<QString>(QStringLiteral("/home/user/縮小")) << "/home/user/縮小";
        QTest::newRow("root") << std::optional<QString>(QStringLiteral("/")) << "/";
        const QString deep = QStringLiteral("/d") + QString(300, QChar(u'x'));
        QTest::newRow("longer than 255") << std::optional<QString>(deep) << deep;
    }
    void saveFolderPicker()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, stored);
        SettingsWindow *w = open(sampleRecord());
        m_dialogs.folderAnswers = {answer};
        clickButton("Cmd_Save_F");
        QCOMPARE(m_dialogs.folderTitles.size(), qsizetype(1));
        QCOMPARE(m_dialogs.folderTitles[0], QStringLiteral("ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください"));
        QCOMPARE(m_dialogs.folderOwners[0], static_cast<QWidget *>(w));
        QCOMPARE(text("lbl_Save_Folder"), stored);
        clickButton("Cmd_Set");
        QCOMPARE(m_record.SaveFolder, stored);
    }

    void saveFolderWithMarkupIsShownLiterally()
    {
        // Folder names may hold "<", ">" and "&"; the label must not read them as markup.
        ThumbSettings record = sampleRecord();
        record.SaveFolder = QStringLiteral("/srv/<b>写真</b> &lt;1&gt;");
        open(record);
        auto *label = child<QLabel>("lbl_Save_Folder");
        QLabel literal;
        literal.setTextFormat(Qt::PlainText);
        literal.setText(record.SaveFolder);
        literal.setFont(label->font());
        literal.setPalette(label->palette());
        literal.setAutoFillBackground(label->autoFillBackground());
        literal.setAlignment(label->alignment());
        literal.setWordWrap(label->wordWrap());
        literal.setFrameStyle(label->frameStyle());
        literal.resize(label->size());
        QCOMPARE(label->grab().toImage(), literal.grab().toImage());
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        // design twips / 15, inside Pic_C
        QTest::newRow("Pic_C") << "Pic_C" << QRect(0, 20, 473, 449);
        QTest::newRow("size frame") << "lbl_11" << QRect(12, 16, 241, 73);
        QTest::newRow("ratio frame, seven rows") << "Label1" << QRect(12, 100, 241, 149);
        QTest::newRow("file type frame, ending with the ratio frame") << "Label3" << QRect(264, 124, 193, 125);
        QTest::newRow("colour frame") << "Label4" << QRect(12, 260, 113, 69);
        QTest::newRow("same name frame") << "Label5" << QRect(264, 260, 193, 69);
        QTest::newRow("save folder frame") << "Label7" << QRect(12, 340, 445, 65);
        QTest::newRow("HS_w") << "HS_w" << QRect(68, 44, 117, 17);
        QTest::newRow("HS_h") << "HS_h" << QRect(68, 64, 117, 17);
        QTest::newRow("lbl_w") << "lbl_w" << QRect(192, 48, 21, 13);
        QTest::newRow("HS_Press") << "HS_Press" << QRect(360, 164, 81, 17);
        QTest::newRow("lbl_Press") << "lbl_Press" << QRect(360, 148, 81, 13);
        QTest::newRow("quality frame") << "Label2" << QRect(264, 16, 193, 97);
        QTest::newRow("Cmd_Color") << "Cmd_Color" << QRect(44, 288, 25, 25);
        QTest::newRow("lbl_Color") << "lbl_Color" << QRect(72, 288, 33, 25);
        QTest::newRow("txt_Moji") << "txt_Moji" << QRect(144, 300, 101, 18);
        QTest::newRow("Cmd_Save_F") << "Cmd_Save_F" << QRect(44, 368, 25, 25);
        QTest::newRow("lbl_Save_Folder") << "lbl_Save_Folder" << QRect(72, 368, 373, 29);
        QTest::newRow("Cmd_Set") << "Cmd_Set" << QRect(268, 412, 93, 25);
        QTest::newRow("Cmd_Can") << "Cmd_Can" << QRect(364, 412, 93, 25);
        QTest::newRow("Img_Pr_0") << "Img_Pr_0" << QRect(36, 128, 13, 13);
        QTest::newRow("Img_Pr_5") << "Img_Pr_5" << QRect(36, 208, 13, 13);
        QTest::newRow("Img_Pr_6 (16 below the sixth)") << "Img_Pr_6" << QRect(36, 224, 13, 13);
        QTest::newRow("Img_Sel_3") << "Img_Sel_3" << QRect(296, 92, 13, 13);
        QTest::newRow("Img_Extension_1") << "Img_Extension_1" << QRect(296, 196, 13, 13);
        QTest::newRow("Img_Extension_2 (PNG, in BMP's row)") << "Img_Extension_2" << QRect(344, 196, 13, 13);
        QTest::newRow("Img_Extension_3 (WebP)") << "Img_Extension_3" << QRect(392, 196, 13, 13);
        QTest::newRow("Img_Extension_4 (AVIF, under BMP)") << "Img_Extension_4" << QRect(296, 212, 13, 13);
        QTest::newRow("Img_Extension_5 (JXL, under PNG)") << "Img_Extension_5" << QRect(344, 212, 13, 13);
        QTest::newRow("Img_Dup_1 (grows to its mark)") << "Img_Dup_1" << QRect(292, 304, 13, 13);
        QTest::newRow("title strip") << "Image1" << QRect(0, 0, 473, 22);
        QTest::newRow("close image") << "ImgExit" << QRect(452, 4, 15, 15);
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        SettingsWindow *w = open(sampleRecord());
        QCOMPARE(w->size(), QSize(473, 471));
        QCOMPARE(child<QWidget>(name)->geometry(), pixels);
    }

    void captionsSitBesideTheirOptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<QString>("text");
        QTest::newRow("lbl_Pr_0") << "lbl_Pr_0" << QPoint(52, 128) << "幅のｻｲｽﾞで縦横比を保持";
        QTest::newRow("lbl_Pr_5") << "lbl_Pr_5" << QPoint(52, 208) << "高さのｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ";
        QTest::newRow("lbl_Pr_6") << "lbl_Pr_6" << QPoint(52, 224) << "幅と高さのｻｲｽﾞでﾄﾘﾐﾝｸﾞ";
        QTest::newRow("lbl_Sel_1") << "lbl_Sel_1" << QPoint(312, 60) << "中低画質";
        QTest::newRow("lbl_Dup_1") << "lbl_Dup_1" << QPoint(308, 304) << "ｽｷｯﾌﾟ";
        QTest::newRow("lbl_Extension_0") << "lbl_Extension_0" << QPoint(312, 148) << "JPG";
        QTest::newRow("lbl_Extension_1") << "lbl_Extension_1" << QPoint(312, 196) << "BMP";
        QTest::newRow("lbl_Extension_2") << "lbl_Extension_2" << QPoint(360, 196) << "PNG";
        QTest::newRow("lbl_Extension_3") << "lbl_Extension_3" << QPoint(408, 196) << "WebP";
        QTest::newRow("lbl_Extension_4") << "lbl_Extension_4" << QPoint(312, 212) << "AVIF";
        QTest::newRow("lbl_Extension_5") << "lbl_Extension_5" << QPoint(360, 212) << "JXL";
    }
    void captionsSitBesideTheirOptions()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, topLeft);
        QFETCH(QString, text);
        open(sampleRecord());
        auto *caption = child<QLabel>(name);
        QCOMPARE(caption->pos(), topLeft);
        QCOMPARE(caption->text(), text);
        // the whole caption shows
        QVERIFY(caption->width() >= caption->fontMetrics().horizontalAdvance(text));
    }

    void numbersFitTheirLabels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("widest");
        QTest::newRow("lbl_w") << "lbl_w" << "640";
        QTest::newRow("lbl_h") << "lbl_h" << "640";
        QTest::newRow("lbl_Press") << "lbl_Press" << "80";
    }
    void numbersFitTheirLabels()
    {
        QFETCH(QString, name);
        QFETCH(QString, widest);
        open(sampleRecord());
        auto *label = child<QLabel>(name);
        QVERIFY(label->fontMetrics().horizontalAdvance(widest) <= label->contentsRect().width());
    }

    void chromeAndTitle()
    {
        SettingsWindow *w = open(sampleRecord());
        QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w->isModal());
        QCOMPARE(child<QLabel>("lbl_1")->text(), QStringLiteral("各種設定"));
        QCOMPARE(child<QLabel>("lbl_1")->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(child<QWidget>("ImgExit")->toolTip(), QStringLiteral("ｷｬﾝｾﾙ"));
        QVERIFY(child<CloseImage>("ImgExit")->processEventsBeforeClose());
        QCOMPARE(child<QLabel>("lbl_11")->text(), QStringLiteral("ｻﾑﾈｲﾙのｻｲｽﾞ （範囲　16～640 ﾋﾟｸｾﾙ）"));
        QCOMPARE(button("Cmd_Set")->Caption(), QStringLiteral("設定"));
        QCOMPARE(button("Cmd_Can")->Caption(), QStringLiteral("ｷｬﾝｾﾙ"));
        QCOMPARE(button("Cmd_Save_F")->Caption(), QStringLiteral("..."));
        for (const char *name : {"Cmd_Set", "Cmd_Can", "Cmd_Save_F"})
            QCOMPARE(button(name)->state(), ButtonState::StateNormal); // initialised at load
    }

    void placedWithTheDesignSizeBeforeItIsSized()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        SettingsWindow *w = open(sampleRecord());
        // (screen - created size) rounded, \ 2 and \ 3 in twips, then pixels
        const int leftTwips = (screen.width() * 15 - 7455) / 2;
        const int topTwips = (screen.height() * 15 - 7425) / 3;
        const QPoint expected = screen.topLeft()
            + QPoint(qRound(leftTwips / 15.0), qRound(topTwips / 15.0));
        QCOMPARE(w->pos(), expected);
        // centring with the final size would have put it elsewhere
        QVERIFY(w->pos() != screen.topLeft() + QPoint((screen.width() - 473) / 2, (screen.height() - 471) / 3));
    }

    void opensFromTheCursorIntoSlotOne()
    {
        ScopedCursorSource cursor([] { return std::optional<QPoint>(QPoint(321, 123)); });
        setOpenPoint(kMainWindowSlot, QPoint(5, 6));
        open(sampleRecord());
        QCOMPARE(openPoint(kSettingsWindowSlot), std::optional<QPoint>(QPoint(321, 123)));
        QCOMPARE(openPoint(kMainWindowSlot), std::optional<QPoint>(QPoint(5, 6)));
    }

    void unreadableCursorOpensFromTheCorner()
    {
        ScopedCursorSource cursor([] { return std::optional<QPoint>(); });
        setOpenPoint(kSettingsWindowSlot, QPoint(77, 88));
        open(sampleRecord());
        QCOMPARE(openPoint(kSettingsWindowSlot), std::optional<QPoint>(QPoint(0, 0)));
    }

    void escapeDoesNotClose()
    {
        SettingsWindow *w = open(sampleRecord());
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(w->isVisible());
    }

    void showModalReturnsAfterConfirm()
    {
        ThumbSettings record = sampleRecord();
        QTimer::singleShot(0, [&] {
            auto *w = qobject_cast<SettingsWindow *>(QApplication::activeModalWidget());
            QVERIFY(w);
            auto *moji = w->findChild<QLineEdit *>(QStringLiteral("txt_Moji"));
            moji->setText(QStringLiteral("t_"));
            emit w->findChild<Command *>(QStringLiteral("Cmd_Set"))->Click();
        });
        SettingsWindow::showModal(record, nullptr);
        ThumbSettings expected = sampleRecord();
        expected.Prefix = QStringLiteral("t_");
        QCOMPARE(record, expected);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void showModalReturnsAfterTheCloseImage()
    {
        ThumbSettings record = sampleRecord();
        QTimer::singleShot(0, [&] {
            auto *w = qobject_cast<SettingsWindow *>(QApplication::activeModalWidget());
            QVERIFY(w);
            w->findChild<QScrollBar *>(QStringLiteral("HS_w"))->triggerAction(QAbstractSlider::SliderToMaximum);
            auto *exit = w->findChild<CloseImage *>(QStringLiteral("ImgExit"));
            press(exit);
            release(exit);
        });
        SettingsWindow::showModal(record, nullptr);
        QCOMPARE(record, sampleRecord());
    }

    void marksAreDrawn()
    {
        ThumbSettings record = sampleRecord(); // quality 1
        SettingsWindow *w = open(record);
        const QImage shot = w->grab().toImage();
        const QString dir = qEnvironmentVariable("TESS_SETTINGS_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            shot.save(dir + QStringLiteral("/settings.png"));
        auto centre = [&](const char *name) {
            QWidget *image = child<QWidget>(QString::fromLatin1(name));
            return QColor(shot.pixel(image->mapTo(w, image->rect().center())));
        };
        // the selected mark has a dark dot, the unselected a white face
        QVERIFY(centre("Img_Sel_1").lightness() < 100);
        QVERIFY(centre("Img_Sel_0").lightness() > 200);
        QVERIFY(centre("Img_Sel_2").lightness() > 200);
        // around the round mark the panel shows, not the key colour
        QWidget *image = child<QWidget>(QStringLiteral("Img_Sel_0"));
        const QColor corner(shot.pixel(image->mapTo(w, QPoint(0, 0))));
        QVERIFY(corner != QColor(255, 0, 255));
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_qtest.moc"
