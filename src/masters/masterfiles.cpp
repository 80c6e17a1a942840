#include "masters/masterfiles.h"

#include "core/csv.h"
#include "core/format.h"
#include "core/lineswatcher.h"
#include "core/replacefile.h"
#include "core/sql.h"
#include "core/tesuuryou.h"
#include "masters/mastercolumns.h"
#include "masters/masterdata.h"
#include "masters/masterrules.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace pelanova::masters {
namespace {

using namespace columns;

struct StoredRow
{
    int64_t id = 0;
    std::vector<std::string> values;
};

// The natural key of a row: for a recipient its consignor and account
// (bank, branch, number); the account type must then agree.
std::string matchKey(MasterKind kind, const std::vector<std::string> &values)
{
    if (kind == MasterKind::Recipients)
        return values[0] + '\t' + values[1] + '\t' + values[4] + '\t' + values[8];
    return values[0];
}

constexpr size_t kRecipientAccountType = 7;
constexpr size_t kRecipientAccount = 8;

std::vector<StoredRow> loadStored(const sql::Database &db, const MasterLayout &layout)
{
    sql::Statement st = db.prepare(std::string("SELECT * FROM ") + layout.table + "\nORDER BY " + layout.order);
    std::vector<StoredRow> rows;
    while (st.step()) {
        StoredRow row;
        row.id = st.int64("ID");
        for (const ColumnLayout &column : layout.columns)
            row.values.push_back(storedValue(st, column));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string lineText(int line) { return std::to_string(line) + "行目 "; }

std::string joinFaults(const std::string &title, const std::vector<std::string> &faults)
{
    std::string text = title;
    const size_t listed = std::min(faults.size(), size_t(kListedFaults));
    for (size_t i = 0; i < listed; ++i)
        text += "\n\r" + faults[i];
    if (faults.size() > listed)
        text += "\n\rほか " + std::to_string(faults.size() - listed) + " 件の誤りがあります。";
    return text;
}

const char *kRefused = "取り込めませんでした（何も変更していません）。";

// How the changes of a row read: the key and the name, then each changed value.
std::string describeRow(MasterKind kind, const MasterLayout &layout, const PlannedRow &row)
{
    const std::vector<std::string> &v = row.values;
    std::string text = (row.action == PlannedRow::Action::Add ? "追加 " : "変更 ") + lineText(row.line);
    switch (kind) {
    case MasterKind::Facilities: text += "施設コード " + v[0] + " " + v[1]; break;
    case MasterKind::Consignors: text += "委託者コード " + v[0] + " " + std::string(trimFieldBlanks(v[1])); break;
    default:
        text += v[0] + " " + v[1] + "-" + v[4] + " " + GetYokinSyubetuName(std::stoll(v[7])) + " " + v[8] + " "
                + std::string(trimFieldBlanks(v[9]));
        break;
    }
    if (row.action == PlannedRow::Action::Change) {
        std::string changes;
        for (const size_t c : row.changed) {
            changes += changes.empty() ? "：" : "、";
            const bool amount = layout.columns[c].kind == Kind::Amount;
            changes += layout.columns[c].name + " " + (amount ? formatGrouped(std::stoll(row.stored[c])) : row.stored[c])
                       + "→" + (amount ? formatGrouped(std::stoll(v[c])) : v[c]);
        }
        text += changes;
    }
    return text;
}

// Makes the plan on the data as it stands.
ImportPlan makePlan(const sql::Database &db, MasterKind kind, std::string bytes, const ImportDefaults &defaults)
{
    if (kind == MasterKind::RecipientList)
        throw MasterFileError("受取人一覧は取り込めません。受取人マスタを取り込んでください。");
    const MasterLayout &layout = layoutOf(kind);
    ImportPlan plan;
    plan.kind = kind;
    plan.defaults = defaults;

    std::string text;
    try {
        text = csv::decodeText(bytes);
    } catch (const csv::ReadError &error) {
        throw MasterFileError(std::string(kRefused) + "\n\r" + error.what());
    }
    std::vector<csv::Record> records = csv::parse(text);
    // Lines of blanks only are no rows.
    std::erase_if(records, [](const csv::Record &r) {
        return std::all_of(r.fields.begin(), r.fields.end(), [](const std::string &f) { return trimText(f).empty(); });
    });
    if (records.empty())
        throw MasterFileError(std::string(kRefused) + "\n\rファイルが空です。");

    // The header: the columns by name, in any order.
    std::vector<int> columnOf; // file column -> layout column
    std::vector<std::string> faults;
    std::vector<bool> present(layout.columns.size(), false);
    for (const std::string &field : records.front().fields) {
        const std::string name(trimText(field));
        const auto it = std::find_if(layout.columns.begin(), layout.columns.end(),
                                     [&](const ColumnLayout &c) { return c.name == name; });
        if (it == layout.columns.end()) {
            faults.push_back("列「" + name + "」は" + sheetName(kind) + "にない列です。");
            columnOf.push_back(-1);
            continue;
        }
        const auto index = size_t(it - layout.columns.begin());
        if (present[index])
            faults.push_back("列「" + name + "」が二つあります。");
        present[index] = true;
        columnOf.push_back(int(index));
    }
    for (size_t c = 0; c < layout.columns.size(); ++c) {
        if (layout.columns[c].key && !present[c])
            faults.push_back("必須の列「" + layout.columns[c].name + "」がありません。");
    }
    if (!faults.empty())
        throw MasterFileError(joinFaults(std::string(kRefused) + "\n\r1行目（見出し）", faults));
    if (records.size() == 1)
        throw MasterFileError(std::string(kRefused) + "\n\r見出しのほかに行がありません。");

    const std::vector<StoredRow> stored = loadStored(db, layout);
    std::map<std::string, const StoredRow *> byKey;
    for (const StoredRow &row : stored)
        byKey.emplace(matchKey(kind, row.values), &row); // the earliest stored row of a key
    std::set<std::string> consignorCodes;
    if (kind == MasterKind::Recipients) {
        for (const StoredRow &row : loadStored(db, layoutOf(MasterKind::Consignors)))
            consignorCodes.insert(row.values[0]);
    }

    std::map<std::string, int> seen; // key -> line
    std::set<std::string> affected;
    for (size_t r = 1; r < records.size(); ++r) {
        const csv::Record &record = records[r];
        if (record.fields.size() != columnOf.size()) {
            faults.push_back(lineText(record.line) + "列の数（" + std::to_string(record.fields.size())
                             + "）が見出しの列の数（" + std::to_string(columnOf.size()) + "）と合いません。");
            continue;
        }
        bool good = true;
        std::vector<std::string> given(layout.columns.size());
        for (size_t f = 0; f < record.fields.size(); ++f) {
            const ColumnLayout &column = layout.columns[size_t(columnOf[f])];
            if (const rules::Fault fault = cellFault(record.fields[f], column)) {
                faults.push_back(lineText(record.line) + *fault);
                good = false;
                continue;
            }
            given[size_t(columnOf[f])] = fileValue(record.fields[f], column);
        }
        if (!good)
            continue;

        std::vector<std::string> keyValues = given;
        const std::string key = matchKey(kind, keyValues);
        if (const auto [it, fresh] = seen.emplace(key, record.line); !fresh) {
            faults.push_back(lineText(record.line) + std::to_string(it->second) + "行目と同じ"
                             + (kind == MasterKind::Facilities   ? "施設コード"
                                : kind == MasterKind::Consignors ? "委託者コード"
                                                                 : "口座")
                             + "の行です。");
            continue;
        }

        PlannedRow row;
        row.line = record.line;
        const auto match = byKey.find(key);
        if (match != byKey.end()) {
            row.id = match->second->id;
            row.stored = match->second->values;
            row.values = row.stored;
        } else {
            row.action = PlannedRow::Action::Add;
            for (const ColumnLayout &column : layout.columns)
                row.values.push_back(defaultValue(kind, column, defaults));
            row.stored = row.values;
        }
        for (size_t c = 0; c < layout.columns.size(); ++c) {
            if (!present[c])
                continue;
            if (!sameValue(given[c], row.values[c], layout.columns[c].kind)) {
                row.values[c] = given[c];
                if (row.action != PlannedRow::Action::Add)
                    row.changed.push_back(c);
            }
        }
        if (kind == MasterKind::Recipients) {
            if (row.action != PlannedRow::Action::Add
                && given[kRecipientAccountType] != row.stored[kRecipientAccountType]) {
                faults.push_back(lineText(record.line) + "口座番号「" + given[kRecipientAccount] + "」は預金種別「"
                                 + GetYokinSyubetuName(std::stoll(row.stored[kRecipientAccountType]))
                                 + "」で登録されています。");
                continue;
            }
            if (row.action == PlannedRow::Action::Add && !consignorCodes.count(given[0])) {
                faults.push_back(lineText(record.line) + "委託者コード「" + given[0] + "」の委託者は登録されていません。");
                continue;
            }
        }
        if (kind == MasterKind::Facilities && row.action == PlannedRow::Action::Add && !present[1])
            faults.push_back(lineText(record.line) + *rules::facilityNameFault(""));

        if (row.action == PlannedRow::Action::Add) {
            ++plan.added;
        } else if (row.changed.empty()) {
            ++plan.unchanged;
        } else {
            row.action = PlannedRow::Action::Change;
            ++plan.changed;
        }
        if (row.action != PlannedRow::Action::Same && kind != MasterKind::Facilities)
            affected.insert(row.values[0]);
        plan.rows.push_back(std::move(row));
    }
    if (!faults.empty())
        throw MasterFileError(joinFaults(std::string(kRefused) + "誤りが " + std::to_string(faults.size()) + " 件あります。",
                                         faults));
    plan.consignors.assign(affected.begin(), affected.end());
    plan.bytes = std::move(bytes);
    return plan;
}

void writeRow(sql::Database &db, const MasterLayout &layout, const PlannedRow &row)
{
    if (row.action == PlannedRow::Action::Same)
        return;
    std::string statement;
    std::vector<size_t> columns;
    if (row.action == PlannedRow::Action::Add) {
        std::string names;
        std::string values;
        for (size_t c = 0; c < layout.columns.size(); ++c) {
            names += (c ? ", " : "") + layout.columns[c].name;
            values += c ? ", ?" : "?";
            columns.push_back(c);
        }
        statement = std::string("INSERT INTO ") + layout.table + " (" + names + ")\nVALUES (" + values + ")";
    } else {
        statement = std::string("UPDATE ") + layout.table + " SET";
        for (const size_t c : row.changed) {
            statement += (columns.empty() ? "\n  " : ",\n  ") + layout.columns[c].name + " = ?";
            columns.push_back(c);
        }
        statement += "\nWHERE\n  ID = " + std::to_string(row.id);
    }
    sql::Statement st = db.prepare(statement);
    for (size_t i = 0; i < columns.size(); ++i)
        bindValue(st, int(i + 1), row.values[columns[i]], layout.columns[columns[i]]);
    st.run();
}

std::string lowerExtension(const std::string &path)
{
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    for (char &c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// The printed list's columns.
std::vector<xlsx::Column> recipientListColumns()
{
    return {{"銀行・支店番号", {}, {}}, {"銀行名", {}, {}},   {"支店名", {}, {}},
            {"預金種別", {}, {}},       {"口座番号", {}, {}}, {"振込先", {}, {}},
            {"相手先手数料", "#,##0\"円以上\"", "円以上"}};
}

xlsx::Sheet recipientListSheet(const sql::Database &db)
{
    xlsx::Sheet sheet;
    sheet.name = sheetName(MasterKind::RecipientList);
    sheet.columns = recipientListColumns();
    // The printed list's order: by name, recipients of one name as stored.
    sql::Statement st = db.prepare("SELECT * FROM M_受取人\nORDER BY 受取人名, ID");
    while (st.step()) {
        const RecipientListLine line = recipientListLine(
            st.int64OrZero("銀行番号"), st.int64OrZero("支店番号"), st.textOrEmpty("銀行名"),
            st.textOrEmpty("銀行名漢字"), st.textOrEmpty("支店名"), st.textOrEmpty("支店名漢字"),
            st.int64OrZero("預金種別"), st.textOrEmpty("口座番号"), st.textOrEmpty("受取人名"),
            st.int64OrZero("手数料区分"), st.int64OrZero("手数料金額"));
        sheet.rows.push_back({xlsx::Cell::ofText(line.code), xlsx::Cell::ofText(line.bank),
                              xlsx::Cell::ofText(line.branch), xlsx::Cell::ofText(line.type),
                              xlsx::Cell::ofText(line.account), xlsx::Cell::ofText(line.name),
                              line.fee ? xlsx::Cell::ofNumber(*line.fee) : xlsx::Cell::empty()});
    }
    return sheet;
}

} // namespace

std::optional<MasterKind> masterKindNamed(std::string_view word)
{
    if (word == "facilities")
        return MasterKind::Facilities;
    if (word == "consignors")
        return MasterKind::Consignors;
    if (word == "recipients")
        return MasterKind::Recipients;
    if (word == "recipient-list")
        return MasterKind::RecipientList;
    return std::nullopt;
}

std::string sheetName(MasterKind kind)
{
    switch (kind) {
    case MasterKind::Facilities: return "施設マスタ";
    case MasterKind::Consignors: return "委託者マスタ";
    case MasterKind::Recipients: return "受取人マスタ";
    case MasterKind::RecipientList: return "受取人一覧";
    }
    return {};
}

std::vector<std::string> masterColumns(MasterKind kind)
{
    if (kind == MasterKind::RecipientList) {
        std::vector<std::string> names;
        for (const xlsx::Column &column : recipientListColumns())
            names.push_back(column.header);
        return names;
    }
    std::vector<std::string> names;
    for (const ColumnLayout &column : layoutOf(kind).columns)
        names.push_back(column.name);
    return names;
}

std::optional<FileForm> fileFormOf(const std::string &path)
{
    const std::string ext = lowerExtension(path);
    if (ext == ".csv")
        return FileForm::Csv;
    if (ext == ".xlsx")
        return FileForm::Xlsx;
    return std::nullopt;
}

std::string RecipientListLine::feeText() const
{
    return fee ? formatGrouped(*fee) + "円以上" : std::string();
}

RecipientListLine recipientListLine(int64_t bankNumber, int64_t branchNumber, const std::string &bankName,
                                    const std::string &bankKanji, const std::string &branchName,
                                    const std::string &branchKanji, int64_t accountType, const std::string &account,
                                    const std::string &name, int64_t category, int64_t threshold)
{
    RecipientListLine line;
    line.code = formatBankBranch(bankNumber, branchNumber);
    line.bank = bankKanji.empty() ? bankName : bankKanji;
    line.branch = branchKanji.empty() ? branchName : branchKanji;
    line.type = GetYokinSyubetuName(accountType);
    line.account = account;
    line.name = name;
    if (category != 0)
        line.fee = threshold;
    return line;
}

xlsx::Sheet masterSheet(const sql::Database &db, MasterKind kind)
{
    if (kind == MasterKind::RecipientList)
        return recipientListSheet(db);
    const MasterLayout &layout = layoutOf(kind);
    xlsx::Sheet sheet;
    sheet.name = sheetName(kind);
    for (const ColumnLayout &column : layout.columns) {
        const bool amount = column.kind == Kind::Amount;
        sheet.columns.push_back({column.name, amount ? "#,##0" : std::string(), {}});
    }
    for (const StoredRow &row : loadStored(db, layout)) {
        std::vector<xlsx::Cell> cells;
        for (size_t c = 0; c < layout.columns.size(); ++c) {
            const Kind k = layout.columns[c].kind;
            cells.push_back(k == Kind::Amount || k == Kind::Category ? xlsx::Cell::ofNumber(std::stoll(row.values[c]))
                                                                     : xlsx::Cell::ofText(row.values[c]));
        }
        sheet.rows.push_back(std::move(cells));
    }
    if (kind == MasterKind::Consignors) {
        sheet.landscape = true;
        sheet.repeatColumns = 1;
    }
    return sheet;
}

void exportMaster(const sql::Database &db, MasterKind kind, const std::string &path)
{
    const std::optional<FileForm> form = fileFormOf(path);
    if (!form)
        throw MasterFileError("ファイル名の拡張子を .csv か .xlsx にしてください。\n\r" + path);
    const xlsx::Sheet sheet = masterSheet(db, kind);
    if (*form == FileForm::Xlsx) {
        xlsx::writeWorkbook(path, sheet);
        return;
    }
    std::vector<csv::Row> rows;
    csv::Row header;
    for (const xlsx::Column &column : sheet.columns)
        header.push_back(column.header);
    rows.push_back(std::move(header));
    for (const std::vector<xlsx::Cell> &cells : sheet.rows) {
        csv::Row row;
        for (const xlsx::Cell &cell : cells)
            row.push_back(cell.kind == xlsx::Cell::Kind::Number ? std::to_string(cell.number) : cell.text);
        rows.push_back(std::move(row));
    }
    if (kind == MasterKind::RecipientList) {
        // The fee as the printed list writes it.
        for (size_t r = 1; r < rows.size(); ++r) {
            const xlsx::Cell &fee = sheet.rows[r - 1].back();
            rows[r].back() = fee.kind == xlsx::Cell::Kind::Number ? formatGrouped(fee.number) + "円以上" : "";
        }
    }
    std::string bytes;
    try {
        bytes = csv::encodeCp932(rows);
    } catch (const csv::EncodingError &error) {
        throw MasterFileError(std::to_string(error.row + 1) + "行目 " + rows.front()[error.column] + "「" + error.text
                              + "」には Shift-JIS（CP932）で書けない文字があります。\n\rExcel 形式（.xlsx）で書き出してください。");
    }
    replaceFile(path, bytes);
}

std::string ImportPlan::countsText() const
{
    return "追加 " + std::to_string(added) + " 件 / 変更 " + std::to_string(changed) + " 件 / 変更なし "
           + std::to_string(unchanged) + " 件";
}

std::vector<std::string> ImportPlan::changeLines() const
{
    std::vector<std::string> lines;
    for (const PlannedRow &row : rows) {
        if (row.action != PlannedRow::Action::Same)
            lines.push_back(describeRow(kind, layoutOf(kind), row));
    }
    return lines;
}

ImportPlan planImport(const sql::Database &db, MasterKind kind, std::string bytes, const ImportDefaults &defaults)
{
    return makePlan(db, kind, std::move(bytes), defaults);
}

void applyImport(sql::Database &db, const ImportPlan &shown, const std::function<void()> &backup,
                 LinesWatcher *watcher)
{
    if (!shown.changesAnything())
        return;
    if (backup)
        backup();
    const MasterLayout &layout = layoutOf(shown.kind);
    changeWatched(watcher, shown.consignors, std::nullopt, [&] {
        sql::Transaction tx(db);
        const ImportPlan now = makePlan(db, shown.kind, shown.bytes, shown.defaults);
        if (now.rows != shown.rows)
            throw MasterFileError("取り込みの内容を確かめている間にマスタが変更されました。何も変更していません。\n\r"
                                  "もう一度インポートしてください。");
        for (const PlannedRow &row : now.rows)
            writeRow(db, layout, row);
        tx.commit();
    });
}

} // namespace pelanova::masters
