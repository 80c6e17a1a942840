#pragma once

// The page layout of a report: bands, row grids, row layouts and fields, all
// measured in layout units of 1/96 inch from the top-left corner of the paper
// (bands) or of their band or grid row (fields). A report builds its layout
// once, keeps pointers to the fields it fills, and sets their texts in the
// before-print notifications while pages are rendered.
//
// Ownership: a ReportLayout owns its bands, a band or row grid owns its fields,
// a row grid owns its row layouts. Pointers handed out stay valid for the
// layout's lifetime.

#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pelanova {

// Font of a band, row layout or field. `height` is the character height in
// layout units (the em size, like a pixel size at 96 dpi).
struct ReportFont
{
    QString family;
    int height = 12;
    bool underline = false;
    bool bold = false;

    bool operator==(const ReportFont &) const = default;
};

inline const QString kFontMincho = QStringLiteral("ＭＳ 明朝");
inline const QString kFontGothic = QStringLiteral("ＭＳ ゴシック");

// Border line kinds and their widths in layout units.
enum class BorderLine { None, Normal, Thin, Thick };
inline constexpr double kNormalLineWidth = 1.2;
inline constexpr double kThinLineWidth = 0.5;
inline constexpr double kThickLineWidth = 2.0;
double borderWidth(BorderLine line);

// The four border lines of a field. The top and left lines lie one unit above
// and left of the field, the right and bottom lines on its last unit column
// and row, so that neighbouring fields (and the rows of a grid) share lines.
struct Borders
{
    BorderLine top = BorderLine::None;
    BorderLine left = BorderLine::None;
    BorderLine right = BorderLine::None;
    BorderLine bottom = BorderLine::None;

    bool operator==(const Borders &) const = default;
};

enum class HAlign { Left, Center, Right };

// A rectangle with a text. The horizontal margin applies on the aligned side
// only (none when centred); the vertical margin at top and bottom. A field
// without word wrap is one line; text never leaves the field's rectangle.
struct ReportField
{
    QRect rect;                 // relative to the band or row
    QString text;
    HAlign align = HAlign::Left;
    bool verticalCenter = true; // otherwise top-aligned below the margin
    int marginX = 2;
    int marginY = 2;
    bool wordWrap = false;
    std::optional<ReportFont> font; // unset: the container's font
    bool transparent = true;        // otherwise the rectangle is filled white first
    Borders borders;
};

// A set of fields with an optional font and a before-print notification.
class ReportFieldSet
{
public:
    virtual ~ReportFieldSet() = default;

    // Adds a field; the pointer stays valid for the set's lifetime.
    ReportField *addField(const QRect &rect, const QString &text = QString(),
                          HAlign align = HAlign::Left, Borders borders = {});
    const std::vector<std::unique_ptr<ReportField>> &fields() const { return m_fields; }
    // Empties the text of every field (a ruled empty line).
    void clearTexts();

    std::optional<ReportFont> font;
    // Raised each time the set is about to be drawn; the report fills fields here.
    std::function<void()> beforePrint;

private:
    std::vector<std::unique_ptr<ReportField>> m_fields;
};

// One line of a row grid: fields in a 720-unit-wide strip, placed from the
// top-left of the grid row it is drawn in. The height is the layout's design
// height; the grid row it lands in decides its position.
class ReportRowLayout : public ReportFieldSet
{
public:
    explicit ReportRowLayout(int height) : m_height(height) {}
    int height() const { return m_height; }

private:
    int m_height;
};

// A fixed rectangle of the page, drawn on every page in layout order.
class ReportBand : public ReportFieldSet
{
public:
    explicit ReportBand(const QRect &rect) : m_rect(rect) {}
    const QRect &rect() const { return m_rect; }
    virtual bool isRowGrid() const { return false; }

private:
    QRect m_rect;
};

// A band divided into `rows` rows of one column. Row r starts at
// round(r * H / rows) below the grid's top and is H div rows high. For each
// row, top to bottom, the grid asks `rowChoice` for the row layout to use
// (nullptr leaves the row blank), raises that layout's before-print
// notification and draws it. The grid's own fields are drawn before the rows.
class ReportRowGrid : public ReportBand
{
public:
    ReportRowGrid(const QRect &rect, int rows) : ReportBand(rect), m_rows(rows) {}
    bool isRowGrid() const override { return true; }
    int rowCount() const { return m_rows; }
    int rowTop(int row) const;   // relative to the grid
    int rowHeight() const;

    // Creates a row layout owned by this grid.
    ReportRowLayout *addRowLayout(int height);

    std::function<ReportRowLayout *(int row)> rowChoice;

private:
    int m_rows;
    std::vector<std::unique_ptr<ReportRowLayout>> m_layouts;
};

// The page: A4 portrait of 794 x 1123 units, margins, a default font and the
// bands in drawing order.
class ReportLayout
{
public:
    static constexpr int kPageWidth = 794;
    static constexpr int kPageHeight = 1123;

    ReportLayout();

    ReportBand *addBand(const QRect &rect);
    ReportRowGrid *addRowGrid(const QRect &rect, int rows);
    const std::vector<std::unique_ptr<ReportBand>> &bands() const { return m_bands; }

    QSize pageSize() const { return {kPageWidth, kPageHeight}; }
    int marginLeft = 36;
    int marginTop = 36;
    int marginRight = 36;
    int marginBottom = 36;
    ReportFont defaultFont;

private:
    std::vector<std::unique_ptr<ReportBand>> m_bands;
};

} // namespace pelanova
