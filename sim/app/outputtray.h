#pragma once

// The virtual printer's output tray: a window that shows every page as it comes out, the
// newest on top, with zoom and the report of the page's job beside it.
//
// Keyboard: Up/Down (or PgUp/PgDn) pick a page in the list, Ctrl++ / Ctrl+- zoom,
// Ctrl+0 fits the page to the window's width, Ctrl+1 shows it at 100 %, Tab moves between
// the list, the page and the report.

#include <QImage>
#include <QWidget>

#include <vector>

#include "printengine.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace sim
{

class OutputTray : public QWidget
{
    Q_OBJECT

public:
    // Pages kept in the tray; older ones drop out of the bottom.
    static constexpr int kMaxPages = 30;

    explicit OutputTray(QWidget *parent = nullptr);

    int PageCount() const { return static_cast<int>(pages_.size()); }
    double Zoom() const { return zoom_; }
    // Safe to call from any thread (the print engine's listener may run on the link's thread).
    void PostPage(const PrintedPage &page);
    // Writes the selected page as a 600 dpi scanner delivers it (JPEG, slightly turned,
    // grainy; the same page number gives the same scan). Empty text, or why not.
    QString SaveScan(const QString &path) const;

public slots:
    void AddPage(const sim::PrintedPage &page);
    void ZoomIn();
    void ZoomOut();
    void ZoomToFit();
    void ZoomToActualSize();
    void Clear();
    void SaveScanAs();

private:
    struct TrayPage {
        int number = 0;
        QImage image; // at most kMaxKeptHeight high
        QString file; // the page at full size, where the printer saved it
        QString report;
        QString summary;
    };

    void ShowSelected();
    void SetZoom(double zoom);
    void UpdateView();
    static QString Summary(const PrintedPage &page);
    static QString ReportText(const PrintedPage &page);

    std::vector<TrayPage> pages_; // newest first, as in the list
    double zoom_ = 1.0;
    bool fitted_ = false;
    QListWidget *pageList_;
    QScrollArea *pageScroll_;
    QLabel *pageView_;
    QPlainTextEdit *reportView_;
    QLabel *pageInfoLbl_;
    QLabel *zoomLbl_;
    QPushButton *zoomInBtn_;
    QPushButton *zoomOutBtn_;
    QPushButton *zoomFitBtn_;
    QPushButton *clearBtn_;
    QPushButton *saveScanBtn_;
    QCheckBox *darkLidCheck_; // the next scan lays the page on a dark lid
};

} // namespace sim

Q_DECLARE_METATYPE(sim::PrintedPage)
