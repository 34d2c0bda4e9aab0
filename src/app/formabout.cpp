#include "formabout.h"

#include "printerpicture.h"
#include "widgets/windowplacement.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace
{
QLabel *NewLabel(QWidget *parent, const char *name, const QString &text, qreal scale, bool bold)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    return label;
}
} // namespace

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Version"));
    // A dialog frame with only the minimise icon.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMinimizeButtonHint);
    setModal(true);

    programIcon_ = new QLabel(this);
    programIcon_->setObjectName(QStringLiteral("ProgramIcon"));
    programIcon_->setAccessibleName(QStringLiteral("Program icon"));
    programIcon_->setAccessibleDescription(QStringLiteral(
        "A printer with a printed sheet in three colour bands coming out at the front"));
    programIcon_->setPixmap(TPrinterPicture::Pixmap(64));
    programIcon_->setFixedSize(64, 64);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(
        NewLabel(this, "ProductName", QStringLiteral("Halden Photo Q510/Q530"), 1.3, true));
    texts->addWidget(
        NewLabel(this, "ProgramName", QStringLiteral("Adjustment Program"), 1.1, false));
    texts->addWidget(
        NewLabel(this, "Comments", QStringLiteral("for Windows 98/Me/2000/XP"), 1.0, false));
    texts->addSpacing(8);
    texts->addWidget(NewLabel(this, "Version", QStringLiteral("Version 1.2"), 1.0, false));

    auto *panel = new QHBoxLayout;
    panel->setSpacing(16);
    panel->addWidget(programIcon_, 0, Qt::AlignTop | Qt::AlignLeft);
    panel->addLayout(texts);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setDefault(true);
    okButton_->setMinimumWidth(88);
    connect(okButton_, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addStretch();

    auto *rule = new QFrame(this);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 22, 22, 14);
    layout->setSpacing(14);
    layout->addLayout(panel);
    layout->addWidget(rule);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::OKButtonClick()
{
    done(QDialog::Accepted);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        TWindowPlacement::CentreOnScreen(this);
        okButton_->setFocus();
    }
}
