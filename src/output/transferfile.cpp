#include "output/transferfile.h"
#include "output/filehistory.h"
#include "core/cp932.h"
#include "core/records.h"
#include "core/replacefile.h"
#include "core/sha256.h"
#include "core/sql.h"
#include "core/unitapp.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>


namespace pelanova::output {
namespace {

constexpr int64_t kMaxTotal = 999'999'999'999;    // 12-digit total field
constexpr int64_t kMaxCount = 999'999;            // 6-digit count field

// "3件目の振込（0001-001 普通 1234567 ﾔﾏﾀﾞ ﾀﾛｳ）"
std::string lineName(size_t index, const FurikomiRow &row)
{
    std::string s = std::to_string(index + 1) + "件目の振込（" + formatBankBranch(row.bankNumber, row.branchNumber);
    const std::string type = GetYokinSyubetuName(row.accountType);
    if (!type.empty())
        s += " " + type;
    s += " " + std::string(trimFieldBlanks(row.account));
    const std::string payee(trimFieldBlanks(row.payee));
    if (!payee.empty())
        s += " " + payee;
    return s + "）";
}

bool fitsNumber(int64_t value, int64_t max) { return value >= 0 && value <= max; }

// A text that has no Shift-JIS form would go out with '?' in its place.
const char *unencodable(std::initializer_list<std::pair<const char *, const std::string *>> fields)
{
    for (const auto &[label, value] : fields) {
        if (!cp932::encode(*value))
            return label;
    }
    return nullptr;
}

TransferFileResult refuse(std::string message)
{
    TransferFileResult r;
    r.message = std::move(message) + "\n\rファイルは作成していません。";
    return r;
}

// A name in the characters of Zengin names, as the bank would convert it;
// a converted name is noted once. Characters without such a form stay, for
// the check to refuse.
std::string bankName(const std::string &name, const char *label, std::vector<std::string> &notes)
{
    const std::optional<std::string> bytes = cp932::encode(name);
    if (!bytes)
        return name;
    const zengin::NameCharacters c = zengin::nameCharacters(*bytes);
    if (c.converted == *bytes)
        return name;
    const std::string note = std::string(label) + "「" + cp932::decode(trimFieldBlanks(*bytes)) + "」を「"
                             + cp932::decode(trimFieldBlanks(c.converted)) + "」として作成します。";
    if (std::find(notes.begin(), notes.end(), note) == notes.end())
        notes.push_back(note);
    return cp932::decode(c.converted);
}

} // namespace

TransferFileResult buildTransferFile(const std::optional<ConsignorRow> &consignor, int transferRequestDate,
                                     const std::vector<FurikomiRow> &rows, const RecipientRows &recipients,
                                     const std::optional<ConsignorRow> &feeTable, std::string &content,
                                     const TransferFileForm &form)
{
    content.clear();
    if (!consignor)
        return refuse("委託者が登録されていないため、ヘッダレコードを作成できません。");
    if (!fitsNumber(consignor->bankNumber, 9999) || !fitsNumber(consignor->branchNumber, 999))
        return refuse("委託者の銀行番号・支店番号（" + std::to_string(consignor->bankNumber) + "-"
                      + std::to_string(consignor->branchNumber) + "）が桁数に収まりません。");
    if (const char *label = unencodable({{"委託者コード", &consignor->code},
                                         {"委託者名", &consignor->name},
                                         {"銀行名", &consignor->bankName},
                                         {"支店名", &consignor->branchName},
                                         {"口座番号", &consignor->account}}))
        return refuse(std::string("委託者の") + label + "に Shift-JIS で表せない文字があります。");
    if (rows.size() > static_cast<size_t>(kMaxCount))
        return refuse("振込件数 " + std::to_string(rows.size()) + "件が6桁に収まりません。");

    TransferFileResult r;
    std::string records;
    records.reserve((rows.size() + 3) * (zengin::kRecordSize + form.lineBreak.size()));
    int64_t total = 0;
    int64_t count = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const FurikomiRow &row = rows[i];
        const PricedTransfer priced = priceTransfer(row, recipients, feeTable);
        const TTesuuryou &fee = priced.fee;
        const int64_t amount = priced.amount();
        const std::string borne =
            fee.AitesakiTesuuryou != 0 ? "は、先方負担の手数料 " + formatAmount(fee.AitesakiTesuuryou) + "円を差し引くと" : "は";
        if (amount < 0)
            return refuse(lineName(i, row) + "の金額 " + formatAmount(row.amount) + "円" + borne + "マイナス（"
                          + formatAmount(amount) + "円）になります。");
        if (amount == 0) {
            // Nothing moves: the bank would refuse a record of 0 yen.
            r.leftOut.push_back(lineName(i, row) + "の金額 " + formatAmount(row.amount) + "円" + borne
                                + "0円のため、ファイルに含めません。");
            continue;
        }
        if (amount > zengin::kMaxAmount)
            return refuse(lineName(i, row) + "の金額 " + formatAmount(amount) + "円が10桁に収まりません。");
        if (!fitsNumber(row.bankNumber, 9999) || !fitsNumber(row.branchNumber, 999))
            return refuse(lineName(i, row) + "の銀行番号・支店番号が桁数に収まりません。");
        if (const char *label = unencodable({{"銀行名", &row.bankName},
                                             {"支店名", &row.branchName},
                                             {"口座番号", &row.account},
                                             {"振込先名", &row.payee}}))
            return refuse(lineName(i, row) + "の" + label + "に Shift-JIS で表せない文字があります。");
        total += amount;
        ++count;
        if (total > kMaxTotal)
            return refuse(lineName(i, row) + "までの合計金額 " + formatAmount(total) + "円が12桁に収まりません。");

        zengin::TransferFields t = row;
        t.bankName = bankName(row.bankName, "振込銀行名", r.conversions);
        t.branchName = bankName(row.branchName, "振込支店名", r.conversions);
        t.payee = bankName(row.payee, "受取人名", r.conversions);
        records += zengin::buildData(t, amount, form);
        records += form.lineBreak;
    }
    if (count == 0) {
        TransferFileResult nothing;
        nothing.nothingToTransfer = true;
        nothing.message = kNothingToTransfer;
        nothing.leftOut = std::move(r.leftOut);
        return nothing;
    }

    zengin::ConsignorFields header = *consignor;
    std::vector<std::string> headerNotes;
    header.name = bankName(header.name, "委託者名", headerNotes);
    header.bankName = bankName(header.bankName, "取引銀行名", headerNotes);
    header.branchName = bankName(header.branchName, "取引支店名", headerNotes);
    r.conversions.insert(r.conversions.begin(), headerNotes.begin(), headerNotes.end());
    std::string out;
    try {
        out = zengin::buildHeader(header, transferRequestDate);
    } catch (const std::out_of_range &) {
        return refuse("振込依頼日 " + std::to_string(transferRequestDate) + " からヘッダレコードを作成できません。");
    }
    out += form.lineBreak;
    out += records;
    out += zengin::buildTrailer(count, total);
    out += form.lineBreak;
    out += zengin::buildEnd();
    out += form.lineBreak;

    content = std::move(out);
    r.ok = true;
    r.count = count;
    r.total = total;
    return r;
}

TransferFileForm readTransferFileForm(const IniFile &ini)
{
    auto value = [&](const SettingsItem &item) { return ini.readString(item.Section, item.Key, item.Default); };
    return zengin::bankFileForm(value(settings::ClearingHouse), value(settings::Designation),
                                value(settings::LineBreak));
}

std::string withTxtExtension(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + ".TXT";
}

BankFile::State BankFile::state() const
{
    if (m_built.nothingToTransfer)
        return State::NothingToTransfer;
    if (!m_built.ok || m_check.hasErrors())
        return State::Refused;
    return State::Ready;
}

std::string BankFile::refusal() const
{
    if (!m_built.ok)
        return m_built.message;
    if (!m_check.hasErrors())
        return {};
    return kCheckRefusal + zengin::findingList(m_check.findings);
}

std::string BankFile::warnings() const
{
    if (m_check.warnings == 0)
        return {};
    std::vector<zengin::Finding> warnings;
    for (const zengin::Finding &f : m_check.findings) {
        if (f.severity != zengin::Severity::Error)
            warnings.push_back(f);
    }
    return zengin::findingList(warnings);
}

std::string BankFile::notes() const
{
    std::string text;
    for (const std::vector<std::string> *list : {&m_built.conversions, &m_built.leftOut}) {
        for (const std::string &note : *list)
            text += "\n\r" + note;
    }
    return text;
}

BankFile prepareBankFile(const sql::Database &own, const sql::Database &bankMaster, const std::string &consignorCode,
                         int transferRequestDate, const std::string &aggregationStatement,
                         const TransferFileForm &form)
{
    BankFile file;
    try {
        file.m_consignor = consignorCode;
        file.m_date = transferRequestDate;
        const sql::ReadSnapshot snapshot(own);
        const std::optional<ConsignorRow> consignor = loadConsignorRow(own, consignorCode);
        const RecipientRows recipients(own, consignorCode);
        const std::vector<FurikomiRow> rows = readFurikomiRows(own, aggregationStatement);
        LinesFingerprint fingerprint;
        fingerprint.consignor(consignor);
        for (const FurikomiRow &row : rows)
            fingerprint.line(row, priceTransfer(row, recipients, consignor));
        file.m_fingerprint = fingerprint.hex();
        file.m_built =
            buildTransferFile(consignor, transferRequestDate, rows, recipients, consignor, file.m_content, form);
        if (!file.m_built.ok)
            return file;
        const zengin::BankCodes codes = zengin::readBankCodes(bankMaster);
        zengin::CheckOptions options;
        options.transferDate = transferRequestDate;
        options.bankCodes = &codes;
        file.m_check = zengin::checkTransferBytes(file.m_content, options);
    } catch (const sql::Error &e) {
        file.m_built = TransferFileResult();
        file.m_built.message = ErrorText(e);
        file.m_content.clear();
    }
    return file;
}

std::string writeBankFile(sql::Database &own, const BankFile &file, const std::string &path)
{
    if (file.state() != BankFile::State::Ready)
        throw std::logic_error("a bank file that is not ready is never written");
    CreatedFile record;
    record.consignor = file.consignor();
    record.date = file.date();
    record.created = localTimeNow();
    record.user = systemUserName();
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    record.path = ec ? path : absolute.lexically_normal().string();
    record.records = file.built().count;
    record.total = file.built().total;
    record.sha256 = sha256Hex(file.content());
    record.fingerprint = file.fingerprint();
    try {
        sql::Transaction tx(own);
        recordCreatedFile(own, record);
        replaceFile(path, file.content());
        tx.commit();
    } catch (const FileWriteError &e) {
        return e.what();
    } catch (const std::exception &e) {
        return "作成履歴に記録できないため、ファイルは作成していません。\n\r" + ErrorText(e);
    }
    return {};
}

} // namespace pelanova::output
