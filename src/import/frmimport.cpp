#include "import/frmimport.h"
#include "widgets/busyscope.h"
#include "widgets/utf8text.h"

#include "core/datamodule.h"
#include "core/format.h"
#include "core/inifile.h"
#include "core/my_year.h"
#include "core/unitapp.h"
#include "shell/formcarender.h"
#include "shell/screencontext.h"
#include "widgets/filedialogs.h"
#include "widgets/gradientbutton.h"
#include "widgets/keyedlists.h"
#include "widgets/stripedgrid.h"

#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelanova {
namespace {

constexpr const char *kTitle = "総合振込データ取込";

int toInt(const QDate &d)
{
    return d.year() * 10000 + d.month() * 100 + d.day();
}

QDate toDate(int yyyymmdd)
{
    return QDate(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}

// Hidden column of a history line: the import's own transfer request date,
// the key of its deletion (kept also when the trailer is missing).
constexpr int kKeyColumn = 5;

} // namespace

TfrmImport::TfrmImport(ScreenContext &context, QWidget *parent)
    : TfrmBase(context, parent), m_progress(this)
{
    setWindowTitle(QStringLiteral("総合振込データの取込"));
    setTitle(QString::fromUtf8(kTitle));
    btnImport = createHeaderButton(QStringLiteral("取込開始"));
    btnDelete = createHeaderButton(QStringLiteral("削　除"));

    QWidget *area = body();
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);

    auto *dateRow = new QHBoxLayout;
    auto *dateLabel = new QLabel(QStringLiteral("振込依頼日"), area);
    EditFurikomiDate = new QLineEdit(area);
    EditFurikomiDate->setAttribute(Qt::WA_InputMethodEnabled, false);
    EditFurikomiDate->setFixedWidth(150);
    btnFurikomiDate = new QPushButton(QStringLiteral("…"), area);
    btnFurikomiDate->setToolTip(QStringLiteral("カレンダ"));
    btnFurikomiDate->setFixedWidth(28);
    btnPrev = new QPushButton(QStringLiteral("－"), area);
    btnToday = new QPushButton(QStringLiteral("今日"), area);
    btnNext = new QPushButton(QStringLiteral("＋"), area);
    for (QPushButton *b : {btnPrev, btnToday, btnNext})
        b->setFixedWidth(48);
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(EditFurikomiDate);
    dateRow->addWidget(btnFurikomiDate);
    dateRow->addSpacing(8);
    dateRow->addWidget(btnPrev);
    dateRow->addWidget(btnToday);
    dateRow->addWidget(btnNext);
    dateRow->addStretch(1);
    layout->addLayout(dateRow);

    auto *lists = new QHBoxLayout;
    auto *facilityColumn = new QVBoxLayout;
    facilityColumn->addWidget(new QLabel(QStringLiteral("振込施設"), area));
    lstShisetu = new KeyedListBox(area);
    lstShisetu->setShownText(shownAfterTab());
    lstShisetu->setFixedWidth(220);
    facilityColumn->addWidget(lstShisetu, 1);
    lists->addLayout(facilityColumn);

    auto *historyColumn = new QVBoxLayout;
    historyColumn->addWidget(new QLabel(QStringLiteral("■振込施設の取込履歴"), area));
    GridList = new StripedGrid(area);
    GridList->setColumns({
        {QStringLiteral("施　　設　　名"), 261, Qt::AlignLeft, false},
        {QStringLiteral("振込依頼日"), 93, Qt::AlignLeft, false},
        {QStringLiteral("振込件数"), 63, Qt::AlignRight, false},
        {QStringLiteral("振込金額"), 123, Qt::AlignRight, false},
        {QStringLiteral("更新年月日"), 93, Qt::AlignLeft, false},
        {QString(), 0, Qt::AlignLeft, true},
    });
    historyColumn->addWidget(GridList, 1);
    lists->addLayout(historyColumn, 1);
    layout->addLayout(lists, 1);

    on(btnImport, &QPushButton::clicked, [this] { btnImportClick(); });
    on(btnDelete, &QPushButton::clicked, [this] { btnDeleteClick(); });
    on(btnFurikomiDate, &QPushButton::clicked, [this] { btnFurikomiDateClick(); });
    on(btnPrev, &QPushButton::clicked, [this] { btnPrevClick(); });
    on(btnToday, &QPushButton::clicked, [this] { btnTodayClick(); });
    on(btnNext, &QPushButton::clicked, [this] { btnNextClick(); });
    on(lstShisetu, &QListWidget::itemClicked, [this] { lstShisetuClick(); });
    on(lstShisetu, &QListWidget::currentRowChanged, [this](int) { lstShisetuClick(); });

    // Opening: today's date, the recipients' default fee category, the
    // facilities, and the engine's prepared statements.
    setDate(QDate::currentDate());
    m_engine = makeImportEngine(context.dm, context.messages, m_progress, context.linesWatcher);
    m_engine->setHistoryChangedHandler([this] { fillHistory(); });
    loadFacilities();
}

TfrmImport::~TfrmImport() = default;

void TfrmImport::loadFacilities()
{
    lstShisetu->clear();
    sql::Statement st = context().dm.ADOConFurikomi.prepare(
        "SELECT 施設コード, 施設名 FROM M_施設\nORDER BY 施設コード");
    while (st.step())
        lstShisetu->addKeyedItem(QString::number(st.int64(0)) + QLatin1Char('\t') + q(st.text(1)));
}

void TfrmImport::showEvent(QShowEvent *event)
{
    TfrmBase::showEvent(event);
    if (m_firstShow) {
        m_firstShow = false;
        guarded([this] {
            if (lstShisetu->count() > 0) {
                lstShisetu->setCurrentRow(0);
                lstShisetuClick();
            }
        });
    }
}

void TfrmImport::lstShisetuClick()
{
    if (m_running || lstShisetu->currentRow() < 0)
        return;
    bool ok = false;
    const int code = lstShisetu->currentKey().toInt(&ok);
    m_facility = ok ? std::optional<int>(code) : std::nullopt;
    fillHistory();
}

void TfrmImport::fillHistory()
{
    const BusyScope busy(GridList);
    GridList->clearLines();
    if (!m_facility)
        return;
    for (const ImportHistoryRow &row : m_engine->ListImports(*m_facility)) {
        GridList->addLine({
            q(row.facilityName),
            q(formatShortDate(row.trailerDate.value_or(0))),
            row.count ? QString::number(*row.count) : QString(),
            row.total ? q(formatGrouped(*row.total)) : QString(),
            q(formatShortDate(row.updateDate.value_or(0))),
            QString::number(row.requestDate),
        });
    }
}

std::optional<QDate> TfrmImport::readDate() const
{
    int yyyymmdd = 0;
    if (!ReadDateText(EditFurikomiDate->text().toStdString(), yyyymmdd))
        return std::nullopt;
    return toDate(yyyymmdd);
}

void TfrmImport::setDate(const QDate &date)
{
    std::string text;
    const std::string shortForm = date.toString(QStringLiteral("yyyy/MM/dd")).toStdString();
    if (DateToWarekiStr(shortForm, text))
        EditFurikomiDate->setText(q(text));
    else
        EditFurikomiDate->clear();
}

void TfrmImport::btnPrevClick()
{
    const auto date = readDate();
    setDate((date ? *date : QDate::currentDate()).addDays(-1));
}

void TfrmImport::btnTodayClick()
{
    setDate(QDate::currentDate());
}

void TfrmImport::btnNextClick()
{
    const auto date = readDate();
    setDate((date ? *date : QDate::currentDate()).addDays(1));
}

void TfrmImport::btnFurikomiDateClick()
{
    QDate date = readDate().value_or(QDate::currentDate());
    if (context().dates.pickDate(this, date) == 1)
        setDate(date);
}

void TfrmImport::setBusy(bool busy)
{
    m_running = busy;
    // While an import runs the window keeps handling events; nothing here may
    // start a second operation, and the main window may not close under it.
    for (QWidget *w : std::initializer_list<QWidget *>{btnMenu, btnImport, btnDelete, lstShisetu, GridList,
                                                      EditFurikomiDate, btnFurikomiDate, btnPrev, btnToday,
                                                      btnNext})
        w->setEnabled(!busy);
    if (QWidget *main = window(); main && main != this) {
        if (busy)
            main->installEventFilter(this);
        else
            main->removeEventFilter(this);
    }
}

bool TfrmImport::eventFilter(QObject *watched, QEvent *event)
{
    if (m_running && event->type() == QEvent::Close && watched == window()) {
        event->ignore();
        return true;
    }
    return TfrmBase::eventFilter(watched, event);
}

void TfrmImport::btnImportClick()
{
    if (m_running)
        return;
    MessageBoxes &boxes = context().messages;
    const auto date = readDate();
    if (!date) {
        boxes.messageBox("振込依頼日を正しく入力してください。", kTitle, MessageIcon::Information,
                         MessageButtons::Ok, kDefaultButton1);
        EditFurikomiDate->setFocus();
        return;
    }
    if (lstShisetu->count() == 0) {
        boxes.messageBox("取込先の施設が登録されていません。\n\r施設マスターで施設を登録してください。", kTitle,
                         MessageIcon::Information, MessageButtons::Ok, kDefaultButton1);
        return;
    }
    const int requestDate = toInt(*date);
    const int importDay = toInt(QDate::currentDate());
    if (m_facility && m_engine->IsAlreadyImported(*m_facility, requestDate))
        return;
    // Only the facility's files are offered: names that start with its stored
    // file name. Blanks typed around that name are no part of it.
    const QString prefix =
        m_facility ? q(m_engine->FindFacilityFileName(*m_facility)).trimmed() : QString();
    const QString filter = prefix.isEmpty() ? QStringLiteral("振込データ(*.txt)|*.txt")
                                            : QStringLiteral("振込データ(%1*.txt)|%1*.txt").arg(prefix);
    const QString path = context().files.getOpenFileName(this, QStringLiteral("振込データファイルを開く"),
                                                         QString(), filter);
    if (path.isEmpty())
        return;

    setBusy(true);
    try {
        m_engine->ImportTransferFile(path.toStdString(), m_facility, requestDate, importDay);
    } catch (...) {
        setBusy(false);
        fillHistory();
        throw;
    }
    setBusy(false);
    fillHistory();
}

void TfrmImport::btnDeleteClick()
{
    if (m_running || !m_facility)
        return;
    const int line = GridList->currentLine();
    if (line < 0)
        return;
    const int requestDate = GridList->cellText(line, kKeyColumn).toInt();
    QString shownDate = GridList->cellText(line, 1);
    if (shownDate.isEmpty())
        shownDate = q(formatShortDate(requestDate));
    const QString name = lstShisetu->shownText(lstShisetu->currentRow()).value_or(QString());
    const std::string question = (name + QStringLiteral("\n\r") + shownDate
                                  + QStringLiteral("を削除してもよろしいですか？")).toStdString();
    if (context().messages.messageBox(question, kTitle, MessageIcon::Question, MessageButtons::YesNo,
                                      kDefaultButton1)
        != IdYes)
        return;
    m_engine->DeleteImport(*m_facility, requestDate);
}

} // namespace pelanova
