#pragma once

#include "adjust/items/itempanel.h"
#include "print/checkpattern.h"

#include <QString>
#include <cstdint>
#include <functional>

class QPushButton;
class TRadioList;

// "Check Pattern": prints the chosen check sheet (A4 normal paper, photo quality ink jet
// paper, photo paper, the CD-R sample job, the nozzle check).
class TCheckPatternPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit TCheckPatternPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *InitialFocus() override;

    void ChkPtnPrtBtnClick();
    void G0SCheckPrintBtnClick();
    void A4PrintBtnClick();
    void A4PhotoPrintBtnClick();
    void CDRPrintBtnClick();
    void NozzleCheckPatternPrintBtnClick();

private:
    // "Printing now...", the print, then its completion message or the error report.
    // False when the print failed (already reported).
    bool RunPrint(const std::function<uint16_t()> &print, const QString &doneText);
    // The line under "Cannot file open." of the CD-R print.
    QString CdrProblemLine() const;

    TPCheckPattern checks_;
    TRadioList *checkPatternRdoGrp_;
    QPushButton *chkPtnPrtBtn_;
};
