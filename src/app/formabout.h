#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The version window, shown modally from the selection window's popup menu. It is created
// once and shown as often as asked.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // "OK": closes the window with the modal result OK.
    void OKButtonClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *programIcon_ = nullptr;
    QPushButton *okButton_ = nullptr;
};
