#include "reports/reportlayout.h"

#include <cmath>

namespace pelanova {

double borderWidth(BorderLine line)
{
    switch (line) {
    case BorderLine::None:
        return 0.0;
    case BorderLine::Normal:
        return kNormalLineWidth;
    case BorderLine::Thin:
        return kThinLineWidth;
    case BorderLine::Thick:
        return kThickLineWidth;
    }
    return 0.0;
}

ReportField *ReportFieldSet::addField(const QRect &rect, const QString &text, HAlign align,
                                      Borders borders)
{
    auto field = std::make_unique<ReportField>();
    field->rect = rect;
    field->text = text;
    field->align = align;
    field->borders = borders;
    m_fields.push_back(std::move(field));
    return m_fields.back().get();
}

void ReportFieldSet::clearTexts()
{
    for (auto &field : m_fields)
        field->text.clear();
}

int ReportRowGrid::rowTop(int row) const
{
    return static_cast<int>(std::lround(static_cast<double>(row) * rect().height() / m_rows));
}

int ReportRowGrid::rowHeight() const { return m_rows > 0 ? rect().height() / m_rows : 0; }

ReportRowLayout *ReportRowGrid::addRowLayout(int height)
{
    m_layouts.push_back(std::make_unique<ReportRowLayout>(height));
    return m_layouts.back().get();
}

ReportLayout::ReportLayout()
    : defaultFont{kFontMincho, 12, false, false}
{
}

ReportBand *ReportLayout::addBand(const QRect &rect)
{
    m_bands.push_back(std::make_unique<ReportBand>(rect));
    return m_bands.back().get();
}

ReportRowGrid *ReportLayout::addRowGrid(const QRect &rect, int rows)
{
    auto grid = std::make_unique<ReportRowGrid>(rect, rows);
    ReportRowGrid *result = grid.get();
    m_bands.push_back(std::move(grid));
    return result;
}

} // namespace pelanova
