#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Shown when the main adjustment window has closed: "Continue" goes back to the printer
// selection window, "Quit" (or closing this window by its frame) ends the program.
class TFormQuit : public QWidget
{
    Q_OBJECT

public:
    explicit TFormQuit(QWidget *parent = nullptr);

    // "Continue": hides this window; the selection window is shown again.
    void NextBtnClick();
    // "Quit": closes this window, which closes the selection window.
    void QuitBtnClick();

signals:
    void ContinueChosen();
    void QuitChosen();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLabel *label1_ = nullptr;
    QPushButton *nextBtn_ = nullptr;
    QPushButton *quitBtn_ = nullptr;
};
