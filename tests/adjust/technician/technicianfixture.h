#pragma once

// The test technician's bench: the program's window against a virtual printer out of
// adjustment (random mechanics, one seed a test), the printed pages as images, and the
// printer's hidden errors, which a test reads only to judge the outcome.
#include "pagereader.h"
#include "printerfixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QTemporaryDir>

namespace technician
{
using namespace adjusttest;

inline const Visit Q510 = {"q510", "us-euro", 1, "US/Euro"};

class TechnicianTest : public PrinterFixture, public ::testing::WithParamInterface<int>
{
protected:
    void OpenOutOfAdjustment()
    {
        ASSERT_TRUE(pages_.isValid());
        pages_.setAutoRemove(qEnvironmentVariableIsEmpty("TECHNICIAN_KEEP_PAGES"));
        ASSERT_NO_FATAL_FAILURE(Open(Q510, {"--mechanics", QString("random:%1").arg(GetParam()),
                                            "--pages", pages_.path(), "--full-resolution"}));
        window->show();
    }

    // The newest page the printer put out since the last call.
    QImage NextPage()
    {
        QElapsedTimer clock;
        clock.start();
        QStringList names;
        while (clock.elapsed() < 10000) {
            names = QDir(pages_.path()).entryList({"page-*.png"}, QDir::Files, QDir::Name);
            if (names.size() > pagesSeen_)
                break;
            adjusttest::PassEvents(20);
        }
        if (names.size() <= pagesSeen_)
            return QImage();
        pagesSeen_ = names.size();
        lastPage_ = pages_.filePath(names.last());
        return QImage(lastPage_);
    }

    // Clicks a pattern's print button, waits for the print to end with the memo's word that
    // it has, and returns the page that came out (null when none did).
    QImage PrintPage(const char *button, const char *completed)
    {
        Click(button);
        EXPECT_TRUE(WaitForEnabled(*window, 60000));
        EXPECT_EQ(MemoLines(*window).value(0), completed);
        const QImage page = NextPage();
        EXPECT_FALSE(page.isNull()) << "no page came out";
        return page;
    }

    QLineEdit *Edit(const char *name) const
    {
        return window->findChild<QLineEdit *>(QString::fromLatin1(name));
    }

    // Only for judging the outcome: the printer's hidden errors.
    QJsonObject HiddenMechanics() const
    {
        QFile file(printer->EepromFile() + ".mechanics.json");
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QTemporaryDir pages_;
    int pagesSeen_ = 0;
    QString lastPage_;
};

} // namespace technician
