#include "formquit.h"

#include "printerpicture.h"
#include "widgets/windowplacement.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFormQuit::TFormQuit(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormQuit"));
    setWindowTitle(QStringLiteral("Adjustment program"));
    setWindowIcon(TPrinterPicture::Pixmap(64));
    // A single frame: no maximise, not resizable.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    label1_ = new QLabel(QStringLiteral("Do you continue?"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setAlignment(Qt::AlignCenter);
    QFont font = label1_->font();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    label1_->setFont(font);

    nextBtn_ = new QPushButton(QStringLiteral("Continue"), this);
    nextBtn_->setObjectName(QStringLiteral("NextBtn"));
    nextBtn_->setDefault(true);
    nextBtn_->setAutoDefault(true);
    quitBtn_ = new QPushButton(QStringLiteral("Quit"), this);
    quitBtn_->setObjectName(QStringLiteral("QuitBtn"));
    quitBtn_->setAutoDefault(true);
    for (QPushButton *button : {nextBtn_, quitBtn_})
        button->setMinimumWidth(96);
    connect(nextBtn_, &QPushButton::clicked, this, &TFormQuit::NextBtnClick);
    connect(quitBtn_, &QPushButton::clicked, this, &TFormQuit::QuitBtnClick);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    buttons->addStretch();
    buttons->addWidget(nextBtn_);
    buttons->addWidget(quitBtn_);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 18);
    layout->setSpacing(22);
    layout->addWidget(label1_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormQuit::NextBtnClick()
{
    hide();
    emit ContinueChosen();
}

void TFormQuit::QuitBtnClick()
{
    close();
}

void TFormQuit::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        TWindowPlacement::CentreOnScreen(this);
        nextBtn_->setFocus();
    }
}

void TFormQuit::closeEvent(QCloseEvent *event)
{
    // "Quit" and the frame's close alike end the program through the selection window.
    event->accept();
    emit QuitChosen();
}

void TFormQuit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        nextBtn_->click();
        return;
    case Qt::Key_Escape:
        quitBtn_->click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
