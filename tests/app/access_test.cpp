// Keyboard and screen reader: every control a person can reach in every window has a name a
// screen reader can say, and a whole run works with keys alone. The real link libraries and
// a virtual printer on a private port directory.
#include "adjust/dialogs/messagebox.h"
#include "adjust/formadjust.h"
#include "adjust/radiolist.h"
#include "adjust/statusmemo.h"
#include "app/formabout.h"
#include "app/formboot.h"
#include "app/formquit.h"
#include "app/startup.h"
#include "apptest.h"
#include "link/wait.h"
#include "runtimedir.h"
#include "virtualprinter.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedLayout>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>
#include <memory>

using apptest::Choose;
using novari_test::RuntimeDir;
using novari_test::VirtualPrinter;

namespace
{
QString Describe(const QAccessibleInterface *node)
{
    const QObject *object = node->object();
    return object ? QStringLiteral("%1 (%2)").arg(object->objectName(),
                                                  object->metaObject()->className())
                  : QStringLiteral("role %1").arg(int(node->role()));
}

// The focusable, visible controls below a node of an accessibility tree that have no name,
// and every control that would be announced by its code name ("USBIDInputEdit"): the code
// name is the control's objectName, for tests and the registry, and is never spoken.
void CollectUnnamed(QAccessibleInterface *node, QStringList *unnamed)
{
    if (!node)
        return;
    static const QRegularExpression codeName(
        QStringLiteral("^[A-Z][A-Za-z0-9]*(Edit|Pnl|Lbl|Btn|Memo|UpDown|Combo|Gauge|Tab|RdoGrp)"
                       "\\d*$"));
    const QAccessible::State state = node->state();
    const QString name = node->text(QAccessible::Name).trimmed();
    if (state.focusable && !state.invisible && name.isEmpty())
        unnamed->append(Describe(node));
    if (codeName.match(name).hasMatch() ||
        (node->object() && name == node->object()->objectName() && !name.isEmpty()))
        unnamed->append(Describe(node) + " says its code name");
    // A mnemonic's '&' is shown as an underline, never spoken.
    if (name.contains(QLatin1Char('&')))
        unnamed->append(Describe(node) + " says '&'");
    for (int i = 0; i < node->childCount(); ++i)
        CollectUnnamed(node->child(i), unnamed);
}

// Captions cut short and pictures drawn with fewer pixels than the screen shows them with.
QStringList ClippedOrBlurred(QWidget *window)
{
    QStringList found;
    const qreal ratio = window->devicePixelRatioF();
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        const QString name = widget->objectName() + " (" + widget->metaObject()->className() + ")";
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            const QString text = QString(label->text()).remove(QLatin1Char('&'));
            if (!label->wordWrap() && !text.isEmpty() && !Qt::mightBeRichText(text) &&
                label->fontMetrics()
                        .boundingRect(label->contentsRect(), label->alignment(), text)
                        .width() > label->contentsRect().width())
                found << name + " '" + text + "' cut";
            if (!label->pixmap().isNull() && label->pixmap().devicePixelRatio() < ratio)
                found << name + " blurred";
        }
        auto *button = qobject_cast<QAbstractButton *>(widget);
        if (button && !button->text().isEmpty() &&
            (button->width() < button->minimumSizeHint().width() ||
             button->height() < button->minimumSizeHint().height()))
            found << name + " '" + button->text() + "' cut";
    }
    return found;
}

// The controls inside a panel that Tab stops at, in order, starting from a control outside
// it, until the focus comes round again (a bounded number of presses).
QList<QWidget *> TabStops(QWidget *start, const QWidget *panel)
{
    QList<QWidget *> stops;
    start->setFocus();
    for (int presses = 0; presses < 80 && QApplication::focusWidget(); ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        if (focus == start)
            break;
        if (panel->isAncestorOf(focus) && !stops.contains(focus))
            stops << focus;
    }
    return stops;
}

// The controls of a panel that Tab does not reach, and those without a code name (tests and
// the registry find controls by it).
QStringList Unreachable(QWidget *start, QWidget *panel)
{
    const QList<QWidget *> stops = TabStops(start, panel);
    QStringList missed;
    for (QWidget *widget : panel->findChildren<QWidget *>()) {
        if (!widget->isVisible() || !widget->isEnabled() || !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        const QString name = widget->objectName() + " (" + widget->metaObject()->className() + ")";
        if (!stops.contains(widget))
            missed << name;
        if (widget->objectName().isEmpty())
            missed << name + " without a code name";
    }
    return missed;
}

QStringList UnnamedControls(QWidget *window)
{
    QStringList unnamed;
    CollectUnnamed(QAccessible::queryAccessibleInterface(window), &unnamed);
    return unnamed;
}

// A key as the person presses it: to whatever has the focus.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    // Without a focused control the key goes to the active window.
    QWidget *target =
        QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY2(target, "no window is active");
    QTest::keyClick(target, key, modifiers);
}

// Tab until the control of that name has the focus (a bounded number of presses).
void TabTo(const QString &name)
{
    for (int presses = 0; presses < 40; ++presses) {
        QWidget *focus = QApplication::focusWidget();
        if (focus && focus->objectName() == name)
            return;
        Press(Qt::Key_Tab);
    }
    QFAIL(qPrintable("Tab never reaches " + name));
}
} // namespace

class AccessTest : public QObject
{
    Q_OBJECT

private:
    void StartPrinterAndProgram()
    {
        VirtualPrinter::Options options;
        options.port = QStringLiteral("USB001");
        options.model = QStringLiteral("q510");
        options.timeScale = 0.01;
        printer_ = std::make_unique<VirtualPrinter>(*runtime_, options);
        QVERIFY2(printer_->Start(), qPrintable(printer_->ErrorText()));
        shell_ = std::make_unique<TStartUp>(TPDLLFunction::ExecutableFolder());
        QVERIFY(shell_->CreateObjects());
        shell_->CreateWindows();
        QVERIFY(QTest::qWaitForWindowActive(shell_->Windows().boot));
    }
    // Named controls, whole captions, sharp pictures.
    void ExpectAllNamed(QWidget *window, const QString &where)
    {
        const QStringList unnamed = UnnamedControls(window);
        QVERIFY2(unnamed.isEmpty(), qPrintable(where + ": " + unnamed.join(", ")));
        const QStringList cut = ClippedOrBlurred(window);
        QVERIFY2(cut.isEmpty(), qPrintable(where + ": " + cut.join(", ")));
    }

    std::unique_ptr<RuntimeDir> runtime_;
    std::unique_ptr<VirtualPrinter> printer_;
    std::unique_ptr<TStartUp> shell_;

private slots:
    void initTestCase()
    {
        if (!VirtualPrinter::IsBuilt())
            QSKIP("bin/novari-printer-sim is not built");
        MessageBox::SetStandingAnswer(QMessageBox::Ok);
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
        printer_.reset();
        runtime_.reset();
    }

    void everyControlIsNamedAndReachedByTab()
    {
        StartPrinterAndProgram();
        const TPWindows &windows = shell_->Windows();
        ExpectAllNamed(windows.boot, "selection window");

        QTimer::singleShot(0, windows.about, [this, about = windows.about] {
            ExpectAllNamed(about, "version window");
            about->accept();
        });
        windows.boot->MenuVersionClick();

        Choose(windows.boot->findChild<QComboBox *>("ModelNameCombo"), "Halden Photo Q510");
        Choose(windows.boot->findChild<QComboBox *>("InterfaceCombo"),
               "USB001 (Halden Photo Q510)");
        Choose(windows.boot->findChild<QComboBox *>("DestinationCombo"), "US/Euro");
        windows.boot->findChild<QPushButton *>("PortSelectOKBtn")->click();
        TFormAdjust *adjust = windows.adjust;
        QVERIFY(QTest::qWaitForWindowActive(adjust));
        auto *tabs = adjust->findChild<QTabWidget *>("AdjustmentTab");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            auto *list = tabs->widget(page)->findChild<TRadioList *>();
            for (int item = 0; item < list->Count(); ++item) {
                list->Button(item)->click();
                QWidget *panel = adjust->ItemPanel(static_cast<TItemRegistry::List>(page), item);
                auto *pages = panel->findChild<QStackedLayout *>();
                for (int shown = 0; shown < (pages ? pages->count() : 1); ++shown) {
                    if (pages)
                        pages->setCurrentIndex(shown);
                    const QString where = panel->objectName() + " page " + QString::number(shown);
                    ExpectAllNamed(adjust, where);
                    const QStringList missed = Unreachable(list->Button(item), panel);
                    QVERIFY2(missed.isEmpty(),
                             qPrintable(where + ": Tab misses " + missed.join(", ")));
                }
            }
        }
        for (int topic = 0; topic < int(THowToTopic::Count); ++topic) {
            adjust->ShowHowTo(THowToTopic(topic));
            QWidget *howTo = nullptr;
            QTRY_VERIFY((howTo = QApplication::activeWindow()) && howTo != adjust &&
                        howTo->isVisible());
            ExpectAllNamed(howTo, howTo->objectName());
            howTo->close();
        }
        adjust->close();
        QVERIFY(windows.quit->isVisible());
        ExpectAllNamed(windows.quit, "quit window");
    }

    // Selection window, the market check and the quit window with keys alone.
    void keyboardAloneChecksTheMarketAndQuits()
    {
        StartPrinterAndProgram();
        const TPWindows &windows = shell_->Windows();
        Press(Qt::Key_Down);               // the first model
        Press(Qt::Key_P, Qt::AltModifier); // the caption "Port Selection"
        Press(Qt::Key_Down);               // from "Auto Selection" to the printer
        Press(Qt::Key_Tab);
        Press(Qt::Key_Down); // the first destination
        Press(Qt::Key_Return);
        QVERIFY2(MessageBox::History().isEmpty(), qPrintable(MessageBox::History().value(0).text));
        QCOMPARE(shell_->CurrentState(), TStartUp::Adjusting);
        QCOMPARE(windows.boot->Selection().Destination, QString("US/Euro"));

        TFormAdjust *adjust = windows.adjust;
        QVERIFY(QTest::qWaitForWindowActive(adjust));
        QTRY_VERIFY(adjust->isEnabled());
        // Pages by arrow keys on the tabs, items by arrow keys in the lists.
        auto *tabs = adjust->findChild<QTabWidget *>("AdjustmentTab");
        TabTo("qt_tabwidget_tabbar");
        Press(Qt::Key_Right);
        QCOMPARE(tabs->currentIndex(), int(TItemRegistry::Maintenance));
        Press(Qt::Key_Left);
        QCOMPARE(tabs->currentIndex(), int(TItemRegistry::Adjustment));
        TabTo("AdjustRdoGrpItem0");
        Press(Qt::Key_Space); // "Market setting"
        Press(Qt::Key_Down);
        QVERIFY(adjust->ItemPanel(TItemRegistry::Adjustment, 1)->isVisible());
        Press(Qt::Key_Up);
        QVERIFY(adjust->ItemPanel(TItemRegistry::Adjustment, 0)->isVisible());
        const int readsBefore = printer_->EventsOf("eeprom_read").size();
        TabTo("DestCheckBtn");
        Press(Qt::Key_Space);
        QVERIFY(printer_->EventsOf("eeprom_read").size() > readsBefore);
        const QStringList lines = adjust->findChild<TStatusMemo *>("StatusMemo")->Lines();
        QVERIFY2(lines.contains("The present model name is Halden Photo Q510."),
                 qPrintable(lines.join(" | ")));

        // Once the window is released again the focus is back where it was.
        QTRY_VERIFY(adjust->isEnabled());
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("DestCheckBtn"));
        Press(Qt::Key_Escape);
        QCOMPARE(shell_->CurrentState(), TStartUp::Confirming);
        QVERIFY(QTest::qWaitForWindowActive(windows.quit));
        Press(Qt::Key_Escape);
        QCOMPARE(shell_->CurrentState(), TStartUp::Ended);
    }
};

QTEST_MAIN(AccessTest)
#include "access_test.moc"
