// The Command button's behaviour: every transition of its state table, the
// Click rule, hover polling through a fake cursor, the Enabled, Visible and
// FontColour properties, stored properties and InitFormButtons.
#include "controls/command.h"
#include "controls/init_form_buttons.h"
#include "platform/ui/cursor_probe.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>
#include <stdexcept>

using namespace tess;

namespace {

class FakeCursor : public CursorProbe {
public:
    QPoint cursorPos() const override { return {321, 123}; }
    QWidget *widgetAt(QPoint) const override { return under; }
    QWidget *under = nullptr;
};

using Skins = QList<int>;
constexpr int N = int(CommandSkin::Normal);
constexpr int HL = int(CommandSkin::HighLight);
constexpr int SEL = int(CommandSkin::Selected);
constexpr int PR = int(CommandSkin::Pressed);
constexpr int DIS = int(CommandSkin::Disable);
constexpr int HLS = int(CommandSkin::HighLightSelect);

// A window with, in this order, a line edit (holds the focus at first), the
// button under test, a neighbouring button and a frame.
struct Rig {
    // Declared before the host: its destruction still sends focus changes.
    Skins painted;
    FakeCursor cursor;
    QWidget host;
    QLineEdit *other;
    Command *button;
    Command *neighbour;
    QFrame *frame;

    Rig()
    {
        host.resize(300, 80);
        other = new QLineEdit(&host);
        other->setGeometry(10, 45, 100, 22);
        button = new Command(&host);
        button->setGeometry(10, 10, 80, 25);
        neighbour = new Command(&host);
        neighbour->setGeometry(100, 10, 80, 25);
        frame = new QFrame(&host);
        frame->setGeometry(200, 10, 50, 50);
        button->restoreProperties({{QStringLiteral("Caption"), QStringLiteral("開始")}});
        neighbour->restoreProperties({});
        QObject::connect(button, &Command::facePainted, &host,
                         [this](CommandSkin skin) { painted.append(int(skin)); });
        setCursorProbe(&cursor);
    }
    ~Rig() { setCursorProbe(nullptr); }

    bool show()
    {
        host.show();
        host.activateWindow();
        if (!QTest::qWaitForWindowActive(&host))
            return false;
        other->setFocus(Qt::OtherFocusReason);
        return other->hasFocus();
    }

    void mouse(QEvent::Type type, Qt::MouseButton which, QPoint at = {5, 5})
    {
        Qt::MouseButtons held = button->leftButtonHeld() ? Qt::LeftButton : Qt::NoButton;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            held |= which;
        else if (type == QEvent::MouseButtonRelease)
            held &= ~Qt::MouseButtons(which);
        QMouseEvent event(type, at, button->mapToGlobal(at), which, held, Qt::NoModifier);
        QApplication::sendEvent(button, &event);
    }

    // One named step of a scenario.
    void step(const QString &name)
    {
        if (name == "init") button->Initialize();
        else if (name == "move") mouse(QEvent::MouseMove, Qt::NoButton);
        else if (name == "moveout") mouse(QEvent::MouseMove, Qt::NoButton, {-30, 40});
        else if (name == "press") mouse(QEvent::MouseButtonPress, Qt::LeftButton);
        else if (name == "release") mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
        else if (name == "releaseout") mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {-30, 40});
        else if (name == "dbl") mouse(QEvent::MouseButtonDblClick, Qt::LeftButton);
        else if (name == "rpress") mouse(QEvent::MouseButtonPress, Qt::RightButton);
        else if (name == "rrelease") mouse(QEvent::MouseButtonRelease, Qt::RightButton);
        else if (name == "mpress") mouse(QEvent::MouseButtonPress, Qt::MiddleButton);
        else if (name == "mrelease") mouse(QEvent::MouseButtonRelease, Qt::MiddleButton);
        else if (name == "xpress") mouse(QEvent::MouseButtonPress, Qt::BackButton);
        else if (name == "xrelease") mouse(QEvent::MouseButtonRelease, Qt::BackButton);
        else if (name == "focus") button->setFocus(Qt::TabFocusReason);
        else if (name == "blur") other->setFocus(Qt::TabFocusReason);
        else if (name == "tab") QTest::keyClick(other, Qt::Key_Tab);
        else if (name == "keys") {
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Enter);
            QTest::keyClick(button, Qt::Key_Space);
        }
        else if (name == "in") cursor.under = button;
        else if (name == "label") cursor.under = button->LblMsg();
        else if (name == "out") cursor.under = &host;
        else if (name == "over-other") cursor.under = other;
        else if (name == "over-frame") cursor.under = frame;
        else if (name == "over-neighbour") cursor.under = neighbour;
        else if (name == "nowhere") cursor.under = nullptr;
        else if (name == "tick") button->tmrMouseTick();
        else if (name == "disable") button->setEnabled(false);
        else if (name == "enable") button->setEnabled(true);
        else if (name == "resize") button->resize(button->width() + 10, button->height());
        else if (name == "read") button->Enabled();
        else QFAIL(qPrintable("unknown step " + name));
    }

    void run(const QString &steps)
    {
        for (const QString &name : steps.split(QLatin1Char(','), Qt::SkipEmptyParts))
            step(name);
    }
};

} // namespace

class CommandTest : public QObject {
    Q_OBJECT
private slots:
    void freshButton();
    void transitions_data();
    void transitions();
    void gradientDirection_data();
    void gradientDirection();
    void initializeStartsTimer();
    void realTimerLeavesHover();
    void neighbourTakesOverHover();
    void disabledButtonTakesTabFocus();
    void clickHandlerFailureIsSwallowed();
    void captionThroughRealMouse();
    void enabledRead_data();
    void enabledRead();
    void visibleFlag();
    void fontColour_data();
    void fontColour();
    void captionColourOnlyGreyedWhenDisabled();
    void propertyMarks();
    void restore_data();
    void restore();
    void restoreSkipsWrongKinds();
    void storeOrderAndDefaults();
    void storeRestoreRoundTrip_data();
    void storeRestoreRoundTrip();
    void initFormButtons_data();
    void initFormButtons();
    void initFormButtonsWithoutButtons();
};

void CommandTest::freshButton()
{
    Command button;
    QCOMPARE(button.enabledFlag(), false);
    QCOMPARE(button.firstRun(), 0);
    QCOMPARE(button.state(), ButtonState::StateNone);
    QCOMPARE(button.leftButtonHeld(), false);
    QCOMPARE(button.gradientReversed(), false);
    QCOMPARE(button.Caption(), QStringLiteral("Command"));
    QCOMPARE(button.TmrMouse()->isActive(), false);
    QCOMPARE(button.TmrMouse()->interval(), 100);
    QVERIFY(button.LblMsg()->testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(button.LblMsg()->height(), 13);
    QVERIFY(button.LblMsg()->alignment() & Qt::AlignHCenter);
    QVERIFY(!button.LblMsg()->autoFillBackground());
    QCOMPARE(button.faceOpaque(), true);
    // Qt's own enabled flag stays on, so Tab can reach a disabled button.
    QVERIFY(button.isEnabled());
}

void CommandTest::transitions_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("state");
    QTest::addColumn<Skins>("skins");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("held");

    // Initialize
    QTest::newRow("initialize from none") << "" << "init" << 1 << Skins{} << 0 << false;
    QTest::newRow("initialize again from highlight") << "init,move" << "init" << 1 << Skins{} << 0 << false;
    // Focus gained
    QTest::newRow("focus in from none") << "" << "focus" << 3 << Skins{SEL} << 0 << false;
    QTest::newRow("focus in from normal") << "init" << "focus" << 3 << Skins{SEL} << 0 << false;
    QTest::newRow("focus in from highlight") << "init,move" << "focus" << 4 << Skins{PR} << 0 << false;
    QTest::newRow("tab onto idle button") << "init" << "tab" << 3 << Skins{SEL} << 0 << false;
    QTest::newRow("tab onto hovered button") << "init,move" << "tab" << 4 << Skins{PR} << 0 << false;
    // Focus lost
    QTest::newRow("focus out from selected") << "init,focus" << "blur" << 1 << Skins{N} << 0 << false;
    QTest::newRow("focus out from highlight-select") << "init,move,focus" << "blur" << 1 << Skins{N} << 0 << false;
    QTest::newRow("focus out from none") << "disable,focus,enable" << "blur" << 1 << Skins{N} << 0 << false;
    QTest::newRow("focus out from normal") << "init,disable,focus,enable" << "blur" << 1 << Skins{} << 0 << false;
    QTest::newRow("focus out while hovered, then move")
        << "init,move,focus" << "blur,move" << 2 << Skins{N, HL} << 0 << false;
    // Left button down (it takes the focus first)
    QTest::newRow("left down on hovered") << "init,move" << "press" << 4 << Skins{PR, PR} << 0 << true;
    QTest::newRow("left down with focus") << "init,focus,move" << "press" << 4 << Skins{PR} << 0 << true;
    QTest::newRow("left down unhovered") << "init" << "press" << 3 << Skins{SEL, PR} << 0 << true;
    QTest::newRow("left down before initialize") << "" << "press" << 3 << Skins{SEL, PR} << 0 << true;
    // Mouse move
    QTest::newRow("move from normal") << "init" << "move" << 2 << Skins{HL} << 0 << false;
    QTest::newRow("move within highlight") << "init,move" << "move,move,moveout" << 2 << Skins{} << 0 << false;
    QTest::newRow("move from selected") << "init,focus" << "move" << 4 << Skins{HLS} << 0 << false;
    QTest::newRow("move within highlight-select") << "init,focus,move" << "move,move" << 4 << Skins{} << 0 << false;
    QTest::newRow("move on selected while held")
        << "init,move,press,out,tick" << "move" << 3 << Skins{} << 0 << true;
    QTest::newRow("move before initialize") << "" << "move" << 0 << Skins{} << 0 << false;
    // Left button up, then any button up
    QTest::newRow("left up on highlight") << "init,move" << "release" << 2 << Skins{N} << 1 << false;
    QTest::newRow("left up on highlight-select") << "init,move,press" << "release" << 4 << Skins{HLS} << 1 << false;
    QTest::newRow("left up on selected") << "init,move,press,out,tick" << "release" << 3 << Skins{} << 0 << false;
    QTest::newRow("left up on normal") << "init" << "release" << 1 << Skins{} << 1 << false;
    QTest::newRow("left up before initialize") << "" << "release" << 0 << Skins{} << 1 << false;
    QTest::newRow("right click on hovered") << "init,move" << "rpress,rrelease" << 2 << Skins{} << 1 << false;
    QTest::newRow("middle click on hovered") << "init,move" << "mpress,mrelease" << 2 << Skins{} << 1 << false;
    QTest::newRow("side button does not click") << "init,move" << "xpress,xrelease" << 2 << Skins{} << 0 << false;
    QTest::newRow("right up on selected") << "init,focus" << "rrelease" << 3 << Skins{} << 0 << false;
    QTest::newRow("right up on highlight-select") << "init,focus,move" << "rrelease" << 4 << Skins{} << 1 << false;
    // Timer tick
    QTest::newRow("tick, cursor on host") << "init,move,out" << "tick" << 1 << Skins{N} << 0 << false;
    QTest::newRow("tick, cursor on caption") << "init,move,label" << "tick" << 2 << Skins{} << 0 << false;
    QTest::newRow("tick, cursor on button") << "init,move,in" << "tick" << 2 << Skins{} << 0 << false;
    QTest::newRow("tick, cursor on line edit") << "init,move,over-other" << "tick" << 1 << Skins{N} << 0 << false;
    QTest::newRow("tick, cursor on frame") << "init,move,over-frame" << "tick" << 1 << Skins{N} << 0 << false;
    QTest::newRow("tick, cursor on neighbour") << "init,move,over-neighbour" << "tick" << 1 << Skins{N} << 0 << false;
    QTest::newRow("tick, cursor outside the program") << "init,move,nowhere" << "tick" << 1 << Skins{N} << 0 << false;
    QTest::newRow("tick, highlight-select leaves") << "init,focus,move,out" << "tick" << 3 << Skins{SEL} << 0 << false;
    QTest::newRow("tick, selected stays") << "init,focus,out" << "tick" << 3 << Skins{} << 0 << false;
    QTest::newRow("tick, normal stays") << "init,out" << "tick,tick" << 1 << Skins{} << 0 << false;
    // Size change
    QTest::newRow("size change while hovered") << "init,move" << "resize" << 2 << Skins{N} << 0 << false;
    QTest::newRow("size change while focused") << "init,focus" << "resize" << 3 << Skins{N} << 0 << false;
    QTest::newRow("size change while disabled") << "init,disable" << "resize" << 1 << Skins{DIS} << 0 << false;
    // Disabled: the state is frozen, nothing is raised
    QTest::newRow("disabled: focus in") << "init,disable" << "focus" << 1 << Skins{} << 0 << false;
    QTest::newRow("disabled: focus out") << "init,focus,disable" << "blur" << 3 << Skins{} << 0 << false;
    QTest::newRow("disabled: move") << "init,disable" << "move" << 1 << Skins{} << 0 << false;
    QTest::newRow("disabled: click") << "init,move,disable" << "press,release" << 2 << Skins{} << 0 << false;
    QTest::newRow("disabled: right click") << "init,move,disable" << "rpress,rrelease" << 2 << Skins{} << 0 << false;
    QTest::newRow("disabled: tick after leaving") << "init,move,disable,out" << "tick" << 2 << Skins{} << 0 << false;
    QTest::newRow("re-enabled: next tick settles") << "init,move,disable,out,enable" << "tick" << 1 << Skins{N} << 0 << false;
    // Reading Enabled repaints whatever the state
    QTest::newRow("read Enabled while hovered") << "init,move" << "read" << 2 << Skins{N} << 0 << false;
    QTest::newRow("read Enabled while disabled and focused") << "init,focus,disable" << "read" << 3 << Skins{DIS} << 0 << false;
    // The keyboard never clicks
    QTest::newRow("Enter and Space on focused") << "init,focus" << "keys" << 3 << Skins{} << 0 << false;
    QTest::newRow("Enter and Space on hovered focused") << "init,focus,move" << "keys" << 4 << Skins{} << 0 << false;
    // Whole gestures
    QTest::newRow("click on hovered, then leave")
        << "init,move" << "press,release,out,tick" << 3 << Skins{PR, PR, HLS, SEL} << 1 << false;
    QTest::newRow("press, leave, tick, release outside")
        << "init,move" << "press,moveout,out,tick,releaseout" << 3 << Skins{PR, PR, SEL} << 0 << false;
    QTest::newRow("press, leave, release outside before the tick")
        << "init,move" << "press,moveout,out,releaseout" << 4 << Skins{PR, PR, HLS} << 1 << false;
    QTest::newRow("press, leave past a tick, return, release")
        << "init,move" << "press,moveout,out,tick,in,move,tick,release" << 3 << Skins{PR, PR, SEL} << 0 << false;
    QTest::newRow("double click")
        << "init,move" << "press,release,dbl,release" << 4 << Skins{PR, PR, HLS, PR, HLS} << 2 << false;
    QTest::newRow("re-enter a focused button")
        << "init,focus" << "move,out,tick,in,move" << 4 << Skins{HLS, SEL, HLS} << 0 << false;
}

void CommandTest::transitions()
{
    QFETCH(QString, setup);
    QFETCH(QString, action);
    QFETCH(int, state);
    QFETCH(Skins, skins);
    QFETCH(int, clicks);
    QFETCH(bool, held);

    Rig rig;
    QVERIFY(rig.show());
    rig.cursor.under = rig.button;
    rig.run(setup);
    rig.painted.clear();
    QSignalSpy clicked(rig.button, &Command::Click);

    rig.run(action);

    QCOMPARE(int(rig.button->state()), state);
    QCOMPARE(rig.painted, skins);
    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(rig.button->leftButtonHeld(), held);
}

void CommandTest::gradientDirection_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("reversed");
    QTest::newRow("normal: light on top") << "init" << false;
    QTest::newRow("highlight: shade on top") << "init,move" << true;
    QTest::newRow("selected: light on top") << "init,move,out,tick,focus" << false;
    QTest::newRow("after a click from highlight: shade on top") << "init,move,press,release" << true;
    QTest::newRow("re-entering with focus: light on top") << "init,focus,move" << false;
    QTest::newRow("Enabled read while hovered keeps the shade") << "init,move,read" << true;
    QTest::newRow("disabled while hovered keeps the shade") << "init,move,disable" << true;
    QTest::newRow("leaving highlight: light on top") << "init,move,out,tick" << false;
}

void CommandTest::gradientDirection()
{
    QFETCH(QString, steps);
    QFETCH(bool, reversed);
    Rig rig;
    QVERIFY(rig.show());
    rig.cursor.under = rig.button;
    rig.run(steps);
    QCOMPARE(rig.button->gradientReversed(), reversed);
    // Column 10 of row 4 lies inside the frame: the gradient shows there, as
    // row 4 of the 25-pixel gradient or, reversed, as its row 20.
    const Colour row4 = rig.button->face().pixel(10, 4);
    QCOMPARE(row4, reversed ? rgb(207, 206, 221) : rgb(245, 245, 248));
}

void CommandTest::initializeStartsTimer()
{
    Command button;
    button.Initialize();
    QCOMPARE(button.state(), ButtonState::StateNormal);
    QVERIFY(button.TmrMouse()->isActive());
    QCOMPARE(button.TmrMouse()->interval(), 100);
}

void CommandTest::realTimerLeavesHover()
{
    Rig rig;
    QVERIFY(rig.show());
    rig.cursor.under = rig.button;
    rig.run("init,move");
    QCOMPARE(rig.button->state(), ButtonState::StateHighLight);
    QTest::qWait(250); // two ticks with the cursor still on the button
    QCOMPARE(rig.button->state(), ButtonState::StateHighLight);
    rig.cursor.under = &rig.host;
    QTRY_COMPARE_WITH_TIMEOUT(rig.button->state(), ButtonState::StateNormal, 5000);
    QCOMPARE(rig.painted.last(), N);
}

void CommandTest::neighbourTakesOverHover()
{
    Rig rig;
    QVERIFY(rig.show());
    rig.run("init,in,move");
    rig.neighbour->Initialize();
    // Straight onto the neighbour: it enters at its first movement, the first
    // leaves at its next tick.
    rig.cursor.under = rig.neighbour;
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), rig.neighbour->mapToGlobal(QPointF(3, 3)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(rig.neighbour, &move);
    QCOMPARE(rig.neighbour->state(), ButtonState::StateHighLight);
    QCOMPARE(rig.button->state(), ButtonState::StateHighLight);
    rig.neighbour->tmrMouseTick();
    QCOMPARE(rig.neighbour->state(), ButtonState::StateHighLight);
    rig.button->tmrMouseTick();
    QCOMPARE(rig.button->state(), ButtonState::StateNormal);
}

void CommandTest::disabledButtonTakesTabFocus()
{
    Rig rig;
    QVERIFY(rig.show());
    rig.run("init,in,move,disable");
    rig.painted.clear();
    QSignalSpy clicked(rig.button, &Command::Click);
    QTest::keyClick(rig.other, Qt::Key_Tab);
    QVERIFY(rig.button->hasFocus());
    QCOMPARE(rig.button->state(), ButtonState::StateHighLight);
    QCOMPARE(rig.painted, Skins{});
    QTest::keyClick(rig.button, Qt::Key_Space);
    QCOMPARE(clicked.count(), 0);
}

void CommandTest::clickHandlerFailureIsSwallowed()
{
    Rig rig;
    QVERIFY(rig.show());
    int calls = 0;
    connect(rig.button, &Command::Click, &rig.host, [&calls] {
        ++calls;
        throw std::runtime_error("handler failed");
    });
    rig.run("init,in,move,press,release");
    QCOMPARE(calls, 1);
    QCOMPARE(rig.button->state(), ButtonState::StateHighLightSelect);
    rig.run("press,release");
    QCOMPARE(calls, 2);
}

void CommandTest::captionThroughRealMouse()
{
    Rig rig;
    QVERIFY(rig.show());
    rig.run("init");
    QSignalSpy clicked(rig.button, &Command::Click);
    // A click on the caption, delivered through the window, lands on the button.
    const QPoint onCaption = rig.button->LblMsg()->geometry().center() + rig.button->pos();
    QCOMPARE(rig.host.childAt(onCaption), rig.button);
    QTest::mouseClick(rig.host.windowHandle(), Qt::LeftButton, Qt::NoModifier, onCaption);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(rig.button->hasFocus());
}

void CommandTest::enabledRead_data()
{
    QTest::addColumn<CommandProperties>("stored");
    QTest::addColumn<bool>("setEnabledFirst");
    QTest::addColumn<bool>("enabledValue");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("firstRun");
    QTest::addColumn<Skins>("skins");
    // A never-stored button becomes enabled at the first read.
    QTest::newRow("never stored") << CommandProperties{} << false << false << true << 1 << Skins{N};
    QTest::newRow("never stored, set disabled first") << CommandProperties{} << true << false << true << 1 << Skins{N};
    // Enabled but never stored: the read refreshes the Normal look, then applies it.
    QTest::newRow("never stored, set enabled first") << CommandProperties{} << true << true << true << 1 << Skins{N, N};
    QTest::newRow("stored enabled")
        << CommandProperties{{"Caption", "x"}} << false << false << true << 1 << Skins{N};
    QTest::newRow("stored disabled")
        << CommandProperties{{"Enabled", false}} << false << false << false << 1 << Skins{DIS};
    QTest::newRow("stored FirstRun 0, disabled")
        << CommandProperties{{"Enabled", false}, {"FirstRun", 0}} << false << false << true << 1 << Skins{N};
}

void CommandTest::enabledRead()
{
    QFETCH(CommandProperties, stored);
    QFETCH(bool, setEnabledFirst);
    QFETCH(bool, enabledValue);
    QFETCH(bool, result);
    QFETCH(int, firstRun);
    QFETCH(Skins, skins);

    Command button;
    button.resize(64, 25);
    if (!stored.isEmpty())
        button.restoreProperties(stored);
    if (setEnabledFirst)
        button.setEnabled(enabledValue);
    Skins painted;
    connect(&button, &Command::facePainted, this, [&painted](CommandSkin s) { painted.append(int(s)); });
    QCOMPARE(button.Enabled(), result);
    QCOMPARE(int(button.firstRun()), firstRun);
    QCOMPARE(painted, skins);
}

void CommandTest::visibleFlag()
{
    Command button;
    button.resize(64, 25);
    button.restoreProperties({});
    Skins painted;
    connect(&button, &Command::facePainted, this, [&painted](CommandSkin s) { painted.append(int(s)); });

    QCOMPARE(int(button.Visible()), 255);
    QCOMPARE(painted, Skins{N});
    painted.clear();

    button.setVisibleFlag(0);
    QCOMPARE(button.faceOpaque(), false);
    QCOMPARE(int(button.Visible()), 0);
    QCOMPARE(painted, Skins{});

    button.setVisibleFlag(7);
    QCOMPARE(button.faceOpaque(), true);
    QCOMPARE(painted, Skins{N});
    QCOMPARE(int(button.Visible()), 255);
}

void CommandTest::fontColour_data()
{
    QTest::addColumn<int>("firstRun");
    QTest::addColumn<quint32>("set");
    QTest::addColumn<quint32>("kept");
    // A button whose properties were never stored turns its caption black at
    // every refresh; a stored one keeps the colour it was given.
    QTest::newRow("stored button keeps red") << 1 << quint32(0x0000FF) << quint32(0x0000FF);
    QTest::newRow("stored button keeps blue-grey") << 1 << quint32(0x806040) << quint32(0x806040);
    QTest::newRow("never-stored button goes black") << 0 << quint32(0x0000FF) << quint32(0);
}

void CommandTest::fontColour()
{
    QFETCH(int, firstRun);
    QFETCH(quint32, set);
    QFETCH(quint32, kept);
    Command button;
    button.resize(64, 25);
    button.restoreProperties({{"FirstRun", firstRun}});
    Skins painted;
    connect(&button, &Command::facePainted, this, [&painted](CommandSkin s) { painted.append(int(s)); });
    button.setFontColour(set);
    QCOMPARE(painted, Skins{N});
    QCOMPARE(button.FontColour(), kept);
    QCOMPARE(painted, (Skins{N, N}));
    const QColor shown = button.LblMsg()->palette().color(QPalette::Active, QPalette::WindowText);
    QCOMPARE(shown, QColor(redOf(kept), greenOf(kept), blueOf(kept)));
}

void CommandTest::captionColourOnlyGreyedWhenDisabled()
{
    Rig rig;
    rig.button->restoreProperties({{"FontColour", qlonglong(0x2040C0)}});
    QVERIFY(rig.show());
    const QColor caption(0xC0, 0x40, 0x20);
    for (const char *steps : {"init", "move", "focus", "press", "release", "out,tick", "blur"}) {
        rig.run(steps);
        QVERIFY2(rig.button->LblMsg()->isEnabled(), steps);
        QCOMPARE(rig.button->LblMsg()->palette().color(QPalette::WindowText), caption);
    }
    rig.run("disable");
    QVERIFY(!rig.button->LblMsg()->isEnabled());
    const QColor greyed = rig.button->LblMsg()->palette().color(QPalette::Disabled, QPalette::WindowText);
    QVERIFY(greyed != caption);
    QCOMPARE(greyed.red(), greyed.green()); // a neutral grey
    rig.run("enable");
    QVERIFY(rig.button->LblMsg()->isEnabled());
    QCOMPARE(rig.button->FontColour(), Colour(0x2040C0));
}

void CommandTest::propertyMarks()
{
    Command button;
    button.resize(64, 25);
    button.restoreProperties({});
    QSignalSpy marks(&button, &Command::propertyChanged);
    Skins painted;
    connect(&button, &Command::facePainted, this, [&painted](CommandSkin s) { painted.append(int(s)); });

    button.setCaption(QStringLiteral("ﾌｫﾙﾀﾞ"));
    QCOMPARE(button.Caption(), QStringLiteral("ﾌｫﾙﾀﾞ"));
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSizeF(12);
    button.setFont(font);
    QCOMPARE(button.Font(), font);
    QCOMPARE(painted, Skins{}); // neither repaints
    button.setEnabled(false);
    button.setFontColour(0x00FF00);
    button.setVisibleFlag(0);
    button.setVisibleFlag(1);
    QStringList keys;
    for (const auto &args : marks)
        keys << args.at(0).toString();
    QCOMPARE(keys, (QStringList{"Caption", "Font", "Enabled", "FontColour", "Visible", "Visible"}));
    // setEnabled(false) paints Disable; the refreshes of a disabled button paint nothing.
    QCOMPARE(painted, Skins{DIS});
}

void CommandTest::restore_data()
{
    QTest::addColumn<CommandProperties>("stored");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("firstRun");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<bool>("opaque");
    QTest::addColumn<Skins>("skins");

    QTest::newRow("nothing stored: defaults")
        << CommandProperties{} << true << "Command" << 1 << quint32(0) << true << Skins{N};
    QTest::newRow("disabled run button")
        << CommandProperties{{"Enabled", false}, {"Caption", "ｻﾑﾈｲﾙ作成ｽﾀｰﾄ"}}
        << false << "ｻﾑﾈｲﾙ作成ｽﾀｰﾄ" << 1 << quint32(0) << true << Skins{};
    QTest::newRow("colour kept")
        << CommandProperties{{"FontColour", qlonglong(0xFF)}} << true << "Command" << 1 << quint32(0xFF) << true << Skins{N};
    // FirstRun is applied before FontColour, and the closing refresh of a
    // never-stored button turns the caption black again.
    QTest::newRow("FirstRun 0 drops the colour")
        << CommandProperties{{"FontColour", qlonglong(0xFF)}, {"FirstRun", 0}}
        << true << "Command" << 0 << quint32(0) << true << Skins{N};
    QTest::newRow("transparent face")
        << CommandProperties{{"Visible", 0}} << true << "Command" << 1 << quint32(0) << false << Skins{N};
    QTest::newRow("values as text")
        << CommandProperties{{"Enabled", "False"}, {"FirstRun", "1"}, {"FontColour", "65280"}, {"Visible", "0"}}
        << false << "Command" << 1 << quint32(0xFF00) << false << Skins{};
    QTest::newRow("unknown keys ignored")
        << CommandProperties{{"BackColor", 5}, {"Caption", "OK"}} << true << "OK" << 1 << quint32(0) << true << Skins{N};
}

void CommandTest::restore()
{
    QFETCH(CommandProperties, stored);
    QFETCH(bool, enabled);
    QFETCH(QString, caption);
    QFETCH(int, firstRun);
    QFETCH(quint32, colour);
    QFETCH(bool, opaque);
    QFETCH(Skins, skins);

    Command button;
    button.resize(64, 25);
    Skins painted;
    connect(&button, &Command::facePainted, this, [&painted](CommandSkin s) { painted.append(int(s)); });
    button.restoreProperties(stored);
    QCOMPARE(button.enabledFlag(), enabled);
    QCOMPARE(button.Caption(), caption);
    QCOMPARE(int(button.firstRun()), firstRun);
    const QColor shown = button.LblMsg()->palette().color(QPalette::Active, QPalette::WindowText);
    QCOMPARE(shown, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
    QCOMPARE(button.faceOpaque(), opaque);
    QCOMPARE(painted, skins);
}

void CommandTest::restoreSkipsWrongKinds()
{
    // Values that cannot be read as their key's type leave the field as it was.
    Command button;
    button.resize(64, 25);
    button.restoreProperties({{"Enabled", "perhaps"}, {"FirstRun", 300}, {"FontColour", "red"},
                              {"Visible", 70000}, {"Font", 3.5}});
    QCOMPARE(button.enabledFlag(), false); // creation value
    QCOMPARE(int(button.firstRun()), 0);   // creation value
    QCOMPARE(button.faceOpaque(), true);
    QCOMPARE(button.Caption(), QStringLiteral("Command"));
}

void CommandTest::storeOrderAndDefaults()
{
    QWidget host;
    host.setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    auto *button = new Command(&host);
    button->resize(64, 25);
    button->restoreProperties({});
    QCOMPARE(button->storeProperties(), CommandProperties{});

    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSizeF(9.75);
    button->restoreProperties({{"Visible", 0}, {"FontColour", qlonglong(0x123456)}, {"FirstRun", 0},
                               {"Font", font}, {"Caption", "参照"}, {"Enabled", false}});
    const CommandProperties stored = button->storeProperties();
    QStringList keys;
    for (const auto &entry : stored)
        keys << entry.first;
    QCOMPARE(keys, (QStringList{"Enabled", "Caption", "FirstRun", "Font", "FontColour", "Visible"}));
    QCOMPARE(stored[0].second.toBool(), false);
    QCOMPARE(stored[1].second.toString(), QStringLiteral("参照"));
    QCOMPARE(stored[2].second.toInt(), 0);
    QCOMPARE(stored[3].second.value<QFont>(), font);
    QCOMPARE(stored[4].second.toLongLong(), 0x123456LL);
    QCOMPARE(stored[5].second.toInt(), 0);
}

void CommandTest::storeRestoreRoundTrip_data()
{
    QTest::addColumn<CommandProperties>("stored");
    QTest::newRow("empty") << CommandProperties{};
    QTest::newRow("caption equal to the default survives")
        << CommandProperties{{"Caption", "Command"}};
    QTest::newRow("caption Command1") << CommandProperties{{"Caption", "Command1"}};
    QTest::newRow("everything")
        << CommandProperties{{"Enabled", false}, {"Caption", "..."}, {"FontColour", qlonglong(0xABCDEF)}, {"Visible", 0}};
    QTest::newRow("empty caption") << CommandProperties{{"Caption", ""}};
}

void CommandTest::storeRestoreRoundTrip()
{
    QFETCH(CommandProperties, stored);
    QWidget host;
    auto *first = new Command(&host);
    first->restoreProperties(stored);
    auto *second = new Command(&host);
    second->restoreProperties(first->storeProperties());
    QCOMPARE(second->enabledFlag(), first->enabledFlag());
    QCOMPARE(second->Caption(), first->Caption());
    QCOMPARE(second->firstRun(), first->firstRun());
    QCOMPARE(second->Font(), first->Font());
    QCOMPARE(second->faceOpaque(), first->faceOpaque());
    QCOMPARE(second->LblMsg()->palette().color(QPalette::WindowText),
             first->LblMsg()->palette().color(QPalette::WindowText));
    QCOMPARE(second->storeProperties(), first->storeProperties());
}

void CommandTest::initFormButtons_data()
{
    QTest::addColumn<bool>("initialise");
    QTest::addColumn<bool>("enable");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("timer");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("initialise (enable flag ignored)") << true << false << 1 << true << true << QStringList{};
    QTest::newRow("enable") << false << true << 0 << false << true << QStringList{"b", "nested", "a"};
    QTest::newRow("disable") << false << false << 0 << false << false << QStringList{"b", "nested", "a"};
}

void CommandTest::initFormButtons()
{
    QFETCH(bool, initialise);
    QFETCH(bool, enable);
    QFETCH(int, state);
    QFETCH(bool, timer);
    QFETCH(bool, enabled);
    QFETCH(QStringList, order);

    QWidget host;
    auto *edit = new QLineEdit(QStringLiteral("keep"), &host);
    auto *b = new Command(&host);
    auto *frame = new QFrame(&host);
    auto *nested = new Command(frame);
    auto *label = new QLabel(QStringLiteral("label"), &host);
    auto *a = new Command(&host);
    b->setObjectName("b");
    nested->setObjectName("nested");
    a->setObjectName("a");
    QStringList repainted;
    for (Command *button : {b, nested, a}) {
        button->resize(64, 25);
        button->restoreProperties({});
        connect(button, &Command::facePainted, this, [&repainted, button] { repainted << button->objectName(); });
    }
    label->setEnabled(false);

    InitFormButtons(&host, initialise, enable);

    for (Command *button : {b, nested, a}) {
        QCOMPARE(int(button->state()), state);
        QCOMPARE(button->TmrMouse()->isActive(), timer);
        QCOMPARE(button->enabledFlag(), enabled);
    }
    QCOMPARE(repainted, order);
    QCOMPARE(edit->text(), QStringLiteral("keep"));
    QVERIFY(edit->isEnabled());
    QVERIFY(!label->isEnabled());
}

void CommandTest::initFormButtonsWithoutButtons()
{
    QWidget host;
    auto *edit = new QLineEdit(QStringLiteral("keep"), &host);
    edit->setEnabled(false);
    InitFormButtons(&host, true, true);
    InitFormButtons(&host, false, true);
    QVERIFY(!edit->isEnabled());
    QCOMPARE(edit->text(), QStringLiteral("keep"));
    InitFormButtons(nullptr, true, true);
}

QTEST_MAIN(CommandTest)
#include "command_qtest.moc"
