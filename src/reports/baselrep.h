#pragma once

// TBaseLRep: the preview-and-print window that hosts a report (see
// reports/report.h for what a report is).
//
//   auto *window = new TBaseLRep(std::make_unique<TrptExample>(), boxes);
//   window->ShowReport();
//
// The window owns its report and is released when it is closed
// (Qt::WA_DeleteOnClose): callers that reuse an open report keep a QPointer
// to it. Message boxes go through the MessageBoxes given to the constructor;
// the print dialog, the PDF file dialog, the printer list and the beep can be
// replaced (tests script them).

#include "core/userinterface.h"
#include "reports/printchoice.h"
#include "reports/report.h"
#include "reports/reportengine.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QScrollArea;

namespace pelanova {

class PageJumpField;
class PreviewPacer;
class PrinterMenu;
class ReportDataSet;

class TBaseLRep : public QMainWindow
{
    Q_OBJECT

public:
    using PrintRequest = pelanova::PrintRequest;
    using PrintChoice = pelanova::PrintChoice;
    // Shows the print dialog on the frame's printer (which it may change:
    // another printer, or PDF output into a file). nullopt: cancelled.
    using PrintDialogHook =
        std::function<std::optional<PrintChoice>(QPrinter &printer, const PrintRequest &request)>;
    // Asks for the name of a PDF file; an empty result cancels.
    using SaveFileHook = std::function<QString(const QString &suggestedPath)>;

    // The window is captioned with the report's title, "印刷プレビュー（caption）".
    TBaseLRep(std::unique_ptr<Report> report, MessageBoxes &messageBoxes, QWidget *parent = nullptr);
    ~TBaseLRep() override;

    Report &report() { return *m_report; }
    // The hosted report as the type it was created with.
    template <typename R>
    R &reportAs()
    {
        return static_cast<R &>(*m_report);
    }
    ReportLayout &layout() { return m_report->layout(); }
    ReportEngine &engine() { return m_report->engine(); }
    ReportDataSet *dataSet() const { return m_report->dataSet(); }
    int pageNumber() const { return m_report->pageNumber(); }

    // Shows the window (maximised) and runs 画面表示.
    void ShowReport();

    // --- replaceable platform pieces ---
    void setPrintDialogHook(PrintDialogHook hook) { m_printDialog = std::move(hook); }
    void setPdfFileDialogHook(SaveFileHook hook) { m_pdfFileDialog = std::move(hook); }
    void setInstalledPrintersHook(std::function<QStringList()> hook);
    void setBeepHandler(std::function<void()> beep) { m_beep = std::move(beep); }

    // --- state, for the reports' callers and for tests ---
    int zoom() const { return m_zoom; }
    bool isWorkerRunning() const;
    bool isWorkerPaused() const;
    QString pageDisplayText() const;
    QLineEdit *jumpField() const;
    QScrollArea *pageView() const { return m_scroll; }
    QPrinter &printer() { return *m_printer; }
    QString currentPrinterName() const { return m_printerName; }
    const QImage &shownImage() const { return m_report->engine().store().shownImage(); }

    QAction *actPreview() const { return m_actPreview; }
    QAction *act80() const { return m_act80; }
    QAction *act50() const { return m_act50; }
    QAction *act25() const { return m_act25; }
    QAction *actPrint() const { return m_actPrint; }
    QAction *actPdf() const { return m_actPdf; }
    QAction *actExit() const { return m_actExit; }
    QAction *actFirstPage() const { return m_actFirstPage; }
    QAction *actPriorPage() const { return m_actPriorPage; }
    QAction *actNextPage() const { return m_actNextPage; }
    QAction *actLastPage() const { return m_actLastPage; }
    QAction *actSuspend() const { return m_actSuspend; }
    QMenu *printerMenu() const;

    // Whether no more page can be rendered in the current run.
    bool IsReportFinished() const;
    // Fills the printer submenu from the installed printers.
    void BuildPrinterMenu();
    void PrinterMenuClick(const QString &printerName);

public slots:
    void ActPreviewExecute();
    void Act80Execute(int zoom); // 80, 50 or 25
    void ActPrintExecute();
    // Prints the whole report into a PDF file chosen in a save dialog.
    void ActPdfExecute();
    void ActFirstPageExecute();
    void ActPriorPageExecute();
    void ActNextPageExecute();
    void ActLastPageExecute();
    void ActSuspendExecute();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The page view's keys (Home, End) and its focus frame.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Prepared { Abandoned, Empty, Ready };

    void createActions();
    void createMenus();
    void createToolBar();
    void placeWindow();

    Prepared ActPrintPrepareExecute();
    void startPreview(int zoom);
    void StartPreviewWorker(int zoom);
    void stopWorker();
    void UpdatePageDisplay();
    void updateActions();
    void refreshImage();
    void placeImage();
    // Makes a pending jump entry take effect; false when it does not convert.
    bool CommitActiveControl();
    // Prints the pages; false when the report had nothing to print.
    bool printPages(QPrinter &printer, int firstPage, int lastPage);
    // Prints into a PDF file that replaces path only when complete.
    void printPdfFile(QPrinter &printer, const QString &path, int firstPage, int lastPage);
    std::optional<PrintChoice> defaultPrintDialog(QPrinter &printer, const PrintRequest &request);
    QString defaultPdfFileDialog(const QString &suggestedPath);
    void beep();
    // Runs an action; a failure reaches the user as an error message.
    template <typename F>
    void guarded(F &&f);

    MessageBoxes &m_boxes;
    std::unique_ptr<Report> m_report;
    ReportEngine &m_engine; // the report's
    int m_zoom = 0;

    PreviewPacer *m_pacer = nullptr;

    std::unique_ptr<QPrinter> m_printer;
    QString m_printerName;
    PrintDialogHook m_printDialog;
    SaveFileHook m_pdfFileDialog;
    std::function<QStringList()> m_installedPrinters;
    std::function<void()> m_beep;

    QScrollArea *m_scroll = nullptr;
    QWidget *m_canvas = nullptr;
    QLabel *m_image = nullptr;
    uint64_t m_imageGeneration = ~uint64_t(0);
    QLineEdit *m_memo = nullptr;
    PageJumpField *m_jump = nullptr;

    QAction *m_actPreview = nullptr;
    QAction *m_act80 = nullptr;
    QAction *m_act50 = nullptr;
    QAction *m_act25 = nullptr;
    QAction *m_actPrint = nullptr;
    QAction *m_actPdf = nullptr;
    QAction *m_actExit = nullptr;
    QAction *m_actFirstPage = nullptr;
    QAction *m_actPriorPage = nullptr;
    QAction *m_actNextPage = nullptr;
    QAction *m_actLastPage = nullptr;
    QAction *m_actSuspend = nullptr;
    PrinterMenu *m_printerMenu = nullptr;
};

} // namespace pelanova
