#include "core/xlsx.h"

#include "core/format.h"
#include "core/replacefile.h"
#include "core/utf8.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <memory>

namespace pelanova::xlsx {
namespace {

constexpr int kWidestColumn = 60;

struct WorkbookCloser
{
    void operator()(lxw_workbook *book) const { workbook_close(book); }
};

void check(lxw_error error, const std::string &path)
{
    if (error != LXW_NO_ERROR)
        throw FileWriteError(path + " に書き込めませんでした（" + lxw_strerror(error) + "）。");
}

} // namespace

int displayWidth(const std::string &text)
{
    int width = 0;
    for (size_t pos = 0; pos < text.size();) {
        const char32_t cp = utf8::next(text, pos);
        width += cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F) ? 1 : 2;
    }
    return width;
}

void writeWorkbook(const std::string &path, const Sheet &sheet)
{
    ReplacementFile file(path);
    {
        lxw_workbook_options options{};
        std::unique_ptr<lxw_workbook, WorkbookCloser> book(
            workbook_new_opt(file.temporaryPath().c_str(), &options));
        if (!book)
            throw FileWriteError(path + " に書き込めませんでした。");
        lxw_worksheet *ws = workbook_add_worksheet(book.get(), sheet.name.c_str());
        if (!ws)
            throw FileWriteError(path + " に書き込めませんでした（シート名「" + sheet.name + "」）。");

        lxw_format *bold = workbook_add_format(book.get());
        format_set_bold(bold);
        lxw_format *text = workbook_add_format(book.get());
        format_set_num_format(text, "@");
        std::vector<lxw_format *> numberFormats;
        std::vector<int> widths;
        for (const Column &column : sheet.columns) {
            lxw_format *format = nullptr;
            if (!column.numberFormat.empty()) {
                format = workbook_add_format(book.get());
                format_set_num_format(format, column.numberFormat.c_str());
            }
            numberFormats.push_back(format);
            widths.push_back(displayWidth(column.header));
        }

        for (size_t c = 0; c < sheet.columns.size(); ++c)
            check(worksheet_write_string(ws, 0, lxw_col_t(c), sheet.columns[c].header.c_str(), bold), path);
        for (size_t r = 0; r < sheet.rows.size(); ++r) {
            const auto row = lxw_row_t(r + 1);
            for (size_t c = 0; c < sheet.rows[r].size() && c < sheet.columns.size(); ++c) {
                const Cell &cell = sheet.rows[r][c];
                const auto col = lxw_col_t(c);
                switch (cell.kind) {
                case Cell::Kind::Empty:
                    break;
                case Cell::Kind::Text:
                    // An empty text is no cell at all in the sheet's terms.
                    if (!cell.text.empty())
                        check(worksheet_write_string(ws, row, col, cell.text.c_str(), text), path);
                    widths[c] = std::max(widths[c], displayWidth(cell.text));
                    break;
                case Cell::Kind::Number:
                    check(worksheet_write_number(ws, row, col, double(cell.number), numberFormats[c]), path);
                    widths[c] = std::max(widths[c], displayWidth(formatGrouped(cell.number)
                                                                 + sheet.columns[c].numberSuffix));
                    break;
                }
            }
        }
        for (size_t c = 0; c < sheet.columns.size(); ++c) {
            // Text cells are formatted as text, so that what is typed into
            // them later stays text too.
            lxw_format *format = numberFormats[c] ? numberFormats[c] : text;
            check(worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c),
                                       std::min(widths[c], kWidestColumn) + 2.0, format),
                  path);
        }
        worksheet_freeze_panes(ws, 1, 0);
        worksheet_set_paper(ws, 9); // A4
        worksheet_repeat_rows(ws, 0, 0);
        if (sheet.landscape)
            worksheet_set_landscape(ws);
        if (sheet.repeatColumns > 0)
            worksheet_repeat_columns(ws, 0, lxw_col_t(sheet.repeatColumns - 1));
        lxw_workbook *open = book.release();
        check(workbook_close(open), path);
    }
    file.commit();
}

} // namespace pelanova::xlsx
