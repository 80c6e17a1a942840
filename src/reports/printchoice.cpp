#include "reports/printchoice.h"

#include "reports/previewstore.h"
#include "widgets/dialogtexts.h"

#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace pelanova {

PrintRequest printRequestFor(const PreviewStore &store, bool printersInstalled)
{
    PrintRequest request;
    request.minPage = 1;
    request.maxPage = std::max(1, store.pageCount());
    request.fromPage = request.minPage;
    request.toPage = request.maxPage;
    request.printersInstalled = printersInstalled;
    return request;
}

std::optional<std::pair<int, int>> pagesOf(const PrintChoice &choice, const PreviewStore &store)
{
    int first = 1;
    int last = 0;
    switch (choice.range) {
    case PrintChoice::Range::AllPages:
        break;
    case PrintChoice::Range::Selection:
        if (const int shown = store.shownIndex(); shown >= 0) {
            first = store.firstPageOfImage(shown);
            last = store.lastPageOfImage(shown);
        }
        break;
    case PrintChoice::Range::PageRange:
        first = std::max(1, choice.fromPage);
        last = std::max(0, choice.toPage);
        break;
    }
    if (last > 0 && last < first)
        return std::nullopt;
    return std::make_pair(first, last);
}

void preparePrintDialog(QPrintDialog &dialog, const PrintRequest &request)
{
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintSelection
                      | QAbstractPrintDialog::PrintToFile);
    dialog.setMinMax(request.minPage, request.maxPage);
    dialog.setFromTo(request.fromPage, request.toPage);
    japaneseDialogTexts(dialog);
}

std::optional<PrintChoice> askPrintDialog(QPrinter &printer, const PrintRequest &request, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    preparePrintDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    PrintChoice choice;
    switch (dialog.printRange()) {
    case QAbstractPrintDialog::Selection:
        choice.range = PrintChoice::Range::Selection;
        break;
    case QAbstractPrintDialog::PageRange:
        choice.range = PrintChoice::Range::PageRange;
        choice.fromPage = dialog.fromPage();
        choice.toPage = dialog.toPage();
        break;
    default:
        choice.range = PrintChoice::Range::AllPages;
        break;
    }
    return choice;
}

} // namespace pelanova
