#pragma once

#include <QGroupBox>
#include <QString>
#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

// Up-down arrows beside a read-only edit: steps its value by one within its range, by mouse
// or with the Up and Down keys.
class TMarginUpDown : public QWidget
{
    Q_OBJECT

public:
    TMarginUpDown(int minimum, int maximum, QWidget *parent = nullptr);
    void SetValue(int value);
    int Value() const { return value_; }
    void StepBy(int delta);

signals:
    // After a step that changed the value.
    void Stepped(int value);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int minimum_;
    int maximum_;
    int value_ = 0;
};

// The "Input" group of the first dot and top margin adjustments: the setting in an edit with
// an up-down, two gauges showing the margin left on either side, the offset in millimetres,
// five movement buttons, "Input" and "Read". Laid out across the panel for the first dot
// (horizontal) and turned through a right angle for the top margin (vertical gauges).
class TMarginInputGroup : public QGroupBox
{
    Q_OBJECT

public:
    struct Move {
        const char *name;
        QString hint;
    };
    // Names and texts of the controls; "first" is the left or top side, where the setting's
    // minimum lies, "second" the right or bottom side.
    struct Config {
        Qt::Orientation orientation;
        double millimetresPerStep;
        int stepPoints;
        const char *edit;
        // What the value is, in words ("First dot value").
        QString editCaption;
        const char *upDown;
        const char *firstGauge;
        QString firstGaugeCaption;
        const char *secondGauge;
        QString secondGaugeCaption;
        const char *valuePanel;
        QString valuePanelCaption;
        Move toFirstEdge;
        Move stepToFirst;
        Move centering;
        Move stepToSecond;
        Move toSecondEdge;
        const char *inputButton;
        const char *readButton;
    };

    explicit TMarginInputGroup(const Config &config, QWidget *parent = nullptr);

    // The shared operation: clamps, and shows the value in the edit, the gauges and the
    // millimetres.
    void SetSetting(int value);
    // A step of delta points from the edit's value; nothing when the edit holds no number.
    void Step(int delta);
    void ClearEdit();
    QString EditText() const;

    QLineEdit *Edit() const { return edit_; }
    QPushButton *InputButton() const { return inputBtn_; }
    QPushButton *ReadButton() const { return readBtn_; }

private:
    void ShowGaugesAndMillimetres(int value);
    QToolButton *AddMove(const Move &move, int kind, bool towardSecond);
    void LayOutHorizontal(QWidget *valueRow, QWidget *moves, QWidget *actions);
    void LayOutVertical(QWidget *valueRow, QWidget *moves, QWidget *actions);
    QWidget *GaugeWithCaption(QProgressBar *gauge, const QString &caption);

    Config config_;
    QLineEdit *edit_;
    TMarginUpDown *upDown_;
    QProgressBar *firstGauge_;
    QProgressBar *secondGauge_;
    QLabel *valuePanel_;
    QPushButton *inputBtn_;
    QPushButton *readBtn_;
};

class TAdjustServices;
enum class TPSummaryCell;
namespace TPScan
{
class TPPageReader;
struct PageReading;
} // namespace TPScan

// "Input" and "Read" of the first dot and top margin, alike but for what they store, where,
// and their texts. Input checks the typed setting (red range message, focus on the edit),
// stores it with write, shows doneText and fills the summary cell; Read fills the group from
// the stored byte at address.
void MarginInput(TAdjustServices &window, TMarginInputGroup &input,
                 const std::function<uint16_t(int)> &write, const QString &doneText,
                 TPSummaryCell cell);
void MarginRead(TAdjustServices &window, TMarginInputGroup &input, uint8_t address,
                const QString &doneText);
// "Read from scan...": asks for the image of the printed page, reads the stored byte at
// address (the value the page was printed with), lets `read` measure the page and fills the
// group with a proposal worth typing in; the memo says what was read or why nothing was.
void MarginScanRead(TAdjustServices &window, QWidget *owner, TMarginInputGroup &input,
                    uint8_t address, const QString &doneText,
                    const std::function<TPScan::PageReading(TPScan::TPPageReader &, int)> &read);
