#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "gui/scan/ScanPage.h"
#include "gui/widgets/ExtensionIcons.h"
#include "gui/widgets/RowBackgrounds.h"

class QWidget;

namespace quarrow {

struct FormState;
struct FormWidgets;
class ArchiveHits;
class TrayNotice;

// The file list's column count for a window `windowWidth` pixels wide.
int fileListColumns(int windowWidth);

// Moves a window up when its lower edge is at or below the bottom of its screen's work area.
void keepBottomInWorkArea(QWidget& window);

// The scan-page area and its progress display: creating pages, showing one (the status box
// moves onto it and the scanner fields show its job), and the two timers workers wake: the
// progress refresh (Timer1) and the end-of-scan notice (Timer2). Everything here runs in the
// window thread and reads the job records one guarded step at a time.
class ScanPages : public QObject {
public:
    ScanPages(FormState& state, FormWidgets& widgets, TrayNotice& tray, QWidget* window);

    // What the archive page shows: the search's hit lists instead of its job's lists.
    void setArchiveHits(std::shared_ptr<ArchiveHits> hits);

    // Appends the page of job `jobNumber` with `caption` and makes it the active page.
    ScanPage* CreateScanPage(int jobNumber, const QString& caption, bool archive);
    ScanPage* currentPage() const;
    ScanPage* pageAt(int index) const;
    int pageCount() const;

    // Shows the scan-page area when it is hidden and keeps the window's lower edge on screen.
    void showArea();
    // Takes the page out of the area and destroys it; the status box is kept for the next.
    void removePage(ScanPage* page);
    // Hides the area again once the last page is gone.
    void hideArea();

    void PageShown(int index);
    void Timer1Timer();
    void Timer2Timer();
    void RefreshListCounts();
    // Brings the row counts of `page`'s two lists up to date, shown or not.
    void refreshCounts(ScanPage& page);
    // Regenerates the row backgrounds and the file lists' column counts.
    void resizeRows(int windowWidth);

private:
    struct ListCounts {
        int folders = 0, files = 0;
    };
    // The entries behind the page's folder and file lists: its job's queued folders and
    // files, or on the archive page the latest search's folder and file hits.
    ListCounts countsOf(const ScanPage& page);
    // Rows drawn from the job's own lists.
    ScanPage::Sources jobSources(int jobNumber);
    void setPageCaption(ScanPage* page);
    void updateProgressBar(ScanPage* page);
    void showScannerFields(int jobNumber);

    FormState& state_;
    FormWidgets& w_;
    TrayNotice& tray_;
    QWidget* window_;
    RowBackgrounds backgrounds_;
    ExtensionIcons icons_;
    std::shared_ptr<ArchiveHits> archiveHits_;
};

}  // namespace quarrow
