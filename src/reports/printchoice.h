#pragma once

// What a print run prints: the request the print dialog is opened with, the
// user's choice, and the report pages that choice means.

#include <functional>
#include <optional>
#include <utility>

class QPrintDialog;
class QPrinter;
class QWidget;

namespace pelanova {

class PreviewStore;

// Page limits (report pages rendered into the preview so far) and the preset range.
struct PrintRequest
{
    int minPage = 1;
    int maxPage = 1;
    int fromPage = 1;
    int toPage = 1;
    bool printersInstalled = false;
};

struct PrintChoice
{
    enum class Range { AllPages, Selection, PageRange };
    Range range = Range::AllPages;
    int fromPage = 1;
    int toPage = 0;
};

// The request for a preview whose store holds the pages rendered so far.
PrintRequest printRequestFor(const PreviewStore &store, bool printersInstalled);

// The first and last report page of a choice (last 0: to the end of the
// report); a selection is the pages of the image shown (one page at full
// size, a sheet of pages reduced). Nothing when the range is empty.
std::optional<std::pair<int, int>> pagesOf(const PrintChoice &choice, const PreviewStore &store);

// Sets the dialog up for a request: the page range, the selection, output
// to a file, and Japanese for the texts Qt's translation leaves in English.
void preparePrintDialog(QPrintDialog &dialog, const PrintRequest &request);

// The platform's print dialog on `printer` (which the user may change:
// another printer, or PDF output into a file). Nothing when cancelled.
std::optional<PrintChoice> askPrintDialog(QPrinter &printer, const PrintRequest &request, QWidget *parent);

} // namespace pelanova
