// The printer selection window against per-port scripted link libraries.
#include "adjust/dialogs/messagebox.h"
#include "app/formboot.h"
#include "apptest.h"
#include "fakelink.h"
#include "runtimedir.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <grp.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using apptest::Choose;
using apptest::Items;
using novari_test::MakeSocketFile;

namespace
{
const QString NoAnswer = QStringLiteral("Communication error occurred.\nPlease confirm the power "
                                        "for printer and I/F cable connection.");
} // namespace

class FormBootTest : public QObject
{
    Q_OBJECT

private:
    QComboBox *Combo(const char *name) const { return boot_->findChild<QComboBox *>(name); }
    QPushButton *Button(const char *name) const { return boot_->findChild<QPushButton *>(name); }
    void Socket(const QString &name) { QVERIFY(MakeSocketFile(root_->filePath("ports/" + name))); }
    // Model, port item and destination chosen, then "OK".
    void ChooseAndOk(const QString &model, const QString &port, const QString &destination)
    {
        Choose(Combo("ModelNameCombo"), model);
        Choose(Combo("InterfaceCombo"), port);
        Choose(Combo("DestinationCombo"), destination);
        Button("PortSelectOKBtn")->click();
    }

    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<fake::Link> link_;
    std::unique_ptr<TPDLLFunction> dll_;
    std::unique_ptr<TFormBoot> boot_;

private slots:
    void initTestCase() { MessageBox::SetStandingAnswer(QMessageBox::Ok); }

    void init()
    {
        root_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(root_->filePath("ports")));
        QVERIFY(QDir().mkpath(root_->filePath("dev")));
        link_ = std::make_unique<fake::Link>();
        dll_ = std::make_unique<TPDLLFunction>(fake::Folder());
        QVERIFY(dll_->IsLoaded());
        boot_ = std::make_unique<TFormBoot>(*dll_);
        boot_->SetPortEnumeration(
            TPPortEnumeration(root_->filePath("ports"), root_->filePath("dev")));
        MessageBox::ClearHistory();
    }

    void cleanup()
    {
        boot_.reset();
        dll_.reset();
        link_.reset();
        root_.reset();
    }

    void portCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("USB001") << "USB001" << 0x0401;
        QTest::newRow("NVUSB001") << "NVUSB001" << 0x0401;
        QTest::newRow("NVUSB002") << "NVUSB002" << 0x0402;
        QTest::newRow("with model name") << "USB001 (Halden Photo Q510)" << 0x0401;
        QTest::newRow("LPT1:") << "LPT1:" << 0x0480;
        QTest::newRow("LPT12:") << "LPT12:" << 0x048B;
        QTest::newRow("three digits only") << "USB0123" << 0x040C;
        QTest::newRow("no digits") << "USBX" << 0x0400;
        QTest::newRow("sign is no digit") << "USB-1" << 0x0400;
        QTest::newRow("other") << "COM1" << 0x0503;
        QTest::newRow("auto") << "Auto Selection" << 0x0503;
    }
    void portCodes()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        QCOMPARE(int(TFormBoot::PortCodeOf(text)), code);
    }

    void showListsPortsWithModelNamesAndClosesEveryPort()
    {
        for (const char *name : {"USB001", "USB002", "NVUSB003", "LPT1:", "COM1", "usb004"})
            Socket(name);
        link_->AddPort(0x0401, 1, 1, "Halden Photo Q510");
        link_->AddPort(0x0402, 1, 1, nullptr); // answers, but not with its name
        link_->AddPort(0x0403, 0x1000, 1, "Halden Photo Q510");
        link_->AddPort(0x0480, 1, 1, "Halden Photo Q530");
        boot_->show();

        QComboBox *ports = Combo("InterfaceCombo");
        QCOMPARE(Items(ports), QStringList({"Auto Selection", "LPT1: (Halden Photo Q530)",
                                            "NVUSB003", "USB001 (Halden Photo Q510)", "USB002"}));
        QCOMPARE(ports->currentIndex(), 0);
        QCOMPARE(Combo("ModelNameCombo")->currentIndex(), -1);
        QCOMPARE(Combo("DestinationCombo")->currentIndex(), -1);
        QVERIFY(!link_->PortIsOpen());
        // Only the printer ports were asked, each once.
        const QStringList calls = link_->GateCalls();
        QCOMPARE(calls.filter("GateOpenPort:").size(), 4);
        QVERIFY(!calls.contains("GateOpenPort:0503"));
        QVERIFY(!calls.contains("GateOpenPort:0404"));
    }

    void showWithoutPrinterPortsListsOnlyAutoSelection()
    {
        Socket("COM1");
        Socket("usb001");
        boot_->show();
        QCOMPARE(Items(Combo("InterfaceCombo")), QStringList({"Auto Selection"}));
        QVERIFY(link_->GateCalls().filter("GateOpenPort:").isEmpty());
    }

    void failedEnumerationLeavesTheList()
    {
        Socket("USB001");
        link_->AddPort(0x0401, 1, 1, "Halden Photo Q510");
        boot_->show();
        Choose(Combo("ModelNameCombo"), "Halden Photo Q530");
        Choose(Combo("InterfaceCombo"), "USB001 (Halden Photo Q510)");
        boot_->hide();

        const QString loop = root_->filePath("loop");
        QVERIFY(QFile::link(loop, loop));
        boot_->SetPortEnumeration(TPPortEnumeration(loop, root_->filePath("dev")));
        boot_->show();
        QCOMPARE(Items(Combo("InterfaceCombo")),
                 QStringList({"Auto Selection", "USB001 (Halden Photo Q510)"}));
        QCOMPARE(Combo("InterfaceCombo")->currentIndex(), 0);
        QCOMPARE(Combo("ModelNameCombo")->currentIndex(), -1);
    }

    void destinationsFollowTheModel()
    {
        boot_->show();
        QComboBox *destinations = Combo("DestinationCombo");
        QCOMPARE(Items(destinations), QStringList({"North America / West Euro", "Asia"}));
        Choose(Combo("ModelNameCombo"), "Halden Photo Q510");
        QCOMPARE(Items(destinations), QStringList({"US/Euro", "Latin"}));
        Choose(destinations, "Latin");
        Choose(Combo("ModelNameCombo"), "Halden Photo Q530");
        QCOMPARE(Items(destinations), QStringList({"Asia", "EAL"}));
        QCOMPARE(destinations->currentIndex(), -1);
    }

    void okWithAListUnchosenDoesNothing()
    {
        Socket("USB001");
        link_->AddPort(0x0401, 1, 1, "Halden Photo Q510");
        boot_->show();
        QSignalSpy opened(boot_.get(), &TFormBoot::PrinterOpened);
        const QStringList before = link_->GateCalls();

        Choose(Combo("ModelNameCombo"), "Halden Photo Q510"); // no destination yet
        Button("PortSelectOKBtn")->click();
        Combo("ModelNameCombo")->setCurrentIndex(-1);
        Choose(Combo("DestinationCombo"), "US/Euro"); // destination, but no model now
        Button("PortSelectOKBtn")->click();

        QCOMPARE(link_->GateCalls(), before);
        QVERIFY(link_->ChanCalls().isEmpty());
        QVERIFY(MessageBox::History().isEmpty());
        QCOMPARE(opened.count(), 0);
        QVERIFY(boot_->isVisible());
        QCOMPARE(int(boot_->Selection().ModelCode), int(TPSelection::NoModel));
    }

    void okOpensThePortChecksTheIdAndOpensTheChannel()
    {
        Socket("USB001");
        Socket("NVUSB002");
        link_->AddPort(0x0401, 1, 1, "Halden Photo Q510");
        link_->AddPort(0x0402, 1, 1, "Halden Photo Q530");
        boot_->show();
        QSignalSpy opened(boot_.get(), &TFormBoot::PrinterOpened);
        const int before = link_->GateCalls().size();

        ChooseAndOk("Halden Photo Q530", "NVUSB002 (Halden Photo Q530)", "EAL");

        QCOMPARE(link_->GateCalls().mid(before),
                 QStringList({"GateClosePort", "GateOpenPort:0402", "GateGetIoError",
                              "GateCheckDeviceId"}));
        QCOMPARE(link_->ChanCalls(), QStringList({"ChanSetCommandCode:5EA7", "ChanOpen"}));
        QCOMPARE(opened.count(), 1);
        QVERIFY(!boot_->isVisible());
        QVERIFY(MessageBox::History().isEmpty());
        const TPSelection &selection = boot_->Selection();
        QCOMPARE(int(selection.ModelCode), 2);
        QCOMPARE(int(selection.PortCode), 0x0402);
        QCOMPARE(selection.Destination, QString("EAL"));
        QCOMPARE(selection.DestinationCode(), 3);
    }

    void okAcceptsAPrinterOfAnotherModel()
    {
        Socket("USB001");
        link_->AddPort(0x0401, 1, 0x1001, "Other Printer 9");
        boot_->show();
        QSignalSpy opened(boot_.get(), &TFormBoot::PrinterOpened);
        ChooseAndOk("Halden Photo Q510", "USB001 (Other Printer 9)", "US/Euro");
        QCOMPARE(opened.count(), 1);
        QCOMPARE(int(boot_->Selection().ModelCode), 1);
        QCOMPARE(boot_->Selection().DestinationCode(), 0);
    }

    void autoSelectionSkipsAPrinterOfAnotherModel()
    {
        Socket("NVUSB001");
        Socket("USB002");
        Socket("USB003");
        link_->AddPort(0x0401, 1, 0x1001, "Other Printer 9");
        link_->AddPort(0x0402, 1, 0x1100, nullptr); // answers nonsense
        link_->AddPort(0x0403, 1, 1, "Halden Photo Q510");
        boot_->show();
        QSignalSpy opened(boot_.get(), &TFormBoot::PrinterOpened);
        const int before = link_->GateCalls().size();

        ChooseAndOk("Halden Photo Q510", "Auto Selection", "Latin");

        QCOMPARE(int(boot_->Selection().PortCode), 0x0403);
        QCOMPARE(
            link_->GateCalls().mid(before),
            QStringList({"GateOpenPort:0401", "GateGetIoError", "GateCheckDeviceId",
                         "GateClosePort", "GateOpenPort:0402", "GateGetIoError",
                         "GateCheckDeviceId", "GateClosePort", "GateOpenPort:0403",
                         "GateGetIoError", "GateCheckDeviceId", "GateClosePort", "GateClosePort",
                         "GateOpenPort:0403", "GateGetIoError", "GateCheckDeviceId"}));
        QCOMPARE(opened.count(), 1);
    }

    void autoSelectionWithoutASupportedPrinterGivesNoPort()
    {
        Socket("USB001");
        link_->AddPort(0x0401, 1, 0x1001, "Other Printer 9");
        boot_->show();
        QCOMPARE(int(boot_->AutoSelection()), 0x0503);
        QVERIFY(!link_->PortIsOpen());

        ChooseAndOk("Halden Photo Q510", "Auto Selection", "US/Euro");
        QCOMPARE(int(boot_->Selection().PortCode), 0x0503);
        QCOMPARE(MessageBox::History().size(), 1);
        QCOMPARE(MessageBox::History().first().text, NoAnswer);
        QVERIFY(boot_->isVisible());
    }

    void okErrors_data()
    {
        QTest::addColumn<int>("openResult");
        QTest::addColumn<int>("checkResult");
        QTest::addColumn<int>("channelResult");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("channelCalls");
        QTest::newRow("port does not open")
            << 0x1000 << 1 << 1 << NoAnswer << QStringList({"ChanSetCommandCode:5EA7"});
        QTest::newRow("device ID not well formed")
            << 1 << 0x1100 << 1 << NoAnswer << QStringList({"ChanSetCommandCode:5EA7"});
        QTest::newRow("device ID not read")
            << 1 << 0x1000 << 1 << NoAnswer << QStringList({"ChanSetCommandCode:5EA7"});
        QTest::newRow("channel does not open")
            << 1 << 1 << 0x2000 << QString("Communication error occurred.")
            << QStringList({"ChanSetCommandCode:5EA7", "ChanOpen"});
    }
    void okErrors()
    {
        QFETCH(int, openResult);
        QFETCH(int, checkResult);
        QFETCH(int, channelResult);
        QFETCH(QString, text);
        QFETCH(QStringList, channelCalls);
        Socket("USB001");
        link_->AddPort(0x0401, uint16_t(openResult), uint16_t(checkResult), "Halden Photo Q510");
        link_->SetChanOpenResult(uint16_t(channelResult));
        boot_->show();
        QSignalSpy opened(boot_.get(), &TFormBoot::PrinterOpened);

        // A port that does not open is listed without a model name.
        ChooseAndOk("Halden Photo Q510", openResult == 1 ? "USB001 (Halden Photo Q510)" : "USB001",
                    "US/Euro");

        QCOMPARE(MessageBox::History().size(), 1);
        const MessageBox::Shown &box = MessageBox::History().first();
        QCOMPARE(box.caption, QString("Error!"));
        QCOMPARE(box.text, text);
        QCOMPARE(box.icon, MessageBox::Error);
        QCOMPARE(link_->ChanCalls(), channelCalls);
        QCOMPARE(opened.count(), 0);
        QVERIFY(boot_->isVisible());
        QVERIFY(Button("PortSelectOKBtn")->isEnabled());
        QVERIFY(!QApplication::overrideCursor()); // the hourglass is gone
        QCOMPARE(int(boot_->Selection().PortCode), 0x0401);
    }

    // A printer's device node the user may not open: the message names the node and the
    // remedy. The probe plays a user who is neither the node's owner nor in its group (the
    // tests may run as root, for whom every node opens).
    void deniedDeviceNodeNamesTheRemedy_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("virtualPrinter");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("remedy"); // empty: the plain communication error
        const QString join = "Add your user to the group 'lp' (sudo adduser $USER lp) and log in "
                             "again.";
        const QString ask = "Ask your administrator to give your user read and write access to it.";
        QTest::newRow("group lp may write") << 0660 << "lp" << false << "USB001" << join;
        QTest::newRow("auto selection") << 0660 << "lp" << false << "Auto Selection" << join;
        QTest::newRow("only its owner may write") << 0600 << "lp" << false << "USB001" << ask;
        QTest::newRow("group root") << 0660 << "root" << false << "USB001" << ask;
        QTest::newRow("everyone may write") << 0666 << "lp" << false << "USB001" << QString();
        QTest::newRow("virtual printer on the code")
            << 0600 << "lp" << true << "USB001" << QString();
    }
    void deniedDeviceNodeNamesTheRemedy()
    {
        QFETCH(int, mode);
        QFETCH(QString, group);
        QFETCH(bool, virtualPrinter);
        QFETCH(QString, port);
        QFETCH(QString, remedy);
        const QString node = root_->filePath("dev/usb/lp0");
        QVERIFY(QDir().mkpath(root_->filePath("dev/usb")));
        QFile file(node);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const struct group *entry = getgrnam(group.toLatin1().constData());
        if (!entry || chown(QFile::encodeName(node).constData(), 65534, entry->gr_gid) != 0)
            QSKIP("the test cannot give a file another owner and group");
        QVERIFY(chmod(QFile::encodeName(node).constData(), mode_t(mode)) == 0);
        if (virtualPrinter)
            Socket("USB001");
        link_->AddPort(0x0401, 0x1000, 1, nullptr); // the port does not open
        TPPortEnumeration ports(root_->filePath("ports"), root_->filePath("dev"));
        ports.SetAccessProbe([](const QByteArray &path) {
            struct stat info {
            };
            const mode_t others = S_IROTH | S_IWOTH;
            return stat(path.constData(), &info) == 0 && (info.st_mode & others) == others ? 0
                                                                                           : EACCES;
        });
        boot_->SetPortEnumeration(ports);
        boot_->show();

        ChooseAndOk("Halden Photo Q510", port, "US/Euro");

        QCOMPARE(MessageBox::History().size(), 1);
        const QString expected =
            remedy.isEmpty() ? NoAnswer : "Cannot open " + node + ": permission denied. " + remedy;
        QCOMPARE(MessageBox::History().first().text, expected);
    }

    void rightClickOnTheSurfacePopsUpVersion()
    {
        boot_->show();
        QVERIFY(QTest::qWaitForWindowExposed(boot_.get()));
        QMenu *menu = boot_->PopupMenu1();
        const QPoint surface(6, 6);
        QVERIFY(boot_->childAt(surface) == nullptr);
        QTest::mouseRelease(boot_.get(), Qt::RightButton, {}, surface);
        QTRY_VERIFY(menu->isVisible());
        const QRect frame = boot_->frameGeometry();
        QCOMPARE(menu->pos(), QPoint(frame.left() + 6 + 3, frame.top() + 6 + 20));
        menu->hide();

        // Over a control, or with the left button, nothing pops up.
        QComboBox *ports = Combo("InterfaceCombo");
        QTest::mouseRelease(boot_.get(), Qt::RightButton, {},
                            ports->mapTo(boot_.get(), ports->rect().center()));
        QTest::mouseRelease(boot_.get(), Qt::LeftButton, {}, surface);
        QVERIFY(!menu->isVisible());

        // The menu key opens it as a right click at the window's corner would.
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                              boot_->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(boot_.get(), &key);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), QPoint(frame.left() + 3, frame.top() + 20));
        menu->hide();

        QSignalSpy version(boot_.get(), &TFormBoot::VersionRequested);
        QAction *item = menu->findChild<QAction *>("MenuVersion");
        QVERIFY(item);
        QCOMPARE(item->text(), QString("Version"));
        item->trigger();
        QCOMPARE(version.count(), 1);
    }

    void quitClosesThePortAndEnds()
    {
        boot_->show();
        QSignalSpy closed(boot_.get(), &TFormBoot::Closed);
        QTest::keyClick(boot_.get(), Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!boot_->isVisible());
        QCOMPARE(link_->GateCalls().last(), QString("GateClosePort"));
    }
};

QTEST_MAIN(FormBootTest)
#include "formboot_test.moc"
