#include "defaultsetpanel.h"

#include "adjust/dialogs/messagebox.h"
#include "adjust/items/adjustservices.h"
#include "adjust/items/eepromsession.h"
#include "link/dllfunction.h"
#include "link/program.h"
#include "link/selection.h"
#include "market.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

namespace
{
constexpr int ModelNameBufferSize = 52;
} // namespace

TDefaultSetPanel::TDefaultSetPanel(TAdjustServices &window, QWidget *parent)
    : TItemPanel(window, parent), defaultSetOKBtn_(new QPushButton(QStringLiteral("OK"), this)),
      destCheckBtn_(new QPushButton(QStringLiteral("Check"), this))
{
    QVBoxLayout *layout = PageLayout();
    AddTitle(layout, QStringLiteral("Market setting "));
    layout->addSpacing(8);
    AddText(layout, QStringLiteral("Click the [OK] button to write the specific data in EEPROM."));
    AddText(layout, QStringLiteral("Click the [Check] button to check market and model name."));
    layout->addSpacing(8);
    AddText(layout, QStringLiteral("Make sure to perform this function when replacing the "
                                   "defective main board with new one."));
    layout->addSpacing(16);

    defaultSetOKBtn_->setObjectName(QStringLiteral("DefaultSetOKBtn"));
    destCheckBtn_->setObjectName(QStringLiteral("DestCheckBtn"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(defaultSetOKBtn_);
    buttons->addWidget(destCheckBtn_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);

    OnClick(defaultSetOKBtn_, &TDefaultSetPanel::DefaultSetOKBtnClick);
    OnClick(destCheckBtn_, &TDefaultSetPanel::DestCheckBtnClick);
}

QWidget *TDefaultSetPanel::OkButton()
{
    return defaultSetOKBtn_;
}

void TDefaultSetPanel::DefaultSetOKBtnClick()
{
    TPDLLFunction &dll = Window().Program().dll;
    TPEepromSession session(Window(), dll);
    if (!session.Begin(QStringLiteral("Writing now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    if (!session.WriteAll(TPMarket::SettingWrites(Window().Selection().DestinationCode())))
        return;
    if (!session.Finish(TPMode::Done,
                        QStringLiteral("The specific EEPROM data has been written properly.")))
        return;
    MessageBox::Show(Window().OwnerWidget(), MessageBox::Information, QStringLiteral("Information"),
                     QStringLiteral("Click the [OK] button to restart the printer."));
    if (!session.Check(dll.ChanResetPrinter()))
        return;
    linkDropped_ = true;
    Window().ShowStatus(TPMode::NewLine,
                        QStringLiteral("Click the [Check] button after printer initialization."));
}

void TDefaultSetPanel::DestCheckBtnClick()
{
    TPDLLFunction &dll = Window().Program().dll;
    const TPSelection &selection = Window().Selection();
    TPEepromSession session(Window(), dll);
    if (linkDropped_ && !ReopenAfterRestart(session))
        return;
    if (!session.Begin(QStringLiteral("Reading now..."), TPEepromSession::OnPrinterError::GoOn))
        return;
    std::array<uint8_t, 3> stored{};
    if (selection.Model() != TPModel::None) {
        const auto addresses = TPMarket::CheckedAddresses();
        for (size_t i = 0; i < addresses.size(); ++i) {
            if (!session.Read(addresses[i], &stored[i]))
                return;
        }
    }
    std::array<char, ModelNameBufferSize> name{};
    if (!session.Check(dll.GateGetModelName(name.data())))
        return;
    name.back() = '\0';
    ShowVerdict(QString::fromLatin1(name.data()), stored);
}

bool TDefaultSetPanel::ReopenAfterRestart(TPEepromSession &session)
{
    TPDLLFunction &dll = Window().Program().dll;
    dll.GateClosePort();
    if (!session.Check(dll.GateOpenPort(Window().Selection().PortCode)) ||
        !session.Check(dll.ChanOpen()))
        return false;
    linkDropped_ = false;
    return true;
}

void TDefaultSetPanel::ShowVerdict(const QString &modelName, const std::array<uint8_t, 3> &stored)
{
    const TPSelection &selection = Window().Selection();
    const TPMarket::Result result =
        TPMarket::Check(selection.Model(), selection.DestinationCode(), stored);
    switch (result.verdict) {
    case TPMarket::Verdict::Right:
        Window().ShowStatus(TPMode::Done, QStringLiteral("The market is "));
        Window().ShowStatus(TPMode::Append, result.marketText);
        break;
    case TPMarket::Verdict::Wrong:
        Window().ShowStatus(TPMode::Error,
                            QStringLiteral("The present market setting value is wrong."));
        Window().ShowStatus(TPMode::NewLine, QStringLiteral("Click the [OK] button to write the "
                                                            "market setting value in EEPROM."));
        break;
    case TPMarket::Verdict::Unchecked:
        // No market line; the done message (empty) still releases the window.
        Window().ShowStatus(TPMode::Done, QString());
        break;
    }
    Window().ShowStatus(TPMode::NewLine, QStringLiteral("The present model name is "));
    Window().ShowStatus(TPMode::Append, modelName);
    Window().ShowStatus(TPMode::Append, QStringLiteral("."));
}
