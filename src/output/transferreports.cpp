#include "output/transferreports.h"
#include "widgets/utf8text.h"

#include "core/format.h"
#include "core/sql.h"
#include "reports/baselrep.h"

#include <stdexcept>

namespace pelanova::output {
namespace {

constexpr BorderLine N = BorderLine::None;
constexpr BorderLine L = BorderLine::Normal;
constexpr BorderLine T = BorderLine::Thin;
constexpr BorderLine K = BorderLine::Thick;
constexpr int kRowHeight = 23;
constexpr int kGridRows = 40;

// Adds one field of a row layout: x, width, text, alignment and the four lines
// (top, left, right, bottom).
ReportField *cell(ReportRowLayout *row, int x, int width, const QString &text, HAlign align,
                  Borders borders)
{
    return row->addField(QRect(x, 0, width, kRowHeight), text, align, borders);
}

QString pageText(int page) { return QStringLiteral("%1 ﾍﾟｰｼﾞ").arg(page); }

// The fields a transfer line shares in both lists.
struct TransferCells
{
    ReportField *code, *bank, *branch, *type, *account, *payee, *amount, *kind;

    void fill(const FurikomiRow &row, const PricedTransfer &priced) const
    {
        code->text = q(formatBankBranch(row.bankNumber, row.branchNumber));
        bank->text = q(priced.bankName);
        branch->text = q(priced.branchName);
        type->text = q(GetYokinSyubetuName(row.accountType));
        account->text = q(row.account);
        payee->text = q(row.payee);
        amount->text = q(formatAmount(priced.amount()));
        kind->text = QStringLiteral("電信");
    }
};

template <typename R>
void showReport(QPointer<TBaseLRep> &window, MessageBoxes &boxes, const sql::Database &db,
                const std::string &consignorCode, int date, int facilityKey, const std::string &statement,
                QWidget *parent)
{
    if (!window)
        window = new TBaseLRep(std::make_unique<R>(db), boxes, parent);
    window->reportAs<R>().setUp(consignorCode, date, facilityKey, statement);
    window->ShowReport();
}

} // namespace

// ------------------------------------------------------------------ data set

void FurikomiDataSet::setUp(const std::string &consignorCode, const std::string &statement)
{
    close();
    m_consignorCode = consignorCode;
    m_statement = statement;
}

namespace {

void writeNumber(std::FILE *file, int64_t value)
{
    if (std::fwrite(&value, sizeof value, 1, file) != 1)
        throw std::runtime_error("一時ファイルに書き込めません。");
}

void writeText(std::FILE *file, const std::string &text)
{
    writeNumber(file, static_cast<int64_t>(text.size()));
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file) != text.size())
        throw std::runtime_error("一時ファイルに書き込めません。");
}

int64_t readNumber(std::FILE *file)
{
    int64_t value = 0;
    if (std::fread(&value, sizeof value, 1, file) != 1)
        throw std::runtime_error("一時ファイルを読めません。");
    return value;
}

std::string readText(std::FILE *file)
{
    std::string text(static_cast<size_t>(readNumber(file)), '\0');
    if (!text.empty() && std::fread(text.data(), 1, text.size(), file) != text.size())
        throw std::runtime_error("一時ファイルを読めません。");
    return text;
}

void writeRow(std::FILE *file, const FurikomiRow &row)
{
    writeNumber(file, row.bankNumber);
    writeText(file, row.bankName);
    writeNumber(file, row.branchNumber);
    writeText(file, row.branchName);
    writeNumber(file, row.accountType);
    writeText(file, row.account);
    writeText(file, row.payee);
    writeNumber(file, row.amount);
}

FurikomiRow readRow(std::FILE *file)
{
    FurikomiRow row;
    row.bankNumber = readNumber(file);
    row.bankName = readText(file);
    row.branchNumber = readNumber(file);
    row.branchName = readText(file);
    row.accountType = readNumber(file);
    row.account = readText(file);
    row.payee = readText(file);
    row.amount = readNumber(file);
    return row;
}

} // namespace

FurikomiDataSet::~FurikomiDataSet() { close(); }

void FurikomiDataSet::open()
{
    close();
    m_spool = std::tmpfile();
    if (!m_spool)
        throw std::runtime_error("一時ファイルを作成できません。");
    // The consignor's fee table, the recipients' categories and the lines as
    // they were at one moment, whatever another clerk stores meanwhile.
    const sql::ReadSnapshot snapshot(m_db);
    m_consignor = loadConsignorRow(m_db, m_consignorCode);
    m_recipients = RecipientRows(m_db, m_consignorCode);
    m_reading = m_db.prepare(m_statement);
    m_reading.readInChunks();
    m_reader.emplace(m_reading);
    m_open = true;
    load();
}

void FurikomiDataSet::close()
{
    m_reader.reset();
    m_reading = sql::Statement();
    if (m_spool)
        std::fclose(m_spool);
    m_spool = nullptr;
    m_spooled = 0;
    m_atEnd = true;
    m_hasRow = false;
    m_current = FurikomiRow();
    m_row = 0;
    m_open = false;
}

void FurikomiDataSet::first()
{
    if (!m_open)
        return;
    m_row = 0;
    if (std::fseek(m_spool, 0, SEEK_SET) != 0)
        throw std::runtime_error("一時ファイルを読めません。");
    m_atEnd = m_spooled == 0;
    load();
}

void FurikomiDataSet::next()
{
    if (!m_hasRow)
        return;
    ++m_row;
    load();
}

const FurikomiRow &FurikomiDataSet::row() const
{
    if (!m_hasRow)
        throw std::out_of_range("FurikomiDataSet: no current row");
    return m_current;
}

void FurikomiDataSet::load()
{
    if (m_row < m_spooled) {
        m_current = readRow(m_spool);
        m_hasRow = true;
        m_atEnd = m_row + 1 == m_spooled;
        return;
    }
    if (!m_reader || !m_reading.step()) {
        m_reader.reset();
        m_reading = sql::Statement(); // done: the statement lets go of the database
        m_hasRow = false;
        return;
    }
    m_current = m_reader->read();
    if (!m_atEnd && std::fseek(m_spool, 0, SEEK_END) != 0)
        throw std::runtime_error("一時ファイルに書き込めません。");
    writeRow(m_spool, m_current);
    m_atEnd = true;
    ++m_spooled;
    m_hasRow = true;
}

// ------------------------------------------------------------- shared page

TransferReport::TransferReport(const QString &caption, const sql::Database &db) : Report(caption), m_rows(db)
{
    setDataSet(&m_rows);
    ReportBand *title = layout().addBand(QRect(37, 37, 720, 25));
    title->addField(QRect(0, 0, 720, 25), QStringLiteral("銀　行　振　込　依　頼　書"), HAlign::Center)->font =
        ReportFont{kFontGothic, 13, true, false};
    m_page = title->addField(QRect(640, 0, 80, 25), QString(), HAlign::Right);
    title->beforePrint = [this] { m_page->text = pageText(pageNumber()); };

    ReportBand *date = layout().addBand(QRect(37, 62, 720, 23));
    date->addField(QRect(0, 0, 68, 23), QStringLiteral("振込依頼日"));
    m_date = date->addField(QRect(68, 0, 652, 23));

    ReportBand *name = layout().addBand(QRect(37, 85, 720, 40));
    name->addField(QRect(0, 0, 68, 40), QStringLiteral("依頼人名"));
    m_name = name->addField(QRect(68, 0, 652, 40));
    // The consignor as the data set read it, with the lines.
    name->beforePrint = [this] { m_name->text = m_rows.consignor() ? q(m_rows.consignor()->name) : QString(); };

    m_grid = layout().addRowGrid(QRect(37, 125, 720, 936), kGridRows);
    layout().addBand(QRect(37, 1061, 720, 25)); // keeps the grid above the bottom margin
}

void TransferReport::setUp(const std::string &consignorCode, int date, int /*facilityKey*/,
                           const std::string &statement)
{
    m_rows.setUp(consignorCode, statement);
    m_date->text = q(formatReportDate(date));
}

// ---------------------------------------------------------------- 振込依頼書

TrptFurikomi::TrptFurikomi(const sql::Database &db) : TransferReport(QStringLiteral("振込依頼書"), db)
{
    ReportRowLayout *head = grid()->addRowLayout(kRowHeight);
    cell(head, 0, 290, QStringLiteral("振　込　先　銀　行"), HAlign::Center, {K, K, N, K});
    cell(head, 290, 34, QStringLiteral("種別"), HAlign::Center, {K, L, N, K});
    cell(head, 324, 56, QStringLiteral("口座番号"), HAlign::Left, {K, L, N, K});
    cell(head, 380, 226, QStringLiteral("受　　取　　人"), HAlign::Center, {K, L, N, K});
    cell(head, 606, 80, QStringLiteral("金　　額"), HAlign::Center, {K, L, N, K});
    cell(head, 686, 34, QStringLiteral("区分"), HAlign::Center, {K, L, K, K});

    ReportRowLayout *detail = grid()->addRowLayout(kRowHeight);
    TransferCells cells;
    cells.code = cell(detail, 0, 56, {}, HAlign::Center, {T, K, N, N});
    cells.bank = cell(detail, 56, 117, {}, HAlign::Left, {T, L, N, N});
    cells.branch = cell(detail, 173, 117, {}, HAlign::Left, {T, L, N, N});
    cells.type = cell(detail, 290, 34, {}, HAlign::Center, {T, L, N, N});
    cells.account = cell(detail, 324, 56, {}, HAlign::Left, {T, L, N, N});
    cells.payee = cell(detail, 380, 226, {}, HAlign::Left, {T, L, N, N});
    cells.payee->wordWrap = true;
    cells.amount = cell(detail, 606, 80, {}, HAlign::Right, {T, L, N, N});
    cells.kind = cell(detail, 686, 34, {}, HAlign::Center, {T, L, L, N});
    detail->beforePrint = [this, detail, cells] {
        if (rows().eof()) {
            detail->clearTexts();
            return;
        }
        const PricedTransfer priced = rows().priced();
        cells.fill(rows().row(), priced);
        m_count += 1;
        m_total += priced.amount();
        rows().next();
    };

    ReportRowLayout *total = grid()->addRowLayout(kRowHeight);
    ReportField *title = cell(total, 0, 380, {}, HAlign::Center, {K, K, N, K});
    ReportField *countLabel = cell(total, 380, 76, {}, HAlign::Center, {K, K, N, K});
    ReportField *count = cell(total, 456, 40, {}, HAlign::Right, {K, L, N, K});
    ReportField *countUnit = cell(total, 496, 34, {}, HAlign::Left, {K, N, N, K});
    ReportField *amountLabel = cell(total, 530, 76, {}, HAlign::Center, {K, L, N, K});
    ReportField *amount = cell(total, 606, 80, {}, HAlign::Right, {K, L, N, K});
    ReportField *amountUnit = cell(total, 686, 34, {}, HAlign::Left, {K, N, K, K});
    total->beforePrint = [=, this] {
        const bool last = rows().eof();
        title->text = last ? QStringLiteral("合　　　計") : QStringLiteral("次項に続く＞＞");
        countLabel->text = last ? QStringLiteral("振込件数") : QString();
        count->text = last ? q(formatAmount(m_count)) : QString();
        countUnit->text = last ? QStringLiteral("件") : QString();
        amountLabel->text = last ? QStringLiteral("振込金額") : QString();
        amount->text = last ? q(formatAmount(m_total)) : QString();
        amountUnit->text = last ? QStringLiteral("円") : QString();
        for (ReportField *f : {count, amountLabel, amount})
            f->borders.left = last ? L : N;
    };

    grid()->rowChoice = [head, detail, total](int row) {
        return row == 0 ? head : row == kGridRows - 1 ? total : detail;
    };
}

void TrptFurikomi::ActPrintPrepare()
{
    m_count = 0;
    m_total = 0;
}

// -------------------------------------------------------------- fee list

void TrptFurikomiTesuuryou::Sums::add(const PricedTransfer &priced)
{
    count += 1;
    amount += priced.amount();
    own += priced.fee.JisyaTesuuryou;
    recipient += priced.fee.AitesakiTesuuryou;
}

TrptFurikomiTesuuryou::TrptFurikomiTesuuryou(const sql::Database &db)
    : TransferReport(QStringLiteral("振込手数料一覧"), db)
{
    const ReportFont small{kFontMincho, 11, false, false};
    ReportRowLayout *head = grid()->addRowLayout(kRowHeight);
    head->font = small;
    cell(head, 0, 290, QStringLiteral("振　込　先　銀　行"), HAlign::Center, {K, K, N, K});
    cell(head, 290, 34, QStringLiteral("種別"), HAlign::Center, {K, L, N, K});
    cell(head, 324, 56, QStringLiteral("口座番号"), HAlign::Center, {K, L, N, K});
    cell(head, 380, 138, QStringLiteral("受　　取　　人"), HAlign::Center, {K, L, N, K});
    cell(head, 518, 80, QStringLiteral("金　　額"), HAlign::Center, {K, L, N, K});
    cell(head, 598, 31, QStringLiteral("区分"), HAlign::Center, {K, L, L, K});
    cell(head, 629, 43, QStringLiteral("自社"), HAlign::Center, {K, L, N, K});
    cell(head, 672, 48, QStringLiteral("相手先"), HAlign::Center, {K, L, K, K});

    ReportRowLayout *detail = grid()->addRowLayout(kRowHeight);
    detail->font = small;
    TransferCells cells;
    cells.code = cell(detail, 0, 56, {}, HAlign::Center, {T, K, N, N});
    cells.bank = cell(detail, 56, 117, {}, HAlign::Left, {T, L, N, N});
    cells.branch = cell(detail, 173, 117, {}, HAlign::Left, {T, L, N, N});
    cells.type = cell(detail, 290, 34, {}, HAlign::Center, {T, L, N, N});
    cells.account = cell(detail, 324, 56, {}, HAlign::Center, {T, L, N, N});
    cells.payee = cell(detail, 380, 138, {}, HAlign::Left, {T, L, N, N});
    cells.amount = cell(detail, 518, 80, {}, HAlign::Right, {T, L, N, N});
    cells.kind = cell(detail, 598, 31, {}, HAlign::Center, {T, L, N, N});
    ReportField *own = cell(detail, 629, 43, {}, HAlign::Right, {T, L, N, N});
    ReportField *recipient = cell(detail, 672, 48, {}, HAlign::Right, {T, L, K, N});
    detail->beforePrint = [=, this] {
        if (rows().eof()) {
            detail->clearTexts();
            return;
        }
        const PricedTransfer priced = rows().priced();
        cells.fill(rows().row(), priced);
        own->text = q(formatFee(priced.fee.JisyaTesuuryou));
        recipient->text = q(formatFee(priced.fee.AitesakiTesuuryou));
        m_page.add(priced);
        m_grand.add(priced);
        rows().next();
    };

    // The subtotal and total lines differ in their first label only.
    struct SumCells
    {
        ReportField *count, *amount, *kind, *own, *recipient;
        void fill(const Sums &s) const
        {
            count->text = QString::number(s.count) + QStringLiteral(" 件");
            amount->text = q(formatAmount(s.amount));
            own->text = q(formatAmount(s.own));
            recipient->text = q(formatAmount(s.recipient));
        }
        void clear() const
        {
            for (ReportField *f : {count, amount, kind, own, recipient})
                f->text.clear();
        }
    };
    auto sumLine = [this](const QString &label) {
        ReportRowLayout *row = grid()->addRowLayout(kRowHeight);
        cell(row, 0, 290, label, HAlign::Center, {K, K, N, K});
        cell(row, 290, 34, {}, HAlign::Left, {K, N, N, K});
        cell(row, 324, 56, QStringLiteral("　　計"), HAlign::Left, {K, N, N, K});
        SumCells c;
        c.count = cell(row, 380, 138, {}, HAlign::Right, {K, N, N, K});
        c.amount = cell(row, 518, 80, {}, HAlign::Right, {K, L, N, K});
        c.kind = cell(row, 598, 31, {}, HAlign::Center, {K, L, N, K});
        c.own = cell(row, 629, 43, {}, HAlign::Right, {K, L, N, K});
        c.recipient = cell(row, 672, 48, {}, HAlign::Right, {K, L, K, K});
        return std::pair{row, c};
    };
    const auto [subtotal, subtotalCells] = sumLine(QStringLiteral("   小"));
    subtotal->beforePrint = [this, c = subtotalCells] { c.fill(m_page); };
    const auto [total, totalCells] = sumLine(QStringLiteral("   合"));
    total->beforePrint = [this, c = totalCells] {
        if (rows().eof())
            c.fill(m_grand);
        else
            c.clear();
    };

    grid()->rowChoice = [head, detail, subtotal = subtotal, total = total](int row) {
        if (row == 0)
            return head;
        if (row == kGridRows - 2)
            return subtotal;
        return row == kGridRows - 1 ? total : detail;
    };
}

void TrptFurikomiTesuuryou::ActPrintPrepare() { m_grand = Sums(); }

void TrptFurikomiTesuuryou::ActPageBeforePrint() { m_page = Sums(); }

// ----------------------------------------------------------------- showing

void ShowTransferRequest(QPointer<TBaseLRep> &window, MessageBoxes &boxes, const sql::Database &db,
                         const std::string &consignorCode, int date, int facilityKey, const std::string &statement,
                         QWidget *parent)
{
    showReport<TrptFurikomi>(window, boxes, db, consignorCode, date, facilityKey, statement, parent);
}

void ShowFeeReport(QPointer<TBaseLRep> &window, MessageBoxes &boxes, const sql::Database &db,
                   const std::string &consignorCode, int date, int facilityKey, const std::string &statement,
                   QWidget *parent)
{
    showReport<TrptFurikomiTesuuryou>(window, boxes, db, consignorCode, date, facilityKey, statement, parent);
}

} // namespace pelanova::output
