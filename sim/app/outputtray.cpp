#include "outputtray.h"

#include "scanlook.h"

#include <algorithm>
#include <cmath>

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include <nlohmann/json.hpp>

namespace sim
{

namespace
{

constexpr double kMinZoom = 0.125;
constexpr double kMaxZoom = 4.0;
constexpr double kZoomStep = 1.25;
// Pages are kept no larger than this (a 90 dpi A4 page is 744 x 1053), so that full-resolution
// pages do not fill the memory.
constexpr int kMaxKeptHeight = 1400;

QPushButton *Button(const QString &text, const char *name, const QString &tip, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    return button;
}

} // namespace

OutputTray::OutputTray(QWidget *parent) : QWidget(parent)
{
    qRegisterMetaType<sim::PrintedPage>("sim::PrintedPage");
    setObjectName("OutputTray");
    setWindowTitle(tr("Virtual printer - output tray"));
    resize(1200, 800);

    pageList_ = new QListWidget(this);
    pageList_->setObjectName("pageList");
    pageList_->setAccessibleName(tr("Printed pages"));
    pageList_->setIconSize(QSize(48, 68));
    pageList_->setMinimumWidth(170);

    pageView_ = new QLabel(this);
    pageView_->setObjectName("pageView");
    pageView_->setAccessibleName(tr("Page image"));
    pageView_->setAlignment(Qt::AlignCenter);
    pageView_->setText(tr("No page printed yet."));
    pageScroll_ = new QScrollArea(this);
    pageScroll_->setObjectName("pageScroll");
    pageScroll_->setAccessibleName(tr("Page"));
    pageScroll_->setWidget(pageView_);
    pageScroll_->setWidgetResizable(false);
    pageScroll_->setAlignment(Qt::AlignCenter);
    pageScroll_->setFocusPolicy(Qt::StrongFocus);
    pageScroll_->setBackgroundRole(QPalette::Dark);

    reportView_ = new QPlainTextEdit(this);
    reportView_->setObjectName("reportView");
    reportView_->setAccessibleName(tr("Job report"));
    reportView_->setReadOnly(true);
    reportView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    reportView_->setTabChangesFocus(true);
    reportView_->setMinimumWidth(260);
    reportView_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    pageInfoLbl_ = new QLabel(this);
    pageInfoLbl_->setObjectName("pageInfoLbl");
    pageInfoLbl_->setAccessibleName(tr("Page information"));
    zoomLbl_ = new QLabel(this);
    zoomLbl_->setObjectName("zoomLbl");
    zoomLbl_->setAccessibleName(tr("Zoom"));
    zoomOutBtn_ = Button(tr("Zoom &out"), "zoomOutBtn", tr("Zoom out (Ctrl+-)"), this);
    zoomInBtn_ = Button(tr("Zoom &in"), "zoomInBtn", tr("Zoom in (Ctrl++)"), this);
    zoomFitBtn_ = Button(tr("&Fit width"), "zoomFitBtn", tr("Fit the page's width (Ctrl+0)"), this);
    clearBtn_ = Button(tr("&Clear tray"), "clearBtn", tr("Take all pages out of the tray"), this);
    saveScanBtn_ = Button(tr("Save as &scan..."), "saveScanBtn",
                          tr("Save the page as a scanner would deliver it"), this);
    darkLidCheck_ = new QCheckBox(tr("&Dark lid"), this);
    darkLidCheck_->setObjectName("darkLidCheck");
    darkLidCheck_->setAccessibleName(tr("Scan on a dark lid"));
    darkLidCheck_->setToolTip(tr("Scan the page on a dark lid, so that the paper's edges show: "
                                 "first dot, top margin and PW sensor pages are read so"));

    auto *tools = new QHBoxLayout;
    tools->addWidget(zoomOutBtn_);
    tools->addWidget(zoomInBtn_);
    tools->addWidget(zoomFitBtn_);
    tools->addWidget(zoomLbl_);
    tools->addStretch(1);
    tools->addWidget(pageInfoLbl_);
    tools->addStretch(1);
    tools->addWidget(darkLidCheck_);
    tools->addWidget(saveScanBtn_);
    tools->addWidget(clearBtn_);

    auto *splitter = new QSplitter(this);
    splitter->setObjectName("traySplitter");
    splitter->addWidget(pageList_);
    splitter->addWidget(pageScroll_);
    splitter->addWidget(reportView_);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(splitter, 1);

    setTabOrder(pageList_, pageScroll_);
    setTabOrder(pageScroll_, reportView_);
    setTabOrder(reportView_, zoomOutBtn_);
    setTabOrder(zoomOutBtn_, zoomInBtn_);
    setTabOrder(zoomInBtn_, zoomFitBtn_);
    setTabOrder(zoomFitBtn_, darkLidCheck_);
    setTabOrder(darkLidCheck_, saveScanBtn_);
    setTabOrder(saveScanBtn_, clearBtn_);

    connect(pageList_, &QListWidget::currentRowChanged, this, [this] { ShowSelected(); });
    connect(zoomInBtn_, &QPushButton::clicked, this, &OutputTray::ZoomIn);
    connect(zoomOutBtn_, &QPushButton::clicked, this, &OutputTray::ZoomOut);
    connect(zoomFitBtn_, &QPushButton::clicked, this, &OutputTray::ZoomToFit);
    connect(clearBtn_, &QPushButton::clicked, this, &OutputTray::Clear);
    connect(saveScanBtn_, &QPushButton::clicked, this, &OutputTray::SaveScanAs);
    const auto shortcut = [this](const QKeySequence &keys, void (OutputTray::*slot)()) {
        auto *s = new QShortcut(keys, this);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::ZoomIn, &OutputTray::ZoomIn);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), &OutputTray::ZoomIn);
    shortcut(QKeySequence::ZoomOut, &OutputTray::ZoomOut);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), &OutputTray::ZoomToFit);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_1), &OutputTray::ZoomToActualSize);
    UpdateView();
}

void OutputTray::PostPage(const PrintedPage &page)
{
    QMetaObject::invokeMethod(
        this, [this, page] { AddPage(page); }, Qt::QueuedConnection);
}

QString OutputTray::ReportText(const PrintedPage &page)
{
    const nlohmann::json report = nlohmann::json::parse(page.reportJson, nullptr, false);
    if (report.is_discarded() || !report.is_object()) {
        return QString::fromStdString(page.reportJson);
    }
    QString text = tr("Job %1, %2 page(s) so far, %3 byte(s), %4 error(s)\n")
                       .arg(report.value("job", 0))
                       .arg(report.value("pageCount", 0))
                       .arg(report.value("bytes", 0))
                       .arg(report.value("errorCount", 0));
    if (report.contains("errors") && !report["errors"].empty()) {
        text += tr("\nErrors (byte offset, kind, what):\n");
        for (const auto &error : report["errors"]) {
            text += QString("  %1  %2  %3\n")
                        .arg(error.value("offset", 0))
                        .arg(QString::fromStdString(error.value("kind", std::string())))
                        .arg(QString::fromStdString(error.value("message", std::string())));
        }
    }
    if (report.contains("inkUsed")) {
        text += tr("\nInk used (dots, picolitres):\n");
        for (const auto &[ink, use] : report["inkUsed"].items()) {
            text += QString("  %1  %2  %3\n")
                        .arg(QString::fromStdString(ink), -13)
                        .arg(use.value("dots", 0))
                        .arg(use.value("picolitres", 0.0), 0, 'f', 0);
        }
    }
    text += tr("\nFull report:\n") + QString::fromStdString(page.reportJson);
    return text;
}

QString OutputTray::Summary(const PrintedPage &page)
{
    const nlohmann::json report = nlohmann::json::parse(page.reportJson, nullptr, false);
    if (report.is_discarded() || !report.is_object()) {
        return tr("Page %1").arg(page.number);
    }
    const int errors = report.value("errorCount", 0);
    return tr("Page %1 - job %2 - %3 error(s)")
        .arg(page.number)
        .arg(report.value("job", 0))
        .arg(errors);
}

void OutputTray::AddPage(const PrintedPage &page)
{
    TrayPage kept;
    kept.number = page.number;
    kept.image = page.image;
    if (page.image.height() > kMaxKeptHeight) {
        // Kept smaller, with the resolution it has now, so that a scan of it keeps its size.
        kept.image = page.image.scaledToHeight(kMaxKeptHeight, Qt::SmoothTransformation);
        const double ratio = double(kept.image.height()) / page.image.height();
        kept.image.setDotsPerMeterX(int(std::lround(page.image.dotsPerMeterX() * ratio)));
        kept.image.setDotsPerMeterY(int(std::lround(page.image.dotsPerMeterY() * ratio)));
    }
    kept.file = QString::fromStdString(page.file);
    kept.report = ReportText(page);
    kept.summary = Summary(page);
    pages_.insert(pages_.begin(), kept);

    auto *item = new QListWidgetItem(kept.summary);
    if (!kept.image.isNull()) {
        item->setIcon(QPixmap::fromImage(kept.image.scaled(
            pageList_->iconSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    pageList_->insertItem(0, item);
    while (static_cast<int>(pages_.size()) > kMaxPages) {
        pages_.pop_back();
        delete pageList_->takeItem(pageList_->count() - 1);
    }
    pageList_->setCurrentRow(0);
    ShowSelected();
    if (!fitted_ && isVisible()) {
        // The first page is shown at the window's width; the zoom stays as the user sets it.
        fitted_ = true;
        ZoomToFit();
    }
}

void OutputTray::Clear()
{
    pages_.clear();
    pageList_->clear();
    ShowSelected();
}

void OutputTray::ZoomIn()
{
    SetZoom(zoom_ * kZoomStep);
}

void OutputTray::ZoomOut()
{
    SetZoom(zoom_ / kZoomStep);
}

void OutputTray::ZoomToActualSize()
{
    SetZoom(1.0);
}

void OutputTray::ZoomToFit()
{
    const int row = pageList_->currentRow();
    if (row < 0 || row >= static_cast<int>(pages_.size()) ||
        pages_[static_cast<size_t>(row)].image.isNull()) {
        return;
    }
    const int room = pageScroll_->viewport()->width() - 4;
    SetZoom(static_cast<double>(std::max(room, 16)) /
            pages_[static_cast<size_t>(row)].image.width());
}

void OutputTray::SetZoom(double zoom)
{
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    UpdateView();
}

void OutputTray::ShowSelected()
{
    const int row = pageList_->currentRow();
    if (row < 0 || row >= static_cast<int>(pages_.size())) {
        reportView_->clear();
        pageInfoLbl_->setText(tr("Tray empty"));
    } else {
        const TrayPage &page = pages_[static_cast<size_t>(row)];
        reportView_->setPlainText(page.report);
        pageInfoLbl_->setText(page.summary);
    }
    UpdateView();
}

void OutputTray::UpdateView()
{
    zoomLbl_->setText(tr("%1 %").arg(std::lround(zoom_ * 100.0)));
    const int row = pageList_->currentRow();
    zoomInBtn_->setEnabled(zoom_ < kMaxZoom);
    zoomOutBtn_->setEnabled(zoom_ > kMinZoom);
    if (row < 0 || row >= static_cast<int>(pages_.size())) {
        pageView_->setPixmap(QPixmap());
        pageView_->setText(tr("No page printed yet."));
        pageView_->adjustSize();
        return;
    }
    const QImage &image = pages_[static_cast<size_t>(row)].image;
    const QSize size(std::max(1, static_cast<int>(std::lround(image.width() * zoom_))),
                     std::max(1, static_cast<int>(std::lround(image.height() * zoom_))));
    pageView_->setPixmap(QPixmap::fromImage(
        image.scaled(size, Qt::KeepAspectRatio,
                     zoom_ < 1.0 ? Qt::SmoothTransformation : Qt::FastTransformation)));
    pageView_->resize(size);
}

} // namespace sim

namespace sim
{

QString OutputTray::SaveScan(const QString &path) const
{
    constexpr double ScanDpi = 600.0;
    constexpr double InchesPerMetre = 0.0254;
    const int row = pageList_->currentRow();
    if (row < 0 || row >= PageCount())
        return tr("No page is chosen.");
    const TrayPage &page = pages_[static_cast<size_t>(row)];
    // The page as the printer saved it, at full size; the tray's smaller copy when it is gone.
    QImage image = page.file.isEmpty() ? QImage() : QImage(page.file);
    if (image.isNull())
        image = page.image;
    const double pageDpi = image.dotsPerMeterX() * InchesPerMetre;
    const auto seed = static_cast<uint32_t>(page.number);
    const QImage laid = darkLidCheck_->isChecked() ? OnDarkLid(image, pageDpi) : image;
    const QByteArray jpeg = ScanJpeg(laid, pageDpi, RandomScanLook(seed, ScanDpi), seed);
    QFile file(path);
    if (jpeg.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size() ||
        !file.flush())
        return tr("The scan could not be written to %1.").arg(path);
    return QString();
}

void OutputTray::SaveScanAs()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save as scan"), QString(),
                                                      tr("JPEG images (*.jpg)"));
    if (path.isEmpty())
        return;
    const QString why = SaveScan(path);
    if (!why.isEmpty())
        pageInfoLbl_->setText(why);
}

} // namespace sim
