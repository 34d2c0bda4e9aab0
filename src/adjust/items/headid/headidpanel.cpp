#include "headidpanel.h"

#include "adjust/accessnames.h"
#include "adjust/items/headangular/headangular.h"
#include "print/checkpattern.h"

#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "adjust/items/uppercasevalidator.h"
#include "link/program.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
// A print head seen from the front with its ID label, where the technician reads the ID.
QPixmap HeadPicture()
{
    constexpr int Width = 220;
    constexpr int Height = 96;
    // Drawn at the screen's pixel density, so it stays sharp on a scaled screen.
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap picture(QSize(Width, Height) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.setBrush(QColor(200, 204, 210));
    painter.drawRoundedRect(QRectF(10, 8, 200, 62), 6, 6);
    // Nozzle plate with its six colour rows.
    const QColor inks[] = {
        Qt::black, Qt::cyan, Qt::magenta, Qt::yellow, QColor(150, 230, 255), QColor(255, 160, 220)};
    painter.setBrush(QColor(90, 90, 95));
    painter.drawRect(QRectF(40, 70, 140, 14));
    for (int i = 0; i < 6; ++i) {
        painter.setPen(QPen(inks[i], 2));
        const qreal x = 50 + i * 22;
        painter.drawLine(QPointF(x, 73), QPointF(x + 12, 73));
        painter.drawLine(QPointF(x, 80), QPointF(x + 12, 80));
    }
    // The ID label.
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(Qt::white);
    const QRectF label(28, 24, 164, 26);
    painter.drawRect(label);
    QFont font = painter.font();
    font.setFamily(QStringLiteral("monospace"));
    font.setPixelSize(13);
    painter.setFont(font);
    painter.drawText(label, Qt::AlignCenter, QStringLiteral("0A1B2CABCDEFUAN"));
    return picture;
}
} // namespace

THeadIdPanel::THeadIdPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), headId_(window.Program().dll)
{
    BuildInputPage();
    BuildPrintPage();
}

void THeadIdPanel::BuildInputPage()
{
    QVBoxLayout *layout = PageLayout();
    QWidget *page = layout->parentWidget();
    AddTitle(layout, QStringLiteral("Head ID input "));
    auto *picture = new QLabel(page);
    picture->setPixmap(HeadPicture());
    picture->setAlignment(Qt::AlignCenter);
    picture->setToolTip(QStringLiteral("The head ID is printed on the label of the print head."));
    layout->addWidget(picture);
    AddText(layout, QStringLiteral("Enter the Head ID (15 digits) and click the [Input] button to "
                                   "write Head ID in EEPROM."));
    layout->addSpacing(12);

    auto *label = new QLabel(QStringLiteral("Head ID"), page);
    headIdInputEdit_ = new QLineEdit(page);
    const QString editName = QStringLiteral("HeadIDInputEdit");
    headIdInputEdit_->setObjectName(editName);
    headIdInputEdit_->setMaxLength(TPHeadID::IdLength);
    headIdInputEdit_->setValidator(new TUpperCaseValidator(headIdInputEdit_));
    headIdInputEdit_->setToolTip(QStringLiteral("The 15 characters of the head ID label"));
    headIdInputEdit_->setFixedWidth(headIdInputEdit_->fontMetrics().horizontalAdvance(
                                        QStringLiteral("W").repeated(TPHeadID::IdLength)) +
                                    16);
    Access::NameAfter(headIdInputEdit_, label);

    headIdInputOKBtn_ = new QPushButton(QStringLiteral("Input"), page);
    headIdInputOKBtn_->setObjectName(QStringLiteral("HeadIDInputOKBtn"));
    headIdReadBtn_ = new QPushButton(QStringLiteral("Read"), page);
    headIdReadBtn_->setObjectName(QStringLiteral("HeadIDReadBtn"));
    headCheckPrintShowBtn_ = new QPushButton(QStringLiteral("Go to print page"), page);
    headCheckPrintShowBtn_->setObjectName(QStringLiteral("HeadCheckPrintShowBtn"));

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(label);
    row->addWidget(headIdInputEdit_);
    row->addWidget(headIdInputOKBtn_);
    row->addWidget(headIdReadBtn_);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(headCheckPrintShowBtn_);
    layout->addLayout(bottom);

    connect(headIdInputEdit_, &QLineEdit::returnPressed, headIdInputOKBtn_, &QPushButton::click);
    OnClick(headIdInputOKBtn_, &THeadIdPanel::HeadIDInputOKBtnClick);
    OnClick(headIdReadBtn_, &THeadIdPanel::HeadIDReadBtnClick);
    OnClick(headCheckPrintShowBtn_, &THeadIdPanel::HeadCheckPrintShowBtnClick);
}

void THeadIdPanel::BuildPrintPage()
{
    QVBoxLayout *layout = AddPage(QStringLiteral("HeadCheckPrintPnl"));
    QWidget *page = layout->parentWidget();
    AddTitle(layout, QStringLiteral("Print the head check pattern "));
    layout->addSpacing(8);
    AddText(layout, QStringLiteral("Click the [Print] button to print the head check pattern."));
    AddText(layout, QStringLiteral("Use Normal Paper (A4/Letter size)"));
    layout->addSpacing(8);
    for (const char *shown : {"- Dot mis-alignment(Horizontal)/BendLine", "- Nozzle Column Shift",
                              "- VSD2 Variable Dot"})
        AddText(layout, QString::fromLatin1(shown))->setIndent(16);
    layout->addSpacing(16);

    headCheckPrintBtn_ = new QPushButton(QStringLiteral("Print"), page);
    headCheckPrintBtn_->setObjectName(QStringLiteral("HeadCheckPrintBtn"));
    headCheckPaperFeedBtn_ = new QPushButton(QStringLiteral("Paper feed"), page);
    headCheckPaperFeedBtn_->setObjectName(QStringLiteral("HeadCheckPaperFeedBtn"));
    headIdInputShowBtn_ = new QPushButton(QStringLiteral("Go to input page"), page);
    headIdInputShowBtn_->setObjectName(QStringLiteral("HeadIDInputShowBtn"));

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(headCheckPrintBtn_);
    row->addWidget(headCheckPaperFeedBtn_);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(headIdInputShowBtn_);
    layout->addLayout(bottom);

    OnClick(headCheckPrintBtn_, &THeadIdPanel::HeadCheckPrintBtnClick);
    OnClick(headCheckPaperFeedBtn_, &THeadIdPanel::HeadCheckPaperFeedBtnClick);
    OnClick(headIdInputShowBtn_, &THeadIdPanel::HeadIDInputShowBtnClick);
}

QWidget *THeadIdPanel::InitialFocus()
{
    return CurrentPage() == PrintPage ? static_cast<QWidget *>(headCheckPrintBtn_)
                                      : static_cast<QWidget *>(headIdInputEdit_);
}

QWidget *THeadIdPanel::OkButton()
{
    return headIdInputOKBtn_;
}

TPErrorWording THeadIdPanel::ItemError(uint16_t code) const
{
    if (code != TPResult::HeadIdError)
        return {};
    return TPHeadID::Wording(headId_.ErrorDetail());
}

void THeadIdPanel::HeadIDInputOKBtnClick()
{
    const QString text = headIdInputEdit_->text();
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Writing now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    if (!session.Check(headId_.WriteHeadId(text))) {
        headIdInputEdit_->setFocus();
        return;
    }
    if (!session.Finish(TPMode::Done, QStringLiteral("The head ID has been written properly.")))
        return;
    Window().SetSummaryValue(TPSummaryCell::HeadId, text);
}

void THeadIdPanel::HeadIDReadBtnClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    if (!session.Check(headId_.ReadHeadId(&readBuffer_)))
        return;
    if (!session.Finish(TPMode::Done, QStringLiteral("Head ID = ")))
        return;
    Window().ShowStatus(TPMode::Append, readBuffer_);
}

void THeadIdPanel::HeadCheckPrintBtnClick()
{
    TPEepromSession session(Window(), Window().Program().dll);
    if (!session.Begin(QStringLiteral("Printing now..."), TPEepromSession::OnPrinterError::Report))
        return;
    // The head check print (its layout is wired in here).
    if (!session.Check(TPCheckPattern(Window().Program()).HeadCheckPrint()))
        return;
    session.Finish(TPMode::DoneAfterWait,
                   QStringLiteral("The head check pattern print has completed."));
}

void THeadIdPanel::HeadCheckPaperFeedBtnClick()
{
    // The head angular adjustment's paper feed.
    const uint16_t result = TPHeadAngular::PaperFeed(Window().Program().raster);
    if (result != TPResult::Ok)
        Window().ReportError(result);
}

void THeadIdPanel::HeadCheckPrintShowBtnClick()
{
    ShowPage(PrintPage);
    headCheckPrintBtn_->setFocus();
}

void THeadIdPanel::HeadIDInputShowBtnClick()
{
    ShowPage(InputPage);
    headIdInputEdit_->setFocus();
}
