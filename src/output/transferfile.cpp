#include "output/transferfile.h"
#include "core/cp932.h"
#include "core/records.h"
#include "core/sqlite.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelanova::output {
namespace {

constexpr int64_t kMaxTotal = 999'999'999'999;    // 12-digit total field
constexpr int64_t kMaxCount = 999'999;            // 6-digit count field

std::string trimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

// "3件目の振込（0001-001 普通 1234567 ﾔﾏﾀﾞ ﾀﾛｳ）"
std::string lineName(size_t index, const FurikomiRow &row)
{
    std::string s = std::to_string(index + 1) + "件目の振込（" + formatBankBranch(row.bankNumber, row.branchNumber);
    const std::string type = GetYokinSyubetuName(row.accountType);
    if (!type.empty())
        s += " " + type;
    s += " " + trimRight(row.account);
    const std::string payee = trimRight(row.payee);
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

std::string errnoText(int err) { return std::strerror(err); }

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

    std::string out;
    out.reserve((rows.size() + 3) * (zengin::kRecordSize + form.lineBreak.size()));
    try {
        out += zengin::buildHeader(consignor->headerFields(), transferRequestDate);
        out += form.lineBreak;
    } catch (const std::out_of_range &) {
        return refuse("振込依頼日 " + std::to_string(transferRequestDate) + " からヘッダレコードを作成できません。");
    }

    int64_t total = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const FurikomiRow &row = rows[i];
        const PricedTransfer priced = priceTransfer(row, recipients, feeTable);
        const TTesuuryou &fee = priced.fee;
        const int64_t amount = priced.amount();
        if (amount < 0) {
            std::string why = "の金額 " + formatAmount(row.amount) + "円";
            if (fee.AitesakiTesuuryou != 0)
                why += "は、先方負担の手数料 " + formatAmount(fee.AitesakiTesuuryou) + "円を差し引くと";
            else
                why += "は";
            return refuse(lineName(i, row) + why + "マイナス（" + formatAmount(amount) + "円）になります。");
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
        if (total > kMaxTotal)
            return refuse(lineName(i, row) + "までの合計金額 " + formatAmount(total) + "円が12桁に収まりません。");

        zengin::TransferFields t;
        t.bankNumber = static_cast<int>(row.bankNumber);
        t.bankName = row.bankName;
        t.branchNumber = static_cast<int>(row.branchNumber);
        t.branchName = row.branchName;
        t.accountType = static_cast<int>(row.accountType);
        t.account = row.account;
        t.name = row.payee;
        out += zengin::buildData(t, amount, form);
        out += form.lineBreak;
    }
    out += zengin::buildTrailer(static_cast<int64_t>(rows.size()), total);
    out += form.lineBreak;
    out += zengin::buildEnd();
    out += form.lineBreak;

    content = std::move(out);
    TransferFileResult r;
    r.ok = true;
    r.count = static_cast<int64_t>(rows.size());
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

std::string replaceFileAtomically(const std::string &path, const std::string &bytes)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string tmpl = (folder / ("." + target.filename().string() + ".XXXXXX")).string();

    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return path + ": ファイルを作成できません（" + errnoText(errno) + "）";

    auto fail = [&](const char *what, int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        return path + ": " + what + "（" + errnoText(err) + "）";
    };

    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones (mkstemp creates it readable by the owner only).
    struct stat st{};
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        return fail("ファイルの属性を設定できません", errno);

    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail("ファイルに書き込めません", errno);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0)
        return fail("ファイルに書き込めません", errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        return path + ": ファイルに書き込めません（" + errnoText(err) + "）";
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        return path + ": ファイルを作成できません（" + errnoText(err) + "）";
    }
    return {};
}

namespace {

// Writes a file that was built whole: the build's result, or the file
// system's failure (the target then untouched).
TransferFileResult writeBuilt(const std::string &path, const std::string &content, const TransferFileResult &built)
{
    const std::string error = replaceFileAtomically(path, content);
    if (error.empty())
        return built;
    TransferFileResult failed;
    failed.message = error;
    failed.fileFailure = true;
    return failed;
}

} // namespace

TransferFileResult WriteTransferFile(const std::string &path, const std::optional<ConsignorRow> &consignor,
                                     int transferRequestDate, const std::vector<FurikomiRow> &rows,
                                     const RecipientRows &recipients, const std::optional<ConsignorRow> &feeTable,
                                     const TransferFileForm &form)
{
    std::string content;
    TransferFileResult r =
        buildTransferFile(consignor, transferRequestDate, rows, recipients, feeTable, content, form);
    return r.ok ? writeBuilt(path, content, r) : r;
}

TransferFileResult buildTransferFile(const sql::Database &db, const std::string &consignorCode,
                                     int transferRequestDate, const std::string &aggregationStatement,
                                     std::string &content, const TransferFileForm &form)
{
    content.clear();
    try {
        const std::optional<ConsignorRow> consignor = loadConsignorRow(db, consignorCode);
        const RecipientRows recipients(db, consignorCode);
        const std::vector<FurikomiRow> rows = readFurikomiRows(db, aggregationStatement);
        return buildTransferFile(consignor, transferRequestDate, rows, recipients, consignor, content, form);
    } catch (const sql::Error &e) {
        TransferFileResult r;
        r.message = e.what();
        return r;
    }
}

zengin::CheckResult checkBeforeWriting(const std::string &content, int transferRequestDate,
                                       const sql::Database &bankMaster)
{
    const zengin::BankCodes codes = zengin::readBankCodes(bankMaster);
    zengin::CheckOptions options;
    options.transferDate = transferRequestDate;
    options.bankCodes = &codes;
    return zengin::checkTransferBytes(content, options);
}

TransferFileResult WriteTransferFile(const sql::Database &db, const std::string &path,
                                     const std::string &consignorCode, int transferRequestDate,
                                     const std::string &aggregationStatement, const TransferFileForm &form)
{
    std::string content;
    TransferFileResult r = buildTransferFile(db, consignorCode, transferRequestDate, aggregationStatement, content, form);
    return r.ok ? writeBuilt(path, content, r) : r;
}

} // namespace pelanova::output
