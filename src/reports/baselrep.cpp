#include "reports/baselrep.h"
#include "reports/baselrepguard.h"
#include "core/replacefile.h"
#include "widgets/guard.h"

#include "reports/pagejumpfield.h"
#include "reports/previewpacer.h"
#include "reports/printermenu.h"
#include "reports/printmsg.h"
#include "reports/printqueue.h"
#include "reports/reportdataset.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <exception>

namespace pelanova {

namespace {

constexpr int kImageTop = 8;

} // namespace

TBaseLRep::TBaseLRep(std::unique_ptr<Report> report, MessageBoxes &messageBoxes, QWidget *parent)
    : QMainWindow(parent),
      m_boxes(messageBoxes),
      m_report(std::move(report)),
      m_engine(m_report->engine()),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_report->title());

    m_installedPrinters = [] { return QPrinterInfo::availablePrinterNames(); };
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (!defaultPrinter.isNull()) {
        m_printer->setPrinterName(defaultPrinter.printerName());
        m_printerName = defaultPrinter.printerName();
    }

    m_pacer = new PreviewPacer(m_engine, m_report->layout().pageSize(), this);
    connect(m_pacer, &PreviewPacer::stepped, this, [this] {
        UpdatePageDisplay();
        updateActions();
    });
    connect(m_pacer, &PreviewPacer::failed, this, [this](const QString &message) {
        showHandlerError(&m_boxes, message.toStdString());
    });
    connect(m_pacer, &PreviewPacer::ended, this, [this] { updateActions(); });

    createActions();
    createMenus();
    createToolBar();

    m_scroll = new QScrollArea(this);
    m_scroll->setFocusPolicy(Qt::StrongFocus);
    m_scroll->installEventFilter(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_canvas = new QWidget;
    m_image = new QLabel(m_canvas);
    m_image->setFixedSize(m_report->layout().pageSize());
    m_image->setAutoFillBackground(true);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(false);
    setCentralWidget(m_scroll);

    BuildPrinterMenu();
    placeWindow();
    placeImage();
    m_memo->clear();
    m_jump->clear();
    updateActions();
}

TBaseLRep::~TBaseLRep()
{
    // Neither the worker nor the jump field may call into a window being destroyed.
    disconnect(m_jump, nullptr, this, nullptr);
    stopWorker();
}

void TBaseLRep::createActions()
{
    auto make = [this](const QString &text, const QKeySequence &shortcut = {}) {
        auto *action = new QAction(text, this);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        addAction(action);
        return action;
    };
    m_actPreview = make(QStringLiteral("画面表示(&V)"), QKeySequence(Qt::CTRL | Qt::Key_V));
    m_act80 = make(QStringLiteral("80%(&8)"));
    m_act50 = make(QStringLiteral("50%(&5)"));
    m_act25 = make(QStringLiteral("25%(&2)"));
    m_act80->setData(80);
    m_act50->setData(50);
    m_act25->setData(25);
    m_actPrint = make(QStringLiteral("印刷(&P)"), QKeySequence(Qt::CTRL | Qt::Key_P));
    m_actPdf = make(QStringLiteral("PDF出力(&D)..."));
    m_actExit = make(QStringLiteral("終了(&X)"));
    m_actFirstPage = make(QStringLiteral("先頭ページ(&F)"), QKeySequence(Qt::CTRL | Qt::Key_F));
    m_actPriorPage = make(QStringLiteral("前ページ(&R)"), QKeySequence(Qt::CTRL | Qt::Key_R));
    m_actNextPage = make(QStringLiteral("次ページ(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N));
    m_actLastPage = make(QStringLiteral("最終ページ(&L)"), QKeySequence(Qt::CTRL | Qt::Key_L));
    m_actSuspend = make(QStringLiteral("一時停止(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    m_actSuspend->setCheckable(true);

    m_actFirstPage->setToolTip(QStringLiteral("先頭ページ"));
    m_actPriorPage->setToolTip(QStringLiteral("前ページ"));
    m_actNextPage->setToolTip(QStringLiteral("次ページ"));
    m_actLastPage->setToolTip(QStringLiteral("最終ページ"));
    m_actSuspend->setToolTip(QStringLiteral("一時停止"));
    const QStyle *s = style();
    m_actFirstPage->setIcon(s->standardIcon(QStyle::SP_MediaSkipBackward));
    m_actPriorPage->setIcon(s->standardIcon(QStyle::SP_MediaSeekBackward));
    m_actNextPage->setIcon(s->standardIcon(QStyle::SP_MediaSeekForward));
    m_actLastPage->setIcon(s->standardIcon(QStyle::SP_MediaSkipForward));
    m_actSuspend->setIcon(s->standardIcon(QStyle::SP_MediaPause));

    connect(m_actPreview, &QAction::triggered, this, &TBaseLRep::ActPreviewExecute);
    for (QAction *action : {m_act80, m_act50, m_act25})
        connect(action, &QAction::triggered, this, [this, action] { Act80Execute(action->data().toInt()); });
    connect(m_actPrint, &QAction::triggered, this, &TBaseLRep::ActPrintExecute);
    connect(m_actPdf, &QAction::triggered, this, &TBaseLRep::ActPdfExecute);
    connect(m_actExit, &QAction::triggered, this, &QWidget::close);
    connect(m_actFirstPage, &QAction::triggered, this, &TBaseLRep::ActFirstPageExecute);
    connect(m_actPriorPage, &QAction::triggered, this, &TBaseLRep::ActPriorPageExecute);
    connect(m_actNextPage, &QAction::triggered, this, &TBaseLRep::ActNextPageExecute);
    connect(m_actLastPage, &QAction::triggered, this, &TBaseLRep::ActLastPageExecute);
    // The tick is managed by ActSuspendExecute itself.
    connect(m_actSuspend, &QAction::triggered, this, [this] {
        m_actSuspend->setChecked(!m_actSuspend->isChecked());
        ActSuspendExecute();
    });
}

void TBaseLRep::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->addAction(m_actPreview);
    QMenu *reduced = file->addMenu(QStringLiteral("縮小表示(&S)"));
    reduced->addAction(m_act80);
    reduced->addAction(m_act50);
    reduced->addAction(m_act25);
    file->addAction(m_actPrint);
    file->addAction(m_actPdf);
    file->addSeparator();
    m_printerMenu = new PrinterMenu(file->addMenu(QStringLiteral("プリンタの変更(&C)")), this);
    connect(m_printerMenu, &PrinterMenu::chosen, this, &TBaseLRep::PrinterMenuClick);
    file->addSeparator();
    file->addAction(m_actExit);

    QMenu *move = menuBar()->addMenu(QStringLiteral("移動(&M)"));
    move->addAction(m_actFirstPage);
    move->addAction(m_actNextPage);
    move->addAction(m_actPriorPage);
    move->addAction(m_actLastPage);
    move->addAction(m_actSuspend);
}

void TBaseLRep::createToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("tool"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setEnabled(false);

    auto *print = new QPushButton(QStringLiteral("印刷"), bar);
    print->setFocusPolicy(Qt::TabFocus);
    connect(print, &QPushButton::clicked, this, &TBaseLRep::ActPrintExecute);
    bar->addWidget(print);
    bar->addAction(m_actFirstPage);
    bar->addAction(m_actPriorPage);
    m_memo = new QLineEdit(bar);
    m_memo->setReadOnly(true);
    m_memo->setAlignment(Qt::AlignRight);
    m_memo->setFixedWidth(80);
    m_memo->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(m_memo);
    bar->addAction(m_actNextPage);
    bar->addAction(m_actLastPage);
    bar->addAction(m_actSuspend);
    auto *close = new QPushButton(QStringLiteral("閉じる"), bar);
    close->setFocusPolicy(Qt::TabFocus);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    bar->addWidget(close);
    bar->addWidget(new QLabel(QStringLiteral(" ジャンプ "), bar));
    m_jump = new PageJumpField(bar);
    m_jump->setFixedWidth(60);
    bar->addWidget(m_jump);
    connect(m_jump, &PageJumpField::invalidEntry, this, [this](const QString &entered) {
        beep();
        m_boxes.messageBox(("'" + entered + "' は整数ではありません．").toStdString(), kAppTitle,
                           MessageIcon::Error, MessageButtons::Ok, kDefaultButton1);
    });
    connect(m_jump, &PageJumpField::jumpRequested, this, [this](int page) {
        guarded([&] {
            if (!m_engine.showPage(page))
                beep();
        });
    });
    connect(m_jump, &PageJumpField::committed, this, [this] {
        UpdatePageDisplay();
        updateActions();
        refreshImage();
    });
}

void TBaseLRep::placeWindow()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int width = 860;
    move(area.topLeft());
    resize(width, std::max(200, area.height() - 32));
    if (area.width() < width)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TBaseLRep::placeImage()
{
    const int imageWidth = m_image->width();
    const int viewWidth = m_scroll->viewport()->width();
    // Centred in the visible area beside the scroll bar while it is wide
    // enough, otherwise a fixed left edge.
    const int left = (viewWidth - imageWidth) / 2 > 0 ? (viewWidth - imageWidth) / 2 : 20;
    m_canvas->resize(std::max(viewWidth, left + imageWidth + 8), kImageTop + m_image->height() + 8);
    m_image->move(left, kImageTop);
}

void TBaseLRep::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    placeImage();
}

void TBaseLRep::setInstalledPrintersHook(std::function<QStringList()> hook)
{
    m_installedPrinters = std::move(hook);
    BuildPrinterMenu();
}

bool TBaseLRep::isWorkerRunning() const { return m_pacer->isRunning(); }

bool TBaseLRep::isWorkerPaused() const { return m_pacer->isPaused(); }

QLineEdit *TBaseLRep::jumpField() const { return m_jump; }

QMenu *TBaseLRep::printerMenu() const { return m_printerMenu->menu(); }

QString TBaseLRep::pageDisplayText() const { return m_memo->text(); }

void TBaseLRep::ShowReport()
{
    showMaximized();
    raise();
    activateWindow();
    // The page view takes the keys: PageUp/PageDown, the arrows, Home, End.
    m_scroll->setFocus();
    ActPreviewExecute();
}

void TBaseLRep::beep()
{
    if (m_beep)
        m_beep();
    else
        QApplication::beep();
}



bool TBaseLRep::IsReportFinished() const { return m_engine.isFinished(); }

// ---------------------------------------------------------------- preparation

TBaseLRep::Prepared TBaseLRep::ActPrintPrepareExecute()
{
    stopWorker();
    switch (m_report->prepare()) {
    case Report::Prepared::NoDataSet:
        TPrintMsg::closeNotice();
        beep();
        m_boxes.messageBox("dsMast.DataSet にデータセットを指定してください．", kAppTitle,
                           MessageIcon::Error, MessageButtons::Ok, kDefaultButton1);
        return Prepared::Abandoned;
    case Report::Prepared::Empty:
        TPrintMsg::closeNotice();
        beep();
        m_boxes.messageBox(kNothingToPrint, kAppTitle, MessageIcon::Information, MessageButtons::Ok,
                           kDefaultButton1);
        return Prepared::Empty;
    case Report::Prepared::Ready:
        break;
    }
    return Prepared::Ready;
}

// -------------------------------------------------------------------- preview

void TBaseLRep::ActPreviewExecute() { startPreview(0); }

void TBaseLRep::Act80Execute(int zoom) { startPreview(zoom); }

void TBaseLRep::startPreview(int zoom)
{
    guarded([&] {
        m_zoom = zoom;
        const Prepared prepared = ActPrintPrepareExecute();
        if (prepared == Prepared::Empty) {
            // Nothing to show: the images of an earlier run do not belong to it.
            m_engine.startPreview();
            UpdatePageDisplay();
            m_memo->clear();
        }
        if (prepared != Prepared::Ready)
            return;
        m_engine.startPreview();
        m_pacer->showNext(zoom);
        UpdatePageDisplay();
        refreshImage();
        m_image->repaint();
        StartPreviewWorker(zoom);
    });
}

void TBaseLRep::StartPreviewWorker(int zoom)
{
    m_pacer->start(zoom);
    m_actSuspend->setChecked(false);
    updateActions();
}

void TBaseLRep::stopWorker()
{
    m_pacer->stop();
    if (m_actSuspend)
        m_actSuspend->setChecked(false);
}

void TBaseLRep::ActSuspendExecute()
{
    if (m_actSuspend->isChecked())
        m_pacer->resume();
    else
        m_pacer->pause();
    m_actSuspend->setChecked(!m_actSuspend->isChecked());
    updateActions();
}

// ----------------------------------------------------------------- navigation

void TBaseLRep::ActFirstPageExecute()
{
    guarded([&] {
        m_engine.store().show(0);
        UpdatePageDisplay();
    });
    m_image->repaint();
}

void TBaseLRep::ActPriorPageExecute()
{
    guarded([&] {
        m_engine.store().show(m_engine.store().shownIndex() - 1);
        UpdatePageDisplay();
    });
    m_image->repaint();
}

void TBaseLRep::ActNextPageExecute()
{
    guarded([&] {
        m_pacer->showNext(m_zoom);
        UpdatePageDisplay();
    });
    m_image->repaint();
}

void TBaseLRep::ActLastPageExecute()
{
    guarded([&] {
        m_engine.store().show(m_engine.store().count() - 1);
        UpdatePageDisplay();
    });
    m_image->repaint();
}

void TBaseLRep::UpdatePageDisplay()
{
    const PreviewStore &store = m_engine.store();
    m_memo->setText(QStringLiteral("%1/%2").arg(store.shownIndex() + 1).arg(store.count()));
}

void TBaseLRep::updateActions()
{
    const PreviewStore &store = m_engine.store();
    const bool shown = store.shownIndex() >= 0;
    m_actFirstPage->setEnabled(shown && !store.isFirstShown());
    m_actPriorPage->setEnabled(shown && !store.isFirstShown());
    m_actNextPage->setEnabled(shown && !store.isLastShown());
    const ReportDataSet *rows = m_report->dataSet();
    const bool pagesToRender = rows && rows->isOpen() && !IsReportFinished();
    m_actLastPage->setEnabled(pagesToRender || (shown && !store.isLastShown()));
    m_actSuspend->setEnabled(m_pacer->isRunning());
}

void TBaseLRep::refreshImage()
{
    const PreviewStore &store = m_engine.store();
    if (store.generation() == m_imageGeneration)
        return;
    m_imageGeneration = store.generation();
    if (store.shownIndex() < 0)
        m_image->clear();
    else
        m_image->setPixmap(QPixmap::fromImage(store.shownImage()));
    // Another page is read from its top.
    m_scroll->verticalScrollBar()->setValue(0);
}

// ------------------------------------------------------------------ page view

bool TBaseLRep::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // The page view shows that it has the keys: a frame in the highlight colour.
        m_scroll->setStyleSheet(event->type() == QEvent::FocusIn
                                    ? QStringLiteral("QScrollArea { border: 2px solid palette(highlight); }")
                                    : QString());
    }
    if (watched == m_scroll && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        QScrollBar *bar = m_scroll->verticalScrollBar();
        if (key == Qt::Key_Home || key == Qt::Key_End) {
            bar->setValue(key == Qt::Key_Home ? bar->minimum() : bar->maximum());
            return true;
        }
        // Past the foot of a page the next page follows, read from its top;
        // above the head of one the page before, read from its foot.
        if (key == Qt::Key_PageDown && bar->value() == bar->maximum() && m_actNextPage->isEnabled()) {
            ActNextPageExecute();
            return true;
        }
        if (key == Qt::Key_PageUp && bar->value() == bar->minimum() && m_actPriorPage->isEnabled()) {
            ActPriorPageExecute();
            bar->setValue(bar->maximum());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TBaseLRep::CommitActiveControl()
{
    return QApplication::focusWidget() != m_jump || m_jump->commit();
}

void TBaseLRep::closeEvent(QCloseEvent *event)
{
    stopWorker();
    QMainWindow::closeEvent(event);
}

} // namespace pelanova
