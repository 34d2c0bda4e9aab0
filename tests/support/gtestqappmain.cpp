#include <QApplication>
#include <gtest/gtest.h>

// main() of the GoogleTest suites that show windows: they need an application object and run
// on the offscreen platform unless told otherwise (test discovery runs without the test's
// environment too).
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
