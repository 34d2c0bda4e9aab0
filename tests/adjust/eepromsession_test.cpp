#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "link/program.h"
#include "link/selection.h"
#include "runtimedir.h"

#include <QList>
#include <gtest/gtest.h>
#include <vector>

namespace
{
// Records what the session asks of the window; ShowStatus answers from a script.
class RecordingWindow : public TAdjustServices
{
public:
    struct Shown {
        int mode;
        QString text;
    };
    uint16_t ShowStatus(TPMode mode, const QString &text) override
    {
        shown.push_back({int(mode), text});
        if (answers.isEmpty())
            return 1;
        return answers.takeFirst();
    }
    void ReportError(uint16_t code) override { reported.push_back(code); }
    void ShowAdjustedItems() override {}
    void ShowItemPanel(TItemPanel &) override {}
    void ShowHowTo(THowToTopic) override {}
    void SetSummaryValue(TPSummaryCell, const QString &) override {}
    TPProgram &Program() override { return program; }
    const TPSelection &Selection() const override { return selection; }
    QWidget *OwnerWidget() override { return nullptr; }

    QList<uint16_t> answers;
    std::vector<Shown> shown;
    std::vector<uint16_t> reported;
    TPProgram program{TPDLLFunction::ExecutableFolder()};
    TPSelection selection;
};

using Reaction = TPEepromSession::OnPrinterError;

class EepromSessionTest : public ::testing::Test
{
protected:
    // No printer anywhere: every channel call fails.
    novari_test::RuntimeDir runtime;
    TPDLLFunction dll{TPDLLFunction::ExecutableFolder()};
    RecordingWindow window;
    TPEepromSession session{window, dll};
};

TEST_F(EepromSessionTest, ReadyPrinterShowsTheWorkingTextOnce)
{
    EXPECT_TRUE(session.Begin("Writing now...", Reaction::Report));
    ASSERT_EQ(window.shown.size(), 1u);
    EXPECT_EQ(window.shown[0].mode, 3);
    EXPECT_EQ(window.shown[0].text, "Writing now...");
    EXPECT_TRUE(window.reported.empty());
}

TEST_F(EepromSessionTest, PrinterErrorGoesOnWithoutTheWaitWhenTheItemSaysSo)
{
    window.answers = {0x4000};
    EXPECT_TRUE(session.Begin("Reading now...", Reaction::GoOn));
    ASSERT_EQ(window.shown.size(), 2u);
    EXPECT_EQ(window.shown[1].mode, 19);
    EXPECT_EQ(window.shown[1].text, "Reading now...");
    EXPECT_TRUE(window.reported.empty());
    EXPECT_FALSE(session.Failed());
}

TEST_F(EepromSessionTest, PrinterErrorIsReportedWhenTheItemRefusesIt)
{
    window.answers = {0x4000};
    EXPECT_FALSE(session.Begin("Writing now...", Reaction::Report));
    EXPECT_EQ(window.shown.size(), 1u);
    EXPECT_EQ(window.reported, std::vector<uint16_t>{0x4000});
}

TEST_F(EepromSessionTest, OtherWaitFailuresAreReportedWhateverTheReaction)
{
    window.answers = {0x2000};
    EXPECT_FALSE(session.Begin("Writing now...", Reaction::GoOn));
    EXPECT_EQ(window.shown.size(), 1u);
    EXPECT_EQ(window.reported, std::vector<uint16_t>{0x2000});
}

TEST_F(EepromSessionTest, FirstFailingWriteIsReportedOnceAndEndsTheRun)
{
    ASSERT_TRUE(session.Begin("Writing now...", Reaction::GoOn));
    EXPECT_FALSE(session.WriteAll({{0x2A, 0x03}, {0x30, 0x04}, {0x6F, 0x00}}));
    ASSERT_EQ(window.reported.size(), 1u);
    EXPECT_NE(window.reported[0], 1);
    // Nothing after a failure reaches the printer or the window.
    uint8_t value = 0;
    EXPECT_FALSE(session.Read(0x6E, &value));
    EXPECT_FALSE(session.Check(1));
    EXPECT_FALSE(session.Finish(TPMode(18), "done"));
    EXPECT_EQ(window.reported.size(), 1u);
    EXPECT_EQ(window.shown.size(), 1u);
}

TEST_F(EepromSessionTest, CompletionMessageUsesTheGivenMode)
{
    ASSERT_TRUE(session.Begin("Writing now...", Reaction::GoOn));
    EXPECT_TRUE(session.Finish(TPMode(18), "The specific EEPROM data has been written properly."));
    ASSERT_EQ(window.shown.size(), 2u);
    EXPECT_EQ(window.shown[1].mode, 18);
    // Mode 2 reports its own failed wait; the session only stops.
    window.answers = {0x2000};
    EXPECT_FALSE(session.Finish(TPMode(2), "done"));
    EXPECT_TRUE(window.reported.empty());
}
} // namespace
