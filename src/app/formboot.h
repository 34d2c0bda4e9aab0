#pragma once

#include "link/portenumeration.h"
#include "link/selection.h"

#include <QWidget>
#include <cstdint>

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class TPDLLFunction;

// The printer selection window, the first window and the application's main window: the
// technician picks the model, the port and the destination; "OK" opens the port, checks that
// a printer answers, opens the channel and hands over to the main adjustment window. The
// window keeps the choices for the rest of the run.
class TFormBoot : public QWidget
{
    Q_OBJECT

public:
    static constexpr uint16_t Ok = 1;
    static constexpr uint16_t UnsupportedModel = 0x1001;

    explicit TFormBoot(TPDLLFunction &dll, QWidget *parent = nullptr);

    // Where the port list comes from (the session's port directory and /dev by default).
    void SetPortEnumeration(const TPPortEnumeration &ports) { ports_ = ports; }

    const TPSelection &Selection() const { return selection_; }

    // Port code of a port name or port list item: 0x0400 + n after the first "USB",
    // else 0x047F + n after the first "LPT" (n: the decimal digits among the next three
    // characters, up to the first other character; none gives 0), else 0x0503.
    static uint16_t PortCodeOf(const QString &text);
    // Ports the window deals with: names beginning with "USB", "NVUSB" or "LPT".
    static bool IsPrinterPortName(const QString &name);

    // Handlers, public so the shell and tests can run them as a click would.
    void FormShow();
    void ModelNameComboChange();
    void PortSelectOKBtnClick();
    void EndBtnClick();
    void MenuVersionClick();
    void FormMouseUp(Qt::MouseButton button, const QPoint &position);

    // The first port (in enumeration order) whose printer answers with a supported model,
    // as a port code; 0x0503 when there is none.
    uint16_t AutoSelection();

    QMenu *PopupMenu1() const { return popupMenu1_; }

signals:
    // "OK" succeeded: the window is hidden, port and channel are open.
    void PrinterOpened();
    // "Version" in the popup menu.
    void VersionRequested();
    // The window closed (the port is closed); the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildWindow();
    QWidget *BuildChoices();
    void RebuildPortList();
    QString ModelSuffix(const QString &portName);
    void AddPortItem(const QString &text, const QString &portName);
    uint16_t ChosenPortCode();
    // The message for a port that does not open.
    QString OpenFailureText(uint16_t portCode) const;
    void ShowError(const QString &text);

    TPDLLFunction &dll_;
    TPPortEnumeration ports_;
    TPSelection selection_;
    bool placed_ = false;

    QWidget *choicesArea_ = nullptr;
    QLabel *label1_ = nullptr;
    QLabel *label2_ = nullptr;
    QComboBox *modelNameCombo_ = nullptr;
    QComboBox *interfaceCombo_ = nullptr;
    QComboBox *destinationCombo_ = nullptr;
    QPushButton *portSelectOKBtn_ = nullptr;
    QPushButton *endBtn_ = nullptr;
    QMenu *popupMenu1_ = nullptr;
};
