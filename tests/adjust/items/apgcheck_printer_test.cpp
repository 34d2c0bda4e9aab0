// APG check through the window against the virtual printer: four announcements, each followed
// by its platen gap move, widest first.
#include "printerfixture.h"

using namespace adjusttest;

namespace
{
using ApgCheckPrinterTest = PrinterFixture;

constexpr int ApgCheckItem = 1;
constexpr int PlatenGapCode = 0xD5;

TEST_F(ApgCheckPrinterTest, AnnouncesAndMovesTheGapWidestFirstHoweverTheBoxIsClosed)
{
    ASSERT_NO_FATAL_FAILURE(Open({"q530", "asia", 2, "Asia"}));
    window->show();
    List(*window, "AppendixRdoGrp")->Button(ApgCheckItem)->click();
    for (auto answer : {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Close, QMessageBox::Ok})
        MessageBox::SetNextAnswer(answer);
    Click("APGCheckBtn");

    QStringList announced;
    for (const MessageBox::Shown &box : MessageBox::History()) {
        EXPECT_EQ(box.caption, "confirm");
        EXPECT_EQ(box.icon, MessageBox::Information);
        announced.append(box.text);
    }
    QStringList moved;
    for (const QJsonObject &event : printer->EventsOf(QStringLiteral("factory"))) {
        EXPECT_EQ(event.value("code").toInt(), PlatenGapCode);
        EXPECT_EQ(event.value("result").toString(), "ok");
        moved.append(event.value("did").toString().remove(QStringLiteral("platen gap to ")));
    }
    const QStringList positions = {"PG++ (4.2mm)", "PG+ (2.35mm)", "PG Typical (1.7mm)",
                                   "PG- (1.2mm)"};
    EXPECT_EQ(moved, positions);
    for (QString &position : announced)
        position.remove(QStringLiteral("Move to "));
    EXPECT_EQ(announced, positions);
    EXPECT_EQ(MemoLines(*window), QStringList({"APG check has completed."}));
}
} // namespace
