#pragma once

// The window of a virtual printer started with --tray: a panel like the printer's own (what
// it is doing, ink levels, the Paper button that ends a paper-out error, the power switch),
// where the platen gap stands and what the last factory command did, above the job in print
// and the output tray with the printed pages. A "Service view" box shows the printer's mechanical
// errors, hidden otherwise so that the printed pages stay a fair test for a person.

#include <cstdint>
#include <optional>

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace sim
{

class JobInPrint;
class OutputTray;
class VirtualPrinter;

class PrinterWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PrinterWindow(VirtualPrinter &printer, QWidget *parent = nullptr);
    ~PrinterWindow() override;

    OutputTray *Tray() const { return tray_; }
    // The job in print, above the tray.
    JobInPrint *JobPanel() const { return jobInPrint_; }
    // The panel's text as shown now (state, ink, platen gap, last command).
    QString PanelText() const;

public slots:
    void Refresh();
    void PaperBtnClick();
    void ClearBtnClick();
    void PowerBtnClick();

private:
    VirtualPrinter &printer_;
    QLabel *stateLbl_;
    QLabel *inkLbl_;
    QLabel *platenGapLbl_;
    QLabel *lastActionLbl_;
    QCheckBox *serviceViewCheck_; // shows the hidden mechanical errors
    QLabel *mechanicsLbl_;
    QLabel *captureLbl_;
    QPushButton *paperBtn_;
    QPushButton *clearBtn_;
    QPushButton *powerBtn_;
    JobInPrint *jobInPrint_;
    OutputTray *tray_;
    QTimer refreshTimer_;
};

// What the printer is doing, in words ("Ready", "Error 6: paper out", ...).
QString StateText(uint8_t state, std::optional<uint8_t> error);

} // namespace sim
