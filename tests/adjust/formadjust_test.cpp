// The main window without a printer: frame, message modes, error report, item locks, panel
// switching and the close sequence. No port exists, so every printer call fails.
#include "adjusttest.h"
#include "runtimedir.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace adjusttest;

namespace
{
const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);
const QColor Red(255, 0, 0);
const QString CommError = QStringLiteral("Communication error occurred.");
const QString Restart = QStringLiteral("Restart the printer and click the [Get Status] button.");
const QString Advice = QStringLiteral("Check the I/F cable connection and power of printer.");

// A status reply carrying only the state and the error code.
std::vector<uint8_t> errorReply(uint8_t error)
{
    std::vector<uint8_t> reply = {'@',  'B', 'D', 'C', ' ', 'S', 'T', '2', '\r',
                                  '\n', 18,  0,   1,   1,   0,   2,   1,   error};
    reply.resize(256, 0);
    return reply;
}

class FormAdjustTest : public ::testing::Test
{
protected:
    FormAdjustTest()
    {
        selection.ModelCode = 1;
        selection.PortCode = 0x0401;
        selection.Destination = QStringLiteral("US/Euro");
        window = std::make_unique<TFormAdjust>(*program, selection);
        MessageBox::ClearHistory();
    }

    template <typename T> T *Child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QWidget *Widget(const char *name) const { return Child<QWidget>(name); }
    bool Shown(const char *name) const { return Widget(name)->isVisibleTo(window.get()); }

    novari_test::RuntimeDir runtime;
    InstantWaits waits;
    std::unique_ptr<TPProgram> program = MakeProgram();
    TPSelection selection;
    std::unique_ptr<TFormAdjust> window;
};

TEST_F(FormAdjustTest, FrameCarriesTheCaptionsOfTheWindow)
{
    EXPECT_EQ(window->windowTitle(), "Adjustment program");
    auto *tab = Child<QTabWidget>("AdjustmentTab");
    ASSERT_EQ(tab->count(), 3);
    EXPECT_EQ(tab->tabText(0), "Adjustment");
    EXPECT_EQ(tab->tabText(1), "Maintenance");
    EXPECT_EQ(tab->tabText(2), "Appendix");
    EXPECT_EQ(tab->widget(0)->objectName(), "TabSheet1");

    const struct {
        const char *name;
        const char *caption;
        QStringList items;
    } lists[] = {
        {"AdjustRdoGrp",
         "Adjustment items",
         {"Market setting", "USB ID input", "Head ID input", "Head angular adjustment",
          "Bi-D adjustment", "PW sensor adjustment", "First dot adjustment",
          "Top margin adjustment", "Offset input for CR"}},
        {"MainteRdoGrp",
         "Maintenance items",
         {"Head cleaning", "Ink charge", "Waste ink pad counter", "EEPROM data copy"}},
        {"AppendixRdoGrp",
         "Appendix items",
         {"Save all EEPROM data", "APG check", "Check Pattern"}},
    };
    for (const auto &expected : lists) {
        TRadioList *list = List(*window, expected.name);
        ASSERT_NE(list, nullptr) << expected.name;
        EXPECT_EQ(list->title(), expected.caption);
        ASSERT_EQ(list->Count(), expected.items.size());
        for (int i = 0; i < list->Count(); ++i)
            EXPECT_EQ(list->Button(i)->text(), expected.items[i]);
        EXPECT_EQ(list->ItemIndex(), -1);
    }
    EXPECT_EQ(Child<QPushButton>("GetStatusBtn")->text(), "Get Status");
    EXPECT_EQ(Child<QPushButton>("AdjustQuitBtn")->text(), "Quit");
    EXPECT_EQ(Child<QTimer>("DisableTimer")->interval(), 100);
    EXPECT_TRUE(Child<QTextEdit>("StatusMemo")->isReadOnly());
}

TEST_F(FormAdjustTest, ShowSetsTheModelAndTheCrOffsetCaption)
{
    window->FormShow();
    EXPECT_EQ(Child<QLabel>("ModelNameLbl")->text(), "Halden Photo Q510");
    EXPECT_EQ(Child<QLabel>("Memo1")->text(), "Offset input for CR motor calorific limitation");
    // The CR offset text lies over its radio entry.
    EXPECT_EQ(Child<QLabel>("Memo1")->parentWidget(), List(*window, "AdjustRdoGrp")->Button(8));
}

TEST_F(FormAdjustTest, ResultModesReplaceAppendAndAddLines)
{
    window->ShowStatus(TPMode(1), "Printer is ready.");
    window->ShowStatus(TPMode(5), " Black:");
    window->ShowStatus(TPMode(6), "Ink remaining amount;");
    EXPECT_EQ(MemoLines(*window),
              QStringList({"Printer is ready. Black:", "Ink remaining amount;"}));
    EXPECT_EQ(LineColour(*window, 0), Black);
    EXPECT_EQ(LineColour(*window, 1), Black);
    window->ShowStatus(TPMode(1), "Replaced");
    EXPECT_EQ(MemoLines(*window), QStringList({"Replaced"}));
}

TEST_F(FormAdjustTest, AddedLineOnAnEmptyMemoIsItsFirstLine)
{
    window->ShowAdjustedItems();
    window->ShowStatus(TPMode(6), "First");
    EXPECT_EQ(MemoLines(*window), QStringList({"First"}));
}

TEST_F(FormAdjustTest, WorkingModeWithoutWaitDisablesInBlueWithTheHourglass)
{
    EXPECT_EQ(window->ShowStatus(TPMode(19), "Writing now..."), 1);
    EXPECT_FALSE(window->isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::WaitCursor);
    window->ShowStatus(TPMode(6), "Please wait..");
    EXPECT_EQ(LineColour(*window, 0), Blue);
    EXPECT_EQ(LineColour(*window, 1), Blue);

    EXPECT_EQ(window->ShowStatus(TPMode(4), "Ink out error."), 1);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_EQ(MemoLines(*window), QStringList({"Ink out error."}));
}

TEST_F(FormAdjustTest, DoneMessageKeepsTheWindowDisabledUntilTheTimerTicks)
{
    window->ShowStatus(TPMode(19), "Writing now...");
    EXPECT_EQ(window->ShowStatus(TPMode(18), "The specific EEPROM data has been written properly."),
              1);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(LineColour(*window, 0), Black);
    EXPECT_FALSE(window->isEnabled());
    EXPECT_TRUE(Child<QTimer>("DisableTimer")->isActive());
    EXPECT_TRUE(WaitForEnabled(*window));
    EXPECT_FALSE(Child<QTimer>("DisableTimer")->isActive());
}

TEST_F(FormAdjustTest, WorkingModeThatCannotReachThePrinterReturnsTheCodeSilently)
{
    window->ShowStatus(TPMode(1), "before");
    const uint16_t code = window->ShowStatus(TPMode(3), "Writing now...");
    EXPECT_NE(code, 1);
    EXPECT_EQ(MemoLines(*window), QStringList({"before"}));
    EXPECT_EQ(Locks(*window), QString(AllEnabled));
}

TEST_F(FormAdjustTest, DoneAfterWaitThatCannotReachThePrinterReportsIt)
{
    window->ShowStatus(TPMode(19), "Writing now...");
    const uint16_t code =
        window->ShowStatus(TPMode(2), "The USB ID has been written in EEPROM properly.");
    EXPECT_NE(code, 1);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(MemoLines(*window), QStringList({CommError, Restart}));
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_EQ(Locks(*window), QString(AllLocked));
}

TEST_F(FormAdjustTest, ItemLockLevels)
{
    auto *memo1 = Widget("Memo1");
    window->SetItemAvailability(TPLockLevel(2));
    EXPECT_EQ(Locks(*window), QString(ErrorStateLocks));
    EXPECT_FALSE(memo1->isEnabled());
    window->SetItemAvailability(TPLockLevel(1));
    EXPECT_EQ(Locks(*window), QString(AllEnabled));
    EXPECT_TRUE(memo1->isEnabled());
    window->ShowStatus(TPMode(4), "Communication error occurred.");
    window->SetItemAvailability(TPLockLevel(3));
    EXPECT_EQ(Locks(*window), QString(AllLocked));
    EXPECT_FALSE(memo1->isEnabled());
    EXPECT_EQ(MemoLines(*window), QStringList({CommError, Restart}));
}

struct ErrorCase {
    uint16_t code;
    int printerError; // -1: no status record needed
    QStringList lines;
    const char *locks;
};

TEST_F(FormAdjustTest, ErrorReportByResultCode)
{
    const ErrorCase cases[] = {
        {0x1001, -1, {CommError, Restart}, AllLocked},
        {0x1100, -1, {CommError, Advice, Restart}, AllLocked},
        {0x2000, -1, {CommError, Restart}, AllLocked},
        {0x3000, -1, {CommError, Restart}, AllLocked},
        {0x2001, -1, {"Cannot file open."}, AllEnabled},
        {0xB000, -1, {"Cannot found the DLL files."}, AllEnabled},
        {0xC000,
         -1,
         {"There is not enough free memory to run this program.",
          "Quit one or more programs, and then try again."},
         AllEnabled},
        {0x4000,
         6,
         {"Paper out error.", "Clear the error and click the [Get Status] button."},
         ErrorStateLocks},
        {0x4000,
         4,
         {"Paper jam error.", "Clear the error and click the [Get Status] button."},
         ErrorStateLocks},
        {0x4000,
         18,
         {"Double feed error.", "Clear the error and click the [Get Status] button."},
         ErrorStateLocks},
        {0x4000,
         5,
         {"Ink out error.", "Clear the error and click the [Get Status] button."},
         ErrorStateLocks},
        {0x4000, 0, {"Fatal error."}, ErrorStateLocks},
        {0x4000, 1, {"Communication error."}, ErrorStateLocks},
        {0x4000, 2, {"The CD/DVD Guide is open."}, ErrorStateLocks},
        {0x4000, 16, {"Maintenance error."}, ErrorStateLocks},
        {0x4000, 41, {"The CD/DVD tray is not set correctly."}, ErrorStateLocks},
        {0x4000,
         3,
         {"Unknown printer error (code 3).", "Clear the error and click the [Get Status] button."},
         ErrorStateLocks},
        // Codes without words leave the working text as it was but release the window.
        {0xA0, -1, {"Communication error occurred."}, AllEnabled},
        {0x5000, -1, {"Writing now..."}, AllEnabled},
        {0x1234, -1, {"Writing now..."}, AllEnabled},
    };
    for (const ErrorCase &c : cases) {
        SCOPED_TRACE(QString::asprintf("code 0x%X error %d", c.code, c.printerError).toStdString());
        window->SetItemAvailability(TPLockLevel(1));
        if (c.printerError >= 0) {
            ASSERT_EQ(program->status.ParseReply(errorReply(uint8_t(c.printerError)).data()), 1);
        }
        window->ShowStatus(TPMode(19), "Writing now...");
        Widget("AdjustmentTab")->setEnabled(false);
        Widget("AdjustQuitBtn")->setEnabled(false);
        Widget("GetStatusBtn")->setEnabled(false);
        Widget("MainteRdoGrp")->setEnabled(false);

        window->ReportError(c.code);

        EXPECT_EQ(MemoLines(*window), c.lines);
        EXPECT_EQ(Locks(*window), QString(c.locks));
        EXPECT_TRUE(window->isEnabled());
        EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
        for (const char *name : {"AdjustmentTab", "AdjustQuitBtn", "GetStatusBtn", "MainteRdoGrp"})
            EXPECT_TRUE(Widget(name)->isEnabled()) << name;
        if (c.lines.front() != "Writing now...") {
            EXPECT_EQ(LineColour(*window, c.lines.size() - 1), Red);
        }
    }
}

TEST_F(FormAdjustTest, PortIoErrorIsWordedByTheLibrarysReason)
{
    // No port in this runtime folder: the open fails with "port not found".
    ASSERT_NE(program->dll.GateOpenPort(0x0401), 1);
    window->ReportError(0x1000);
    EXPECT_EQ(MemoLines(*window), QStringList({"Communication error.", Restart}));
    EXPECT_EQ(Locks(*window), QString(AllLocked));
}

TEST_F(FormAdjustTest, ChoosingAnItemReplacesTheSummaryWithItsPanel)
{
    window->ShowStatus(TPMode(1), "old text");
    List(*window, "AdjustRdoGrp")->Button(0)->click();
    EXPECT_TRUE(Shown("DefaultSetPnl"));
    EXPECT_FALSE(Shown("AdjustedItemsPnl"));
    EXPECT_TRUE(MemoLines(*window).isEmpty());

    // A second click on the chosen item keeps what its panel showed (a check's verdict).
    window->ShowStatus(TPMode::Done, "The market is ");
    List(*window, "AdjustRdoGrp")->Button(0)->click();
    EXPECT_EQ(MemoLines(*window), QStringList{"The market is "});

    List(*window, "AppendixRdoGrp")->Button(1)->click();
    EXPECT_TRUE(Shown("APGCheckPnl"));
    EXPECT_FALSE(Shown("DefaultSetPnl"));
    EXPECT_EQ(List(*window, "AdjustRdoGrp")->ItemIndex(), -1);
    EXPECT_EQ(List(*window, "AppendixRdoGrp")->ItemIndex(), 1);

    List(*window, "MainteRdoGrp")->Button(3)->click();
    EXPECT_TRUE(Shown("EepromDataCopyPnl"));
    EXPECT_FALSE(Shown("APGCheckPnl"));
    EXPECT_EQ(List(*window, "AppendixRdoGrp")->ItemIndex(), -1);
}

TEST_F(FormAdjustTest, EveryItemHasItsNamedPanel)
{
    for (const auto &entry : TItemRegistry::Entries()) {
        QWidget *panel = window->ItemPanel(entry.list, TItemRegistry::IndexOf(entry.panelName));
        ASSERT_NE(panel, nullptr) << entry.caption.toStdString();
        EXPECT_EQ(panel->objectName(), entry.panelName);
    }
}

TEST_F(FormAdjustTest, MarketSettingPanelCarriesItsTexts)
{
    QWidget *panel = Widget("DefaultSetPnl");
    QStringList texts;
    for (const QLabel *label : panel->findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("Market setting "));
    EXPECT_TRUE(texts.contains("Click the [OK] button to write the specific data in EEPROM."));
    EXPECT_TRUE(texts.contains("Click the [Check] button to check market and model name."));
    EXPECT_TRUE(texts.contains("Make sure to perform this function when replacing the defective "
                               "main board with new one."));
    EXPECT_EQ(Child<QPushButton>("DefaultSetOKBtn")->text(), "OK");
    EXPECT_EQ(Child<QPushButton>("DestCheckBtn")->text(), "Check");
}

TEST_F(FormAdjustTest, CrOffsetTextChoosesTheNinthItem)
{
    window->show();
    QTest::mouseClick(Widget("Memo1"), Qt::LeftButton);
    EXPECT_EQ(List(*window, "AdjustRdoGrp")->ItemIndex(), 8);
    EXPECT_TRUE(Shown("CRHeatProtectOffsetPnl"));

    // Locked, the text does not react.
    List(*window, "AdjustRdoGrp")->SetItemIndex(-1);
    window->SetItemAvailability(TPLockLevel(2));
    QTest::mouseClick(Widget("Memo1"), Qt::LeftButton);
    EXPECT_EQ(List(*window, "AdjustRdoGrp")->ItemIndex(), -1);
}

TEST_F(FormAdjustTest, ChangingThePageShowsTheSummaryAndClearsEveryChoice)
{
    List(*window, "AdjustRdoGrp")->Button(0)->click();
    window->ShowStatus(TPMode(1), "text");
    Child<QTabWidget>("AdjustmentTab")->setCurrentIndex(2);
    EXPECT_TRUE(Shown("AdjustedItemsPnl"));
    EXPECT_FALSE(Shown("DefaultSetPnl"));
    EXPECT_EQ(List(*window, "AdjustRdoGrp")->ItemIndex(), -1);
    EXPECT_TRUE(MemoLines(*window).isEmpty());
}

TEST_F(FormAdjustTest, EverySummaryCellIsAValuePanelOfTheSummary)
{
    for (int c = 0; c <= int(TPSummaryCell::BidEcoColorPg); ++c) {
        const QString name = SummaryCellName(TPSummaryCell(c));
        auto *cell = window->findChild<QLabel *>(name);
        ASSERT_NE(cell, nullptr) << name.toStdString();
        window->SetSummaryValue(TPSummaryCell(c), "7");
        EXPECT_EQ(cell->text(), "7");
    }
}

TEST_F(FormAdjustTest, CloseEmptiesTheSummaryAndHandsOverToTheQuitWindow)
{
    QSignalSpy closed(window.get(), &TFormAdjust::Closed);
    window->show();
    window->SetSummaryValue(TPSummaryCell::UsbId, "ABCDEFGHIJ435E7M30");
    List(*window, "AppendixRdoGrp")->Button(2)->click();
    List(*window, "MainteRdoGrp")->SetItemIndex(1);
    Child<QTabWidget>("AdjustmentTab")->setEnabled(false);
    Widget("AdjustQuitBtn")->setEnabled(false);
    {
        QSignalBlocker blocker(Child<QTabWidget>("AdjustmentTab"));
        Child<QTabWidget>("AdjustmentTab")->setCurrentIndex(2);
    }

    window->close();

    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Child<QLabel>("ShowUSBIDPnl")->text(), "");
    EXPECT_TRUE(Shown("AdjustedItemsPnl"));
    EXPECT_FALSE(Shown("CheckPatternPnl"));
    EXPECT_EQ(Child<QTabWidget>("AdjustmentTab")->currentIndex(), 0);
    EXPECT_TRUE(Widget("AdjustmentTab")->isEnabled());
    EXPECT_TRUE(Widget("AdjustQuitBtn")->isEnabled());
    EXPECT_EQ(List(*window, "MainteRdoGrp")->ItemIndex(), -1);
    EXPECT_EQ(List(*window, "AppendixRdoGrp")->ItemIndex(), 2);

    // Shown again for the next printer: the empty summary on the "Adjustment" page.
    window->show();
    EXPECT_TRUE(Shown("AdjustedItemsPnl"));
    EXPECT_EQ(Child<QTabWidget>("AdjustmentTab")->currentIndex(), 0);
}

TEST_F(FormAdjustTest, EscapeIsTheQuitButton)
{
    QSignalSpy closed(window.get(), &TFormAdjust::Closed);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(FormAdjustTest, PaperPromptIsAnErrorBoxOwnedByTheWindow)
{
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    window->PaperPrompt();
    ASSERT_EQ(MessageBox::History().size(), 1);
    const MessageBox::Shown &box = MessageBox::History().front();
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.icon, MessageBox::Error);
    EXPECT_EQ(box.text, "Paper not loaded correctly.\nReload the paper and press the Paper button "
                        "on the printer.\nThen click the [OK] button on the screen.");
}
} // namespace

namespace
{
TEST_F(FormAdjustTest, GetStatusWithoutAPrinterLeavesTheLocksAsTheyWere)
{
    window->SetItemAvailability(TPLockLevel(2));
    window->GetStatusBtnClick();
    EXPECT_EQ(MemoLines(*window), QStringList({CommError, Advice}));
    EXPECT_EQ(LineColour(*window, 0), Red);
    EXPECT_EQ(Locks(*window), QString(ErrorStateLocks));
}
} // namespace

namespace
{
TEST_F(FormAdjustTest, WindowDoesNotCloseUnderARunningOperation)
{
    QSignalSpy closed(window.get(), &TFormAdjust::Closed);
    window->show();
    window->ShowStatus(TPMode(19), "Writing now...");
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(closed.count(), 0);

    window->ShowStatus(TPMode(4), "Paper out error.");
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closed.count(), 1);
}
} // namespace

namespace
{
TEST_F(FormAdjustTest, ListsWorkFromTheKeyboard)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    TRadioList *list = List(*window, "MainteRdoGrp");
    Child<QTabWidget>("AdjustmentTab")->setCurrentIndex(1);
    list->Button(0)->setFocus();
    QTest::keyClick(list->Button(0), Qt::Key_Space);
    EXPECT_TRUE(Shown("CleaningPnl"));
    QTest::keyClick(list->Button(0), Qt::Key_Down);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_TRUE(Shown("InkChargePnl"));
    EXPECT_FALSE(Shown("CleaningPnl"));
}
} // namespace
