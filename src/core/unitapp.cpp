#include "core/unitapp.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/cp932.h"
#include "core/format.h"
#include "core/sql.h"

#include <sqlite3.h>

namespace pelanova {

void ErrorMsg(MessageBoxes &boxes, const std::string &text)
{
    boxes.messageBox(text, kAppTitle, MessageIcon::Error, MessageButtons::Ok, kDefaultButton1);
}

int YesNoMsg(MessageBoxes &boxes, const std::string &text, int defaultButton)
{
    return boxes.messageBox(text, kAppTitle, MessageIcon::Question, MessageButtons::YesNo,
                            defaultButton);
}

int YesNoCancelMsg(MessageBoxes &boxes, const std::string &text, int defaultButton)
{
    return boxes.messageBox(text, kAppTitle, MessageIcon::Question, MessageButtons::YesNoCancel,
                            defaultButton);
}

namespace {

const char *databaseErrorSentence(int code)
{
    switch (code & 0xFF) {
    case SQLITE_FULL:
        return "ディスクの空き容量が足りないため、データベースに書き込めませんでした。";
    case SQLITE_READONLY:
        return "データベースのファイルが読み取り専用のため、書き込めませんでした。";
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return "ファイルがデータベースではないか、壊れています。";
    case SQLITE_CANTOPEN:
        return "データベースのファイルを開けませんでした。";
    case SQLITE_PERM:
        return "データベースのファイルを使用する権限がありません。";
    case SQLITE_IOERR:
        return "データベースのファイルの読み書きに失敗しました。";
    default:
        return nullptr;
    }
}

} // namespace

std::string busyDatabaseText()
{
    return "データベースは他の利用者またはプログラムが使用中です（" + std::to_string(sql::kBusyTimeoutSeconds)
           + "秒待ちました）。しばらくしてからもう一度操作してください。";
}

std::string ErrorText(const std::exception &error)
{
    if (const auto *db = dynamic_cast<const sql::Error *>(&error)) {
        if (db->isBusy())
            return busyDatabaseText();
        if (const char *sentence = databaseErrorSentence(db->code()))
            return std::string(sentence) + "\n\r" + error.what();
    }
    return error.what();
}

int64_t FileSizeByName(const std::string &path)
{
    std::error_code ec;
    const std::filesystem::path p(path);
    if (!std::filesystem::is_regular_file(p, ec))
        return 0;
    const std::uintmax_t size = std::filesystem::file_size(p, ec);
    if (ec)
        return 0;
    return static_cast<int64_t>(size);
}

namespace {

// Splits the CP932 bytes: the byte after a lead byte belongs to its character
// and never counts as the delimiter.
std::optional<std::string> fieldOfBytes(const std::string &bytes, char delimiter, int index)
{
    std::string field;
    int number = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (cp932::isLeadByte(b) && i + 1 < bytes.size()) {
            field += bytes[i];
            field += bytes[++i];
            continue;
        }
        if (bytes[i] == delimiter) {
            if (number == index)
                break;
            ++number;
            field.clear();
            continue;
        }
        field += bytes[i];
    }
    if (number != index)
        return std::nullopt;
    return std::string(trimText(field));
}

} // namespace

std::string GetToken(char delimiter, int index, const std::string &text)
{
    if (index < 0)
        return {};
    if (const std::optional<std::string> bytes = cp932::encode(text)) {
        const std::optional<std::string> field = fieldOfBytes(*bytes, delimiter, index);
        return field ? cp932::decode(*field) : std::string();
    }
    // Text with characters outside CP932: every multi-byte UTF-8 character is
    // one character, so only a plain ASCII delimiter splits.
    std::string field;
    int number = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == delimiter && static_cast<unsigned char>(delimiter) < 0x80) {
            if (number == index)
                break;
            ++number;
            field.clear();
            continue;
        }
        field += text[i];
    }
    return number == index ? std::string(trimText(field)) : std::string();
}

} // namespace pelanova
