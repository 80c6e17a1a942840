#include "masters/recipientlist.h"
#include "widgets/utf8text.h"

#include "core/format.h"
#include "masters/masterfiles.h"
#include "reports/baselrep.h"

#include <QDate>

namespace pelanova {
namespace {

constexpr BorderLine N = BorderLine::None;
constexpr BorderLine T = BorderLine::Thin;
constexpr BorderLine K = BorderLine::Thick;
constexpr int kRowHeight = 22;
constexpr int kGridRows = 45;

int today()
{
    const QDate d = QDate::currentDate();
    return d.year() * 10000 + d.month() * 100 + d.day();
}

} // namespace

TrptFurikomisakiPrint::TrptFurikomisakiPrint(const sql::Database &db)
    : Report(QStringLiteral("受取人一覧")), sqlFurikomisaki(&db)
{
    setDataSet(&sqlFurikomisaki);
    ReportBand *title = layout().addBand(QRect(37, 37, 720, 28));
    title->addField(QRect(0, 0, 720, 28), QStringLiteral("振　込　先　印　刷"), HAlign::Center)->font =
        ReportFont{kFontGothic, 13, false, false};
    ReportField *date = title->addField(QRect(544, 6, 177, 17), q(formatShortDate(today())), HAlign::Right);
    date->verticalCenter = false;
    date->font = ReportFont{kFontMincho, 13, false, false};

    ReportRowGrid *grid = layout().addRowGrid(QRect(37, 65, 720, 1021), kGridRows);
    ReportRowLayout *head = grid->addRowLayout(kRowHeight);
    head->font = ReportFont{kFontGothic, 11, false, false};
    auto cell = [](ReportRowLayout *row, int x, int width, const QString &text, HAlign align, Borders b) {
        return row->addField(QRect(x, 0, width, kRowHeight), text, align, b);
    };
    cell(head, 0, 318, QStringLiteral("振　込　先　銀　行"), HAlign::Center, {K, K, N, K});
    cell(head, 318, 50, QStringLiteral("預金種別"), HAlign::Center, {K, T, N, K});
    cell(head, 368, 50, QStringLiteral("口座番号"), HAlign::Center, {K, T, N, K});
    cell(head, 418, 217, QStringLiteral("振込先"), HAlign::Center, {K, T, N, K});
    cell(head, 635, 85, QStringLiteral("相手先手数料"), HAlign::Center, {K, T, K, K});

    ReportRowLayout *data = grid->addRowLayout(kRowHeight);
    data->font = ReportFont{kFontMincho, 11, false, false};
    ReportField *code = cell(data, 0, 56, {}, HAlign::Left, {N, K, N, N});
    ReportField *bank = cell(data, 56, 131, {}, HAlign::Left, {N, T, N, N});
    ReportField *branch = cell(data, 187, 131, {}, HAlign::Left, {N, T, N, N});
    ReportField *type = cell(data, 318, 50, {}, HAlign::Center, {N, T, N, N});
    ReportField *account = cell(data, 368, 50, {}, HAlign::Center, {N, T, N, N});
    ReportField *name = cell(data, 418, 217, {}, HAlign::Left, {N, T, N, N});
    ReportField *fee = cell(data, 635, 85, {}, HAlign::Right, {N, T, K, N});
    data->beforePrint = [=, this] {
        SqlDataSet &r = sqlFurikomisaki;
        if (r.eof()) {
            data->clearTexts();
            return;
        }
        const masters::RecipientListLine line = masters::recipientListLine(
            r.int64("銀行番号"), r.int64("支店番号"), r.text("銀行名"), r.text("銀行名漢字"), r.text("支店名"),
            r.text("支店名漢字"), r.int64("預金種別"), r.text("口座番号"), r.text("受取人名"), r.int64("手数料区分"),
            r.int64("手数料金額"));
        code->text = q(line.code);
        bank->text = q(line.bank);
        branch->text = q(line.branch);
        type->text = q(line.type);
        account->text = q(line.account);
        name->text = q(line.name);
        fee->text = q(line.feeText());
        r.next();
    };

    grid->rowChoice = [head, data](int row) -> ReportRowLayout * {
        if (row == 0)
            return head;
        const BorderLine bottom = row == kGridRows - 1 ? K : BorderLine::Normal;
        for (const auto &field : data->fields())
            field->borders.bottom = bottom;
        return data;
    };
    setUp();
}

void TrptFurikomisakiPrint::setUp()
{
    // Recipients of the same name keep their stored order.
    sqlFurikomisaki.setSql("SELECT * FROM M_受取人\nORDER BY 受取人名, ID");
}

void ShowRecipientList(QPointer<TBaseLRep> &window, MessageBoxes &boxes, const sql::Database &db, QWidget *parent)
{
    if (!window)
        window = new TBaseLRep(std::make_unique<TrptFurikomisakiPrint>(db), boxes, parent);
    window->reportAs<TrptFurikomisakiPrint>().setUp();
    window->ShowReport();
}

} // namespace pelanova
