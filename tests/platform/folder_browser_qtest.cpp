// The folder browsers and the colour dialog as the user meets them: Japanese
// texts, the instruction inside the dialog, the tree opened at the desktop or
// home folder, and Qt's shared settings file left alone.
#include "app/main_window.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/folder_browser.h"
#include "platform/ui/qt_environment.h"
#include "settings/ui/settings_window.h"
#include "support/file_bytes.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <functional>

using namespace tess;
using test_files::kUnreadable;
using test_files::readBytes;

namespace {

// Runs answer on the first modal dialog that opens (polled, as a person would).
void whenModal(std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

QStringList childNames(QTreeView *tree, const QString &folder)
{
    auto *model = qobject_cast<QFileSystemModel *>(tree->model());
    const QModelIndex parent = model->index(folder);
    // The model reads folders on a thread of its own; wait for it to settle.
    tree->expand(parent);
    if (model->canFetchMore(parent))
        model->fetchMore(parent);
    if (!QTest::qWaitFor([&] { return model->rowCount(parent) > 0; }, 5000))
        return {};
    QTest::qWait(100);
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
        names << model->fileName(model->index(row, 0, parent));
    names.sort();
    return names;
}

} // namespace

class FolderBrowserTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_config;

    QString at(const QString &relative) const { return m_home.filePath(relative); }

private slots:
    void initTestCase()
    {
        // A home of the test's own, so "the desktop folder" and Qt's settings
        // file are files the test controls.
        QVERIFY(m_home.isValid());
        m_config = at(QStringLiteral(".config"));
        QVERIFY(QDir().mkpath(m_config));
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config));
        QVERIFY(installQtTranslations(QCoreApplication::instance(), UiLanguage::Japanese));
    }

    void qtTextsAreJapanese_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("japanese");
        QTest::newRow("cancel button") << "QPlatformTheme" << "Cancel" << "キャンセル";
        QTest::newRow("context menu copy") << "QLineEdit" << "&Copy" << "コピー(&C)";
        QTest::newRow("colour dialog") << "QColorDialog" << "&Basic colors" << "基本カラー(&B)";
    }

    void qtTextsAreJapanese()
    {
        QFETCH(QString, context);
        QFETCH(QString, english);
        QFETCH(QString, japanese);
        const QString shown = QCoreApplication::translate(context.toLatin1().constData(), english.toLatin1().constData());
        QCOMPARE(shown, japanese);
    }

    void startsAtTheDesktopOrHome_data()
    {
        QTest::addColumn<bool>("desktopMade");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no desktop folder") << false << "";
        QTest::newRow("desktop folder") << true << "Desktop";
    }

    void startsAtTheDesktopOrHome()
    {
        QFETCH(bool, desktopMade);
        QFETCH(QString, expected);
        const QString desktop = at(QStringLiteral("Desktop"));
        if (desktopMade)
            QVERIFY(QDir().mkpath(desktop));
        else
            QDir(desktop).removeRecursively();
        const QString start = QDir::cleanPath(expected.isEmpty() ? m_home.path() : at(expected));

        QCOMPARE(FolderBrowser::startFolder(), start);
        FolderBrowser browser(nullptr, MainWindow::sourceFolderPickerTitle());
        QCOMPARE(browser.selectedFolder(), start);
        QVERIFY(browser.okButton()->isEnabled());
        // Opened there: the start folder's row is in view once the tree has
        // read the folders above it, however many rows they added (the home
        // folder's own rows sort before its desktop folder's).
        for (const char *name : {"a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a9", "b1", "b2", "b3",
                                 "b4", "b5", "b6", "b7", "b8", "b9", "c1", "c2", "c3", "c4", "c5", "c6"})
            QVERIFY(QDir().mkpath(at(QString::fromLatin1(name))));
        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        QTest::qWait(300);
        const QRect row = browser.tree()->visualRect(browser.tree()->currentIndex());
        QVERIFY2(browser.tree()->viewport()->rect().contains(row), qPrintable(QStringLiteral("row at %1").arg(row.top())));
        QDir(desktop).removeRecursively();
    }

    void showsTheInstructionAndJapaneseButtons_data()
    {
        QTest::addColumn<QString>("instruction");
        QTest::newRow("source folder") << MainWindow::sourceFolderPickerTitle();
        QTest::newRow("save folder") << SettingsWindow::saveFolderPickerTitle();
    }

    void showsTheInstructionAndJapaneseButtons()
    {
        QFETCH(QString, instruction);
        FolderBrowser browser(nullptr, instruction);
        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        QCOMPARE(browser.windowTitle(), QStringLiteral("フォルダーの参照"));
        QCOMPARE(browser.instructionLabel()->text(), instruction);
        QVERIFY(browser.instructionLabel()->isVisible());
        QVERIFY(browser.instructionLabel()->geometry().bottom() < browser.tree()->geometry().top());
        QCOMPARE(browser.okButton()->text(), QStringLiteral("OK"));
        QCOMPARE(browser.cancelButton()->text(), QStringLiteral("キャンセル"));
        QVERIFY(browser.okButton()->isVisible() && browser.cancelButton()->isVisible());
    }

    void treeHoldsOnlyVisibleFolders()
    {
        const QString root = at(QStringLiteral("tree"));
        for (const char *folder : {"tree/b-folder", "tree/A-folder", "tree/.hidden"})
            QVERIFY(QDir().mkpath(at(QString::fromLatin1(folder))));
        QFile picture(at(QStringLiteral("tree/photo.jpg")));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.close();

        FolderBrowser browser(nullptr, MainWindow::sourceFolderPickerTitle());
        QCOMPARE(childNames(browser.tree(), root), (QStringList{"A-folder", "b-folder"}));
        QVERIFY(!browser.selectFolder(at(QStringLiteral("tree/.hidden"))));
        QVERIFY(!browser.selectFolder(at(QStringLiteral("tree/photo.jpg"))));
        QVERIFY(!browser.selectFolder(at(QStringLiteral("tree/missing"))));
        QVERIFY(browser.selectFolder(at(QStringLiteral("tree/b-folder"))));
        QCOMPARE(browser.selectedFolder(), QDir::cleanPath(at(QStringLiteral("tree/b-folder"))));
    }

    void okGivesTheChosenFolderAndCancelNothing_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("OK") << true;
        QTest::newRow("cancel") << false;
    }

    void okGivesTheChosenFolderAndCancelNothing()
    {
        QFETCH(bool, confirm);
        const QString chosen = at(QStringLiteral("chosen"));
        QVERIFY(QDir().mkpath(chosen));
        QString seenInstruction;
        whenModal([&](QWidget *modal) {
            auto *browser = qobject_cast<FolderBrowser *>(modal);
            if (!browser) {
                modal->close();
                return;
            }
            seenInstruction = browser->instructionLabel()->text();
            browser->selectFolder(chosen);
            QTest::mouseClick(confirm ? browser->okButton() : browser->cancelButton(), Qt::LeftButton);
        });
        const std::optional<QString> answer = dialogs().pickFolder(nullptr, SettingsWindow::saveFolderPickerTitle());
        QCOMPARE(seenInstruction, SettingsWindow::saveFolderPickerTitle());
        if (confirm)
            QCOMPARE(answer, std::optional<QString>(QDir::cleanPath(chosen)));
        else
            QVERIFY(!answer.has_value());
    }

    // Both browsers and the colour dialog, with and without a QtProject file of
    // another Qt program's making: the file, and the folder it lives in, stay
    // as they were; the colour dialog still starts from 16 white colours.
    void qtSettingsFileIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("existing"); // empty: no file
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("another program's colours")
            << QByteArray("[Qt]\ncustomColors\\0=4278190335\ncustomColors\\1=4278255360\n"
                          "filedialog=@ByteArray(\\0\\0\\0\\xff\\0\\0\\0\\x4)\n");
    }

    void qtSettingsFileIsLeftAlone()
    {
        QFETCH(QByteArray, existing);
        const QString file = m_config + QStringLiteral("/QtProject.conf");
        QFile::remove(file);
        if (!existing.isEmpty()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(existing);
        }
        const QStringList before = QDir(m_config).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        for (const QString &title : {MainWindow::sourceFolderPickerTitle(), SettingsWindow::saveFolderPickerTitle()}) {
            whenModal([](QWidget *modal) {
                if (auto *browser = qobject_cast<FolderBrowser *>(modal))
                    QTest::mouseClick(browser->okButton(), Qt::LeftButton);
                else
                    modal->close();
            });
            QVERIFY(dialogs().pickFolder(nullptr, title).has_value());
        }

        QList<QRgb> customShown;
        QStringList buttonTexts;
        whenModal([&](QWidget *modal) {
            for (int i = 0; i < QColorDialog::customCount(); ++i)
                customShown << QColorDialog::customColor(i).rgb();
            for (const QPushButton *button : modal->findChildren<QPushButton *>())
                buttonTexts << button->text();
            // A colour the user defines goes into the dialog's table...
            QColorDialog::setCustomColor(0, QColor(1, 2, 3));
            if (auto *dialog = qobject_cast<QColorDialog *>(modal))
                dialog->setCurrentColor(QColor(10, 20, 30));
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->accept();
        });
        QCOMPARE(dialogs().pickColour(nullptr, 0x00FFFFFF), std::int32_t(10 | (20 << 8) | (30 << 16)));
        QCOMPARE(customShown, QList<QRgb>(QColorDialog::customCount(), qRgb(255, 255, 255)));
        QVERIFY2(buttonTexts.contains(QStringLiteral("キャンセル")), qPrintable(buttonTexts.join(u'|')));
        // ...and is gone at the next call.
        whenModal([&](QWidget *modal) {
            customShown = {QColorDialog::customColor(0).rgb()};
            modal->close();
        });
        QCOMPARE(dialogs().pickColour(nullptr, 0), -1);
        QCOMPARE(customShown, QList<QRgb>{qRgb(255, 255, 255)});

        QCOMPARE(QDir(m_config).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        if (existing.isEmpty())
            QVERIFY(!QFile::exists(file));
        else
            QCOMPARE(readBytes(file, kUnreadable), existing);
    }
};

QTEST_MAIN(FolderBrowserTest)
#include "folder_browser_qtest.moc"
