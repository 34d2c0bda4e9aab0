#include "formboot.h"

#include "linkframe.h"

#include "adjust/accessnames.h"
#include "adjust/dialogs/messagebox.h"
#include "link/dllfunction.h"
#include "printerpicture.h"
#include "widgets/windowplacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <array>
#include <cstring>

namespace
{
const QString AutoSelectionText = QStringLiteral("Auto Selection");
const QString FirstModel = QStringLiteral("Halden Photo Q510");
const QString SecondModel = QStringLiteral("Halden Photo Q530");
const QString NoAnswerText = QStringLiteral("Communication error occurred.\nPlease confirm the "
                                            "power for printer and I/F cable connection.");
const QString ChannelErrorText = QStringLiteral("Communication error occurred.");
constexpr int ModelNameBufferSize = 50;

// The hourglass for the length of a handler; restored early before a message box.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { Restore(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
    void Restore()
    {
        if (active_)
            QApplication::restoreOverrideCursor();
        active_ = false;
    }

private:
    bool active_ = true;
};

QLabel *NewCaptionPanel(QWidget *parent, const char *name, const QString &caption)
{
    auto *panel = new QLabel(caption, parent);
    panel->setObjectName(QLatin1String(name));
    // A caption panel, not a button: flat, tinted, bold.
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Window).darker(110));
    panel->setPalette(colours);
    QFont font = panel->font();
    font.setBold(true);
    panel->setFont(font);
    panel->setMinimumWidth(130);
    panel->setMinimumHeight(28);
    return panel;
}

QComboBox *NewList(QWidget *parent, const char *name, int visibleRows)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(false);
    combo->setMaxVisibleItems(visibleRows);
    combo->setMinimumWidth(260);
    combo->setMinimumHeight(28);
    return combo;
}
} // namespace

TFormBoot::TFormBoot(TPDLLFunction &dll, QWidget *parent) : QWidget(parent, Qt::Window), dll_(dll)
{
    BuildWindow();
}

void TFormBoot::BuildWindow()
{
    setObjectName(QStringLiteral("FormBoot"));
    setWindowTitle(QStringLiteral("NOVARI printer adjustment program"));
    setWindowIcon(TPrinterPicture::Pixmap(64));
    // Single frame with the minimise button and the system menu only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    label1_ = new QLabel(QStringLiteral("NOVARI printer adjustment program"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    QFont title = label1_->font();
    title.setPointSizeF(title.pointSizeF() * 1.7);
    title.setBold(true);
    label1_->setFont(title);
    label1_->setAlignment(Qt::AlignCenter);

    label2_ = new QLabel(QStringLiteral("for Windows 98 / Me / 2000 /XP "), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setAlignment(Qt::AlignCenter);

    portSelectOKBtn_ = new QPushButton(QStringLiteral("OK"), this);
    portSelectOKBtn_->setObjectName(QStringLiteral("PortSelectOKBtn"));
    portSelectOKBtn_->setDefault(true);
    portSelectOKBtn_->setAutoDefault(true);
    endBtn_ = new QPushButton(QStringLiteral("Quit"), this);
    endBtn_->setObjectName(QStringLiteral("EndBtn"));
    endBtn_->setAutoDefault(true);
    for (QPushButton *button : {portSelectOKBtn_, endBtn_})
        button->setMinimumSize(100, 30);
    connect(portSelectOKBtn_, &QPushButton::clicked, this, &TFormBoot::PortSelectOKBtnClick);
    connect(endBtn_, &QPushButton::clicked, this, &TFormBoot::EndBtnClick);

    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *menuVersion = popupMenu1_->addAction(QStringLiteral("Version"));
    menuVersion->setObjectName(QStringLiteral("MenuVersion"));
    connect(menuVersion, &QAction::triggered, this, &TFormBoot::MenuVersionClick);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    buttons->addStretch();
    buttons->addWidget(portSelectOKBtn_);
    buttons->addWidget(endBtn_);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 20);
    layout->setSpacing(6);
    layout->addWidget(label1_);
    layout->addWidget(label2_);
    layout->addSpacing(18);
    layout->addWidget(BuildChoices());
    layout->addSpacing(18);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(modelNameCombo_, interfaceCombo_);
    setTabOrder(interfaceCombo_, destinationCombo_);
    setTabOrder(destinationCombo_, portSelectOKBtn_);
    setTabOrder(portSelectOKBtn_, endBtn_);
}

QWidget *TFormBoot::BuildChoices()
{
    // A plain container for the layout: clicks between the lists belong to the window's
    // own surface.
    auto *choices = new QWidget(this);
    choices->setObjectName(QStringLiteral("ChoicesArea"));
    choicesArea_ = choices;

    modelNameCombo_ = NewList(choices, "ModelNameCombo", 3);
    modelNameCombo_->addItems({FirstModel, SecondModel});
    connect(modelNameCombo_, &QComboBox::activated, this, &TFormBoot::ModelNameComboChange);

    interfaceCombo_ = NewList(choices, "InterfaceCombo", 6);
    destinationCombo_ = NewList(choices, "DestinationCombo", 6);
    destinationCombo_->addItems(
        {QStringLiteral("North America / West Euro"), QStringLiteral("Asia")});

    auto *grid = new QGridLayout(choices);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    const std::array<std::pair<QLabel *, QComboBox *>, 3> rows{{
        // Alt with the underlined letter moves to the list beside a caption.
        {NewCaptionPanel(choices, "Panel1", QStringLiteral("&Model Name")), modelNameCombo_},
        {NewCaptionPanel(choices, "Panel3", QStringLiteral("&Port Selection")), interfaceCombo_},
        {NewCaptionPanel(choices, "Panel6", QStringLiteral("&Destination")), destinationCombo_},
    }};
    for (int row = 0; row < int(rows.size()); ++row) {
        Access::NameAfter(rows[row].second, rows[row].first);
        grid->addWidget(rows[row].first, row, 0);
        grid->addWidget(rows[row].second, row, 1);
    }
    grid->setColumnStretch(1, 1);
    return choices;
}

bool TFormBoot::IsPrinterPortName(const QString &name)
{
    return name.startsWith(QLatin1String("USB")) || name.startsWith(QLatin1String("NVUSB")) ||
           name.startsWith(QLatin1String("LPT"));
}

uint16_t TFormBoot::PortCodeOf(const QString &text)
{
    return link_port_code_of_name(text.toLatin1().constData());
}

void TFormBoot::FormShow()
{
    modelNameCombo_->setCurrentIndex(-1);
    interfaceCombo_->setCurrentIndex(-1);
    destinationCombo_->setCurrentIndex(-1);
    portSelectOKBtn_->setEnabled(true);
    endBtn_->setEnabled(true);
    RebuildPortList();
    interfaceCombo_->setCurrentIndex(interfaceCombo_->count() > 0 ? 0 : -1);
}

void TFormBoot::RebuildPortList()
{
    QStringList names;
    // A failed enumeration leaves the list as it was.
    if (!ports_.Enumerate(&names))
        return;
    interfaceCombo_->clear();
    AddPortItem(AutoSelectionText, QString());
    for (const QString &name : names) {
        if (IsPrinterPortName(name))
            AddPortItem(name + ModelSuffix(name), name);
    }
}

QString TFormBoot::ModelSuffix(const QString &portName)
{
    if (dll_.GateOpenPort(PortCodeOf(portName)) != Ok)
        return QString();
    // Room for the library's 49 characters and the zero, and a little more.
    std::array<char, ModelNameBufferSize + 2> buffer{};
    const bool named = dll_.GateGetModelName(buffer.data()) == Ok;
    // The port is closed whether or not the printer told its name, so that no port stays
    // held by the selection window.
    dll_.GateClosePort();
    if (!named)
        return QString();
    const size_t length = strnlen(buffer.data(), ModelNameBufferSize);
    return QStringLiteral(" (") + QString::fromUtf8(buffer.data(), int(length)) + QLatin1Char(')');
}

void TFormBoot::AddPortItem(const QString &text, const QString &portName)
{
    // The list is sorted, without regard to case.
    int at = 0;
    while (at < interfaceCombo_->count() &&
           QString::compare(interfaceCombo_->itemText(at), text, Qt::CaseInsensitive) <= 0)
        ++at;
    interfaceCombo_->insertItem(at, text, portName);
}

void TFormBoot::ModelNameComboChange()
{
    destinationCombo_->clear();
    switch (modelNameCombo_->currentIndex()) {
    case 0:
        destinationCombo_->addItems({QStringLiteral("US/Euro"), QStringLiteral("Latin")});
        break;
    case 1:
        destinationCombo_->addItems({QStringLiteral("Asia"), QStringLiteral("EAL")});
        break;
    default:
        break;
    }
    destinationCombo_->setCurrentIndex(-1);
}

uint16_t TFormBoot::AutoSelection()
{
    QStringList names;
    if (!ports_.Enumerate(&names))
        return TPSelection::NoPort;
    for (const QString &name : names) {
        if (!IsPrinterPortName(name))
            continue;
        const uint16_t code = PortCodeOf(name);
        if (dll_.GateOpenPort(code) != Ok)
            continue;
        // Only a supported model qualifies; the port is closed either way.
        const bool supported = dll_.GateCheckDeviceId() == Ok;
        dll_.GateClosePort();
        if (supported)
            return code;
    }
    return TPSelection::NoPort;
}

uint16_t TFormBoot::ChosenPortCode()
{
    if (interfaceCombo_->currentText() == AutoSelectionText)
        return AutoSelection();
    // The port name kept with the item; the model name shown after it plays no part.
    const QString portName = interfaceCombo_->currentData().toString();
    return PortCodeOf(portName.isEmpty() ? interfaceCombo_->currentText() : portName);
}

void TFormBoot::PortSelectOKBtnClick()
{
    BusyCursor busy;
    if (modelNameCombo_->currentIndex() < 0 || interfaceCombo_->currentIndex() < 0 ||
        destinationCombo_->currentIndex() < 0)
        return;

    switch (modelNameCombo_->currentIndex()) {
    case 0:
        selection_.ModelCode = 1;
        break;
    case 1:
        selection_.ModelCode = 2;
        break;
    default:
        selection_.ModelCode = TPSelection::NoModel;
        break;
    }
    if (selection_.ModelCode != TPSelection::NoModel)
        dll_.ChanSetCommandCode(0x5E, 0xA7);
    selection_.Destination = destinationCombo_->currentText();
    selection_.PortCode = ChosenPortCode();

    dll_.GateClosePort();
    if (dll_.GateOpenPort(selection_.PortCode) != Ok) {
        busy.Restore();
        ShowError(OpenFailureText(selection_.PortCode));
        return;
    }
    const uint16_t deviceId = dll_.GateCheckDeviceId();
    if (deviceId != Ok && deviceId != UnsupportedModel) {
        busy.Restore();
        ShowError(NoAnswerText);
        return;
    }
    if (dll_.ChanOpen() != Ok) {
        busy.Restore();
        ShowError(ChannelErrorText);
        return;
    }
    hide();
    emit PrinterOpened();
}

QString TFormBoot::OpenFailureText(uint16_t portCode) const
{
    // A printer on a device node the user may not open is no communication fault: name the
    // node and the remedy.
    const TPNodeAccess denied = ports_.DeniedNode(portCode);
    if (!denied.Denied())
        return NoAnswerText;
    if (denied.group.isEmpty())
        return QStringLiteral("Cannot open %1: permission denied. Ask your administrator to give "
                              "your user read and write access to it.")
            .arg(denied.node);
    return QStringLiteral("Cannot open %1: permission denied. Add your user to the group '%2' "
                          "(sudo adduser $USER %2) and log in again.")
        .arg(denied.node, denied.group);
}

void TFormBoot::ShowError(const QString &text)
{
    MessageBox::Show(this, MessageBox::Error, QStringLiteral("Error!"), text);
}

void TFormBoot::EndBtnClick()
{
    close();
}

void TFormBoot::MenuVersionClick()
{
    emit VersionRequested();
}

void TFormBoot::FormMouseUp(Qt::MouseButton button, const QPoint &position)
{
    if (button != Qt::RightButton)
        return;
    const QRect frame = frameGeometry();
    popupMenu1_->popup(QPoint(frame.left() + position.x() + 3, frame.top() + position.y() + 20));
}

void TFormBoot::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    if (!placed_) {
        TWindowPlacement::CentreOnScreen(this);
        placed_ = true;
    }
    modelNameCombo_->setFocus();
}

void TFormBoot::closeEvent(QCloseEvent *event)
{
    dll_.GateClosePort();
    event->accept();
    emit Closed();
}

void TFormBoot::mouseReleaseEvent(QMouseEvent *event)
{
    // Only the window's own surface, not one of its controls (labels and panels included).
    QWidget *under = childAt(event->position().toPoint());
    if (under && under != choicesArea_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    FormMouseUp(event->button(), event->position().toPoint());
}

void TFormBoot::contextMenuEvent(QContextMenuEvent *event)
{
    // The menu key opens the popup menu as a right click at the window's corner would.
    if (event->reason() == QContextMenuEvent::Keyboard)
        FormMouseUp(Qt::RightButton, QPoint(0, 0));
    else
        event->ignore();
}

void TFormBoot::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        portSelectOKBtn_->click();
        return;
    case Qt::Key_Escape:
        endBtn_->click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
