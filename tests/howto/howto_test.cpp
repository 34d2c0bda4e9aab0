#include "howto/howto.h"
#include "howto/howtopicture.h"

#include <QApplication>
#include <QImage>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
constexpr THowToTopic AllTopics[] = {THowToTopic::Bid, THowToTopic::HeadAngular,
                                     THowToTopic::PwSensor, THowToTopic::FirstDot,
                                     THowToTopic::TopMargin};

int TopLevelNamed(const QString &name)
{
    int count = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets())
        count += widget->objectName() == name ? 1 : 0;
    return count;
}

bool IsUniform(const QImage &image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}
} // namespace

TEST(HowToWindows, ShowingATopicAgainBringsTheSameWindowToTheFront)
{
    THowToWindows windows;
    for (THowToTopic topic : AllTopics) {
        QWidget *window = windows.Window(topic);
        windows.Show(topic);
        windows.Show(topic == THowToTopic::Bid ? THowToTopic::TopMargin : THowToTopic::Bid);
        windows.Show(topic);
        EXPECT_EQ(windows.Window(topic), window);
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window)) << window->objectName().toStdString();
        EXPECT_EQ(QApplication::activeWindow(), window);
        EXPECT_EQ(TopLevelNamed(window->objectName()), 1);
    }
}

TEST(HowToWindows, EachWindowHasItsOwnCaptionAndClosesWithEscape)
{
    THowToWindows windows;
    QSet<QString> captions;
    for (THowToTopic topic : AllTopics) {
        windows.Show(topic);
        QWidget *window = windows.Window(topic);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        EXPECT_FALSE(window->windowTitle().trimmed().isEmpty());
        captions.insert(window->windowTitle());
        QTest::keyClick(window, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    }
    EXPECT_EQ(captions.size(), int(std::size(AllTopics)));
}

TEST(HowToWindows, EveryIllustrationDrawsSomething)
{
    THowToWindows windows;
    for (THowToTopic topic : AllTopics) {
        windows.Show(topic);
        const auto pictures = windows.Window(topic)->findChildren<THowToPicture *>();
        EXPECT_FALSE(pictures.isEmpty());
        for (THowToPicture *picture : pictures) {
            EXPECT_FALSE(picture->accessibleName().isEmpty());
            const QImage image = picture->grab().toImage();
            ASSERT_FALSE(image.isNull());
            EXPECT_FALSE(IsUniform(image)) << picture->accessibleName().toStdString();
        }
    }
}
