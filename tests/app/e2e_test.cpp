// The selection window, version and quit windows end to end: the real link libraries and
// virtual printers on a private port directory.
#include "adjust/dialogs/messagebox.h"
#include "adjust/formadjust.h"
#include "app/formabout.h"
#include "app/formboot.h"
#include "app/formquit.h"
#include "app/startup.h"
#include "apptest.h"
#include "link/dllfunction.h"
#include "link/wait.h"
#include "runtimedir.h"
#include "virtualprinter.h"

#include "linkframe.h"

#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using apptest::Choose;
using apptest::Items;
using novari_test::RuntimeDir;
using novari_test::VirtualPrinter;

namespace
{
// Another program asks the printer for its device ID on a connection of its own: true when
// the printer answers, false when it reports that it serves someone else (or does not answer).
bool AnswersAnotherProgram(const QString &socketPath)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    memcpy(address.sun_path, path.constData(),
           qMin(size_t(path.size()), sizeof address.sun_path - 1));
    uint8_t frame[LINK_MAX_FRAME];
    const size_t size = link_frame_build(LINK_OP_DEVICE_ID, 7, nullptr, 0, frame);
    bool answered = false;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        send(fd, frame, size, MSG_NOSIGNAL) == ssize_t(size)) {
        link_decoder decoder;
        link_decoder_reset(&decoder);
        pollfd waiting{fd, POLLIN, 0};
        uint8_t byte = 0;
        while (!answered && poll(&waiting, 1, 2000) > 0 && read(fd, &byte, 1) == 1) {
            if (link_decoder_feed(&decoder, byte) == LINK_DECODE_FRAME)
                answered = link_decoder_kind(&decoder) == (LINK_OP_DEVICE_ID | LINK_REPLY_BIT);
        }
    }
    close(fd);
    return answered;
}

VirtualPrinter::Options Printer(const char *port, const char *model)
{
    VirtualPrinter::Options options;
    options.port = QString::fromLatin1(port);
    options.model = QString::fromLatin1(model);
    options.timeScale = 0.01;
    return options;
}
} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private:
    // Printers first (so the first show lists them), then the program's objects and windows.
    void StartPrinter(const VirtualPrinter::Options &options)
    {
        printers_.push_back(std::make_unique<VirtualPrinter>(*runtime_, options));
        QVERIFY2(printers_.back()->Start(), qPrintable(printers_.back()->ErrorText()));
    }
    void StartProgram()
    {
        shell_ = std::make_unique<TStartUp>(TPDLLFunction::ExecutableFolder());
        QVERIFY2(shell_->CreateObjects(), "the link libraries are not in the test's folder");
        shell_->CreateWindows();
    }
    TFormBoot *Boot() const { return shell_->Windows().boot; }
    QComboBox *Combo(const char *name) const { return Boot()->findChild<QComboBox *>(name); }
    void Ok(const QString &model, const QString &port, const QString &destination)
    {
        Choose(Combo("ModelNameCombo"), model);
        Choose(Combo("InterfaceCombo"), port);
        Choose(Combo("DestinationCombo"), destination);
        Boot()->findChild<QPushButton *>("PortSelectOKBtn")->click();
    }

    std::unique_ptr<RuntimeDir> runtime_;
    std::vector<std::unique_ptr<VirtualPrinter>> printers_;
    std::unique_ptr<TStartUp> shell_;

private slots:
    void initTestCase()
    {
        if (!VirtualPrinter::IsBuilt())
            QSKIP("bin/novari-printer-sim is not built");
        MessageBox::SetStandingAnswer(QMessageBox::Ok);
        // Waits return at once: the virtual printer runs on its own clock.
        Wait::SetHandler([](int) {});
    }

    void init()
    {
        MessageBox::ClearHistory();
        runtime_ = std::make_unique<RuntimeDir>();
        QVERIFY(runtime_->IsValid());
    }

    void cleanup()
    {
        shell_.reset();
        printers_.clear();
        runtime_.reset();
    }

    void portListNamesTheVirtualPrinters()
    {
        StartPrinter(Printer("USB001", "q510"));
        StartPrinter(Printer("USB002", "q530"));
        StartProgram();
        QComboBox *ports = Combo("InterfaceCombo");
        QCOMPARE(Items(ports), QStringList({"Auto Selection", "USB001 (Halden Photo Q510)",
                                            "USB002 (Halden Photo Q530)"}));
        QCOMPARE(ports->currentText(), QString("Auto Selection"));
        // Listing leaves no port held: another program can talk to each printer now.
        for (const auto &printer : printers_)
            QVERIFY(AnswersAnotherProgram(printer->SocketPath()));
        // While this program holds a port, the other program is turned away.
        QCOMPARE(int(shell_->Program().dll.GateOpenPort(0x0401)), 1);
        QVERIFY(!AnswersAnotherProgram(printers_.front()->SocketPath()));
        shell_->Program().dll.GateClosePort();
    }

    void okOpensThePrinterAndShowsTheMainWindow()
    {
        StartPrinter(Printer("USB001", "q510"));
        StartProgram();
        VirtualPrinter &printer = *printers_.front();
        const int idsBefore = printer.EventsOf("device_id").size();

        Ok("Halden Photo Q510", "USB001 (Halden Photo Q510)", "US/Euro");

        QVERIFY2(MessageBox::History().isEmpty(), qPrintable(MessageBox::History().value(0).text));
        QCOMPARE(shell_->CurrentState(), TStartUp::Adjusting);
        QVERIFY(shell_->Windows().adjust->isVisible());
        QVERIFY(!Boot()->isVisible());
        QCOMPARE(int(Boot()->Selection().PortCode), 0x0401);
        QVERIFY(printer.WaitForEvents("device_id", idsBefore + 1));
        QVERIFY(printer.WaitForEvents("channel_open"));
        // The main window's "Get Status" reached the printer too.
        QVERIFY(printer.WaitForEvents("status"));
    }

    void autoSelectionFindsThePrinter()
    {
        StartPrinter(Printer("USB003", "q530"));
        StartProgram();
        Ok("Halden Photo Q530", "Auto Selection", "Asia");
        QCOMPARE(int(Boot()->Selection().PortCode), 0x0403);
        QCOMPARE(shell_->CurrentState(), TStartUp::Adjusting);
        QVERIFY(printers_.front()->WaitForEvents("channel_open"));
    }

    void stoppedPrinterGivesTheCommunicationError()
    {
        StartPrinter(Printer("USB001", "q510"));
        StartProgram();
        QVERIFY(Items(Combo("InterfaceCombo")).contains("USB001 (Halden Photo Q510)"));
        printers_.front()->Stop();

        Ok("Halden Photo Q510", "USB001 (Halden Photo Q510)", "Latin");

        QCOMPARE(MessageBox::History().size(), 1);
        QCOMPARE(MessageBox::History().first().caption, QString("Error!"));
        QCOMPARE(MessageBox::History().first().text,
                 QString("Communication error occurred.\nPlease confirm the power for printer "
                         "and I/F cable connection."));
        QCOMPARE(shell_->CurrentState(), TStartUp::Selecting);
        QVERIFY(Boot()->isVisible());
    }

    void continueRebuildsTheList()
    {
        StartPrinter(Printer("USB001", "q510"));
        StartProgram();
        Ok("Halden Photo Q510", "USB001 (Halden Photo Q510)", "US/Euro");
        QCOMPARE(shell_->CurrentState(), TStartUp::Adjusting);
        shell_->Windows().adjust->close();
        QCOMPARE(shell_->CurrentState(), TStartUp::Confirming);
        QVERIFY(printers_.front()->WaitForEvents("channel_close"));

        // The first printer goes away, another comes.
        printers_.front()->Stop();
        StartPrinter(Printer("USB002", "q530"));
        shell_->Windows().quit->findChild<QPushButton *>("NextBtn")->click();

        QCOMPARE(shell_->CurrentState(), TStartUp::Selecting);
        QCOMPARE(Items(Combo("InterfaceCombo")),
                 QStringList({"Auto Selection", "USB002 (Halden Photo Q530)"}));
        Ok("Halden Photo Q530", "USB002 (Halden Photo Q530)", "EAL");
        QCOMPARE(shell_->CurrentState(), TStartUp::Adjusting);
        QCOMPARE(int(Boot()->Selection().ModelCode), 2);
    }

    void versionWindowOpensAndClosesRepeatedly()
    {
        StartPrinter(Printer("USB001", "q510"));
        StartProgram();
        TAboutBox *about = shell_->Windows().about;
        for (int round = 0; round < 3; ++round) {
            bool shown = false;
            QTimer::singleShot(0, about, [&] {
                shown = about->isVisible();
                about->findChild<QPushButton *>("OKButton")->click();
            });
            Boot()->PopupMenu1()->findChild<QAction *>("MenuVersion")->trigger();
            QVERIFY(shown);
            QVERIFY(!about->isVisible());
            QCOMPARE(about->result(), int(QDialog::Accepted));
            QCOMPARE(shell_->Windows().about, about);
        }
        // The keyboard closes it too.
        QTimer::singleShot(0, about, [about] { QTest::keyClick(about, Qt::Key_Escape); });
        Boot()->MenuVersionClick();
        QVERIFY(!about->isVisible());
        QCOMPARE(shell_->CurrentState(), TStartUp::Selecting);
    }
};

QTEST_MAIN(EndToEndTest)
#include "e2e_test.moc"
