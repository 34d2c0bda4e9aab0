// Start-up, the window set, the version and quit windows and shutdown, with the per-port
// scripted link libraries.
#include "adjust/dialogs/messagebox.h"
#include "adjust/formadjust.h"
#include "app/formabout.h"
#include "app/formboot.h"
#include "app/formquit.h"
#include "app/startup.h"
#include "apptest.h"
#include "fakelink.h"
#include "link/wait.h"
#include "runtimedir.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

using apptest::Choose;
using apptest::Items;
using novari_test::MakeSocketFile;

namespace
{
const QString MissingLibraries =
    QStringLiteral("Not found DLL files.\nThis program will be shut down.");

QList<QWidget *> VisibleWindows()
{
    QList<QWidget *> visible;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            visible << widget;
    }
    return visible;
}
} // namespace

class ShellTest : public QObject
{
    Q_OBJECT

private:
    // A run started in-process on the scripted libraries, one printer on USB001.
    void Start()
    {
        runtime_ = std::make_unique<novari_test::RuntimeDir>();
        QVERIFY(MakeSocketFile(runtime_->PortDirectory() + "/USB001"));
        link_ = std::make_unique<fake::Link>();
        link_->AddPort(0x0401, 1, 1, "Halden Photo Q510");
        link_->AddPort(0x0402, 1, 1, "Halden Photo Q530");
        shell_ = std::make_unique<TStartUp>(fake::Folder());
        QVERIFY(shell_->CreateObjects());
        shell_->CreateWindows();
    }
    TFormBoot *Boot() const { return shell_->Windows().boot; }
    QComboBox *Combo(const char *name) const { return Boot()->findChild<QComboBox *>(name); }
    void OpenPrinter(const QString &port)
    {
        Choose(Combo("ModelNameCombo"), "Halden Photo Q510");
        Choose(Combo("InterfaceCombo"), port);
        Choose(Combo("DestinationCombo"), "US/Euro");
        Boot()->findChild<QPushButton *>("PortSelectOKBtn")->click();
    }
    void ExpectOnlyVisible(QWidget *window)
    {
        QCOMPARE(VisibleWindows(), QList<QWidget *>({window}));
    }

    std::unique_ptr<novari_test::RuntimeDir> runtime_;
    std::unique_ptr<fake::Link> link_;
    std::unique_ptr<TStartUp> shell_;

private slots:
    void initTestCase()
    {
        MessageBox::SetStandingAnswer(QMessageBox::Ok);
        Wait::SetHandler([](int) {});
    }

    void init() { MessageBox::ClearHistory(); }

    void cleanup()
    {
        shell_.reset();
        link_.reset();
        runtime_.reset();
    }

    void missingLibraryStopsTheStartUp_data()
    {
        QTest::addColumn<QString>("present");
        QTest::newRow("channel library missing") << "libportgate.so";
        QTest::newRow("port library missing") << "libchanlink.so";
        QTest::newRow("both missing") << "";
    }
    void missingLibraryStopsTheStartUp()
    {
        QFETCH(QString, present);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        if (!present.isEmpty())
            QVERIFY(QFile::copy(fake::Folder() + "/" + present, folder.filePath(present)));

        QCOMPARE(TStartUp::Run(folder.path()), 0);

        QCOMPARE(MessageBox::History().size(), 1);
        const MessageBox::Shown &box = MessageBox::History().first();
        QCOMPARE(box.text, MissingLibraries);
        QCOMPARE(box.caption, QString());
        QCOMPARE(box.icon, MessageBox::Error);
        QVERIFY(VisibleWindows().isEmpty());
    }

    void runShowsTheSelectionWindowAndEndsWithIt()
    {
        runtime_ = std::make_unique<novari_test::RuntimeDir>();
        link_ = std::make_unique<fake::Link>();
        bool shownAtStart = false;
        bool waitKeptEventsFlowing = false;
        QTimer::singleShot(0, [&] {
            QWidget *boot = nullptr;
            for (QWidget *window : VisibleWindows())
                boot = window->objectName() == "FormBoot" ? window : boot;
            shownAtStart = boot && VisibleWindows().size() == 1;
            // The program's waits run the event loop: a timer fires during one.
            bool ticked = false;
            QTimer::singleShot(10, [&ticked] { ticked = true; });
            QElapsedTimer clock;
            clock.start();
            Wait::For(60);
            waitKeptEventsFlowing = ticked && clock.elapsed() >= 55;
            if (boot)
                boot->findChild<QPushButton *>("EndBtn")->click();
            else
                QCoreApplication::exit(1);
        });

        QCOMPARE(TStartUp::Run(fake::Folder()), 0);
        Wait::SetHandler([](int) {});

        QVERIFY(shownAtStart);
        QVERIFY(waitKeptEventsFlowing);
        QVERIFY(MessageBox::History().isEmpty());
        QVERIFY(VisibleWindows().isEmpty());
        QCOMPARE(link_->GateCalls().last(), QString("GateClosePort"));
    }

    void windowsAreCreatedOnceAndTheSelectionWindowShows()
    {
        Start();
        const TPWindows &windows = shell_->Windows();
        QVERIFY(windows.boot && windows.adjust && windows.about && windows.quit);
        QCOMPARE(shell_->CurrentState(), TStartUp::Selecting);
        ExpectOnlyVisible(windows.boot);
        QCOMPARE(windows.boot->windowTitle(), QString("NOVARI printer adjustment program"));
        QCOMPARE(windows.about->windowTitle(), QString("Version"));
        QCOMPARE(windows.quit->windowTitle(), QString("Adjustment program"));
        QCOMPARE(QCoreApplication::applicationName(), QString("Adjustment program"));
        QVERIFY(Items(Combo("InterfaceCombo")).contains("USB001 (Halden Photo Q510)"));
        QVERIFY(shell_->Program().dll.IsLoaded());

        QStringList texts;
        for (QLabel *label : windows.about->findChildren<QLabel *>())
            texts << label->text();
        for (const char *text : {"Halden Photo Q510/Q530", "Adjustment Program",
                                 "for Windows 98/Me/2000/XP", "Version 1.2"})
            QVERIFY2(texts.contains(text), text);
        QLabel *picture = windows.about->findChild<QLabel *>("ProgramIcon");
        QVERIFY(picture);
        QCOMPARE(picture->pixmap().size(), QSize(64, 64));
    }

    void continueReturnsToARebuiltSelectionWindow()
    {
        Start();
        TFormQuit *quit = shell_->Windows().quit;
        OpenPrinter("USB001 (Halden Photo Q510)");
        QCOMPARE(shell_->CurrentState(), TStartUp::Adjusting);
        ExpectOnlyVisible(shell_->Windows().adjust);

        shell_->Windows().adjust->close();
        QCOMPARE(shell_->CurrentState(), TStartUp::Confirming);
        ExpectOnlyVisible(quit);
        QCOMPARE(quit->findChild<QLabel *>("Label1")->text(), QString("Do you continue?"));
        QVERIFY(!link_->PortIsOpen());

        // A second printer plugged in meanwhile shows up in the rebuilt list.
        QVERIFY(MakeSocketFile(runtime_->PortDirectory() + "/USB002"));
        quit->findChild<QPushButton *>("NextBtn")->click();
        QCOMPARE(shell_->CurrentState(), TStartUp::Selecting);
        ExpectOnlyVisible(Boot());
        QCOMPARE(Items(Combo("InterfaceCombo")),
                 QStringList({"Auto Selection", "USB001 (Halden Photo Q510)",
                              "USB002 (Halden Photo Q530)"}));
        QCOMPARE(Combo("InterfaceCombo")->currentIndex(), 0);
        QCOMPARE(Combo("ModelNameCombo")->currentIndex(), -1);
        QCOMPARE(Combo("DestinationCombo")->currentIndex(), -1);
        // The stored choices stay until the next "OK".
        QCOMPARE(int(Boot()->Selection().PortCode), 0x0401);

        OpenPrinter("USB002 (Halden Photo Q530)");
        QCOMPARE(shell_->CurrentState(), TStartUp::Adjusting);
        QCOMPARE(int(Boot()->Selection().PortCode), 0x0402);
    }

    void quitWindowEndsTheProgram_data()
    {
        QTest::addColumn<bool>("byFrame");
        QTest::newRow("Quit button") << false;
        QTest::newRow("frame close") << true;
    }
    void quitWindowEndsTheProgram()
    {
        QFETCH(bool, byFrame);
        Start();
        TFormQuit *quit = shell_->Windows().quit;
        OpenPrinter("USB001 (Halden Photo Q510)");
        shell_->Windows().adjust->close();
        QCOMPARE(shell_->CurrentState(), TStartUp::Confirming);
        const int before = link_->GateCalls().size();

        if (byFrame)
            quit->close();
        else
            quit->findChild<QPushButton *>("QuitBtn")->click();

        QCOMPARE(shell_->CurrentState(), TStartUp::Ended);
        QVERIFY(VisibleWindows().isEmpty());
        // The selection window's close closes the port.
        QCOMPARE(link_->GateCalls().mid(before), QStringList({"GateClosePort"}));
    }

    void selectionWindowQuitEndsTheProgram()
    {
        Start();
        Boot()->findChild<QPushButton *>("EndBtn")->click();
        QCOMPARE(shell_->CurrentState(), TStartUp::Ended);
        QVERIFY(VisibleWindows().isEmpty());
        QCOMPARE(link_->GateCalls().last(), QString("GateClosePort"));
    }
};

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
