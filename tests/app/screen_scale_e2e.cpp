// The real program at screen scales above 100 % on an X display: both windows
// keep their proportions and their artwork stays as sharp as at 100 %.
#include "platform/ui_language.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"
#include "support/dense_rendering.h"
#include "support/screenshots.h"
#include "support/xdotool_support.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <map>

using namespace tess;
using namespace dense_rendering;
using namespace xdotool_support;

namespace {

constexpr int kTimeoutMs = 30000;

// In the windows' own pixels: the main window's Exit button and settings
// button, and the settings window's "設定" button.
constexpr QRect kExit(456, 432, 85, 25);
constexpr QPoint kSettingsButton(104, 444);
constexpr QRect kSet(268, 432, 93, 25);

struct Shots {
    QImage main;
    QImage settings;
};

QImage grabScreen(const QRect &at)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), at.width(), at.height()).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// The step from the last pixel outside a button to the first of its frame,
// along the row through the middle of its left edge, summed over the three
// channels: a stretched, smoothed face spreads it over two pixels.
int edgeStep(const QImage &shot, const QRect &button, qreal scale)
{
    const int y = int((button.center().y() + 0.5) * scale);
    const int x = int(std::lround(button.left() * scale));
    const QRgb a = shot.pixel(x - 1, y), b = shot.pixel(x, y);
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// The shot brought back to the size of the 100 % one.
QImage atNormalSize(const QImage &shot, const QSize &normal)
{
    return shot.scaled(normal, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

class Program {
public:
    Program()
    {
        m_folder = m_scratch.filePath(QStringLiteral("program"));
        m_source = m_scratch.filePath(QStringLiteral("pictures"));
        QDir().mkpath(m_folder);
        QDir().mkpath(m_source);
        m_program = m_folder + QStringLiteral("/tessarolith");
        m_ok = QFile::copy(QStringLiteral(TESS_BIN_DIR "/tessarolith"), m_program)
               && QFile::setPermissions(m_program, QFile::permissions(m_program) | QFileDevice::ExeOwner)
               && QFile::copy(QStringLiteral(TESS_CORPUS_DIR "/bmpsuite/g/pal4.bmp"), m_source + "/pal4.bmp")
               && SaveSettings(defaultSettings(m_scratch.filePath(QStringLiteral("out"))),
                               m_folder + QStringLiteral("/Tessarolith.ini"));
    }
    bool ok() const { return m_ok; }

    // Both windows, as a screen at this scale shows them.
    std::optional<Shots> shoot(qreal scale)
    {
        QProcess tessarolith;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
        tessarolith.setProcessEnvironment(env);
        tessarolith.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        std::optional<Shots> shots;
        if (const std::optional<QRect> main = startWithWindow(tessarolith, m_program, {m_source}, QStringLiteral("Tessarolith"))) {
            shots = shootWindows(scale, *main);
            ::kill(pid_t(tessarolith.processId()), SIGTERM);
        }
        if (!tessarolith.waitForFinished(kTimeoutMs))
            tessarolith.kill();
        return shots;
    }

private:
    std::optional<Shots> shootWindows(qreal scale, const QRect &main)
    {
        QTest::qWait(800); // the open animation and the listing
        Shots shots;
        shots.main = grabScreen(main);
        const QPoint button = main.topLeft() + (QPointF(kSettingsButton) * scale).toPoint();
        if (!clickAt(button, [](int ms) { QTest::qWait(ms); }))
            return std::nullopt;
        const std::optional<QRect> settings = windowGeometry(QCoreApplication::translate("SettingsWindow", "各種設定"));
        if (!settings)
            return std::nullopt;
        QTest::qWait(800);
        shots.settings = grabScreen(*settings);
        return shots;
    }

    QTemporaryDir m_scratch;
    QString m_folder, m_source, m_program;
    bool m_ok = false;
};

} // namespace

class ScreenScaleEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "xdotool is missing");
        QVERIFY(m_program.ok());
        // The program titles its settings window in the desktop's language; so
        // does this test when it looks for it.
        QVERIFY(installProgramTranslation(QCoreApplication::instance(), desktopUiLanguage()));
        m_normal = m_program.shoot(1);
        QVERIFY2(m_normal, "the windows did not show at 100 %");
        keepScreenshot(m_normal->main, QStringLiteral("scale-1-main"));
        keepScreenshot(m_normal->settings, QStringLiteral("scale-1-settings"));
    }

    void windowsKeepTheirLookAtEveryScale_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("125 %") << 1.25;
        QTest::newRow("150 %") << 1.5;
        QTest::newRow("200 %") << 2.0;
    }

    void windowsKeepTheirLookAtEveryScale()
    {
        QFETCH(qreal, scale);
        const std::optional<Shots> shots = m_program.shoot(scale);
        QVERIFY2(shots, "the windows did not show");
        const QString tag = QStringLiteral("scale-%1-").arg(scale);
        keepScreenshot(shots->main, tag + QStringLiteral("main"));
        keepScreenshot(shots->settings, tag + QStringLiteral("settings"));

        const std::map<QString, std::pair<QImage, QImage>> windows = {
            {QStringLiteral("main"), {m_normal->main, shots->main}},
            {QStringLiteral("settings"), {m_normal->settings, shots->settings}}};
        for (const auto &[name, pair] : windows) {
            const auto &[normal, scaled] = pair;
            // Every size and place is the scale times its own.
            const QSize expected = (QSizeF(normal.size()) * scale).toSize();
            QVERIFY2(std::abs(scaled.width() - expected.width()) <= 1 && std::abs(scaled.height() - expected.height()) <= 1,
                     qPrintable(name));
            const double apart = meanDifference(atNormalSize(scaled, normal.size()), normal);
            QVERIFY2(apart < 10, qPrintable(QStringLiteral("%1 window: %2 apart").arg(name).arg(apart)));
        }
        // A button's edge is as steep as at 100 %: not spread by stretching.
        for (const auto &[normal, scaled, button] :
             {std::tuple{m_normal->main, shots->main, kExit}, std::tuple{m_normal->settings, shots->settings, kSet}}) {
            const int at1 = edgeStep(normal, button, 1);
            const int here = edgeStep(scaled, button, scale);
            QVERIFY2(here * 10 >= at1 * 8, qPrintable(QStringLiteral("edge step %1 against %2").arg(here).arg(at1)));
        }
        if (scale == 2.0) {
            // The face left of the caption has the dense artwork's detail.
            const QRect face(2 * (kExit.left() + 1), 2 * (kExit.top() + 1), 2 * 18, 2 * 23);
            QVERIFY(unevenBlocks(shots->main.copy(face)) > 0.05);
        }
    }

private:
    Program m_program;
    std::optional<Shots> m_normal;
};

QTEST_MAIN(ScreenScaleEndToEnd)
#include "screen_scale_e2e.moc"
