#include "howto/howto.h"

#include <QApplication>
#include <QDir>

// Writes howto-<window>.png of every how-to window into the folder given (default: the current
// one). Run with QT_QPA_PLATFORM=offscreen, and QT_SCALE_FACTOR=2 for a high-density look.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    THowToWindows windows;
    for (THowToTopic topic : {THowToTopic::Bid, THowToTopic::HeadAngular, THowToTopic::PwSensor,
                              THowToTopic::FirstDot, THowToTopic::TopMargin}) {
        windows.Show(topic);
        QWidget *window = windows.Window(topic);
        const QString name = QStringLiteral("howto-%1.png").arg(window->objectName());
        if (!window->grab().save(folder.filePath(name)))
            return 1;
    }
    return 0;
}
