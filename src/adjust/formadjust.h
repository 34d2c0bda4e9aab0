#pragma once

#include "errorreport.h"
#include "howto/howto.h"
#include "items/adjustservices.h"
#include "items/itemregistry.h"
#include "link/windowlink.h"

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <map>
#include <optional>

class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
class TAdjustedItemsPanel;
class TClickText;
class TItemPanel;
class TRadioList;
class TStatusMemo;
struct TPProgram;
struct TPSelection;

// The main adjustment window: the item lists on three tab pages, one panel per item, the
// "Adjusted items" summary, the status memo, "Get Status" and "Quit". It owns the open port
// and channel while shown and closes both when it closes.
class TFormAdjust : public QWidget, public TPWindowLink, public TAdjustServices
{
    Q_OBJECT

public:
    TFormAdjust(TPProgram &program, const TPSelection &selection, QWidget *parent = nullptr);
    ~TFormAdjust() override;

    // TPWindowLink and TAdjustServices.
    uint16_t ShowStatus(TPMode mode, const QString &text) override;
    void Repaint() override;
    void PaperPrompt() override;
    void ReportError(uint16_t code) override;
    void ShowAdjustedItems() override;
    void ShowItemPanel(TItemPanel &panel) override;
    void SetSummaryValue(TPSummaryCell cell, const QString &text) override;
    void ShowHowTo(THowToTopic topic) override { howTo_.Show(topic); }
    TPProgram &Program() override { return program_; }
    const TPSelection &Selection() const override { return selection_; }
    QWidget *OwnerWidget() override { return this; }
    void HandlerStarted() override { ++runningHandlers_; }
    void HandlerEnded() override { --runningHandlers_; }

    // Item locks: every entry, only the entries usable in a printer error state, or none
    // (with the advice to restart the printer).
    void SetItemAvailability(TPLockLevel level);

    // Handlers, public so the shell and tests can run them as a click would.
    void GetStatusBtnClick();
    void FormShow();
    void FormClose();
    void AdjustRdoGrpClick();
    void MainteRdoGrpClick();
    void AppendixRdoGrpClick();
    void Memo1Click();
    void AdjustmentTabChange();
    void AdjustQuitBtnClick();
    void DisableTimerTimer();

    // The panel of an item (built or empty placeholder).
    QWidget *ItemPanel(TItemRegistry::List list, int index) const;

signals:
    // Emitted at the end of the close sequence; the shell then shows the quit window.
    void Closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildWindow();
    QWidget *BuildListPage(TItemRegistry::List list);
    QWidget *BuildItemArea();
    QWidget *BuildBottomRow();
    void BuildItemPanels(QWidget *canvas);
    void ListClick(TItemRegistry::List list);
    void ClearSelections(bool adjustment, bool maintenance, bool appendix);
    void SetBusy(bool busy);
    // Enables the window again, with the focus back on the control that had it.
    void Release();
    void StartDisableTimer();
    void ShowWording(const TPErrorWording &wording);
    // The built item whose panel is in the item area, if any.
    TItemPanel *ShowingItem() const;

    TPProgram &program_;
    const TPSelection &selection_;
    THowToWindows howTo_;

    QTabWidget *adjustmentTab_ = nullptr;
    std::array<TRadioList *, TItemRegistry::ListCount> lists_{};
    TClickText *memo1_ = nullptr;
    QWidget *canvasPnl_ = nullptr;
    TAdjustedItemsPanel *adjustedItemsPnl_ = nullptr;
    TStatusMemo *statusMemo_ = nullptr;
    QLabel *modelNameLbl_ = nullptr;
    QPushButton *getStatusBtn_ = nullptr;
    QPushButton *adjustQuitBtn_ = nullptr;
    QTimer *disableTimer_ = nullptr;
    // Enabled state of the window at its last whole repaint.
    std::optional<bool> paintedEnabled_;
    QPointer<QWidget> focusBeforeBusy_;
    // Item handlers running now (nested when one runs inside the wait of another).
    int runningHandlers_ = 0;

    // Every item panel by list and index; built items are also kept as TItemPanel.
    std::map<std::pair<int, int>, QWidget *> panels_;
    std::map<std::pair<int, int>, TItemPanel *> items_;
};
