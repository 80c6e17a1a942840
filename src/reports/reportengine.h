#pragma once

// The report engine: renders the pages of a ReportLayout, one page per call,
// to the preview store (full size or reduced onto sheets), to a printer and to
// PDF (a QPrinter with PDF output). One renderer draws all of them; text is
// drawn as text, so PDFs embed font subsets. The engine knows nothing of
// windows.
//
// A run (a preview or a print job) sets the page counter to 0; every rendered
// page increments it. Each page is preceded by `pageBeforePrint` and followed
// by `pageAfterPrint`; while it is drawn the bands raise their before-print
// notifications and the row grids their row choices, in drawing order. The
// data set is consumed by the report's handlers, never by the engine.

#include "reports/previewstore.h"
#include "reports/reportlayout.h"

#include <QImage>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;

namespace pelanova {

class ReportDataSet;

class ReportEngine
{
public:
    enum class State { Idle, Previewing, Printing };

    explicit ReportEngine(ReportLayout *layout);
    ~ReportEngine();
    ReportEngine(const ReportEngine &) = delete;
    ReportEngine &operator=(const ReportEngine &) = delete;

    ReportLayout *layout() const { return m_layout; }
    void setDataSet(ReportDataSet *dataSet) { m_dataSet = dataSet; }
    ReportDataSet *dataSet() const { return m_dataSet; }

    // The print job's name.
    QString title;

    // Print range: pages before `firstPage` are rendered without output; with a
    // last page above 0 the report is finished once the counter reaches it.
    void setPrintRange(int firstPage, int lastPage);
    int firstPage() const { return m_firstPage; }
    int lastPage() const { return m_lastPage; }

    // Pages rendered in the current run (0 before the first page).
    int pageNumber() const { return m_pageNumber; }
    State state() const { return m_state; }

    // True when no further page can be rendered: no data set, a closed data
    // set or one at its end; during a print job also when the counter has
    // reached the last page of the range.
    bool isFinished() const;

    std::function<void()> pageBeforePrint;
    std::function<void()> pageAfterPrint;

    // --- preview store ---
    PreviewStore &store() { return m_store; }
    const PreviewStore &store() const { return m_store; }
    // Empties the store (and its file), starts an empty sheet, sets the
    // counter to 0 and enters the previewing state.
    void startPreview();
    // Renders the next page at full size into a new stored image.
    void renderPreviewPage(bool show);
    // Renders the next page reduced to zoom % (25..100) with its top-left
    // corner at `position` of the current sheet.
    void renderReducedPage(int zoom, QPoint position);
    // Stores the current sheet (showing it when asked) and starts an empty one.
    void storeSheet(bool show);
    // Leaves the previewing state: no further page is rendered into the store.
    void endPreview();
    // Shows the image that holds report page n; false when no stored image does.
    bool showPage(int page);

    // --- print run ---
    // Applies A4 portrait and the job name to the printer and sets the counter
    // to 0. The printer is opened with the first page inside the range, so a
    // range beyond the report starts no job at all.
    void startPrintJob(QPrinter *printer);
    // Renders the next page; to the printer when inside the range, otherwise
    // into a one-bit scratch image.
    void printNextPage();
    // Starts a new sheet of paper before the next printed page (only between
    // pages inside the range; never a trailing blank sheet).
    void newSheet();
    // Starts the report over inside the running job (another copy): the
    // counter goes back to 0 and the next printed page begins a new sheet.
    void restartRun();
    // Ends the job (the document is complete). Returns false when the printer
    // reported a failure.
    bool endPrintJob();
    // Cancels a job interrupted by a failure.
    void abortPrintJob();
    // Pages sent to the printer in the current or last job.
    int printedPages() const { return m_printedPages; }

    // Renders the next page onto a painter whose coordinates are layout
    // units. At `devicePixelsPerUnit` <= 1 (screen images) lines are snapped to
    // whole device pixels.
    void renderPage(QPainter &painter, double devicePixelsPerUnit);

private:
    void drawFieldSet(QPainter &painter, const ReportFieldSet &set, QPoint origin,
                      const ReportFont &inherited, bool snapLines);
    void drawField(QPainter &painter, const ReportField &field, QPoint origin,
                   const ReportFont &font, bool snapLines);
    QImage blankPage() const;

    ReportLayout *m_layout;
    ReportDataSet *m_dataSet = nullptr;
    State m_state = State::Idle;
    int m_pageNumber = 0;
    int m_firstPage = 1;
    int m_lastPage = 0;

    PreviewStore m_store;
    QImage m_sheet;
    QImage m_page;
    bool m_sheetHasPages = false;

    QPrinter *m_printer = nullptr;
    std::unique_ptr<QPainter> m_printPainter;
    QImage m_scratch;
    bool m_sheetPending = false;
    int m_printedPages = 0;
};

} // namespace pelanova
