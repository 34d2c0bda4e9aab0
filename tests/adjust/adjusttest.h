#pragma once

// Shared pieces of the main window tests: the program-wide printer objects on the real link
// libraries, a window over them, waits that return at once, and readers for the status memo.
#include "adjust/dialogs/messagebox.h"
#include "adjust/formadjust.h"
#include "adjust/radiolist.h"
#include "link/dllfunction.h"
#include "link/factory.h"
#include "link/program.h"
#include "link/raster.h"
#include "link/remotecomm.h"
#include "link/selection.h"
#include "link/statuscontrol.h"
#include "link/wait.h"

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRadioButton>
#include <QStringList>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <memory>
#include <ostream>
#include <vector>

// Readable QString output in failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << "{\"" << list.join(QStringLiteral("\", \"")).toStdString() << "\"}";
}

namespace adjusttest
{

// The program-wide objects as the program creates them, bound to the libraries in the folder
// of the test executable.
inline std::unique_ptr<TPProgram> MakeProgram()
{
    TPProgram::Failure failure = TPProgram::Failure::None;
    auto program = TPProgram::Create(TPDLLFunction::ExecutableFolder(), &failure);
    return program;
}

// Every timed wait returns at once; the milliseconds asked for are kept. PassAtScale makes each
// wait last its time at a printer's time scale instead, for a printer that stays busy in real
// time longer than the stream's resend wait would try at once.
// Lets the event loop run for up to ms milliseconds, sleeping while nothing happens: a loop of
// processEvents alone keeps a core busy that the virtual printer and the other tests need.
inline void PassEvents(int ms)
{
    if (ms <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class InstantWaits
{
public:
    InstantWaits()
    {
        Wait::SetHandler([this](int ms) {
            asked.push_back(ms);
            PassEvents(int(ms * scale_));
        });
    }
    ~InstantWaits() { Wait::SetHandler(nullptr); }
    InstantWaits(const InstantWaits &) = delete;
    InstantWaits &operator=(const InstantWaits &) = delete;
    void PassAtScale(double scale) { scale_ = scale; }
    std::vector<int> asked;

private:
    double scale_ = 0.0;
};

inline QTextEdit *Memo(const TFormAdjust &window)
{
    return window.findChild<QTextEdit *>(QStringLiteral("StatusMemo"));
}

inline QStringList MemoLines(const TFormAdjust &window)
{
    const QString text = Memo(window)->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// Colour of the text of one memo line (of its first character).
inline QColor LineColour(const TFormAdjust &window, int line)
{
    const QTextBlock block = Memo(window)->document()->findBlockByNumber(line);
    for (auto it = block.begin(); !it.atEnd(); ++it)
        return it.fragment().charFormat().foreground().color();
    return QColor();
}

inline TRadioList *List(const TFormAdjust &window, const char *name)
{
    return window.findChild<TRadioList *>(QString::fromLatin1(name));
}

// Enabled state of every list entry, as "1"/"0" per entry, lists separated by '|'.
inline QString Locks(const TFormAdjust &window)
{
    QString locks;
    for (const char *name : {"AdjustRdoGrp", "MainteRdoGrp", "AppendixRdoGrp"}) {
        if (!locks.isEmpty())
            locks += QLatin1Char('|');
        const TRadioList *list = List(window, name);
        for (int i = 0; i < list->Count(); ++i)
            locks += list->IsItemEnabled(i) ? QLatin1Char('1') : QLatin1Char('0');
    }
    return locks;
}

constexpr const char *AllEnabled = "111111111|1111|111";
constexpr const char *ErrorStateLocks = "100000000|0011|100";
constexpr const char *AllLocked = "000000000|0000|000";

// Lets the window's 100 ms DisableTimer tick (the only real-time wait these tests need).
inline bool WaitForEnabled(const QWidget &window, int timeoutMs = 2000)
{
    QElapsedTimer clock;
    clock.start();
    while (!window.isEnabled() && clock.elapsed() < timeoutMs)
        PassEvents(5);
    return window.isEnabled();
}

} // namespace adjusttest
