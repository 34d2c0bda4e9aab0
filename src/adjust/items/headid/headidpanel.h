#pragma once

#include "adjust/items/itempanel.h"
#include "headid.h"

class QLineEdit;
class QPushButton;

// "Head ID input": the input page writes and reads the head ID; the print page prints the
// head check pattern and feeds paper.
class THeadIdPanel : public TItemPanel
{
    Q_OBJECT

public:
    explicit THeadIdPanel(TAdjustServices &window, QWidget *parent = nullptr);

    QWidget *InitialFocus() override;
    QWidget *OkButton() override;
    TPErrorWording ItemError(uint16_t code) const override;

    void HeadIDInputOKBtnClick();
    void HeadIDReadBtnClick();
    void HeadCheckPrintBtnClick();
    void HeadCheckPaperFeedBtnClick();
    void HeadCheckPrintShowBtnClick();
    void HeadIDInputShowBtnClick();

private:
    enum Page { InputPage = 0, PrintPage = 1 };

    void BuildInputPage();
    void BuildPrintPage();

    TPHeadID headId_;
    // The last head ID read, kept while the program runs.
    QString readBuffer_ = QStringLiteral("000000000000000");

    QLineEdit *headIdInputEdit_ = nullptr;
    QPushButton *headIdInputOKBtn_ = nullptr;
    QPushButton *headIdReadBtn_ = nullptr;
    QPushButton *headCheckPrintShowBtn_ = nullptr;
    QPushButton *headCheckPrintBtn_ = nullptr;
    QPushButton *headCheckPaperFeedBtn_ = nullptr;
    QPushButton *headIdInputShowBtn_ = nullptr;
};
